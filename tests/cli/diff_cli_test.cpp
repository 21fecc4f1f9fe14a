#include "core/eds/json_reader.h"
#include "support/cli_run.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace busmason {
namespace {

using test::runCli;
using test::shellQuote;

namespace fs = std::filesystem;

/// Two copies of the demo project, a and b, the second changed by edit actions.
struct TwoProjects {
    test::TempDir dir;
    fs::path a = dir / "a" / "plant1.bsm";
    fs::path b = dir / "b" / "plant1.bsm";

    explicit TwoProjects(const std::string& actions) {
        fs::copy(test::sourceDir("data/demo/plant1"), dir / "a");
        fs::copy(test::sourceDir("data/demo/plant1"), dir / "b");
        if (!actions.empty()) {
            const test::CliRun r = runCli("edit " + shellQuote(b.string()) + " " + actions);
            EXPECT_EQ(r.status, 0) << r.err;
        }
    }
    test::CliRun diff(const std::string& options = {}) const {
        return runCli("diff " + shellQuote(a.string()) + " " + shellQuote(b.string()) + options);
    }
};

TEST(DiffCommand, AMovedNodeAndReorderedWrites) {
    const TwoProjects p("address 2 5 write-move 5 2 up");
    const test::CliRun r = p.diff();
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "--- " + p.a.string() + "\n+++ " + p.b.string() +
                         "\n"
                         "node 2 moved to address 5 (KM1100.eds)\n"
                         "node 5 (was 2): start-up write 0x100C = 0x64 moved from position 2 to "
                         "1\n");
}

TEST(DiffCommand, JsonListsTheChangesWithKindAndNodes) {
    const TwoProjects p("set cycle 25 param 2 1017 3E8 map 2 6000.1 \"\" map 2 6200.2 door_open");
    const test::CliRun r = p.diff(" --json");
    EXPECT_EQ(r.status, 1) << r.err;
    const test::Json json = test::JsonReader::parse(r.out);
    EXPECT_FALSE(json["same"].boolean);
    const auto& changes = json["changes"].array;
    ASSERT_EQ(changes.size(), 4u) << r.out;
    EXPECT_EQ(changes[0]["kind"].string, "parameter");
    EXPECT_EQ(changes[0]["text"].string, "cycle time: 20 -> 25");
    EXPECT_EQ(changes[1]["kind"].string, "write-added");
    EXPECT_EQ(changes[1]["nodeB"].asInt(), 2);
    EXPECT_EQ(changes[1]["after"].string, "0x3E8");
    EXPECT_EQ(changes[2]["kind"].string, "variable-placed");
    EXPECT_EQ(changes[2]["subject"].string, "door_open");
    EXPECT_EQ(changes[2]["before"].string, "6000.1 Byte,TxPdo, pdo 1, object 1, shift 0");
    EXPECT_EQ(changes[2]["after"].string, "6200.2 Byte,RxPdo, pdo 1, object 2, shift 0");
    // door_open took the place of lamp_red.
    EXPECT_EQ(changes[3]["kind"].string, "variable-removed");
    EXPECT_EQ(changes[3]["subject"].string, "lamp_red");
}

TEST(DiffCommand, SameProjectsExitZeroAndTroubleExitsTwo) {
    const TwoProjects p("");
    const test::CliRun same = p.diff();
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_EQ(same.out, "");
    EXPECT_TRUE(test::JsonReader::parse(p.diff(" --json").out)["same"].boolean);

    EXPECT_EQ(runCli("diff " + shellQuote(p.a.string())).status, 2);
    EXPECT_EQ(runCli("diff " + shellQuote(p.a.string()) + " " +
                     shellQuote((p.dir / "absent.bsm").string()))
                  .status,
              2);
    test::writeBytes(p.b, "<networkInfo>");
    EXPECT_EQ(p.diff().status, 2);
}

} // namespace
} // namespace busmason
