#include "core/output/decode.h"

#include "core/coupler/placement.h"
#include "core/coupler/terminal_row.h"
#include "core/eds/eds_parser.h"
#include "core/model/data_types.h"
#include "core/model/lookup.h"
#include "core/model/numbers.h"
#include "core/nodeconfig/pdo_mapping.h"
#include "core/output/build.h"
#include "core/output/io_map.h"
#include "core/output/network_file.h"
#include "core/output/variables.h"
#include "core/persistence/project_io.h"
#include "output_fixtures.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace busmason::output {
namespace {

using fixtures::addNode;
using fixtures::bytes;
using fixtures::entry;

/// The network file and the I/O map the build makes of net.
std::pair<std::string, std::string> built(const model::Network& net) {
    std::string network;
    std::string ioMap;
    for (const GeneratedFile& f : generateControllerFiles(net, "p")) {
        EXPECT_FALSE(f.hasErrors())
            << f.name << ": " << (f.diagnostics.empty() ? "" : f.diagnostics[0].message);
        if (f.name == networkFileName(net.parameters.channel)) {
            network = f.bytes;
        } else if (f.name == ioMapFileName(net.parameters.channel)) {
            ioMap = f.bytes;
        }
    }
    return {network, ioMap};
}

/// Decoding what the build wrote gives back the model: parameters, identities, every write
/// with its object, length and value, every variable with its place.
void expectRoundTrip(const model::Network& net) {
    const auto [networkBytes, ioMapBytes] = built(net);
    const DecodedNetworkFile file = decodeNetworkFile(networkBytes);
    EXPECT_TRUE(file.problems.empty());
    ASSERT_TRUE(file.header);
    const BusParameters expected = checkBusParameters(net).parameters;
    EXPECT_EQ(file.header->cycleWord, expected.cycleWord);
    EXPECT_EQ(cycleTimeOf(file.header->cycleWord), model::leadingDecimal(net.parameters.cycleTime));
    EXPECT_EQ(file.header->bitRate, expected.bitRate);
    EXPECT_EQ(file.header->guardTime, expected.guardTime);
    EXPECT_EQ(file.header->lifeTime, expected.lifeTime);
    EXPECT_EQ(file.header->channel, expected.channel);

    std::size_t i = 0;
    net.forEachNode([&](const model::node& n) {
        SCOPED_TRACE("node " + std::to_string(n.address));
        ASSERT_LT(i, file.nodes.size());
        const DecodedNode& d = file.nodes[i++];
        EXPECT_EQ(d.address, n.address);
        EXPECT_EQ(d.deviceType, static_cast<std::uint32_t>(model::readInteger(n.deviceType)));
        EXPECT_EQ(d.vendorId, static_cast<std::uint32_t>(model::readInteger(n.vendorId)));
        EXPECT_EQ(d.productCode, n.productCode.empty() ? 0u
                                                       : static_cast<std::uint32_t>(
                                                             model::readInteger(n.productCode)));
        EXPECT_EQ(d.writeCount, n.sdoRecords.size());
        ASSERT_EQ(d.writes.size(), n.sdoRecords.size());
        for (std::size_t w = 0; w < d.writes.size(); ++w) {
            const model::object_dict& e = n.entry(n.sdoRecords[w].target);
            EXPECT_EQ(d.writes[w].index, std::stoul(e.index, nullptr, 16));
            EXPECT_EQ(d.writes[w].sub, e.isSubEntry() ? model::subIndexNumber(e) : 0);
            EXPECT_EQ(d.writes[w].length, model::readInteger(model::dataType(e.DataType)->length));
            EXPECT_EQ(d.writes[w].value,
                      static_cast<std::uint32_t>(model::readInteger(n.sdoRecords[w].data)));
        }
    });
    EXPECT_EQ(i, file.nodes.size());

    const DecodedIoMap map = decodeIoMap(ioMapBytes);
    EXPECT_TRUE(map.problems.empty());
    const std::vector<Variable> variables = collectVariables(net);
    ASSERT_EQ(map.variables.size(), variables.size());
    for (std::size_t k = 0; k < variables.size(); ++k) {
        const Variable& v = variables[k];
        const DecodedVariable& d = map.variables[k];
        SCOPED_TRACE(v.name());
        EXPECT_EQ(d.name, v.name());
        EXPECT_EQ(d.address, v.owner->address);
        EXPECT_EQ(d.bits(), model::bitsOf(v.entry->varType));
        ASSERT_EQ(d.isPdo(), v.isPdo());
        if (d.isPdo()) {
            EXPECT_EQ(d.isOutput(), v.isOutput());
            EXPECT_EQ(d.pdoNumber, v.entry->pdoNumber);
            EXPECT_EQ(d.position, v.entry->object);
            EXPECT_EQ(d.shift, v.shift());
        } else {
            EXPECT_EQ(d.index, std::stoul(v.entry->index, nullptr, 16));
            EXPECT_EQ(d.sub, v.entry->isSubEntry() ? model::subIndexNumber(*v.entry) : 0);
        }
    }
}

TEST(Decode, BuildOfTheDemoProjectReadsBack) {
    const persistence::LoadResult loaded = persistence::loadProject(
        test::sourceDir("data/demo/plant1/plant1.bsm"), test::installData("eds"));
    ASSERT_TRUE(loaded.session);
    ASSERT_GT(loaded.session->network().nodeCount(), 0);
    expectRoundTrip(loaded.session->network());
}

TEST(Decode, BuildOfACouplerAndAnIoDeviceReadsBack) {
    // A coupler with analogue inputs (configuration words) beyond PDO 4 (a COB-ID write) and
    // digital inputs, and an I/O device with start-up writes, PDO and SDO variables.
    model::Network net;
    net.parameters.channel = "1";
    auto coupler = eds::readEdsFile(test::testData("check/check_coupler.eds"), "c.eds", 4);
    auto device = eds::readEdsFile(test::testData("check/check_io.eds"), "d.eds", 9);
    ASSERT_TRUE(coupler.node && device.node);
    model::node& c = *coupler.node;
    c.coupler = std::make_unique<model::coupler_info>();
    for (int p = 0; p < 5; ++p) {
        c.coupler->terminals.push_back(
            coupler::makeTerminal(p < 4 ? coupler::terminal_type{4, "KM130 4AI", 4, {}, {}}
                                        : coupler::terminal_type{1, "KM120 8DI", 8, {}, {}},
                                  p, 4));
    }
    ASSERT_TRUE(coupler::rebuildCoupler(c).complete());
    model::node& d = *device.node;
    nodeconfig::nameOnPdoPage(d, model::findEntryIdByNumber(d, 0x6200, 1), "lamp");
    nodeconfig::nameOnPdoPage(d, model::findEntryIdByNumber(d, 0x6000, 9), "far_in");
    d.addRecord("0x3E8", model::findEntryIdByNumber(d, 0x1017, -1));
    model::object_dict& sdo = d.entry(model::findEntryIdByNumber(d, 0x2001, -1));
    fixtures::sdoEntry(sdo, 0x03);
    fixtures::addVariable(sdo, "offset");
    net.put(4, std::move(coupler.node));
    net.put(9, std::move(device.node));
    ASSERT_GE(net.at(4)->sdoRecords.size(), 5u);
    expectRoundTrip(net);
}

TEST(Decode, ValuesAtTheEdgesOfTheirFieldsReadBack) {
    model::Network net;
    net.parameters = {"Baud10k", "1", "16383", "65535", "255", false, false};
    model::node& n = addNode(net, 127,
                             {entry("1017", "-1", 0x06), entry("2000", "1A", 0x07),
                              entry("6000", "1", 0x05), entry("2100", "FF", 0x03)},
                             "0xFFFFFFFF", "0", "0x80000000");
    n.addRecord("0xFFFFFFFF", 1);
    n.addRecord("-1", 1);
    n.addRecord("0", 0);
    fixtures::mapEntry(n.objects[2], 0x01, 2, 16, 8);
    for (int s = 0; s < 32; ++s) {
        fixtures::addVariable(n.objects[2], "b" + std::to_string(s), s % 8);
    }
    fixtures::sdoEntry(n.objects[3], 0x03);
    fixtures::addVariable(n.objects[3], std::string(34, 'x'));
    expectRoundTrip(net);
    EXPECT_EQ(cycleTimeOf(checkBusParameters(net).parameters.cycleWord), 16383);
}

TEST(Decode, ATruncatedNetworkFileIsDecodedAsFarAsItGoes) {
    // Header, node 1 with two writes, node 2 with one: 8 + 32 + 24 = 64 bytes.
    model::Network net;
    model::node& a = addNode(net, 1, {entry("1017", "-1", 0x06), entry("1800", "1", 0x07)});
    a.addRecord("500", 0);
    a.addRecord("0x181", 1);
    model::node& b = addNode(net, 2, {entry("1017", "-1", 0x06)});
    b.addRecord("100", 0);
    const std::string whole = built(net).first;
    ASSERT_EQ(whole.size(), 64u);

    struct Case {
        std::size_t size;
        bool header;
        std::size_t nodes;
        std::size_t writesOfLast;
        std::size_t stopOffset; ///< 0: no stop
        const char* says;
    };
    const Case cases[] = {
        {64, true, 2, 1, 0, ""},
        {0, false, 0, 0, 0, "ends inside the 8-byte header: 0 bytes not decoded"},
        {5, false, 0, 0, 0, "ends inside the 8-byte header: 5 bytes not decoded"},
        {8, true, 0, 0, 0, ""},
        {20, true, 0, 0, 8, "ends inside node record 1 (16 bytes): 12 bytes not decoded"},
        {27, true, 1, 0, 24, "inside start-up write 1 of 2 of node 1: 3 bytes not decoded"},
        {35, true, 1, 1, 32, "inside start-up write 2 of 2 of node 1: 3 bytes not decoded"},
        {40, true, 1, 2, 0, ""},
        {63, true, 2, 0, 56, "inside start-up write 1 of 1 of node 2: 7 bytes not decoded"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const DecodedNetworkFile file =
            decodeNetworkFile(std::string_view(whole).substr(0, c.size));
        EXPECT_EQ(file.header.has_value(), c.header);
        ASSERT_EQ(file.nodes.size(), c.nodes);
        if (!file.nodes.empty()) {
            EXPECT_EQ(file.nodes.back().writes.size(), c.writesOfLast);
        }
        if (std::string_view(c.says).empty()) {
            EXPECT_TRUE(file.problems.empty());
            continue;
        }
        ASSERT_EQ(file.problems.size(), 1u);
        EXPECT_TRUE(file.problems[0].stopped);
        EXPECT_EQ(file.problems[0].offset, c.stopOffset);
        EXPECT_NE(file.problems[0].message.find(c.says), std::string::npos)
            << file.problems[0].message;
    }
    // The writes that are there keep their values.
    const DecodedNetworkFile cut = decodeNetworkFile(std::string_view(whole).substr(0, 35));
    EXPECT_EQ(cut.nodes[0].writes[0].value, 500u);
    EXPECT_EQ(cut.nodes[0].writeCount, 2);
}

TEST(Decode, RecordsUnlikeTheBuildsAreDecodedAndReported) {
    std::string file = bytes({0x0A, 0, 0xE8, 3, 0, 0xF4, 1, 4});
    const auto record = [](int address, int reserved) {
        return bytes({address, reserved, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    };
    file += record(5, 0) + record(3, 0) + record(0, 7);
    const DecodedNetworkFile net = decodeNetworkFile(file);
    ASSERT_EQ(net.nodes.size(), 3u);
    ASSERT_EQ(net.problems.size(), 3u);
    EXPECT_EQ(net.problems[0].offset, 24u);
    EXPECT_NE(net.problems[0].message.find("does not follow node 5"), std::string::npos);
    EXPECT_NE(net.problems[1].message.find("outside 1 to 127"), std::string::npos);
    EXPECT_EQ(net.problems[2].offset, 41u);
    EXPECT_FALSE(net.problems[2].stopped);

    // A name that fills its field, an SDO variable, a kind byte with two exchanges, and
    // 10 bytes of a fourth record.
    std::string map = std::string(35, 'n') + bytes({3, 0x21, 1, 2, 5});
    map += std::string("sdo_var") + std::string(28, '\0') + bytes({2, 0x84, 0x00, 0x20, 0x03});
    map += std::string("odd") + std::string(32, '\0') + bytes({2, 0x30, 1, 1, 0});
    map += std::string(10, 'x');
    const DecodedIoMap io = decodeIoMap(map);
    ASSERT_EQ(io.variables.size(), 3u);
    EXPECT_TRUE(io.variables[0].fillsField);
    EXPECT_EQ(io.variables[0].name, std::string(35, 'n'));
    EXPECT_EQ(io.variables[0].bits(), 1);
    EXPECT_FALSE(io.variables[0].isOutput());
    EXPECT_EQ(io.variables[0].shift, 5);
    EXPECT_EQ(io.variables[1].name, "sdo_var");
    EXPECT_FALSE(io.variables[1].isPdo());
    EXPECT_EQ(io.variables[1].index, 0x2000);
    EXPECT_EQ(io.variables[1].sub, 3);
    EXPECT_EQ(io.variables[1].bits(), 16);
    ASSERT_EQ(io.problems.size(), 2u);
    EXPECT_EQ(io.problems[0].offset, 80u + 36u);
    EXPECT_NE(io.problems[0].message.find("kind byte 0x30"), std::string::npos);
    EXPECT_TRUE(io.problems[1].stopped);
    EXPECT_EQ(io.problems[1].offset, 120u);
    EXPECT_NE(io.problems[1].message.find("10 bytes not decoded"), std::string::npos);
}

TEST(Decode, ControllerFileByName) {
    EXPECT_EQ(controllerFileOf("network0.cmg"), ControllerFile::Network);
    EXPECT_EQ(controllerFileOf("NETWORK1.CMG"), ControllerFile::Network);
    EXPECT_EQ(controllerFileOf("iomap1.cmg"), ControllerFile::IoMap);
    EXPECT_EQ(controllerFileOf("network0.bak"), std::nullopt);
    EXPECT_EQ(controllerFileOf("ASCIIcmg.txt"), std::nullopt);
    EXPECT_EQ(controllerFileOf("plant.cmg"), std::nullopt);
}

} // namespace
} // namespace busmason::output
