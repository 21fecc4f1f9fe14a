#include "core/output/network_file.h"

#include "output_fixtures.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace busmason::output {
namespace {

using fixtures::addNode;
using fixtures::bytes;
using fixtures::entry;

std::string networkBytes(const model::Network& net) {
    const BusParameterCheck check = checkBusParameters(net);
    EXPECT_TRUE(check.errors.empty());
    GeneratedFile file = networkFile(net, check.parameters);
    EXPECT_FALSE(file.hasErrors());
    return file.bytes;
}

TEST(NetworkFile, HeaderFromTheParameters) {
    struct Case {
        const char* what;
        model::NetworkParameters parameters;
        std::string header;
    };
    const Case cases[] = {
        {"the editor's example",
         {"Baud500k", "0", "10", "500", "4", true, true},
         bytes({0x0A, 0x00, 0xF4, 0x01, 0x00, 0xF4, 0x01, 0x04})},
        {"sync off",
         {"Baud500k", "0", "10", "500", "4", false, true},
         bytes({0x0A, 0x80, 0xF4, 0x01, 0x00, 0xF4, 0x01, 0x04})},
        {"sync off, toggle bit not managed",
         {"Baud500k", "0", "10", "500", "4", false, false},
         bytes({0x0A, 0xC0, 0xF4, 0x01, 0x00, 0xF4, 0x01, 0x04})},
        {"toggle bit not managed",
         {"Baud500k", "0", "10", "500", "4", true, false},
         bytes({0x0A, 0x40, 0xF4, 0x01, 0x00, 0xF4, 0x01, 0x04})},
        {"defaults of a new project, channel 1",
         {"Baud1M", "1", "10", "500", "4", true, true},
         bytes({0x0A, 0x00, 0xE8, 0x03, 0x01, 0xF4, 0x01, 0x04})},
        {"the eighth bit rate",
         {"Baud10k", "0", "10", "500", "4", true, true},
         bytes({0x0A, 0x00, 0x0A, 0x00, 0x00, 0xF4, 0x01, 0x04})},
        {"largest values that fit",
         {"Baud20k", "1", "16383", "65535", "255", true, true},
         bytes({0xFF, 0x3F, 0x14, 0x00, 0x01, 0xFF, 0xFF, 0xFF})},
        {"smallest values, leading zeros",
         {"Baud125k", "0", "0", "00", "0000", true, true},
         bytes({0x00, 0x00, 0x7D, 0x00, 0x00, 0x00, 0x00, 0x00})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        model::Network net;
        net.parameters = c.parameters;
        // A network without nodes is the header alone.
        EXPECT_EQ(test::firstDifference(c.header, networkBytes(net)), "");
    }
}

TEST(NetworkFile, NodeRecordsAndStartUpWrites) {
    model::Network net;
    net.parameters.baudRate = "Baud500k";
    // Added out of order: the file lists nodes by increasing address.
    model::node& second = addNode(net, 9,
                                  {entry("1000"), entry("1017", "-1", 0x06), entry("1800", "-1", 0),
                                   entry("1800", "5", 0x06), entry("6411", "3", 0x08)},
                                  "0", "0x0000004C", "$1A");
    second.addRecord("0x3E8", 1);
    second.addRecord("1", 3);
    second.addRecord("-1", 4);
    addNode(net, 5, {entry("1000")}, "0x191", "76", "");

    const std::string expected =
        bytes({0x0A, 0x00, 0xF4, 0x01, 0x00, 0xF4, 0x01, 0x04}) +
        // node 5: device type 0x191, vendor 76, no product code, no writes
        bytes({0x05, 0x00, 0x91, 0x01, 0x00, 0x00, 0x4C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
               0x00, 0x00}) +
        // node 9: device type "0", vendor in hex, product code in "$" notation, three writes
        bytes({0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4C, 0x00, 0x00, 0x00, 0x1A, 0x00, 0x00, 0x00,
               0x03, 0x00}) +
        bytes({0x17, 0x10, 0x00, 0x02, 0xE8, 0x03, 0x00, 0x00}) + // 0x3E8 to [1017]
        bytes({0x00, 0x18, 0x05, 0x02, 0x01, 0x00, 0x00, 0x00}) + // 1 to [1800sub5]
        bytes({0x11, 0x64, 0x03, 0x04, 0xFF, 0xFF, 0xFF, 0xFF});  // -1 to a Real32 [6411sub3]
    EXPECT_EQ(test::firstDifference(expected, networkBytes(net)), "");
}

TEST(NetworkFile, CountOfManyWritesAndFileSize) {
    model::Network net;
    model::node& n = addNode(net, 1, {entry("1017", "-1", 0x06)});
    for (int i = 0; i < 12; ++i) {
        n.addRecord(std::to_string(i), 0);
    }
    addNode(net, 127, {entry("1000")});
    const std::string out = networkBytes(net);
    ASSERT_EQ(out.size(), 8u + (16 + 8 * 12) + 16);
    EXPECT_EQ(out.substr(8 + 14, 2), bytes({0x0C, 0x00}));
    EXPECT_EQ(out.substr(8 + 16 + 11 * 8, 8), bytes({0x17, 0x10, 0x00, 0x02, 11, 0, 0, 0}));
    EXPECT_EQ(static_cast<unsigned char>(out[8 + 16 + 12 * 8]), 127);
}

TEST(NetworkFile, TextsThatAreNotIntegersNameNodeObjectAndText) {
    struct Case {
        const char* what;
        std::string deviceType, vendorId, productCode;
        model::object_dict target;
        std::string data;
        std::string message;
    };
    const Case cases[] = {
        {"empty device type", "", "76", "", entry("1017", "-1", 6), "1",
         "node 4, 0x1000 (device type): '' is not a valid integer value"},
        {"vendor ID", "0x191", "ACME", "", entry("1017", "-1", 6), "1",
         "node 4, 0x1018:01 (vendor ID): 'ACME' is not a valid integer value"},
        {"product code", "0x191", "76", "12a", entry("1017", "-1", 6), "1",
         "node 4, 0x1018:02 (product code): '12a' is not a valid integer value"},
        {"value still holding $NODEID", "0x191", "76", "", entry("1400", "1", 7), "$NODEID+0x200",
         "node 4, 0x1400:01 (start-up write value): '$NODEID+0x200' is not a "
         "valid integer value"},
        {"data type without a length", "0x191", "76", "", entry("2000", "-1", 0x0E), "1",
         "node 4, 0x2000 (data length of data type 14): '' is not a valid integer value"},
        {"data type beyond the catalogue", "0x191", "76", "", entry("2000", "-1", 0x40), "1",
         "node 4, 0x2000 (data length of data type 64): '' is not a valid integer value"},
        {"index that is not hexadecimal", "0x191", "76", "", entry("20G0", "-1", 6), "1",
         "node 4, 0x20G0 (object index): '0x20G0' is not a valid integer value"},
        {"sub-index beyond one byte", "0x191", "76", "", entry("2000", "100", 6), "1",
         "node 4, 0x2000:100: sub-index 100 does not fit in one byte"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        model::Network net;
        model::node& n = addNode(net, 4, {c.target}, c.deviceType, c.vendorId, c.productCode);
        n.addRecord(c.data, 0);
        const GeneratedFile file = networkFile(net, checkBusParameters(net).parameters);
        ASSERT_EQ(file.diagnostics.size(), 1u);
        EXPECT_EQ(file.diagnostics[0].severity, model::Severity::Error);
        EXPECT_EQ(file.diagnostics[0].file, "network0.cmg");
        EXPECT_EQ(file.diagnostics[0].message, c.message);
    }
}

TEST(NetworkFile, EveryBadTextOfTheNetworkIsListed) {
    model::Network net;
    addNode(net, 2, {entry("1017", "-1", 6)}, "x").addRecord("y", 0);
    addNode(net, 3, {entry("1017", "-1", 6)}).addRecord("z", 0);
    // A write whose target is not one of the node's entries is refused, not read.
    addNode(net, 4, {entry("1017", "-1", 6)}).addRecord("1", 7);
    const GeneratedFile file = networkFile(net, checkBusParameters(net).parameters);
    ASSERT_EQ(file.diagnostics.size(), 4u);
    EXPECT_NE(file.diagnostics[0].message.find("'x'"), std::string::npos);
    EXPECT_NE(file.diagnostics[1].message.find("'y'"), std::string::npos);
    EXPECT_NE(file.diagnostics[2].message.find("node 3"), std::string::npos);
    EXPECT_EQ(file.diagnostics[3].message, "node 4: start-up write 1 names no object of the node");
}

TEST(BusParameters, ValuesThatDoNotFitTheirFieldsAreRefused) {
    struct Case {
        const char* what;
        model::NetworkParameters parameters;
        std::string message;
    };
    const std::string names =
        "is not one of Baud1M, Baud800k, Baud500k, Baud250k, Baud125k, Baud50k, Baud20k, Baud10k";
    const std::string cycle = "is not a whole number of ms from 0 to 16383 (the word's two high "
                              "bits hold the flags)";
    const Case cases[] = {
        {"unknown baud rate",
         {"Baud9600", "0", "10", "500", "4", true, true},
         "bit rate 'Baud9600' " + names},
        {"baud rate in another case",
         {"baud1m", "0", "10", "500", "4", true, true},
         "bit rate 'baud1m' " + names},
        {"cycle time into the flag bits",
         {"Baud1M", "0", "16384", "500", "4", true, true},
         "cycle time '16384' " + cycle},
        {"negative cycle time",
         {"Baud1M", "0", "-1", "500", "4", true, true},
         "cycle time '-1' " + cycle},
        {"cycle time with a unit",
         {"Baud1M", "0", "10ms", "500", "4", true, true},
         "cycle time '10ms' " + cycle},
        {"empty cycle time", {"Baud1M", "0", "", "500", "4", true, true}, "cycle time '' " + cycle},
        {"guard time",
         {"Baud1M", "0", "10", "65536", "4", true, true},
         "guard time '65536' is not a whole number of ms from 0 to 65535"},
        {"guard time in letters",
         {"Baud1M", "0", "10", "abc", "4", true, true},
         "guard time 'abc' is not a whole number of ms from 0 to 65535"},
        {"life time",
         {"Baud1M", "0", "10", "500", "256", true, true},
         "life time '256' is not a whole number from 0 to 255"},
        {"life time with a blank",
         {"Baud1M", "0", "10", "500", " 4", true, true},
         "life time ' 4' is not a whole number from 0 to 255"},
        {"third channel",
         {"Baud1M", "2", "10", "500", "4", true, true},
         "CAN channel '2' is neither 0 nor 1"},
        {"channel that would name files elsewhere",
         {"Baud1M", "0/../x", "10", "500", "4", true, true},
         "CAN channel '0/../x' is neither 0 nor 1"},
        {"empty channel",
         {"Baud1M", "", "10", "500", "4", true, true},
         "CAN channel '' is neither 0 nor 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        model::Network net;
        net.parameters = c.parameters;
        const BusParameterCheck check = checkBusParameters(net);
        ASSERT_EQ(check.errors.size(), 1u);
        EXPECT_EQ(check.errors[0].severity, model::Severity::Error);
        EXPECT_EQ(check.errors[0].element, "network parameters");
        EXPECT_EQ(check.errors[0].message, c.message);
    }
}

TEST(BusParameters, EveryFieldThatDoesNotFitIsListed) {
    model::Network net;
    net.parameters = {"Baud2M", "300", "70000", "70000", "300", true, true};
    addNode(net, 6, {entry("1000")}).address = 300;
    const BusParameterCheck check = checkBusParameters(net);
    ASSERT_EQ(check.errors.size(), 6u);
    EXPECT_EQ(check.errors[5].message, "node address 300 does not fit: 1 to 127");
}

} // namespace
} // namespace busmason::output
