#include "support/cli_run.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace busmason {
namespace {

namespace fs = std::filesystem;
using test::shellQuote;

/// busmason-cli run with folder as the current folder.
test::CliRun runCliIn(const fs::path& folder, const std::string& arguments) {
    return test::runShell("cd " + shellQuote(folder.string()) + " && " + shellQuote(BUSMASON_CLI) +
                          " " + arguments);
}

TEST(ProjectFileArgument, ABareFileNameIsInTheCurrentFolderForEveryCommand) {
    test::TempDir dir;
    const fs::path folder = dir / "plant1";
    fs::create_directories(folder);
    const struct {
        const char* arguments;
        /// Run in the project's folder, else in its parent.
        bool inProjectFolder;
        /// A file the command makes in the project's folder; none for show.
        const char* makes;
        /// Part of the standard output.
        const char* prints;
    } cases[] = {
        {"edit plant1.bsm add-node KM1100.eds map 1 6000.1 din", true, "plant1.bsm", "wrote"},
        {"project show plant1.bsm", true, nullptr, "1 nodes"},
        {"build plant1.bsm", true, "network0.cmg", "wrote"},
        {"project save plant1.bsm --to copy.bsm", true, "copy.pco", "wrote"},
        {"project save ./plant1.bsm", true, nullptr, "wrote"},
        {"build plant1/plant1.bsm", false, "iomap0.cmg", "wrote"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        if (c.makes) {
            fs::remove(folder / c.makes);
        }
        const auto run = runCliIn(c.inProjectFolder ? folder : dir.path(), c.arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(c.prints), std::string::npos) << run.out;
        if (c.makes) {
            EXPECT_TRUE(fs::exists(folder / c.makes));
        }
    }
    // Nothing went anywhere but the project's folder.
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        EXPECT_EQ(entry.path(), folder);
    }
}

} // namespace
} // namespace busmason
