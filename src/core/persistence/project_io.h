#pragma once

#include "core/editor/network_session.h"
#include "core/model/errors.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace busmason::persistence {

/// What loading a project gives: the session, or none when the load stopped, and the findings.
struct LoadResult {
    std::optional<editor::NetworkSession> session;
    std::vector<model::Diagnostic> diagnostics;
    /// Network parameters read as written that the controller cannot take (warnings naming
    /// the element). They are kept, so saving loses nothing; the build refuses them.
    std::vector<model::Diagnostic> parameterFindings;
};

/// Loads projectFile (FOLDER/NAME.bsm) and, when it exists, FOLDER/NAME.pco into a new session
/// for FOLDER and NAME, creating the nodes from the EDS files of edsFolder. Everything left out
/// is reported as warnings; a file that cannot be read, is not XML or holds a value that cannot
/// be read as an integer gives an error diagnostic and no session. The session is not modified.
LoadResult loadProject(const std::filesystem::path& projectFile,
                       const std::filesystem::path& edsFolder);

/// Writes the project file and the coupler module file of network as one pair: both are written
/// completely beside their targets before either replaces its old file, and when the second
/// cannot be put in place the first is put back, so the pair on disk always belongs together.
/// Throws FileError naming the file on failure; the old files are then as they were.
void writeProjectFiles(const model::Network& network, const std::filesystem::path& projectFile,
                       const std::filesystem::path& couplerFile);

/// Saves the session's project (projectFile() and couplerFile()) and clears modified. Throws
/// FileError when a file cannot be written; modified then stays set.
void saveProject(editor::NetworkSession& session);

} // namespace busmason::persistence
