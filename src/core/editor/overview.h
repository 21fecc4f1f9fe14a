#pragma once

#include "core/model/network.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::editor {

/// One row of the parameter overview: a start-up write of a node.
struct ParameterGridRow {
    /// Address of the node that sends the write.
    int address = 0;
    /// Position of the write within its node's writes, from 1.
    int number = 0;
    /// ParameterName of the entry written.
    std::string name;
    /// Object key of the entry written (1017, 1800.1).
    std::string object;
    /// The value text written.
    std::string value;
};

/// One row of the variable overview: a PLC variable of a node.
struct VariableGridRow {
    /// Address of the node carrying the variable.
    int address = 0;
    std::string name;
    /// Object key of the entry carrying the variable.
    std::string object;
    /// PLC type name of the entry's varType ("Word"); empty for a code without a row.
    std::string_view type;
    /// "SDO", "Write" or "Read" (variableAccess).
    std::string_view access;
};

/// Every start-up write of the network: nodes in increasing address, each node's writes in the
/// order they are sent.
std::vector<ParameterGridRow> parameterGridRows(const model::Network& net);

/// Every variable of the network in the controller files' order: nodes in increasing address,
/// entries in list order, each entry's variables in order.
std::vector<VariableGridRow> variableGridRows(const model::Network& net);

/// How the variables of an entry reach the controller: "SDO" when they are not PDO-mapped,
/// else "Write" for a receive PDO (the controller writes them) and "Read" otherwise.
std::string_view variableAccess(const model::object_dict& e);

/// What a device is, for the icons of the library and the network list.
enum class DeviceKind {
    Coupler,  ///< an I/O coupler carrying a row of terminals
    IoModule, ///< device profile 401 (generic I/O)
    Drive,    ///< device profile 402 (drives and motion control)
    Other,    ///< any other device
};

/// The coupler rule of the editor's commands: the EDS file name contains "KM110.".
bool isCouplerEds(std::string_view edsName);

/// The device profile number of a device type text (object 0x1000): its low 16 bits; 0 when the
/// text is not an integer.
int deviceProfile(std::string_view deviceType);

/// The kind of a device created from edsName with the device type text deviceType.
DeviceKind deviceKind(std::string_view edsName, std::string_view deviceType);
/// The kind of a node of the network.
DeviceKind deviceKind(const model::node& n);

/// The kind of the library file name of edsFolder, reading the file only as far as the
/// DefaultValue of its object 0x1000. A file that cannot be read is Other (or Coupler by name).
DeviceKind libraryEntryKind(const std::filesystem::path& edsFolder, std::string_view name);

} // namespace busmason::editor
