#pragma once

#include "core/editor/network_session.h"
#include "core/eds/eds_parser.h"
#include "core/model/lookup.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace busmason::test {

/// Every diagnostic as the command line prints it, one a line.
inline std::string allMessages(const std::vector<model::Diagnostic>& diagnostics) {
    std::string out;
    for (const model::Diagnostic& d : diagnostics) {
        out += model::formatDiagnostic(d) + "\n";
    }
    return out;
}

inline std::filesystem::path persistenceEds() {
    return testData("persistence/eds");
}

/// A node created from a fixture EDS; fails the test when the EDS is not read.
inline std::unique_ptr<model::node> fixtureNode(const char* eds, int address) {
    auto read = eds::createNodeFromLibrary(persistenceEds(), eds, address);
    EXPECT_TRUE(read.node) << eds;
    return std::move(read.node);
}

/// Adds a start-up write to the entry index/sub as the node configuration does.
inline void addWrite(model::node& n, unsigned index, int sub, const std::string& data) {
    const model::EntryId id = model::findEntryIdByNumber(n, index, sub);
    ASSERT_NE(id, model::kNoEntry);
    n.entry(id).addValue(data);
    n.entry(id).configured = true;
    n.addRecord(data, id);
}

/// Defines variables on the entry index/sub, the i-th at bit offset i.
inline void addVariables(model::node& n, unsigned index, int sub,
                         std::initializer_list<const char*> names, int varType, int pdoKind,
                         int pdoNumber, int object) {
    const model::EntryId id = model::findEntryIdByNumber(n, index, sub);
    ASSERT_NE(id, model::kNoEntry);
    model::object_dict& e = n.entry(id);
    std::size_t i = 0;
    for (const char* name : names) {
        e.setVarName(i, name);
        e.setShift(i, static_cast<int>(i));
        ++i;
    }
    e.varCount = static_cast<int>(i);
    e.varType = varType;
    e.pdoKind = pdoKind;
    e.pdoMapped = pdoKind >= 1;
    e.pdoNumber = pdoNumber;
    e.object = object;
    e.configured = true;
}

/// The network of the fixtures nodes.bsm and nodes.pco: an I/O node at 5 (virtual, with writes
/// and variables, texts that need escaping and a non-ASCII name) and a coupler at 9 with two
/// terminals.
inline editor::NetworkSession sampleSession(const std::filesystem::path& folder) {
    editor::NetworkSession s(folder, "nodes");
    model::NetworkParameters p;
    p.cycleTime = "20";
    p.baudRate = "Baud250k";
    p.channel = "1";
    p.toggleBit = false;
    s.setParameters(p);
    s.setPrefix("ch1_");

    auto io = fixtureNode("io.eds", 5);
    io->virtual_ = true;
    addWrite(*io, 0x1017, -1, "1000");
    addWrite(*io, 0x1800, 5, "100");
    addWrite(*io, 0x2001, -1, "7"); // a data type without a catalogue row
    addWrite(*io, 0x2000, -1, "R&D <1>");
    addVariables(*io, 0x2000, -1,
                 {"L\xC3\xBC"
                  "fter"},
                 0x06, 0, 3, 0);
    addVariables(*io, 0x6000, 1, {"in1", "in2"}, 0x01, 1, 1, 1);
    addVariables(*io, 0x6200, 1, {"out1"}, 0x05, 2, 1, 1);
    s.insertNode(std::move(io), 5);

    auto coupler = fixtureNode("coupler.eds", 9);
    coupler->ngDisabled = true;
    coupler->coupler = std::make_unique<model::coupler_info>();
    model::terminal digital{1, "8 DI & diag", 2, 0, {}};
    digital.channels = {{"DI8_TE0_00", 1, 0, 0}, {"DI8_TE0_01", 1, 0, 0}};
    model::terminal analogue{4, "2 AI", 1, 1, {}};
    analogue.channels = {{"AI2_TE1_00", 16, 0, 2}};
    coupler->coupler->terminals = {digital, analogue};
    s.insertNode(std::move(coupler), 9);
    return s;
}

} // namespace busmason::test
