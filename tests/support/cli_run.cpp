#include "support/cli_run.h"

#include "support/test_support.h"

#include <cstdlib>
#include <sys/wait.h>

namespace busmason::test {

std::string shellQuote(const std::string& s) {
    std::string q = "'";
    for (const char c : s) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

CliRun runShell(const std::string& command) {
    TempDir capture;
    const auto out = capture / "out";
    const auto err = capture / "err";
    const int raw = std::system(("cd / && ( " + command + " ) >" + shellQuote(out.string()) +
                                 " 2>" + shellQuote(err.string()) + " </dev/null")
                                    .c_str());
    CliRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readBytes(out);
    r.err = readBytes(err);
    return r;
}

#ifdef BUSMASON_CLI
CliRun runCli(const std::string& arguments, const std::string& environment) {
    return runShell(environment + (environment.empty() ? "" : " ") + shellQuote(BUSMASON_CLI) +
                    " " + arguments);
}
#endif

} // namespace busmason::test
