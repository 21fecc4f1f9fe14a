#pragma once

#include <string>

namespace busmason::test {

/// What a command line gave: its exit code (-1 when it did not exit normally) and its output.
struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

/// s quoted for the shell as one word.
std::string shellQuote(const std::string& s);

/// Runs a shell command line from the root folder (so that nothing can come from the test's
/// current folder), with standard input empty, capturing standard output and error.
CliRun runShell(const std::string& command);

/// Runs busmason-cli with arguments (shell words, already quoted where needed), after an
/// optional environment prefix ("BUSMASON_INSTALL=/x").
CliRun runCli(const std::string& arguments, const std::string& environment = {});

} // namespace busmason::test
