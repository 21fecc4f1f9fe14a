#include "core/check/network_check.h"
#include "core/coupler/placement.h"
#include "core/coupler/terminal_row.h"
#include "core/eds/eds_parser.h"
#include "core/model/lookup.h"
#include "core/nodeconfig/pdo_mapping.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace busmason::check {
namespace {

using model::Severity;

/// The check's I/O device: bit rates 125, 250, 500 and 1000 kbit/s; receive PDOs 1 and 2
/// (default mapping 0x6200:01, 0x6200:02; none), transmit PDOs 1, 2 (marked invalid), 5 and 6
/// (default mapping 0x6000:01, 0x6000:03; 0x6401:01; none; none); NrOfRXPDO 2, NrOfTXPDO 6;
/// 0x2000 Unsigned8 1 to 100, 0x2001 Integer16 from -5, 0x2002 Unsigned64, 0x2003 read-only.
std::unique_ptr<model::node> ioDevice(int address) {
    auto read = eds::readEdsFile(test::testData("check/check_io.eds"), "check_io.eds", address);
    EXPECT_TRUE(read.node);
    return std::move(read.node);
}

/// An input coupler whose default mappings follow the standard layout.
std::unique_ptr<model::node> inputCoupler(int address) {
    auto read =
        eds::readEdsFile(test::testData("check/check_coupler.eds"), "check_coupler.eds", address);
    EXPECT_TRUE(read.node);
    return std::move(read.node);
}

model::EntryId entryId(const model::node& n, unsigned index, int sub) {
    const model::EntryId id = model::findEntryIdByNumber(n, index, sub);
    EXPECT_NE(id, model::kNoEntry) << std::hex << index << " sub " << sub;
    return id;
}

/// Names the entry on the PDO page, as the node configuration does.
void map(model::node& n, unsigned index, int sub, const std::string& name) {
    nodeconfig::nameOnPdoPage(n, entryId(n, index, sub), name);
}

void write(model::node& n, unsigned index, int sub, const std::string& data) {
    n.addRecord(data, entryId(n, index, sub));
}

/// Variables placed by hand in transmit PDO 1, as a loaded project may hold them: name, or
/// name0 to name{count - 1} when count is above 1.
void placeVariable(model::node& n, unsigned index, int sub, const std::string& name, int varType,
                   int count = 1) {
    model::object_dict& e = n.entry(entryId(n, index, sub));
    for (int i = 0; i < count; ++i) {
        e.setVarName(static_cast<std::size_t>(i), count == 1 ? name : name + std::to_string(i));
        e.setShift(static_cast<std::size_t>(i), i);
    }
    e.varCount = count;
    e.varType = varType;
    e.pdoKind = 1;
    e.pdoMapped = true;
    e.pdoNumber = 1;
    e.object = sub;
}

/// (code, severity, node, object) of every finding.
using Summary = std::tuple<std::string, Severity, int, std::string>;

std::vector<Summary> summary(const CheckResult& result) {
    std::vector<Summary> out;
    for (const model::Diagnostic& d : result.findings) {
        out.emplace_back(d.code, d.severity, d.node, d.object);
    }
    return out;
}

std::string listing(const CheckResult& result) {
    std::string out;
    for (const model::Diagnostic& d : result.findings) {
        out += model::formatDiagnostic(d) + "\n";
    }
    return out;
}

struct RuleCase {
    const char* name;
    std::function<void(model::Network&)> setup;
    std::vector<Summary> expected;
};

/// Node 3 alone, configured by the case's setup.
model::Network networkWith(const std::function<void(model::Network&)>& setup) {
    model::Network net;
    net.put(3, ioDevice(3));
    setup(net);
    return net;
}

TEST(NetworkCheck, EachRuleFindsItsFaultOnceAndNothingElse) {
    const auto node3 = [](model::Network& net) -> model::node& { return *net.at(3); };
    const std::vector<RuleCase> cases = {
        {"a device configured as its EDS expects",
         [&](model::Network& net) {
             map(node3(net), 0x6200, 1, "lamp");
             map(node3(net), 0x6000, 1, "door");
             write(node3(net), 0x1017, -1, "0x1F4");
         },
         {}},
        {"transmit PDO 6 of node 65 is receive PDO 1 of node 1",
         [](model::Network& net) {
             net.take(3);
             net.put(1, ioDevice(1));
             net.put(65, ioDevice(65));
             map(*net.at(65), 0x6000, 0x11, "far_in");
         },
         {{"BM101", Severity::Error, 65, "0x1805:01"}}},
        {"bit rate the device does not list",
         [](model::Network& net) { net.parameters.baudRate = "Baud800k"; },
         {{"BM102", Severity::Error, 3, ""}}},
        {"the device maps another object at the position",
         [&](model::Network& net) {
             map(node3(net), 0x6000, 1, "in_a");
             map(node3(net), 0x6000, 2, "in_b");
         },
         {{"BM104", Severity::Warning, 3, "0x1A00"}}},
        {"no default mapping values",
         [&](model::Network& net) { map(node3(net), 0x6411, 1, "setpoint"); },
         {{"BM105", Severity::Note, 3, "0x1601"}}},
        {"a PDO the device does not have",
         [&](model::Network& net) { map(node3(net), 0x6411, 5, "valve"); },
         {{"BM106", Severity::Error, 3, "0x1402"}}},
        {"a predefined PDO marked invalid",
         [&](model::Network& net) { map(node3(net), 0x6401, 1, "level"); },
         {{"BM107", Severity::Warning, 3, "0x1801:01"}}},
        {"a write to a read-only object",
         [&](model::Network& net) { write(node3(net), 0x2003, -1, "5"); },
         {{"BM108", Severity::Error, 3, "0x2003"}}},
        {"a value wider than its type",
         [&](model::Network& net) { write(node3(net), 0x2000, -1, "0x1FF"); },
         {{"BM109", Severity::Error, 3, "0x2000"}}},
        {"a negative value for an unsigned type",
         [&](model::Network& net) { write(node3(net), 0x1017, -1, "-1"); },
         {{"BM109", Severity::Error, 3, "0x1017"}}},
        {"a type wider than a write carries",
         [&](model::Network& net) { write(node3(net), 0x2002, -1, "1"); },
         {{"BM109", Severity::Error, 3, "0x2002"}}},
        {"above HighLimit",
         [&](model::Network& net) { write(node3(net), 0x2000, -1, "200"); },
         {{"BM110", Severity::Warning, 3, "0x2000"}}},
        {"a signed bit pattern below LowLimit",
         [&](model::Network& net) { write(node3(net), 0x2001, -1, "0xFFF6"); },
         {{"BM110", Severity::Warning, 3, "0x2001"}}},
        {"a value the build cannot read",
         [&](model::Network& net) { write(node3(net), 0x1800, 1, "$NODEID+0x180"); },
         {{"BM111", Severity::Error, 3, "0x1800:01"}}},
        {"an identity the build cannot write",
         [&](model::Network& net) { node3(net).vendorId = ""; },
         {{"BM111", Severity::Error, 3, "0x1018:01"}}},
        {"bit inputs of two nodes on one sub-index",
         [](model::Network& net) {
             net.put(4, ioDevice(4));
             // Eight bits of node 3 bring the bit counter back to 0 for node 4's.
             placeVariable(*net.at(3), 0x6000, 1, "start", 1, 8);
             placeVariable(*net.at(4), 0x6000, 1, "stop", 1);
         },
         {{"BM112", Severity::Warning, 4, "0x6000:01"}}},
        {"a name the I/O map cuts",
         [&](model::Network& net) {
             placeVariable(node3(net), 0x6000, 1, "conveyor_belt_entry_light_barrier_left_side", 2);
         },
         {{"BM113", Severity::Warning, 3, "0x6000:01"}}},
        {"a Dword variable var.exp leaves out",
         [&](model::Network& net) { placeVariable(node3(net), 0x6000, 1, "count", 4); },
         {{"BM113", Severity::Warning, 3, "0x6000:01"}}},
        {"a bus load above 70 %",
         [&](model::Network& net) {
             net.parameters.baudRate = "Baud125k";
             net.parameters.cycleTime = "1";
             map(node3(net), 0x6000, 1, "door");
         },
         {{"BM114", Severity::Warning, 0, ""}}},
        {"a bus load above 100 %",
         [&](model::Network& net) {
             net.parameters.baudRate = "Baud125k";
             net.parameters.cycleTime = "1";
             map(node3(net), 0x6000, 1, "door");
             map(node3(net), 0x6200, 1, "lamp");
         },
         {{"BM114", Severity::Error, 0, ""}}},
        {"guard time 0",
         [](model::Network& net) { net.parameters.guardTime = "0"; },
         {{"BM115", Severity::Warning, 3, ""}}},
        {"life time factor 0 on a node without guarding",
         [&](model::Network& net) {
             net.parameters.lifeTime = "0";
             node3(net).ngDisabled = true;
         },
         {}},
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.name);
        const model::Network net = networkWith(c.setup);
        const CheckResult result = checkNetwork(net);
        EXPECT_EQ(summary(result), c.expected) << listing(result);
        for (const model::Diagnostic& d : result.findings) {
            EXPECT_FALSE(d.message.empty());
        }
    }
}

TEST(NetworkCheck, TransmitPdo5OfNodeACollidesWithPdo1OfNodeAPlus32) {
    model::Network net;
    net.put(1, ioDevice(1));
    net.put(33, ioDevice(33));
    map(*net.at(1), 0x6000, 9, "extra_in");
    ASSERT_EQ(net.at(1)->sdoRecords.size(), 1u);
    EXPECT_EQ(net.at(1)->sdoRecords[0].data, "0x01A1");

    const CheckResult result = checkNetwork(net);
    ASSERT_EQ(summary(result), (std::vector<Summary>{{"BM101", Severity::Error, 1, "0x1804:01"}}))
        << listing(result);
    const std::string& message = result.findings[0].message;
    EXPECT_NE(message.find("0x1A1"), std::string::npos) << message;
    EXPECT_NE(message.find("transmit PDO 5 of node 1"), std::string::npos) << message;
    EXPECT_NE(message.find("transmit PDO 1 of node 33"), std::string::npos) << message;

    // Moving node 33 away ends the collision.
    net.put(34, net.take(33));
    EXPECT_TRUE(checkNetwork(net).findings.empty()) << listing(checkNetwork(net));
}

TEST(NetworkCheck, AnaloguePdo5WithDigitalGroupsIsLongerThanAFrame) {
    // Four analogue input terminals fill transmit PDOs 2 to 4 and the analogue half of PDO 5;
    // the digital inputs beyond PDO 1's 64 take the digital groups 0x6000:0D to 0x6000:10 of
    // PDO 5 as well: 4 x 16 + 4 x 8 = 96 bits.
    constexpr int kAddress = 2;
    model::Network net;
    net.put(kAddress, inputCoupler(kAddress));
    model::node& n = *net.at(kAddress);
    n.coupler = std::make_unique<model::coupler_info>();
    const coupler::terminal_type ai4{4, "KM130 4AI", 4, {}, {}};
    const coupler::terminal_type di16{1, "KM120 16DI", 16, {}, {}};
    for (int p = 0; p < 10; ++p) {
        n.coupler->terminals.push_back(coupler::makeTerminal(p < 4 ? ai4 : di16, p, kAddress));
    }
    ASSERT_TRUE(coupler::rebuildCoupler(n).complete());

    const CheckResult result = checkNetwork(net);
    ASSERT_EQ(summary(result),
              (std::vector<Summary>{{"BM103", Severity::Error, kAddress, "0x1A04"}}))
        << listing(result);
    const std::string& message = result.findings[0].message;
    EXPECT_NE(message.find("transmit PDO 5 of node 2 maps 96 bits"), std::string::npos) << message;
    EXPECT_NE(message.find("0x6401:0D (16 bits)"), std::string::npos) << message;
    EXPECT_NE(message.find("0x6000:10 (8 bits)"), std::string::npos) << message;
    EXPECT_NE(message.find("digital terminals before"), std::string::npos) << message;

    // Digital terminals first: PDO 5 holds eight digital groups and the analogue channels go to
    // PDO 6, each within a frame.
    std::rotate(n.coupler->terminals.begin(), n.coupler->terminals.begin() + 4,
                n.coupler->terminals.end());
    for (int p = 0; p < 10; ++p) {
        coupler::nameChannels(n.coupler->terminals[static_cast<std::size_t>(p)], p, kAddress);
        n.coupler->terminals[static_cast<std::size_t>(p)].Pos = p;
    }
    ASSERT_TRUE(coupler::rebuildCoupler(n).complete());
    EXPECT_TRUE(checkNetwork(net).findings.empty()) << listing(checkNetwork(net));
}

TEST(NetworkCheck, CouplerBitInputsOnTheSameSubIndexShareTheirAddresses) {
    model::Network net;
    const coupler::terminal_type di8{1, "KM120 8DI", 8, {}, {}};
    for (const int a : {2, 3}) {
        net.put(a, inputCoupler(a));
        model::node& n = *net.at(a);
        n.coupler = std::make_unique<model::coupler_info>();
        n.coupler->terminals.push_back(coupler::makeTerminal(di8, 0, a));
        ASSERT_TRUE(coupler::rebuildCoupler(n).complete());
    }
    const CheckResult result = checkNetwork(net);
    ASSERT_EQ(result.findings.size(), 8u) << listing(result);
    for (const model::Diagnostic& d : result.findings) {
        EXPECT_EQ(d.code, "BM112");
        EXPECT_EQ(d.node, 3);
        EXPECT_EQ(d.object, "0x6000:01");
    }
    EXPECT_NE(result.findings[0].message.find("'DINP1_TE0_00' of node 2 (0x6000:01) and "
                                              "'DINP2_TE0_00' of node 3 (0x6000:01)"),
              std::string::npos)
        << result.findings[0].message;
    EXPECT_NE(result.findings[0].message.find("%IX2.0.0"), std::string::npos);
}

TEST(NetworkCheck, FrameBitsWithWorstCaseStuffing) {
    EXPECT_EQ(frameBits(0), 55);
    EXPECT_EQ(frameBits(1), 65);
    EXPECT_EQ(frameBits(8), 135);
}

TEST(NetworkCheck, BusLoadCountsSynchronousPdosSyncAndGuarding) {
    model::Network net = networkWith([](model::Network& n) {
        map(*n.at(3), 0x6000, 1, "door");    // transmit PDO 1, synchronous, 1 byte
        map(*n.at(3), 0x6200, 1, "lamp");    // receive PDO 1, synchronous, 1 byte
        map(*n.at(3), 0x6200, 2, "siren");   // the same PDO, 2 bytes now
        write(*n.at(3), 0x1801, 1, "0x283"); // transmit PDO 2 enabled; asynchronous
        map(*n.at(3), 0x6401, 1, "level");
    });
    net.put(4, ioDevice(4));
    net.at(4)->ngDisabled = true;
    const CheckResult result = checkNetwork(net);
    ASSERT_TRUE(result.busLoad);
    const BusLoad& load = *result.busLoad;
    EXPECT_EQ(load.synchronousPdos, 2);
    EXPECT_EQ(load.asynchronousPdos, 1);
    EXPECT_EQ(load.guardedNodes, 1);
    EXPECT_DOUBLE_EQ(load.syncBits, 55);
    // Guard time 500 ms, cycle 10 ms: one fiftieth of a request and an answer per cycle.
    EXPECT_DOUBLE_EQ(load.guardingBits, (55 + 65) / 50.0);
    EXPECT_DOUBLE_EQ(load.bitsPerCycle, 55 + 65 + 75 + (55 + 65) / 50.0);
    EXPECT_DOUBLE_EQ(load.capacityBits, 1000 * 10);
    EXPECT_NEAR(load.percent, 100 * load.bitsPerCycle / 10000, 1e-9);

    net.parameters.enableSync = false;
    net.parameters.cycleTime = "0";
    EXPECT_FALSE(checkNetwork(net).busLoad);
}

} // namespace
} // namespace busmason::check
