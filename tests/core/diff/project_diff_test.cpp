#include "core/diff/project_diff.h"

#include "core/coupler/terminal_row.h"
#include "core/eds/eds_parser.h"
#include "core/model/lookup.h"
#include "core/nodeconfig/administration.h"
#include "core/nodeconfig/pdo_mapping.h"
#include "core/nodeconfig/writes.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <functional>

namespace busmason::diff {
namespace {

std::unique_ptr<model::node> device(const char* fixture, int address) {
    auto read = eds::readEdsFile(test::testData(std::string("check/") + fixture), fixture, address);
    EXPECT_TRUE(read.node);
    return std::move(read.node);
}

model::EntryId id(const model::node& n, unsigned index, int sub) {
    const model::EntryId e = model::findEntryIdByNumber(n, index, sub);
    EXPECT_NE(e, model::kNoEntry);
    return e;
}

void map(model::node& n, unsigned index, int sub, const std::string& name) {
    nodeconfig::nameOnPdoPage(n, id(n, index, sub), name);
}

/// Node 3: an I/O device with writes to 0x1017, 0x2000 and 0x2001, variables door (0x6000:01)
/// and far_in (0x6000:09, transmit PDO 5 with its COB-ID write); node 7: a coupler with a
/// 4-channel analogue and a 16-channel digital input terminal.
model::Network base() {
    model::Network net;
    net.put(3, device("check_io.eds", 3));
    model::node& n = *net.at(3);
    n.addRecord("0x1F4", id(n, 0x1017, -1));
    n.addRecord("2", id(n, 0x2000, -1));
    n.addRecord("3", id(n, 0x2001, -1));
    map(n, 0x6000, 1, "door");
    map(n, 0x6000, 9, "far_in");
    net.put(7, device("check_coupler.eds", 7));
    model::node& c = *net.at(7);
    c.coupler = std::make_unique<model::coupler_info>();
    c.coupler->terminals.push_back(coupler::makeTerminal({4, "KM130 4AI", 4, {}, {}}, 0, 7));
    c.coupler->terminals.push_back(coupler::makeTerminal({1, "KM120 16DI", 16, {}, {}}, 1, 7));
    return net;
}

std::vector<std::string> described(const model::Network& a, const model::Network& b) {
    std::vector<std::string> out;
    for (const Change& c : diffNetworks(a, b)) {
        out.push_back(describeChange(c));
    }
    return out;
}

TEST(ProjectDiff, AMovedNodeIsOneChangeItsCobIdWritesFollowing) {
    const model::Network a = base();
    model::Network b = base();
    nodeconfig::changeNodeAddress(b, 3, 5);
    ASSERT_NE(b.at(5)->sdoRecords.back().data, a.at(3)->sdoRecords.back().data);

    const std::vector<Change> changes = diffNetworks(a, b);
    ASSERT_EQ(changes.size(), 1u) << (changes.empty() ? "" : describeChange(changes[1]));
    EXPECT_EQ(changes[0].kind, ChangeKind::NodeMoved);
    EXPECT_EQ(changes[0].nodeA, 3);
    EXPECT_EQ(changes[0].nodeB, 5);
    EXPECT_EQ(describeChange(changes[0]), "node 3 moved to address 5 (check_io.eds)");

    // Moved and changed: the changes name the node by both addresses.
    b.at(5)->sdoRecords[0].data = "0x3E8";
    EXPECT_EQ(described(a, b),
              (std::vector<std::string>{
                  "node 3 moved to address 5 (check_io.eds)",
                  "node 5 (was 3): start-up write 0x1017 changed: 0x1F4 -> 0x3E8"}));

    // A node of another configuration at the other address is not the same node.
    model::Network c = base();
    c.put(5, c.take(3));
    c.at(5)->address = 5;
    c.at(5)->sdoRecords.clear();
    nodeconfig::unmapEntry(*c.at(5), id(*c.at(5), 0x6000, 1));
    nodeconfig::unmapEntry(*c.at(5), id(*c.at(5), 0x6000, 9));
    EXPECT_EQ(described(a, c), (std::vector<std::string>{"node 3 removed (check_io.eds)",
                                                         "node 5 added (check_io.eds)"}));
}

TEST(ProjectDiff, ReorderedWritesAreMovesNotRemovalsAndAdditions) {
    const model::Network a = base();
    model::Network b = base();
    nodeconfig::moveWrite(*b.at(3), 2, nodeconfig::MoveDirection::Up);
    EXPECT_EQ(
        described(a, b),
        (std::vector<std::string>{"node 3: start-up write 0x2000 = 2 moved from position 2 to 1"}));

    // The last write brought to the front: one move, the others keep their order.
    model::Network c = base();
    for (int row = c.at(3)->sdoCount(); row > 1; --row) {
        nodeconfig::moveWrite(*c.at(3), row, nodeconfig::MoveDirection::Up);
    }
    EXPECT_EQ(described(a, c),
              (std::vector<std::string>{
                  "node 3: start-up write 0x1804:01 = 0x01A3 moved from position 4 to 1"}));
}

TEST(ProjectDiff, EachKindOfChange) {
    struct Case {
        const char* what;
        std::function<void(model::Network&)> change;
        std::vector<std::string> expected;
    };
    const auto n3 = [](model::Network& net) -> model::node& { return *net.at(3); };
    const auto coupler = [](model::Network& net) -> std::vector<model::terminal>& {
        return net.at(7)->coupler->terminals;
    };
    const std::vector<Case> cases = {
        {"nothing", [](model::Network&) {}, {}},
        {"the same value written another way",
         [&](model::Network& net) { n3(net).sdoRecords[0].data = "500"; },
         {}},
        {"parameters",
         [](model::Network& net) {
             net.parameters.baudRate = "Baud250k";
             net.parameters.enableSync = false;
             net.prefix = "io_";
         },
         {"bit rate: Baud1M -> Baud250k", "sync: on -> off", "variable prefix: ch0_ -> io_"}},
        {"a node added",
         [](model::Network& net) { net.put(9, device("check_io.eds", 9)); },
         {"node 9 added (check_io.eds)"}},
        {"a node removed",
         [](model::Network& net) { net.take(7); },
         {"node 7 removed (check_coupler.eds)"}},
        {"another device at the address",
         [](model::Network& net) {
             net.take(7);
             net.put(7, device("check_io.eds", 7));
         },
         {"node 7 removed (check_coupler.eds)", "node 7 added (check_io.eds)"}},
        {"flags",
         [&](model::Network& net) { n3(net).ngDisabled = true; },
         {"node 3: node guarding disabled: off -> on"}},
        {"writes changed, removed and added",
         [&](model::Network& net) {
             model::node& n = n3(net);
             n.sdoRecords[1].data = "0x20";
             nodeconfig::removeWrite(n, 2);
             n.addRecord("7", id(n, 0x1017, -1));
         },
         {"node 3: start-up write 0x2000 changed: 2 -> 0x20",
          "node 3: start-up write 0x2001 = 3 removed", "node 3: start-up write 0x1017 = 7 added"}},
        {"variables renamed, placed elsewhere, added",
         [&](model::Network& net) {
             model::node& n = n3(net);
             nodeconfig::nameOnPdoPage(n, id(n, 0x6000, 1), "gate");
             nodeconfig::unmapEntry(n, id(n, 0x6000, 9));
             map(n, 0x6000, 2, "far_in");
             map(n, 0x6200, 1, "lamp");
         },
         {"node 3: start-up write 0x1804:01 = 0x01A3 removed",
          "node 3: variable door renamed gate (6000.1 Byte,TxPdo, pdo 1, object 1, shift 0)",
          "node 3: variable far_in placed elsewhere: 6000.9 Byte,TxPdo, pdo 5, object 1, "
          "shift 0 -> 6000.2 Byte,TxPdo, pdo 1, object 2, shift 0",
          "node 3: variable lamp added (6200.1 Byte,RxPdo, pdo 1, object 1, shift 0)"}},
        {"a variable removed",
         [&](model::Network& net) { nodeconfig::unmapEntry(n3(net), id(n3(net), 0x6000, 1)); },
         {"node 3: variable door removed (6000.1 Byte,TxPdo, pdo 1, object 1, shift 0)"}},
        {"a terminal inserted",
         [&](model::Network& net) {
             coupler(net).insert(coupler(net).begin() + 1,
                                 coupler::makeTerminal({1, "KM120 8DI", 8, {}, {}}, 1, 7));
         },
         {"node 7: terminal TE-1 KM120 8DI added"}},
        {"a terminal removed",
         [&](model::Network& net) { coupler(net).erase(coupler(net).begin()); },
         {"node 7: terminal TE-0 KM130 4AI removed"}},
        {"a terminal reconfigured",
         [&](model::Network& net) { coupler(net)[0].channels[2].Config = 5; },
         {"node 7: terminal TE-0 KM130 4AI reconfigured: channel 2 config 1 -> channel 2 "
          "config 5"}},
    };
    const model::Network a = base();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        model::Network b = base();
        c.change(b);
        EXPECT_EQ(described(a, b), c.expected);
    }
}

TEST(ProjectDiff, ChangesKnowTheirKindAndNodes) {
    model::Network b = base();
    b.at(3)->sdoRecords[0].data = "0x3E8";
    const std::vector<Change> changes = diffNetworks(base(), b);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, ChangeKind::WriteChanged);
    EXPECT_EQ(kindName(changes[0].kind), "write-changed");
    EXPECT_EQ(changes[0].nodeA, 3);
    EXPECT_EQ(changes[0].nodeB, 3);
    EXPECT_EQ(changes[0].subject, "0x1017");
    EXPECT_EQ(changes[0].before, "0x1F4");
    EXPECT_EQ(changes[0].after, "0x3E8");
}

} // namespace
} // namespace busmason::diff
