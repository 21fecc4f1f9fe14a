#pragma once

#include "core/eds/eds_parser.h"
#include "core/model/node.h"
#include "core/nodeconfig/node_config.h"
#include "core/nodeconfig/refusal.h"
#include "core/nodeconfig/writes.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::nodeconfig::testing {

/// The I/O test device (0x6000, 0x6200, 0x6401, 0x6411 with their PDO objects) at address.
inline std::unique_ptr<model::node> ioDevice(int address = 3) {
    auto read =
        eds::readEdsFile(test::testData("nodeconfig/io_device.eds"), "io_device.eds", address);
    EXPECT_TRUE(read.node) << (read.diagnostics.empty() ? std::string("no node")
                                                        : read.diagnostics[0].message);
    return std::move(read.node);
}

/// The entry of a tree text ("6200.3"); fails the test when the device has none.
inline model::EntryId entryOf(const model::node& n, std::string_view text) {
    const model::EntryId id = selectEntry(n, text);
    EXPECT_NE(id, model::kNoEntry) << text;
    return id;
}

/// Everything the node configuration may change on a node, as one comparable text.
inline std::string snapshot(const model::node& n) {
    std::string out = "address " + std::to_string(n.address) + (n.virtual_ ? " virtual" : "") +
                      (n.ngDisabled ? " ng-disabled" : "") + "\n";
    for (const model::record& r : n.sdoRecords) {
        out += "write " + r.data + " -> " + std::to_string(r.target) + "\n";
    }
    for (model::EntryId id = 0; id < n.objects.size(); ++id) {
        const model::object_dict& e = n.objects[id];
        out += std::to_string(id) + ":";
        for (const std::string& v : e.values) {
            out += " value=" + v;
        }
        for (const std::string& v : e.varNames) {
            out += " name=" + v;
        }
        for (const int s : e.shifts) {
            out += " shift=" + std::to_string(s);
        }
        out += " vars=" + std::to_string(e.varCount) + " type=" + std::to_string(e.varType) +
               " mapped=" + std::to_string(e.pdoMapped) + " kind=" + std::to_string(e.pdoKind) +
               " pdo=" + std::to_string(e.pdoNumber) + " object=" + std::to_string(e.object) +
               " link=" + std::to_string(e.link) + " sub=" + e.mappingSubindex +
               " configured=" + std::to_string(e.configured) + "\n";
    }
    return out;
}

/// The start-up writes as "object=data" texts, in order.
inline std::vector<std::string> writes(const model::node& n) {
    std::vector<std::string> out;
    for (const ParameterListRow& r : parameterListRows(n)) {
        out.push_back(r.object + "=" + r.value);
    }
    return out;
}

/// Runs action, which must be refused with key and leave the node as it was.
template <class Action>
void expectRefused(const model::node& n, std::string_view key, Action action) {
    const std::string before = snapshot(n);
    try {
        action();
        ADD_FAILURE() << "not refused";
    } catch (const RefusedError& e) {
        EXPECT_EQ(e.key(), key) << e.what();
    }
    EXPECT_EQ(snapshot(n), before);
}

} // namespace busmason::nodeconfig::testing
