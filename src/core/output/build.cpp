#include "core/output/build.h"

#include "core/output/declarations.h"
#include "core/output/io_map.h"
#include "core/output/network_file.h"
#include "core/util/file_io.h"

namespace busmason::output {

namespace {

std::vector<GeneratedFile> generate(const model::Network& net, const BusParameters& bus,
                                    std::string_view projectName) {
    const std::vector<Variable> variables = collectVariables(net);
    std::vector<GeneratedFile> files;
    files.push_back(networkFile(net, bus));
    files.push_back(ioMapDump(variables));
    files.push_back(ioMapFile(net, variables));
    files.push_back(globalVariableList(net, variables, projectName));
    files.push_back(exportFile(net, variables));
    return files;
}

/// The project name becomes a file name in the project folder: it must be one plain name.
bool isPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

/// The error's message without the file name it begins with.
std::string reason(const model::FileError& e) {
    std::string_view what = e.what();
    const std::string lead = e.path() + ": ";
    if (what.substr(0, lead.size()) == lead) {
        what.remove_prefix(lead.size());
    }
    return std::string(what);
}

model::Diagnostic buildError(std::string file, std::string message) {
    return {model::Severity::Error, std::move(file), 0, {}, std::move(message)};
}

} // namespace

std::vector<GeneratedFile> generateControllerFiles(const model::Network& net,
                                                   std::string_view projectName) {
    return generate(net, checkBusParameters(net).parameters, projectName);
}

BuildReport build(const model::Network& net, const std::filesystem::path& projectFolder,
                  std::string_view projectName) {
    BuildReport report;
    std::error_code ec;
    // An empty folder would mean the current folder, which the build never writes into.
    const std::filesystem::path folder =
        projectFolder.empty() ? projectFolder : std::filesystem::absolute(projectFolder, ec);
    const std::string folderText = util::displayPath(projectFolder);
    if (folder.empty() || ec || !std::filesystem::is_directory(folder, ec)) {
        report.errors.push_back(buildError(folderText, "the project folder does not exist"));
        return report;
    }
    BusParameterCheck bus = checkBusParameters(net);
    report.errors = std::move(bus.errors);
    if (!isPlainFileName(projectName)) {
        report.errors.push_back(buildError(
            folderText, "the project name '" + std::string(projectName) + "' cannot name a file"));
    }
    std::vector<GeneratedFile> files = generate(net, bus.parameters, projectName);
    for (GeneratedFile& file : files) {
        for (model::Diagnostic& d : file.diagnostics) {
            d.file = util::displayPath(folder / file.name);
            (d.severity == model::Severity::Error ? report.errors : report.warnings)
                .push_back(std::move(d));
        }
    }
    if (!report.errors.empty()) {
        return report;
    }

    for (const GeneratedFile& file : files) {
        const std::filesystem::path path = folder / file.name;
        try {
            util::writeFileAtomic(path, file.bytes);
            report.written.push_back(path);
        } catch (const model::FileError& e) {
            report.errors.push_back(buildError(e.path(), "cannot be written: " + reason(e)));
        }
    }
    return report;
}

} // namespace busmason::output
