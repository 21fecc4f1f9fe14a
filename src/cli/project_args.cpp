#include "project_args.h"

#include "core/util/file_io.h"

#include <iostream>

namespace busmason::cli {

std::filesystem::path edsFolderOption(Args& args) {
    const std::string folder = takeOption(args, "--eds-folder");
    return folder.empty() ? installFolder() / "eds" : std::filesystem::path(folder);
}

void printDiagnostics(const std::vector<model::Diagnostic>& diagnostics) {
    for (const model::Diagnostic& d : diagnostics) {
        std::cerr << model::formatDiagnostic(d) << "\n";
    }
}

std::filesystem::path projectFilePath(const std::string& text) {
    const std::filesystem::path path(text);
    if (!path.has_filename()) {
        throw UsageError("'" + text + "' names no project file");
    }
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec) {
        throw model::FileError(text, "the current folder cannot be found: " + ec.message());
    }
    return absolute;
}

persistence::LoadResult loadProjectArgument(Args& args, const std::filesystem::path& edsFolder,
                                            const std::string& command) {
    if (args.empty()) {
        throw UsageError(command + " needs a project file");
    }
    persistence::LoadResult loaded =
        persistence::loadProject(projectFilePath(args.front()), edsFolder);
    args.erase(args.begin());
    printDiagnostics(loaded.diagnostics);
    printDiagnostics(loaded.parameterFindings);
    return loaded;
}

bool loadLeftSomethingOut(const std::vector<model::Diagnostic>& diagnostics,
                          const editor::NetworkSession& session) {
    const std::string project = util::displayPath(session.projectFile());
    const std::string coupler = util::displayPath(session.couplerFile());
    for (const model::Diagnostic& d : diagnostics) {
        if (d.file == project || d.file == coupler) {
            return true;
        }
    }
    return false;
}

void rejectExtra(const Args& args) {
    if (!args.empty()) {
        throw UsageError("unexpected argument '" + args.front() + "'");
    }
}

} // namespace busmason::cli
