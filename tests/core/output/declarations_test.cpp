#include "core/output/declarations.h"

#include "output_fixtures.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace busmason::output {
namespace {

using fixtures::addNode;
using fixtures::addVariable;
using fixtures::entry;
using fixtures::entryOf;
using fixtures::mapEntry;
using fixtures::sdoEntry;

std::string golden(std::string_view name) {
    return test::readBytes(test::testData("output/" + std::string(name)));
}

/// The declaration lines (those starting with a tab) of a file, without tab and CR LF.
std::vector<std::string> declarationLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        const std::string line = text.substr(at, end - at);
        if (!line.empty() && line[0] == '\t') {
            lines.push_back(line.substr(1));
        }
        at = end == std::string::npos ? text.size() : end + 2;
    }
    return lines;
}

TEST(Declarations, EmptyProjectAndNodeWithoutVariables) {
    model::Network net;
    const GeneratedFile list = globalVariableList(net, "plant");
    EXPECT_EQ(list.name, "plant.gvl");
    EXPECT_EQ(list.bytes, "(* Global var file *)\r\nVAR_GLOBAL\r\nEND_VAR\r\n");
    EXPECT_EQ(exportFile(net).name, "var.exp");
    EXPECT_EQ(test::firstDifference(golden("empty_var.exp"), exportFile(net).bytes), "");

    addNode(net, 3, {entry("1000"), entry("6000", "1", 0x05)});
    EXPECT_EQ(test::firstDifference(golden("node3_var.exp"), exportFile(net).bytes), "");
    EXPECT_TRUE(exportFile(net).diagnostics.empty());
}

TEST(Declarations, InputBytesAndOutputBitsOnChannelZero) {
    model::Network net;
    model::node& n = addNode(net, 4,
                             {entry("6000", "1", 0x05), entry("6000", "2", 0x05),
                              entry("6000", "3", 0x05), entry("6200", "2", 0x05)});
    const char* inputs[] = {"in_a", "in_b", "in_c"};
    for (int i = 0; i < 3; ++i) {
        mapEntry(n.objects[i], 0x05, 1, 1, i + 1);
        addVariable(n.objects[i], inputs[i]);
    }
    // Two bit channels on one output group, as a coupler's terminal gives them.
    mapEntry(n.objects[3], 0x01, 2, 1, 2);
    addVariable(n.objects[3], "out_a", 0);
    addVariable(n.objects[3], "out_b", 1);

    const GeneratedFile list = globalVariableList(net, "plant");
    const GeneratedFile exported = exportFile(net);
    EXPECT_EQ(test::firstDifference(golden("bytes_bits.gvl"), list.bytes), "");
    EXPECT_EQ(test::firstDifference(golden("bytes_bits_var.exp"), exported.bytes), "");
    EXPECT_TRUE(list.diagnostics.empty());
    EXPECT_TRUE(exported.diagnostics.empty());
}

TEST(Declarations, NineBooleanInputsWrapInTheListButNotInTheExport) {
    model::Network net;
    model::node& n = addNode(net, 1, {entry("6000", "1", 0x05), entry("6000", "2", 0x05)});
    mapEntry(n.objects[0], 0x01, 1, 1, 1);
    mapEntry(n.objects[1], 0x01, 1, 1, 2);
    for (int i = 0; i < 8; ++i) {
        addVariable(n.objects[0], "b" + std::to_string(i), i);
    }
    addVariable(n.objects[1], "b8", 0);

    const std::vector<std::string> list = {
        "ch0_b0 AT %IX2.0.0: BOOL;", "ch0_b1 AT %IX2.0.1: BOOL;", "ch0_b2 AT %IX2.0.2: BOOL;",
        "ch0_b3 AT %IX2.0.3: BOOL;", "ch0_b4 AT %IX2.0.4: BOOL;", "ch0_b5 AT %IX2.0.5: BOOL;",
        "ch0_b6 AT %IX2.0.6: BOOL;", "ch0_b7 AT %IX2.0.7: BOOL;", "ch0_b8 AT %IX2.1.0: BOOL;"};
    EXPECT_EQ(declarationLines(globalVariableList(net, "p").bytes), list);

    const std::vector<std::string> exported = declarationLines(exportFile(net).bytes);
    ASSERT_GE(exported.size(), 10u);
    EXPECT_EQ(exported[0], "ch0_b0 AT %IX100.0: BOOL;");
    EXPECT_EQ(exported[7], "ch0_b7 AT %IX100.7: BOOL;");
    EXPECT_EQ(exported[8], "ch0_b8 AT %IX100.8: BOOL;");
    EXPECT_EQ(exported[9], "ch0_$NETRUN AT %IX100.9 : BOOL;");
}

/// Node 9 on channel 1 with every declaration form in both directions, a Bit variable on a main
/// entry, a 64-bit variable and a variable exchanged by SDO.
void everyFormNetwork(model::Network& net) {
    net.parameters.channel = "1";
    net.prefix = "plc_";
    model::node& n =
        addNode(net, 9,
                {entry("6000", "-1", 0x05), entry("6000", "3", 0x05), entry("6200", "1", 0x05),
                 entry("6000", "1", 0x05), entry("6200", "2", 0x02), entry("6401", "1", 0x03),
                 entry("6401", "2", 0x06), entry("6411", "1", 0x06), entry("2000", "1", 0x07),
                 entry("2000", "2", 0x08), entry("2001", "1", 0x04), entry("2002", "1", 0x1B),
                 entry("2003", "1", 0x05)});
    struct Mapped {
        const char* index;
        const char* sub;
        int varType;
        int pdoKind;
        const char* name;
    };
    const Mapped mapped[] = {
        {"6000", "-1", 0x01, 1, "flagMain"}, {"6000", "3", 0x01, 1, "in_bit"},
        {"6200", "1", 0x01, 2, "out_bit"},   {"6000", "1", 0x05, 1, "in_byte"},
        {"6200", "2", 0x02, 2, "out_byte"},  {"6401", "1", 0x03, 1, "in_i16"},
        {"6401", "2", 0x06, 1, "in_u16"},    {"6411", "1", 0x06, 2, "out_u16"},
        {"2000", "1", 0x07, 1, "in_u32"},    {"2000", "2", 0x08, 1, "in_real"},
        {"2001", "1", 0x04, 2, "out_i32"},   {"2002", "1", 0x1B, 1, "in_u64"},
    };
    for (const Mapped& m : mapped) {
        model::object_dict& e = entryOf(n, m.index, m.sub);
        mapEntry(e, m.varType, m.pdoKind, 5, 1);
        addVariable(e, m.name);
    }
    sdoEntry(entryOf(n, "2003", "1"), 0x05);
    addVariable(entryOf(n, "2003", "1"), "sdo_byte");
}

std::vector<std::string> messages(const GeneratedFile& file) {
    std::vector<std::string> out;
    for (const auto& d : file.diagnostics) {
        EXPECT_EQ(d.severity, model::Severity::Warning);
        EXPECT_EQ(d.file, file.name);
        out.push_back(d.message);
    }
    return out;
}

TEST(Declarations, EveryFormOnChannelOne) {
    model::Network net;
    everyFormNetwork(net);
    const GeneratedFile list = globalVariableList(net, "plant");
    EXPECT_EQ(test::firstDifference(golden("channel1.gvl"), list.bytes), "");
    const std::vector<std::string> listWarnings = {
        "node 9, 0x6000: Bit variable 'flagMain' has no sub-index from 1 up to take its byte "
        "number from; declared with byte number 0",
        "node 9, 0x2002:01: variable 'in_u64' of PLC type 'UNSIGNED64' (64 bits) has no "
        "declaration form and is not declared"};
    EXPECT_EQ(messages(list), listWarnings);

    const GeneratedFile exported = exportFile(net);
    EXPECT_EQ(test::firstDifference(golden("channel1_var.exp"), exported.bytes), "");
    const std::vector<std::string> exportWarnings = {
        "node 9, 0x2000:01: Dword variable 'in_u32' has no area in var.exp and is not exported",
        "node 9, 0x2000:02: Dword variable 'in_real' has no area in var.exp and is not exported",
        "node 9, 0x2001:01: Dword variable 'out_i32' has no area in var.exp and is not exported",
        "node 9, 0x2002:01: variable 'in_u64' of PLC type 'UNSIGNED64' (64 bits) has no "
        "declaration form and is not declared"};
    EXPECT_EQ(messages(exported), exportWarnings);
}

TEST(Declarations, BitOnSubIndexThatIsNotHexadecimalIsAnError) {
    model::Network net;
    model::node& n = addNode(net, 2, {entry("6000", "G", 0x05)});
    mapEntry(n.objects[0], 0x01, 1, 1, 1);
    addVariable(n.objects[0], "x");
    const GeneratedFile list = globalVariableList(net, "p");
    EXPECT_TRUE(list.hasErrors());
    EXPECT_EQ(list.diagnostics[0].message,
              "node 2, 0x6000:G (sub-index): '0xG' is not a valid integer value");
    // The export file takes no byte number from the sub-index.
    EXPECT_FALSE(exportFile(net).hasErrors());
}

} // namespace
} // namespace busmason::output
