#include "check_print.h"
#include "command.h"
#include "project_args.h"

#include "core/output/build.h"
#include "core/util/file_io.h"

#include <iostream>

namespace busmason::cli {

namespace {

/// What the network check finds in the network just built, on standard error; the build's
/// outcome does not depend on it.
void printNetworkCheck(const editor::NetworkSession& session) {
    printCheck(std::cerr, check::checkNetwork(session.network()), session.network().parameters,
               util::displayPath(session.projectFile()));
}

int runBuild(const Args& arguments) {
    Args args = arguments;
    const std::filesystem::path edsFolder = edsFolderOption(args);
    persistence::LoadResult loaded = loadProjectArgument(args, edsFolder, "build");
    rejectExtra(args);
    if (!loaded.session) {
        return 1;
    }
    const editor::NetworkSession& session = *loaded.session;
    const output::BuildReport report =
        output::build(session.network(), session.projectFolder(), session.projectName());
    printDiagnostics(report.warnings);
    printDiagnostics(report.errors);
    for (const std::filesystem::path& file : report.written) {
        std::cout << "wrote " << util::displayPath(file) << "\n";
    }
    printNetworkCheck(session);
    if (!report.succeeded()) {
        std::cerr << "busmason-cli build: the build failed; "
                  << (report.written.empty() ? "no file was written"
                                             : "the files listed above were written")
                  << "\n";
        return 1;
    }
    return 0;
}

const bool registered = registerCommand(
    {"build",
     "  build PROJECT.bsm [--eds-folder DIR]   write the controller and PLC files into the "
     "project's folder",
     runBuild});

} // namespace

} // namespace busmason::cli
