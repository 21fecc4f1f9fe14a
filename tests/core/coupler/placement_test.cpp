#include "core/coupler/config_codes.h"
#include "core/coupler/coupler_session.h"
#include "core/coupler/terminal_row.h"
#include "coupler_fixture.h"

#include <gtest/gtest.h>

namespace busmason::coupler {
namespace {

using test::entryOf;
using test::namesOf;
using test::shiftsOf;
using test::writesOf;
using Writes = std::vector<std::pair<std::string, std::string>>;

constexpr int kAddress = 2;

model::node& couplerAt(model::Network& network) {
    return *network.at(kAddress);
}

TEST(CouplerPlacement, EmptyRowLeavesNoWritesAndNoVariables) {
    model::Network network = test::couplerNetwork(test::kFullCoupler, kAddress);
    model::node& n = couplerAt(network);
    n.addRecord("0x5", model::findEntryIdByNumber(n, 0x1000, -1));
    {
        // A row placed and closed once, then emptied again.
        CouplerSession session(network, kAddress);
        for (const auto& type : {test::kDI16, test::kAI4, test::kAI4, test::kAI4, test::kAI4}) {
            ASSERT_TRUE(session.addTerminal(type).complete());
        }
        ASSERT_TRUE(session.close().complete());
        ASSERT_FALSE(n.sdoRecords.empty());
        while (!session.row().empty()) {
            session.deleteTerminal(0);
        }
        EXPECT_TRUE(session.close().complete());
    }
    EXPECT_EQ(writesOf(n), Writes{});
    EXPECT_EQ(test::variableCount(n), 0);
    EXPECT_EQ(n.coupler->terminalCount(), 0);
}

struct Group {
    unsigned index;
    int sub;
    std::vector<std::string> names;
    int object;
};

TEST(CouplerPlacement, DigitalChannelsFillTheGroupsOfPdo1InRowOrder) {
    const struct {
        const char* what;
        std::vector<terminal_type> row;
        std::vector<Group> groups;
    } cases[] = {
        {"two 8-input terminals",
         {test::kDI8, test::kDI8},
         {{0x6000,
           1,
           {"DINP1_TE0_00", "DINP1_TE0_01", "DINP1_TE0_02", "DINP1_TE0_03", "DINP1_TE0_04",
            "DINP1_TE0_05", "DINP1_TE0_06", "DINP1_TE0_07"},
           1},
          {0x6000,
           2,
           {"DINP1_TE1_00", "DINP1_TE1_01", "DINP1_TE1_02", "DINP1_TE1_03", "DINP1_TE1_04",
            "DINP1_TE1_05", "DINP1_TE1_06", "DINP1_TE1_07"},
           2}}},
        {"4 inputs then 8 share a group",
         {test::kDI4, test::kDI8},
         {{0x6000,
           1,
           {"DINP1_TE0_00", "DINP1_TE0_01", "DINP1_TE0_02", "DINP1_TE0_03", "DINP1_TE1_00",
            "DINP1_TE1_01", "DINP1_TE1_02", "DINP1_TE1_03"},
           1},
          {0x6000, 2, {"DINP1_TE1_04", "DINP1_TE1_05", "DINP1_TE1_06", "DINP1_TE1_07"}, 2}}},
        {"mixed terminal: outputs first, then inputs",
         {test::kMixed16},
         {{0x6200,
           1,
           {"DOUT1_TE0_00", "DOUT1_TE0_01", "DOUT1_TE0_02", "DOUT1_TE0_03", "DOUT1_TE0_04",
            "DOUT1_TE0_05", "DOUT1_TE0_06", "DOUT1_TE0_07"},
           1},
          {0x6000,
           1,
           {"DINP1_TE0_08", "DINP1_TE0_09", "DINP1_TE0_0A", "DINP1_TE0_0B", "DINP1_TE0_0C",
            "DINP1_TE0_0D", "DINP1_TE0_0E", "DINP1_TE0_0F"},
           1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        model::Network network = test::couplerNetwork(test::kFullCoupler, kAddress);
        CouplerSession session(network, kAddress);
        for (const auto& type : c.row) {
            ASSERT_TRUE(session.addTerminal(type).complete());
        }
        ASSERT_TRUE(session.close().complete());
        const model::node& n = couplerAt(network);
        int variables = 0;
        for (const Group& g : c.groups) {
            SCOPED_TRACE(g.sub);
            const model::object_dict& e = entryOf(n, g.index, g.sub);
            EXPECT_EQ(namesOf(e), g.names);
            std::vector<int> shifts(g.names.size());
            for (std::size_t i = 0; i < shifts.size(); ++i) {
                shifts[i] = static_cast<int>(i);
            }
            EXPECT_EQ(shiftsOf(e), shifts);
            EXPECT_EQ(e.pdoNumber, 1);
            EXPECT_EQ(e.pdoKind, g.index == 0x6000 ? 1 : 2);
            EXPECT_EQ(e.object, g.object);
            EXPECT_EQ(e.varType, 0x01);
            EXPECT_TRUE(e.pdoMapped);
            variables += e.varCount;
        }
        EXPECT_EQ(test::variableCount(n), variables);
        EXPECT_EQ(writesOf(n), Writes{});
    }
}

TEST(CouplerPlacement, InputsBeyond64OpenTransmitPdo5WithItsCobId) {
    model::Network network = test::couplerNetwork(test::kFullCoupler, kAddress);
    const model::node& n = couplerAt(network);
    CouplerSession session(network, kAddress);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(session.addTerminal(test::kDI16).complete());
    }
    EXPECT_EQ(writesOf(n), Writes{});
    ASSERT_TRUE(session.addTerminal(test::kDI8).complete());

    const model::object_dict& group9 = entryOf(n, 0x6000, 9);
    EXPECT_EQ(group9.varCount, 8);
    EXPECT_EQ(group9.varName(0), "DINP1_TE4_00");
    EXPECT_EQ(group9.pdoNumber, 5);
    EXPECT_EQ(group9.object, 1);
    EXPECT_EQ(session.state().inputPdo, 5);
    EXPECT_EQ(writesOf(n), (Writes{{"0x1804:01", "0x01A2"}}));

    ASSERT_TRUE(session.close().complete());
    EXPECT_EQ(writesOf(n), (Writes{{"0x1804:01", "0x01A2"}}));
    EXPECT_EQ(entryOf(n, 0x1804, 1).values.back(), "01A2");
}

TEST(CouplerPlacement, AnalogueInputsInPdo5BlockDigitalGroupsAndKeepOneCobIdWrite) {
    model::Network network = test::couplerNetwork(test::kFullCoupler, kAddress);
    const model::node& n = couplerAt(network);
    CouplerSession session(network, kAddress);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(session.addTerminal(test::kAI4).complete());
    }
    // Twelve analogue inputs fill PDOs 2 to 4; the next four land in PDO 5.
    EXPECT_EQ(entryOf(n, 0x6401, 1).pdoNumber, 2);
    EXPECT_EQ(entryOf(n, 0x6401, 12).pdoNumber, 4);
    for (int sub = 13; sub <= 16; ++sub) {
        SCOPED_TRACE(sub);
        const model::object_dict& e = entryOf(n, 0x6401, sub);
        EXPECT_EQ(namesOf(e), std::vector<std::string>{"ANIN1_TE3_0" + std::to_string(sub - 13)});
        EXPECT_EQ(e.pdoNumber, 5);
        EXPECT_EQ(e.object, sub - 12);
        EXPECT_EQ(e.varType, 0x03);
        EXPECT_EQ(e.shift(0), 0);
    }
    EXPECT_EQ(writesOf(n), (Writes{{"0x1804:01", "0x01A2"}}));

    // 64 digital inputs fill PDO 1; the placement then comes back to PDO 5, whose groups 9 to
    // 12 the analogue channels took.
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(session.addTerminal(test::kDI16).complete());
    }
    ASSERT_TRUE(session.addTerminal(test::kDI8).complete());
    for (int sub = 9; sub <= 12; ++sub) {
        EXPECT_EQ(entryOf(n, 0x6000, sub).varCount, 0) << "group " << sub;
    }
    const model::object_dict& group13 = entryOf(n, 0x6000, 13);
    EXPECT_EQ(group13.varCount, 8);
    EXPECT_EQ(group13.pdoNumber, 5);
    EXPECT_EQ(writesOf(n), (Writes{{"0x1804:01", "0x01A2"}}));

    ASSERT_TRUE(session.close().complete());
    Writes expected;
    for (int k = 1; k <= 4; ++k) {
        expected.emplace_back("0x2200:0" + std::to_string(k), "0x1111");
    }
    expected.emplace_back("0x1804:01", "0x01A2");
    EXPECT_EQ(writesOf(n), expected);
}

TEST(CouplerPlacement, CloseWritesConfigurationWordsThenCobIdsInOpeningOrder) {
    model::Network network = test::couplerNetwork(test::kFullCoupler, kAddress);
    CouplerSession session(network, kAddress);
    // Analogue terminals 1 to 8: AI, AO, AI, AI, AI (opens transmit PDO 5), AO, AO, AO (opens
    // receive PDO 5).
    for (const auto& type : {test::kAI4, test::kAO4, test::kAI4, test::kAI4, test::kAI4, test::kAO4,
                             test::kAO4, test::kAO4}) {
        ASSERT_TRUE(session.addTerminal(type).complete());
    }
    const int codes[] = {*findConfigCode("I"), *findConfigCode("V"), *findConfigCode("--"),
                         *findConfigCode("V")};
    session.configureTerminal(1, codes);
    ASSERT_TRUE(session.close().complete());

    const Writes expected{
        {"0x2200:01", "0x1111"}, {"0x2200:02", "0x2021"}, {"0x2200:03", "0x1111"},
        {"0x2200:04", "0x1111"}, {"0x2200:05", "0x1111"}, {"0x2200:06", "0x1111"},
        {"0x2200:07", "0x1111"}, {"0x2200:08", "0x1111"}, {"0x1804:01", "0x01A2"},
        {"0x1404:01", "0x0222"},
    };
    EXPECT_EQ(writesOf(couplerAt(network)), expected);
    EXPECT_EQ(entryOf(couplerAt(network), 0x2200, 2).values.back(), "0x2021");
}

TEST(CouplerPlacement, ConfigurationWordsOnlyOnEntriesWithAccessTypeRw) {
    model::Network network = test::couplerNetwork(test::kPartialCoupler, kAddress);
    CouplerSession session(network, kAddress);
    // Five analogue terminals: 0x2200 sub-indexes 1 "rw", 2 "ro", 3 "rww", 4 "rw", 5 absent. The
    // fourth input terminal opens transmit PDO 5, whose 0x1804 this coupler lacks.
    for (const auto& type : {test::kAI4, test::kAI4, test::kAI4, test::kAI4, test::kAO4}) {
        ASSERT_TRUE(session.addTerminal(type).complete());
    }
    EXPECT_EQ(entryOf(couplerAt(network), 0x6401, 13).pdoNumber, 5);
    ASSERT_TRUE(session.close().complete());
    EXPECT_EQ(writesOf(couplerAt(network)),
              (Writes{{"0x2200:01", "0x1111"}, {"0x2200:04", "0x1111"}}));
}

TEST(CouplerPlacement, DeleteRenumbersRenamesAndDropsTheCobIdWrites) {
    model::Network network = test::couplerNetwork(test::kFullCoupler, kAddress);
    model::node& n = couplerAt(network);
    n.addRecord("0x5", model::findEntryIdByNumber(n, 0x1000, -1));
    CouplerSession session(network, kAddress);
    for (const auto& type :
         {test::kDI8, test::kAO4, test::kAI4, test::kAI4, test::kAI4, test::kAI4}) {
        ASSERT_TRUE(session.addTerminal(type).complete());
    }
    session.configureChannel(1, 0, 2);
    ASSERT_EQ(writesOf(n), (Writes{{"0x1000", "0x5"}, {"0x1804:01", "0x01A2"}}));
    network.modified = false;

    session.deleteTerminal(0);

    EXPECT_TRUE(network.modified);
    ASSERT_EQ(session.row().size(), 5u);
    const model::terminal& outputs = session.row()[0];
    EXPECT_EQ(outputs.Pos, 0);
    EXPECT_EQ(outputs.Tname, "KM130 4AO");
    for (int c = 0; c < 4; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(outputs.channels[c].Vname, "ANOUT1_TE0_0" + std::to_string(c));
        EXPECT_EQ(outputs.channels[c].Config, 1);
    }
    EXPECT_EQ(session.row()[1].Pos, 1);
    EXPECT_EQ(session.row()[1].channels[3].Vname, "ANIN1_TE1_03");
    EXPECT_EQ(writesOf(n), (Writes{{"0x1000", "0x5"}}));
    // The remaining row is placed again: no digital channel is left, the names are the new ones.
    EXPECT_EQ(entryOf(n, 0x6000, 1).varCount, 0);
    EXPECT_EQ(namesOf(entryOf(n, 0x6411, 1)), std::vector<std::string>{"ANOUT1_TE0_00"});
    EXPECT_EQ(namesOf(entryOf(n, 0x6401, 13)), std::vector<std::string>{"ANIN1_TE4_00"});

    ASSERT_TRUE(session.close().complete());
    EXPECT_EQ(writesOf(n).back(), (std::pair<std::string, std::string>{"0x1804:01", "0x01A2"}));
}

TEST(CouplerPlacement, ChannelsThatDoNotFitTheirTerminalTypeTakeNoSlot) {
    model::Network network = test::couplerNetwork(test::kFullCoupler, kAddress);
    model::node& n = couplerAt(network);
    // Channels as a hand-edited coupler module file may hold them.
    const struct {
        int id;
        int dir;
        int bitnumb;
    } cases[] = {
        {1, 1, 1}, {2, 0, 1}, {4, 1, 16}, {5, 0, 16}, {0, 0, 1},
        {6, 1, 1}, {3, 2, 1}, {1, 0, 0},  {3, 1, -8}, {4, 0, 0},
    };
    PlacementState state;
    resetPlacement(n, state);
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.id << "/" << c.dir << "/" << c.bitnumb);
        model::terminal t;
        t.ID = c.id;
        const model::io_mod channel{"X", c.bitnumb, c.dir, 0};
        EXPECT_EQ(allocateChannel(n, state, channel, t).result, PlaceResult::Skipped);
    }
    EXPECT_EQ(test::variableCount(n), 0);
    EXPECT_EQ(state.inputPdo + state.outputPdo, 0);
    EXPECT_EQ(state.freeInputs[0].digitalBits, 8);
    EXPECT_EQ(state.freeOutputs[8].analogBits, 16);
}

TEST(CouplerPlacement, ActivationPlacesALoadedRowWithoutAddingWrites) {
    model::Network network = test::couplerNetwork(test::kFullCoupler, kAddress);
    model::node& n = couplerAt(network);
    // A project as it is loaded: the row from the coupler module file, the writes from the
    // project file, no placement yet.
    n.coupler = std::make_unique<model::coupler_info>();
    for (int p = 0; p < 8; ++p) {
        n.coupler->terminals.push_back(makeTerminal(p < 4 ? test::kAI4 : test::kDI16, p, kAddress));
    }
    n.addRecord("0x01A2", model::findEntryIdByNumber(n, 0x1804, 1));
    const Writes loaded = writesOf(n);

    CouplerSession session(network, kAddress);
    EXPECT_EQ(namesOf(entryOf(n, 0x6401, 16)), std::vector<std::string>{"ANIN1_TE3_03"});
    EXPECT_EQ(entryOf(n, 0x6000, 8).varName(7), "DINP1_TE7_0F");
    EXPECT_EQ(test::variableCount(n), 80);
    EXPECT_EQ(writesOf(n), loaded);
    EXPECT_FALSE(network.modified);

    // The next inputs go back to PDO 5, which already has its COB-ID write.
    ASSERT_TRUE(session.addTerminal(test::kDI8).complete());
    EXPECT_EQ(entryOf(n, 0x6000, 13).varName(0), "DINP1_TE8_00");
    EXPECT_EQ(writesOf(n), loaded);
}

} // namespace
} // namespace busmason::coupler
