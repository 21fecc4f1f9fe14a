#include "core/persistence/project_io.h"

#include "core/editor/parameters.h"
#include "core/persistence/coupler_file.h"
#include "core/persistence/project_file.h"
#include "core/util/file_io.h"

namespace busmason::persistence {

using model::Diagnostic;
using model::Severity;

namespace {

/// The project file element that holds a network parameter.
std::string_view parameterElement(editor::ParameterField field) {
    switch (field) {
    case editor::ParameterField::BaudRate:
        return "baudRate";
    case editor::ParameterField::Channel:
        return "channel";
    case editor::ParameterField::CycleTime:
        return "syncTime";
    case editor::ParameterField::GuardTime:
        return "guardTime";
    case editor::ParameterField::LifeTime:
        break;
    }
    return "lifeTime";
}

} // namespace

LoadResult loadProject(const std::filesystem::path& projectFile,
                       const std::filesystem::path& edsFolder) {
    LoadResult result;
    const std::string fileName = util::displayPath(projectFile);
    std::string bytes;
    try {
        bytes = util::readFile(projectFile);
    } catch (const model::FileError& e) {
        result.diagnostics.push_back({Severity::Error, fileName, 0, {}, e.what()});
        return result;
    }
    editor::NetworkSession session(projectFile.parent_path(), projectFile.stem().string());
    UnbuiltNodes unbuilt;
    if (!readProjectFile(bytes, fileName, edsFolder, session, result.diagnostics, unbuilt)) {
        return result;
    }
    const std::filesystem::path couplerFile = session.couplerFile();
    std::error_code ec;
    if (std::filesystem::exists(couplerFile, ec)) {
        const std::string couplerName = util::displayPath(couplerFile);
        try {
            bytes = util::readFile(couplerFile);
        } catch (const model::FileError& e) {
            result.diagnostics.push_back({Severity::Error, couplerName, 0, {}, e.what()});
            return result;
        }
        if (!readCouplerFile(bytes, couplerName, session.network(), result.diagnostics, unbuilt)) {
            return result;
        }
    }
    for (const editor::ParameterProblem& problem :
         editor::checkParameters(session.network().parameters)) {
        result.parameterFindings.push_back({Severity::Warning, fileName, 0,
                                            std::string(parameterElement(problem.field)),
                                            problem.message + "; kept as written, the build "
                                                              "refuses it until it is mended"});
    }
    session.clearModified();
    result.session.emplace(std::move(session));
    return result;
}

void writeProjectFiles(const model::Network& network, const std::filesystem::path& projectFile,
                       const std::filesystem::path& couplerFile) {
    const std::string project = writeProjectFile(network);
    const std::string coupler = writeCouplerFile(network);
    util::writeFilesAtomic({{projectFile, project}, {couplerFile, coupler}});
}

void saveProject(editor::NetworkSession& session) {
    writeProjectFiles(session.network(), session.projectFile(), session.couplerFile());
    session.clearModified();
}

} // namespace busmason::persistence
