#pragma once

#include "core/model/network.h"

#include <string>
#include <string_view>
#include <vector>

namespace busmason::diff {

enum class ChangeKind {
    Parameter,           ///< a network parameter or PLC text; subject names it
    NodeAdded,           ///< a node only B has
    NodeRemoved,         ///< a node only A has
    NodeMoved,           ///< the same device, configured alike, at another address
    NodeFlag,            ///< "virtual" or "node guarding disabled" changed
    WriteAdded,          ///< a start-up write only B has; subject the object, after the value
    WriteRemoved,        ///< a start-up write only A has
    WriteChanged,        ///< the write to the same object writes another value
    WriteMoved,          ///< the write stands at another position; before and after the positions
    VariableAdded,       ///< subject the name, after its place
    VariableRemoved,     ///< subject the name, before its place
    VariableRenamed,     ///< the same place, another name: before and after the names
    VariablePlaced,      ///< the same name in another place: before and after the places
    TerminalAdded,       ///< subject "TE-n name"
    TerminalRemoved,     ///< subject "TE-n name"
    TerminalReconfigured ///< the same terminal with other channel settings
};

/// One difference between project A and project B.
struct Change {
    ChangeKind kind = ChangeKind::Parameter;
    /// The node's address in A and in B; 0 where the node is not in that project (and for
    /// parameters).
    int nodeA = 0;
    int nodeB = 0;
    /// What changed: the parameter, the object ("0x1017"), the variable, the terminal.
    std::string subject;
    /// The texts in A and in B; empty where there is none.
    std::string before;
    std::string after;
};

/// What changed from a to b, by meaning rather than by text:
/// - the network parameters and the PLC texts, field by field;
/// - nodes: paired by address when both projects have a node of the same EDS there; the others
///   are paired with a node of the same EDS at another address when they are configured alike
///   (moved), else added or removed. A moved node's COB-ID writes follow its address and are
///   not reported;
/// - on paired nodes: the flags; start-up writes by object (the n-th write to an object with
///   the n-th), added, removed, changed (values compared as integers where both read) or moved
///   to another position; variables by name (placed elsewhere) and by place (renamed), else
///   added or removed; coupler terminals in row order, added, removed or reconfigured.
/// Changes come network first, then by node in B's address order (removed nodes by A's).
std::vector<Change> diffNetworks(const model::Network& a, const model::Network& b);

/// "node-moved", "write-changed", ... for machine-readable output.
std::string_view kindName(ChangeKind kind);

/// One line describing the change: "node 3 moved to address 5 (KM110.eds)".
std::string describeChange(const Change& change);

} // namespace busmason::diff
