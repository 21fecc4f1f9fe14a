#include "command.h"
#include "project_args.h"

#include "core/model/numbers.h"
#include "core/transfer/ftp_transfer.h"
#include "core/util/file_io.h"

#include <algorithm>
#include <iostream>

namespace busmason::cli {

namespace {

const char* const usage =
    "  transfer PROJECT.bsm --host ADDRESS [--port N] [--eds-folder DIR] [--force]\n"
    "      send the project's built I/O map and network files (those of its CAN channel) to the\n"
    "      controller's FTP server (port 21 unless given); files older than the project file\n"
    "      are refused unless --force";

std::int64_t integerOption(Args& args, const std::string& name, std::int64_t fallback) {
    const std::string text = takeOption(args, name);
    if (text.empty()) {
        return fallback;
    }
    const auto value = model::tryReadInteger(text);
    if (!value) {
        throw UsageError(name + ": '" + text + "' is not a valid integer value");
    }
    return *value;
}

/// Prints why files cannot be sent; false when one of them stops the transfer.
bool checkFiles(const transfer::TransferRequest& request) {
    bool sendable = true;
    bool older = false;
    for (const transfer::TransferFile& file : transfer::checkTransferFiles(request)) {
        if (file.state == transfer::FileState::Ready) {
            continue;
        }
        const bool refused = file.state == transfer::FileState::Missing || !request.sendOlderFiles;
        older = older || file.state == transfer::FileState::OlderThanProject;
        std::string message = transfer::describeFileState(file, request);
        if (!refused) {
            message += "; sent anyway (--force)";
        }
        printDiagnostics({{refused ? model::Severity::Error : model::Severity::Warning,
                           util::displayPath(file.path),
                           0,
                           {},
                           std::move(message)}});
        sendable = sendable && !refused;
    }
    if (!sendable && older && !request.sendOlderFiles) {
        std::cerr << "busmason-cli transfer: nothing was sent; build the project, or send files "
                     "older than it with --force\n";
    } else if (!sendable) {
        std::cerr << "busmason-cli transfer: nothing was sent\n";
    }
    return sendable;
}

int runTransfer(const Args& arguments) {
    Args args = arguments;
    if (std::find(args.begin(), args.end(), "--channel") != args.end()) {
        throw UsageError("--channel is not taken: the files of the project's own CAN channel are "
                         "sent (change it with 'edit PROJECT.bsm set channel N' and build)");
    }
    transfer::TransferRequest request;
    request.host = takeOption(args, "--host");
    const auto port = integerOption(args, "--port", transfer::defaultFtpPort);
    request.sendOlderFiles = takeFlag(args, "--force");
    const std::filesystem::path edsFolder = edsFolderOption(args);
    if (request.host.empty()) {
        throw UsageError("--host is required");
    }
    if (port < 1 || port > 65535) {
        throw UsageError("--port must be 1 to 65535");
    }
    if (args.size() != 1 || args[0].starts_with("--")) {
        throw UsageError("expected one project file");
    }
    request.port = static_cast<int>(port);

    persistence::LoadResult loaded = loadProjectArgument(args, edsFolder, "transfer");
    if (!loaded.session) {
        return 1;
    }
    const editor::NetworkSession& session = *loaded.session;
    request.projectFolder = session.projectFolder();
    request.projectFile = session.projectFile();
    request.channel = session.network().parameters.channel;
    if (!checkFiles(request)) {
        return 1;
    }

    transfer::TransferStatus last = transfer::TransferStatus::NotConnected;
    transfer::FtpTransfer ftp([&last](const transfer::TransferEvent& event) {
        last = event.status;
        const auto view = transfer::statusView(event.status);
        std::cout << view.meaning << ' ' << view.key;
        if (view.progress && *view.progress > 0) {
            std::cout << ' ' << *view.progress << '%';
        }
        if (!event.detail.empty()) {
            std::cout << ": " << event.detail;
        }
        std::cout << std::endl;
    });
    ftp.start(request);
    ftp.wait();
    return last == transfer::TransferStatus::Done ? 0 : 1;
}

const bool registered = registerCommand({"transfer", usage, runTransfer});

} // namespace

} // namespace busmason::cli
