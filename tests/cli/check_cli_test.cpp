#include "core/eds/json_reader.h"
#include "support/cli_run.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace busmason {
namespace {

using test::runCli;
using test::shellQuote;

/// A workspace with the check's I/O device in its EDS folder.
struct Workspace {
    test::TempDir dir;
    std::filesystem::path eds = dir / "eds";

    Workspace() {
        std::filesystem::create_directories(eds);
        std::filesystem::copy_file(test::testData("check/check_io.eds"), eds / "check_io.eds");
    }
    std::string edsOption() const { return " --eds-folder " + shellQuote(eds.string()); }

    /// The project made by edit with actions; its path.
    std::filesystem::path project(const std::string& name, const std::string& actions) const {
        const auto file = dir / name / (name + ".bsm");
        const test::CliRun r =
            runCli("edit " + shellQuote(file.string()) + edsOption() + " " + actions);
        EXPECT_EQ(r.status, 0) << r.err;
        return file;
    }
};

/// Node 1 with transmit PDO 5 (COB-ID 0x1A1) beside node 33, whose PDO 1 has it too; node 33
/// with a value too wide for its object.
const char* const kFaults = "add-node check_io.eds add-node check_io.eds address 2 33 "
                            "map 1 6000.9 extra_in param 33 2000 1FF";

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

TEST(CheckCommand, PrintsFindingsCompilerStyleTheBusLoadAndASummary) {
    Workspace w;
    const auto project = w.project("plant", kFaults);
    const test::CliRun r = runCli("check " + shellQuote(project.string()) + w.edsOption());
    EXPECT_EQ(r.status, 1) << r.err;
    const std::vector<std::string> out = lines(r.out);
    ASSERT_EQ(out.size(), 4u) << r.out;
    EXPECT_EQ(out[0].rfind(project.string() + ": node 1, 0x1804:01: error: BM101: COB-ID 0x1A1 is "
                                              "used by transmit PDO 5 of node 1 (0x1804:01) and "
                                              "transmit PDO 1 of node 33",
                           0),
              0u)
        << out[0];
    EXPECT_EQ(out[1].rfind(project.string() + ": node 33, 0x2000: error: BM109: ", 0), 0u)
        << out[1];
    EXPECT_EQ(out[2].rfind("bus load: 1.2 % of Baud1M (", 0), 0u) << out[2];
    EXPECT_EQ(out[3], "check: 2 errors, no warnings, no notes");
}

TEST(CheckCommand, JsonGivesEachFindingWithCodeNodeAndObject) {
    Workspace w;
    const auto project = w.project("plant", kFaults);
    const test::CliRun r =
        runCli("check " + shellQuote(project.string()) + w.edsOption() + " --json");
    EXPECT_EQ(r.status, 1) << r.err;
    const test::Json json = test::JsonReader::parse(r.out);
    EXPECT_EQ(json["project"].string, project.string());
    ASSERT_EQ(json["findings"].array.size(), 2u) << r.out;
    const test::Json& first = json["findings"].array[0];
    EXPECT_EQ(first["severity"].string, "error");
    EXPECT_EQ(first["code"].string, "BM101");
    EXPECT_EQ(first["node"].asInt(), 1);
    EXPECT_EQ(first["object"].string, "0x1804:01");
    EXPECT_NE(first["message"].string.find("0x1A1"), std::string::npos);
    EXPECT_EQ(json["findings"].array[1]["code"].string, "BM109");
    EXPECT_EQ(json["summary"]["errors"].asInt(), 2);
    EXPECT_EQ(json["summary"]["warnings"].asInt(), 0);
    EXPECT_GT(json["busLoad"]["percent"].number, 1.2);
    EXPECT_LT(json["busLoad"]["percent"].number, 1.3);
    EXPECT_EQ(json["busLoad"]["guardedNodes"].asInt(), 2);
}

TEST(CheckCommand, ANetworkWithoutErrorsExitsZero) {
    Workspace w;
    const auto project =
        w.project("clean", "add-node check_io.eds map 1 6000.1 door set baud Baud250k");
    const test::CliRun r = runCli("check " + shellQuote(project.string()) + w.edsOption());
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    // One 1-byte PDO (65 bits), SYNC (55) and a fiftieth of a guarding exchange (120) in 10 ms
    // at 250 kbit/s.
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{
                                "bus load: 4.9 % of Baud250k (122 of 2500 bits per 10 ms cycle: "
                                "1 synchronous PDO, SYNC, node guarding of 1 node)",
                                "check: no errors, no warnings, no notes"}));

    EXPECT_EQ(runCli("check").status, 2);
    EXPECT_EQ(runCli("check " + shellQuote((w.dir / "absent.bsm").string())).status, 1);
}

TEST(CheckCommand, BuildWritesTheFilesAndPrintsTheCheckAfterwards) {
    Workspace w;
    const auto project = w.project("plant", kFaults);
    const test::CliRun r = runCli("build " + shellQuote(project.string()) + w.edsOption());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(project.parent_path() / "network0.cmg"));
    EXPECT_NE(r.err.find("error: BM101: COB-ID 0x1A1"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("check: 2 errors, no warnings, no notes"), std::string::npos) << r.err;
}

} // namespace
} // namespace busmason
