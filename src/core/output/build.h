#pragma once

#include "core/model/errors.h"
#include "core/model/network.h"
#include "core/output/generated_file.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace busmason::output {

/// What a build did.
struct BuildReport {
    /// Full paths of the files written, in the order they were written.
    std::vector<std::filesystem::path> written;
    /// Things the controller files leave out or change (names cut, variables not declared).
    std::vector<model::Diagnostic> warnings;
    /// Why files were not written. Empty exactly when every file was written.
    std::vector<model::Diagnostic> errors;

    bool succeeded() const { return errors.empty(); }
};

/// Every controller file of the network, built in memory in the order they are written: the
/// network configuration file, the I/O map dump, the I/O map file, the global variable list and
/// the export file. The header takes the parameters as checkBusParameters converts them; a
/// field that does not fit is 0 there, and only checkBusParameters reports it.
std::vector<GeneratedFile> generateControllerFiles(const model::Network& net,
                                                   std::string_view projectName);

/// Builds every controller file of the network into projectFolder, which must be an existing
/// folder (an empty path is refused, never taken as the current folder).
///
/// Everything is checked before anything is written: parameters that do not fit their fields,
/// an unusable project name, a text that is not an integer, ... each give an error, and then no
/// file is written at all (files of an earlier build stay as they were). Otherwise each file is
/// replaced only when complete; a file that cannot be written is an error, and the others are
/// still written.
BuildReport build(const model::Network& net, const std::filesystem::path& projectFolder,
                  std::string_view projectName);

} // namespace busmason::output
