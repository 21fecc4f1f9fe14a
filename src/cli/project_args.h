#pragma once

#include "command.h"

#include "core/model/errors.h"
#include "core/persistence/project_io.h"

#include <filesystem>
#include <vector>

namespace busmason::cli {

/// The "--eds-folder DIR" option, removed from args; the bundled sample library when absent.
std::filesystem::path edsFolderOption(Args& args);

/// Prints diagnostics to standard error, one per line, compiler-style.
void printDiagnostics(const std::vector<model::Diagnostic>& diagnostics);

/// A project file named on the command line, made absolute: a bare file name ("plant1.bsm") is
/// in the current folder, and so is the folder of a relative path. UsageError when the text
/// names no file.
std::filesystem::path projectFilePath(const std::string& text);

/// Loads the project file that is the first argument of args (removed from it), printing the
/// findings to standard error; the session is empty when the load stopped. UsageError when
/// there is no argument.
persistence::LoadResult loadProjectArgument(Args& args, const std::filesystem::path& edsFolder,
                                            const std::string& command);

/// True when one of the load's findings is about the project's own files: a save over them
/// would then lose or change what was read.
bool loadLeftSomethingOut(const std::vector<model::Diagnostic>& diagnostics,
                          const editor::NetworkSession& session);

/// UsageError for the first argument left over.
void rejectExtra(const Args& args);

} // namespace busmason::cli
