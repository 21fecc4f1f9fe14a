#include "support/cli_run.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace busmason {
namespace {

using test::runCli;
using test::shellQuote;

TEST(BuildCommand, WritesEveryControllerFileIntoTheProjectFolder) {
    test::TempDir dir;
    const auto project = dir / "line" / "line.bsm";
    ASSERT_EQ(runCli("edit " + shellQuote(project.string()) +
                     " add-node KM1100.eds map 1 6000.1 din set channel 1")
                  .status,
              0);
    const test::CliRun r = runCli("build " + shellQuote(project.string()));
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* name : {"network1.cmg", "iomap1.cmg", "ASCIIcmg.txt", "line.gvl", "var.exp"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(std::filesystem::exists(dir / "line" / name));
        EXPECT_NE(r.out.find("wrote " + (dir / "line" / name).string()), std::string::npos);
    }
    // One 40-byte record for the one variable.
    EXPECT_EQ(std::filesystem::file_size(dir / "line" / "iomap1.cmg"), 40u);
    EXPECT_FALSE(std::filesystem::exists(dir / "network1.cmg"));
}

TEST(BuildCommand, ABuildThatCannotBeDoneWritesNothingAndFails) {
    test::TempDir dir;
    const auto project = dir / "p.bsm";
    ASSERT_EQ(runCli("edit " + shellQuote(project.string()) + " add-node KM1100.eds").status, 0);
    // A cycle time the controller cannot take, as an older program or a text editor left it.
    std::string text = test::readBytes(project);
    text.replace(text.find("<syncTime>10<"), 13, "<syncTime>20000<");
    test::writeBytes(project, text);
    const test::CliRun r = runCli("build " + shellQuote(project.string()));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cycle"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("no file was written"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "network0.cmg"));
    EXPECT_EQ(runCli("build " + shellQuote((dir / "absent.bsm").string())).status, 1);
    EXPECT_EQ(runCli("build").status, 2);
}

} // namespace
} // namespace busmason
