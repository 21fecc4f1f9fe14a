#pragma once

#include "core/model/errors.h"
#include "core/model/network.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::editor {
class NetworkSession;
}

namespace busmason::persistence {

/// The project file (.bsm) of a network: the fixed 45-row layout, CR LF line ends, texts
/// escaped and UTF-8. Node blocks in increasing address.
std::string writeProjectFile(const model::Network& network);

/// Type text of the variables of an entry as the project file writes it: the PLC type of its
/// varType, then ",Sdo" (pdoKind below 1), ",RxPdo" (pdoKind 2) or ",TxPdo".
std::string variableTypeText(const model::object_dict& e);
/// The pdo value written for an entry's variables: 99 for SDO variables, else pdoNumber.
int variablePdo(const model::object_dict& e);

/// Nodes of a project file that could not be created, by address: the EDS they named.
using UnbuiltNodes = std::map<int, std::string>;

/// Reads project file bytes into session (a fresh one): parameters, prefix, nodes created again
/// from their EDS in edsFolder (each distinct EDS parsed once), flags, start-up writes and
/// variables. What cannot be restored (a node whose EDS cannot be read, a write or variable on
/// an object its EDS lacks, a type without a data type, anything beyond the model's limits) is
/// left out and reported as a warning. A file that is not XML or holds a value that cannot be
/// read as an integer gives an error diagnostic and false; the session is then half-read and
/// must be discarded. fileName names the file in diagnostics.
bool readProjectFile(std::string_view bytes, const std::string& fileName,
                     const std::filesystem::path& edsFolder, editor::NetworkSession& session,
                     std::vector<model::Diagnostic>& diagnostics, UnbuiltNodes& unbuilt);

} // namespace busmason::persistence
