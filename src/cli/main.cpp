#include "command.h"

#include "core/model/errors.h"
#include "core/util/install.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>

namespace busmason::cli {

namespace {

std::map<std::string, Command>& commands() {
    static std::map<std::string, Command> all;
    return all;
}

void printUsage(std::ostream& out) {
    out << "usage: busmason-cli COMMAND [ARGUMENTS]\n";
    for (const auto& [name, command] : commands()) {
        out << command.usage;
        if (!command.usage.empty() && command.usage.back() != '\n') {
            out << '\n';
        }
    }
}

} // namespace

bool registerCommand(Command command) {
    std::string name = command.name;
    commands().emplace(std::move(name), std::move(command));
    return true;
}

std::filesystem::path installFolder() {
    return util::installFolder(BUSMASON_DEFAULT_INSTALL);
}

std::string takeOption(Args& args, const std::string& name) {
    auto it = std::find(args.begin(), args.end(), name);
    if (it == args.end()) {
        return {};
    }
    if (it + 1 == args.end()) {
        throw UsageError(name + " needs a value");
    }
    std::string value = *(it + 1);
    args.erase(it, it + 2);
    return value;
}

bool takeFlag(Args& args, const std::string& name) {
    auto it = std::find(args.begin(), args.end(), name);
    if (it == args.end()) {
        return false;
    }
    args.erase(it);
    return true;
}

} // namespace busmason::cli

int main(int argc, char** argv) {
    using namespace busmason::cli;
    if (argc < 2 || std::string(argv[1]) == "help" || std::string(argv[1]) == "--help" ||
        std::string(argv[1]) == "-h") {
        printUsage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 2 : 0;
    }
    const auto it = commands().find(argv[1]);
    if (it == commands().end()) {
        std::cerr << "busmason-cli: unknown command '" << argv[1] << "'\n";
        printUsage(std::cerr);
        return 2;
    }
    Args args(argv + 2, argv + argc);
    try {
        return it->second.run(args);
    } catch (const UsageError& e) {
        std::cerr << "busmason-cli " << argv[1] << ": " << e.what() << "\n"
                  << it->second.usage << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "busmason-cli " << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
}
