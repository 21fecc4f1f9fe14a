#pragma once

#include "core/model/errors.h"
#include "core/model/node.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::eds {

/// What reading an EDS gives: the node, or none when the file was rejected, and the findings.
struct EdsReadResult {
    std::unique_ptr<model::node> node;
    std::vector<model::Diagnostic> diagnostics;
};

/// Builds a node from EDS text (CiA 306): [FileInfo], [DeviceInfo], every object section in file
/// order (CompactSubObj objects get their sub-entries), the identity values and the PDO mapping
/// links. Bytes that are not UTF-8 are read as Latin-1.
///
/// fileName names the file in diagnostics; libraryName becomes FileInfo.FileName (the node's
/// link to its library file); address is the node address. An ObjectType, DataType or mapping
/// value that is not an integer rejects the file: no node, and an error naming the line.
EdsReadResult parseEds(std::string_view bytes, const std::string& fileName,
                       const std::string& libraryName, int address);

/// Reads and parses a file; a file that cannot be read gives an error diagnostic and no node.
EdsReadResult readEdsFile(const std::filesystem::path& path, const std::string& libraryName,
                          int address);

/// Creates a node from the library folder's file named name (found ignoring letter case, its
/// real name becoming FileName). No file of that name gives an error diagnostic and no node.
EdsReadResult createNodeFromLibrary(const std::filesystem::path& edsFolder, std::string_view name,
                                    int address);

} // namespace busmason::eds
