#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace busmason::cli {

/// A command's arguments after its name ("busmason-cli eds dump X" gives {"dump", "X"} to "eds").
using Args = std::vector<std::string>;

struct Command {
    std::string name;
    /// One line per form, shown by "busmason-cli help".
    std::string usage;
    std::function<int(const Args&)> run;
};

/// Makes a command known to the dispatcher; used by each command file at static initialisation.
bool registerCommand(Command command);

/// The bundled sample installation (EDS library, translation table, terminal descriptions):
/// BUSMASON_INSTALL when set, else the installation beside the program, else the source tree's.
std::filesystem::path installFolder();

/// The option value after name ("--eds-folder DIR"), removed from args together with name;
/// empty when absent. Throws UsageError when the value is missing.
std::string takeOption(Args& args, const std::string& name);
/// True when the flag is present; it is removed from args.
bool takeFlag(Args& args, const std::string& name);

/// Bad command-line arguments; main prints the message and the usage and exits 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

} // namespace busmason::cli
