#pragma once

#include "core/coupler/terminal_library.h"
#include "core/eds/eds_parser.h"
#include "core/model/lookup.h"
#include "core/model/network.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace busmason::coupler::test {

/// The coupler used by most tests: every object of the standard layout, 0x2200 sub-indexes 1 to
/// 128 ("rw"), communication objects 0x1400-0x140F and 0x1800-0x180F.
inline constexpr const char* kFullCoupler = "coupler/coupler.eds";
/// A coupler lacking objects: 0x6000 only up to sub-index 8, 0x6401 up to 16, no 0x1804; its
/// 0x2200 sub-indexes 1 to 4 have the AccessTypes "rw", "ro", "rww", "rw".
inline constexpr const char* kPartialCoupler = "coupler/coupler_partial.eds";

/// A network holding the coupler fixture at address.
inline model::Network couplerNetwork(const char* fixture, int address = 2) {
    auto read = eds::readEdsFile(busmason::test::testData(fixture), "coupler.eds", address);
    if (!read.node) {
        throw std::runtime_error(std::string("fixture ") + fixture + " does not parse");
    }
    model::Network network;
    network.put(address, std::move(read.node));
    return network;
}

/// Terminal types as the bundled descriptions define them, and a few that only tests need.
inline const terminal_type kDI4{1, "DI4", 4, {}, {}};
inline const terminal_type kDI8{1, "KM120 8DI", 8, {}, {}};
inline const terminal_type kDI16{1, "KM120 16DI", 16, {}, {}};
inline const terminal_type kDO8{2, "KM120 8DO", 8, {}, {}};
inline const terminal_type kMixed16{3, "KM120 8DO 8DI", 16, {}, {}};
inline const terminal_type kAI1{4, "AI1", 1, {}, {}};
inline const terminal_type kAI4{4, "KM130 4AI", 4, {}, {}};
inline const terminal_type kAO1{5, "AO1", 1, {}, {}};
inline const terminal_type kAO4{5, "KM130 4AO", 4, {}, {}};
inline const terminal_type kAO8{5, "AO8", 8, {}, {}};

/// The entry of object index, sub-index sub; throws when the coupler lacks it.
inline const model::object_dict& entryOf(const model::node& n, unsigned index, int sub) {
    const auto id = model::findEntryIdByNumber(n, index, sub);
    if (id == model::kNoEntry) {
        throw std::runtime_error("no entry " + model::indexText(index) + " sub " +
                                 std::to_string(sub));
    }
    return n.entry(id);
}

/// The variable names in use on an entry.
inline std::vector<std::string> namesOf(const model::object_dict& e) {
    std::vector<std::string> names;
    for (int i = 0; i < e.varCount; ++i) {
        names.push_back(e.varName(static_cast<std::size_t>(i)));
    }
    return names;
}

/// The bit offsets in use on an entry.
inline std::vector<int> shiftsOf(const model::object_dict& e) {
    std::vector<int> shifts;
    for (int i = 0; i < e.varCount; ++i) {
        shifts.push_back(e.shift(static_cast<std::size_t>(i)));
    }
    return shifts;
}

/// The start-up writes as (target, data): {"0x1804:01", "0x01A2"}.
inline std::vector<std::pair<std::string, std::string>> writesOf(const model::node& n) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& r : n.sdoRecords) {
        out.emplace_back(model::describeEntry(n.entry(r.target)), r.data);
    }
    return out;
}

/// Number of variables on all entries of the node.
inline int variableCount(const model::node& n) {
    int count = 0;
    for (const auto& e : n.objects) {
        count += e.varCount;
    }
    return count;
}

/// Everything the coupler rules write on a node, as text, to compare a node before and after.
inline std::string stateOf(const model::node& n) {
    std::string out;
    for (const auto& e : n.objects) {
        if (e.varCount == 0 && e.values.empty() && !e.pdoMapped) {
            continue;
        }
        out += model::describeEntry(e) + " pdo " + std::to_string(e.pdoNumber) + " kind " +
               std::to_string(e.pdoKind) + " object " + std::to_string(e.object) + " type " +
               std::to_string(e.varType) + ":";
        for (int i = 0; i < e.varCount; ++i) {
            out += " " + e.varName(static_cast<std::size_t>(i)) + "@" +
                   std::to_string(e.shift(static_cast<std::size_t>(i)));
        }
        for (const auto& v : e.values) {
            out += " [" + v + "]";
        }
        out += "\n";
    }
    for (const auto& [target, data] : writesOf(n)) {
        out += "write " + target + " = " + data + "\n";
    }
    if (n.coupler) {
        for (const auto& t : n.coupler->terminals) {
            out += "TE-" + std::to_string(t.Pos) + " " + t.Tname + "\n";
        }
    }
    return out;
}

} // namespace busmason::coupler::test
