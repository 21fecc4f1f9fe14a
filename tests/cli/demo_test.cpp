#include "support/cli_run.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace busmason {
namespace {

/// The committed demo workspace is what the program makes from the demo script, byte for byte.
TEST(DemoWorkspace, IsReproducedByItsScript) {
    const auto source = test::sourceDir();
    test::TempDir dir;
    const test::CliRun r =
        test::runShell("BUSMASON_CLI=" + test::shellQuote(BUSMASON_CLI) + " " +
                       test::shellQuote((source / "scripts" / "make-demo.sh").string()) + " " +
                       test::shellQuote(dir.path().string()));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    for (const char* name : {"plant1/plant1.bsm", "plant1/plant1.pco"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(test::firstDifference(test::readBytes(source / "data" / "demo" / name),
                                        test::readBytes(dir / name)),
                  "");
    }
    const test::CliRun build =
        test::runCli("build " + test::shellQuote((dir / "plant1" / "plant1.bsm").string()));
    EXPECT_EQ(build.status, 0) << build.err;
}

} // namespace
} // namespace busmason
