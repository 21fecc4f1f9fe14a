#include "command.h"

#include "core/model/numbers.h"
#include "core/transfer/ftp_transfer.h"

#include <iostream>

namespace busmason::cli {

namespace {

const char* const usage =
    "  transfer PROJECT_FOLDER --host ADDRESS [--port N] [--channel N]\n"
    "      send the built I/O map and network files of a CAN channel (default 0) to the\n"
    "      controller's FTP server (port 21 unless given)";

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

int runTransfer(const Args& arguments) {
    Args args = arguments;
    transfer::TransferRequest request;
    request.host = takeOption(args, "--host");
    const auto port = integerOption(args, "--port", transfer::defaultFtpPort);
    const auto channel = integerOption(args, "--channel", 0);
    if (request.host.empty()) {
        throw UsageError("--host is required");
    }
    if (port < 1 || port > 65535) {
        throw UsageError("--port must be 1 to 65535");
    }
    if (args.size() != 1 || args[0].starts_with("--")) {
        throw UsageError("expected one project folder");
    }
    request.projectFolder = args[0];
    request.port = static_cast<int>(port);
    request.canChannel = channel == 0 ? 0 : 1;

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
