#include "core/editor/network_session.h"
#include "core/nodeconfig/refusal.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

namespace busmason::editor {
namespace {

using model::FileError;
using model::LimitError;

std::filesystem::path edsFolder() {
    return test::testData("persistence/eds");
}

/// The list as "address:caption|label" items, to compare in one line.
std::vector<std::string> listView(const NetworkSession& s) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < s.list().size(); ++i) {
        out.push_back(std::to_string(s.list()[i].address) + ":" + s.list()[i].caption + "|" +
                      s.treeLabels()[i]);
    }
    return out;
}

/// The EDS name of the node at each address 1..highest.
std::vector<std::string> nodesByAddress(const NetworkSession& s) {
    std::vector<std::string> out;
    s.network().forEachNode([&](const model::node& n) {
        out.push_back(std::to_string(n.address) + "=" + n.fileInfo.FileName);
    });
    return out;
}

TEST(NetworkSession, NewProjectHasTheDefaultParameters) {
    const NetworkSession s("/projects/plant", "plant");
    const model::NetworkParameters& p = s.network().parameters;
    EXPECT_EQ(p.baudRate, "Baud1M");
    EXPECT_EQ(p.channel, "0");
    EXPECT_EQ(p.cycleTime, "10");
    EXPECT_EQ(p.guardTime, "500");
    EXPECT_EQ(p.lifeTime, "4");
    EXPECT_TRUE(p.enableSync);
    EXPECT_TRUE(p.toggleBit);
    EXPECT_EQ(s.network().prefix, "ch0_");
    EXPECT_EQ(s.network().crosstableRow, "0");
    EXPECT_FALSE(s.modified());
    EXPECT_EQ(s.network().nodeCount(), 0);
    EXPECT_EQ(s.projectFile(), std::filesystem::path("/projects/plant/plant.bsm"));
    EXPECT_EQ(s.couplerFile(), std::filesystem::path("/projects/plant/plant.pco"));
    EXPECT_EQ(s.windowCaption(), "KOVA Busmason -/projects/plant/plant.bsm");
}

TEST(NetworkSession, AddTakesTheLowestFreeAddressAndAppendsToTheList) {
    NetworkSession s("/p", "p");
    EXPECT_EQ(s.addNode(edsFolder(), "io.eds").address, 1);
    EXPECT_EQ(s.addNode(edsFolder(), "coupler.eds").address, 2);
    EXPECT_EQ(s.addNode(edsFolder(), "IO.EDS").address, 3); // library names ignore case
    EXPECT_EQ(s.windowCaption(), "KOVA Busmason -/p/p.bsm*");

    ASSERT_TRUE(s.deleteNode(2));
    EXPECT_FALSE(s.deleteNode(2));
    EXPECT_EQ(listView(s), (std::vector<std::string>{"1:1 - io.eds|1", "3:3 - io.eds|3"}));

    EXPECT_EQ(s.addNode(edsFolder(), "coupler.eds").address, 2);
    EXPECT_EQ(s.addNode(edsFolder(), "nofileinfo.eds").address, 4);
    // The new entries come last; a tree label is the node count when its node was added.
    EXPECT_EQ(listView(s),
              (std::vector<std::string>{"1:1 - io.eds|1", "3:3 - io.eds|3", "2:2 - coupler.eds|3",
                                        "4:4 - nofileinfo.eds|4"}));

    s.arrange(); // addresses 1 to 4 are taken: nothing moves, the captions change form
    EXPECT_EQ(listView(s),
              (std::vector<std::string>{"1:1-\nio.eds|1", "3:3-\nio.eds|2", "2:2-\ncoupler.eds|3",
                                        "4:4-\nnofileinfo.eds|4"}));

    ASSERT_TRUE(s.deleteNode(1));
    s.arrange(); // 2, 3, 4 become 1, 2, 3 in their old address order; the list order stays
    EXPECT_EQ(nodesByAddress(s),
              (std::vector<std::string>{"1=coupler.eds", "2=io.eds", "3=nofileinfo.eds"}));
    EXPECT_EQ(listView(s), (std::vector<std::string>{"2:2-\nio.eds|1", "1:1-\ncoupler.eds|2",
                                                     "3:3-\nnofileinfo.eds|3"}));
    s.network().forEachNode([](const model::node& n) { EXPECT_GT(n.address, 0); });
}

TEST(NetworkSession, RefusedAddChangesNothing) {
    test::TempDir dir;
    test::writeBytes(dir / "lib/io.eds", test::readBytes(edsFolder() / "io.eds"));
    test::writeBytes(dir / "lib/broken.eds", test::readBytes(edsFolder() / "broken.eds"));
    NetworkSession s(dir.path(), "p");
    for (int i = 0; i < model::kMaxNodes; ++i) {
        s.addNode(dir / "lib", "io.eds");
    }
    s.deleteNode(40);
    s.addNode(dir / "lib", "io.eds");
    s.clearModified();
    const auto before = listView(s);

    EXPECT_THROW(s.addNode(dir / "lib", "io.eds"), LimitError);
    s.deleteNode(7);
    s.clearModified();
    EXPECT_THROW(s.addNode(dir / "lib", "missing.eds"), FileError);
    EXPECT_THROW(s.addNode(dir / "lib", "broken.eds"), FileError);
    EXPECT_FALSE(s.modified());
    EXPECT_EQ(s.network().nodeCount(), model::kMaxNodes - 1);
    EXPECT_EQ(s.network().lowestFreeAddress(), 7);
    EXPECT_EQ(s.list().size(), before.size() - 1);
}

TEST(NetworkSession, AddReturnsTheWarningsOfTheEds) {
    NetworkSession s("/p", "p");
    const AddedNode added = s.addNode(edsFolder(), "nofileinfo.eds");
    EXPECT_EQ(added.address, 1);
    ASSERT_FALSE(added.warnings.empty());
    EXPECT_NE(added.warnings[0].message.find("FileInfo"), std::string::npos);
    EXPECT_TRUE(s.addNode(edsFolder(), "io.eds").warnings.empty());
}

TEST(NetworkSession, WhatSetsTheModifiedFlag) {
    NetworkSession s("/p", "p");
    s.addNode(edsFolder(), "io.eds");
    s.addNode(edsFolder(), "coupler.eds");
    struct Case {
        const char* what;
        std::function<void(NetworkSession&)> change;
        bool modifies;
    };
    model::NetworkParameters changed;
    changed.guardTime = "600";
    const Case cases[] = {
        {"the same parameters", [](NetworkSession& x) { x.setParameters({}); }, false},
        {"another guard time", [&](NetworkSession& x) { x.setParameters(changed); }, true},
        {"the same prefix", [](NetworkSession& x) { x.setPrefix("ch0_"); }, false},
        {"another prefix", [](NetworkSession& x) { x.setPrefix("ch1_"); }, true},
        {"another crosstable row", [](NetworkSession& x) { x.setCrosstableRow("2"); }, true},
        {"arranging 1 and 2", [](NetworkSession& x) { x.arrange(); }, false},
        {"moving a node", [](NetworkSession& x) { x.moveNode(2, 9); }, true},
        {"arranging 1 and 9", [](NetworkSession& x) { x.arrange(); }, true},
        {"a coupler change", [](NetworkSession& x) { x.markModified(); }, true},
        {"deleting a node", [](NetworkSession& x) { x.deleteNode(1); }, true},
        {"deleting a missing node", [](NetworkSession& x) { x.deleteNode(1); }, false},
        {"adding a node", [](NetworkSession& x) { x.addNode(edsFolder(), "io.eds"); }, true},
        {"one parameter",
         [](NetworkSession& x) { x.setParameter(ParameterField::CycleTime, "20"); }, true},
        {"a refused parameter",
         [](NetworkSession& x) {
             EXPECT_THROW(x.setParameter(ParameterField::GuardTime, "abc"), ParameterError);
             EXPECT_EQ(x.network().parameters.guardTime, "600");
         },
         false},
        {"refused parameters",
         [](NetworkSession& x) {
             model::NetworkParameters p = x.network().parameters;
             p.channel = "2";
             EXPECT_THROW(x.setParameters(p), ParameterError);
         },
         false},
        {"sync off", [](NetworkSession& x) { x.setSync(false); }, true},
        {"toggle bit as it is", [](NetworkSession& x) { x.setToggleBit(true); }, false},
        {"a node flag", [](NetworkSession& x) { x.storeAdministration(2, "2", true, false); },
         true},
        {"a node operation", [](NetworkSession& x) { x.editNode(2, [](model::node&) {}); }, true},
        {"a refused node operation",
         [](NetworkSession& x) {
             EXPECT_THROW(x.editNode(2, [](model::node&) -> int { throw LimitError("full"); }),
                          LimitError);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        s.clearModified();
        c.change(s);
        EXPECT_EQ(s.modified(), c.modifies);
    }
}

TEST(NetworkSession, MovingANodeRelabelsItsEntry) {
    NetworkSession s("/p", "p");
    s.addNode(edsFolder(), "io.eds");
    s.addNode(edsFolder(), "coupler.eds");
    s.addNode(edsFolder(), "io.eds");
    s.moveNode(3, 5);
    EXPECT_EQ(listView(s),
              (std::vector<std::string>{"1:1 - io.eds|1", "2:2 - coupler.eds|2", "5:5- io.eds|5"}));
    EXPECT_EQ(s.network().at(5)->address, 5);
    EXPECT_EQ(s.network().at(3), nullptr);
    EXPECT_THROW(s.moveNode(5, 1), nodeconfig::RefusedError);
    EXPECT_THROW(s.moveNode(5, 128), nodeconfig::RefusedError);
    EXPECT_THROW(s.moveNode(4, 6), LimitError);
    s.arrange();
    EXPECT_EQ(s.list()[2].caption, "3-\nio.eds");
}

TEST(NetworkSession, TheAdministrationPageMovesTheNodeWithItsEntry) {
    NetworkSession s("/p", "p");
    s.addNode(edsFolder(), "io.eds");
    s.addNode(edsFolder(), "io.eds");
    EXPECT_EQ(s.storeAdministration(2, "7", false, true).address, 7);
    EXPECT_TRUE(s.network().at(7)->ngDisabled);
    EXPECT_EQ(s.list()[1].caption, "7- io.eds");
    // A taken address keeps the node where it is but stores the flags.
    const nodeconfig::AdministrationOutcome taken = s.storeAdministration(7, "1", true, true);
    EXPECT_EQ(taken.address, 7);
    EXPECT_EQ(taken.refusal, nodeconfig::kAddressPresent);
    EXPECT_TRUE(s.network().at(7)->virtual_);
    EXPECT_THROW(s.storeAdministration(9, "9", false, false), LimitError);
}

TEST(NetworkSession, ATerminalChangeWaitsForItsCouplerClose) {
    const coupler::TerminalLibraryResult read =
        coupler::readTerminalLibrary(std::filesystem::path(BUSMASON_INSTALL_DATA));
    const coupler::terminal_type* digital = read.library.find("KM120 8DI");
    ASSERT_NE(digital, nullptr);
    NetworkSession s("/p", "p");
    s.addNode(edsFolder(), "io.eds");
    s.addNode(edsFolder(), "coupler.eds");
    s.clearModified();
    const std::size_t writes = s.network().at(2)->sdoRecords.size();
    const coupler::PlacementOutcome added =
        s.editCoupler(2, [&](coupler::CouplerSession& c) { return c.addTerminal(*digital); });
    EXPECT_FALSE(added.failure);
    EXPECT_TRUE(s.modified());
    EXPECT_EQ(s.couplersNeedingClose(), std::vector<int>{2});
    // Moving the coupler keeps what still waits for its close.
    s.moveNode(2, 5);
    EXPECT_EQ(s.couplersNeedingClose(), std::vector<int>{5});
    s.clearModified();
    const CouplerClose closed = s.closeCoupler(5);
    EXPECT_FALSE(closed.outcome.failure);
    EXPECT_TRUE(closed.messageKey.empty());
    EXPECT_TRUE(s.modified());
    EXPECT_TRUE(s.couplersNeedingClose().empty());
    EXPECT_EQ(s.network().at(5)->coupler->terminals.size(), 1u);
    EXPECT_GE(s.network().at(5)->sdoRecords.size(), writes);
    // Closing again without a change leaves the project as it is.
    s.clearModified();
    s.closeCoupler(5);
    EXPECT_FALSE(s.modified());
}

} // namespace
} // namespace busmason::editor
