#pragma once

#include "core/model/network.h"

#include <string>
#include <vector>

namespace busmason::output {

/// One PLC variable: slot `slot` of an entry of a node.
struct Variable {
    const model::node* owner;
    const model::object_dict* entry;
    /// 0 to varCount - 1.
    int slot;

    const std::string& name() const { return entry->varName(static_cast<std::size_t>(slot)); }
    int shift() const { return entry->shift(static_cast<std::size_t>(slot)); }
    /// The controller writes it (the entry is mapped into a receive PDO).
    bool isOutput() const { return entry->pdoKind == 2; }
    /// Exchanged by PDO (pdoKind above 0) rather than by SDO.
    bool isPdo() const { return entry->pdoKind > 0; }
};

/// Every variable of the network in the controller files' order: nodes in increasing address,
/// each node's entries in list order, each entry's variables 0 to varCount - 1. The list points
/// into the network and is valid while the network is not changed.
std::vector<Variable> collectVariables(const model::Network& net);

} // namespace busmason::output
