#include "core/output/io_map.h"

#include "output_fixtures.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace busmason::output {
namespace {

using fixtures::addNode;
using fixtures::addVariable;
using fixtures::bytes;
using fixtures::entry;
using fixtures::entryOf;
using fixtures::mapEntry;
using fixtures::sdoEntry;

/// Node 2: a Word by SDO on [2000sub3]. Node 3: two Booleans of transmit PDO 1 on [6000sub1].
/// Node 7: a Byte of receive PDO 2 on [6200sub4], a Dword by SDO on [2100] and a 64-bit
/// variable by SDO on [2200]. Nodes are added out of address order.
void variablesNetwork(model::Network& net) {
    model::node& n7 = addNode(net, 7,
                              {entry("1000"), entry("6200", "4", 0x05), entry("2100", "-1", 0x07),
                               entry("2200", "-1", 0x1B)});
    mapEntry(entryOf(n7, "6200", "4"), 0x05, 2, 2, 4);
    addVariable(entryOf(n7, "6200", "4"), "out8", 8);
    sdoEntry(entryOf(n7, "2100"), 0x07);
    addVariable(entryOf(n7, "2100"), "counter");
    sdoEntry(entryOf(n7, "2200"), 0x1B);
    addVariable(entryOf(n7, "2200"), "serial");

    model::node& n3 = addNode(net, 3, {entry("6000", "-1", 0), entry("6000", "1", 0x01)});
    mapEntry(entryOf(n3, "6000", "1"), 0x01, 1, 1, 1);
    addVariable(entryOf(n3, "6000", "1"), "ch0_in1", 5);
    addVariable(entryOf(n3, "6000", "1"), "ch0_in2", 6);

    model::node& n2 = addNode(net, 2, {entry("2000", "3", 0x06)});
    sdoEntry(entryOf(n2, "2000", "3"), 0x06);
    addVariable(entryOf(n2, "2000", "3"), "speed");
}

std::string nameField(const std::string& name) {
    return name + std::string(kIoMapNameSize - name.size(), '\0');
}

TEST(IoMap, OneRecordPerVariableInNodeEntryAndSlotOrder) {
    model::Network net;
    variablesNetwork(net);
    const GeneratedFile file = ioMapFile(net);
    EXPECT_EQ(file.name, "iomap0.cmg");
    EXPECT_TRUE(file.diagnostics.empty());
    const std::string expected =
        nameField("speed") + bytes({0x02, 0x84, 0x00, 0x20, 0x03}) +   // Word by SDO
        nameField("ch0_in1") + bytes({0x03, 0x21, 0x01, 0x01, 0x05}) + // Bit, transmit PDO
        nameField("ch0_in2") + bytes({0x03, 0x21, 0x01, 0x01, 0x06}) + nameField("out8") +
        bytes({0x07, 0x12, 0x02, 0x04, 0x08}) +                        // Byte, receive PDO
        nameField("counter") + bytes({0x07, 0x88, 0x00, 0x21, 0x00}) + // Dword by SDO, main entry
        nameField("serial") + bytes({0x07, 0x80, 0x00, 0x22, 0x00});   // no size bit for 64 bits
    EXPECT_EQ(test::firstDifference(expected, file.bytes), "");
}

TEST(IoMap, DumpListsTheSameVariables) {
    model::Network net;
    variablesNetwork(net);
    const GeneratedFile dump = ioMapDump(net);
    EXPECT_EQ(dump.name, "ASCIIcmg.txt");
    EXPECT_EQ(
        test::firstDifference(test::readBytes(test::testData("output/ASCIIcmg.txt")), dump.bytes),
        "");
}

TEST(IoMap, NetworkWithoutVariablesGivesEmptyFiles) {
    model::Network net;
    net.parameters.channel = "1";
    addNode(net, 1, {entry("1000"), entry("6000", "1", 0x01)});
    EXPECT_EQ(ioMapFile(net).name, "iomap1.cmg");
    EXPECT_EQ(ioMapFile(net).bytes, "");
    EXPECT_EQ(ioMapDump(net).bytes, "");
}

TEST(IoMap, NamesFillTheirFieldAndLongerOnesAreCutAndReported) {
    struct Case {
        std::string name;
        std::string field;
        bool reported;
    };
    const std::string name34(34, 'a');
    const std::string name35(35, 'b');
    const std::string name40 = std::string(35, 'c') + "12345";
    // "é" is two bytes in UTF-8; the cut does not split it.
    const std::string accented = std::string(34, 'd') + "\xC3\xA9";
    const Case cases[] = {
        {name34, name34 + '\0', false},
        {name35, name35, false},
        {name40, std::string(35, 'c'), true},
        {accented, std::string(34, 'd') + '\0', true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        model::Network net;
        model::node& n = addNode(net, 3, {entry("6000", "1", 0x01)});
        mapEntry(n.objects[0], 0x01, 1, 1, 1);
        addVariable(n.objects[0], c.name);
        const GeneratedFile file = ioMapFile(net);
        ASSERT_EQ(file.bytes.size(), kIoMapRecordSize);
        EXPECT_EQ(file.bytes.substr(0, kIoMapNameSize), c.field);
        EXPECT_EQ(static_cast<unsigned char>(file.bytes[kIoMapNameSize]), 3);
        ASSERT_EQ(file.diagnostics.size(), c.reported ? 1u : 0u);
        if (c.reported) {
            EXPECT_EQ(file.diagnostics[0].severity, model::Severity::Warning);
            EXPECT_NE(file.diagnostics[0].message.find("node 3, 0x6000:01: variable name '" +
                                                       c.name + "' cut to"),
                      std::string::npos);
        }
        // The dump keeps the whole name.
        EXPECT_NE(ioMapDump(net).bytes.find("NOME variabile = " + c.name + "\r\n"),
                  std::string::npos);
    }
}

TEST(IoMap, SdoVariableOnAnEntryThatIsNotHexadecimalIsAnError) {
    model::Network net;
    model::node& n = addNode(net, 2, {entry("2000", "1Z", 0x06)});
    sdoEntry(n.objects[0], 0x06);
    addVariable(n.objects[0], "speed");
    const GeneratedFile file = ioMapFile(net);
    ASSERT_EQ(file.diagnostics.size(), 1u);
    EXPECT_EQ(file.diagnostics[0].message,
              "node 2, 0x2000:1Z (sub-index): '0x1Z' is not a valid integer value");
    EXPECT_TRUE(file.hasErrors());
}

} // namespace
} // namespace busmason::output
