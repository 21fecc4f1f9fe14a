#include "support/cli_run.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace busmason::test {
namespace {

std::string quoted(const std::filesystem::path& p) {
    return "'" + p.string() + "'";
}

std::string fixture(const char* name) {
    return quoted(testData("persistence") / name);
}

std::string edsOption() {
    return "--eds-folder " + quoted(testData("persistence/eds"));
}

/// JSON text without the blanks between its tokens.
std::string compact(std::string_view json) {
    std::string out;
    bool inString = false;
    for (std::size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (inString) {
            out.push_back(c);
            if (c == '\\' && i + 1 < json.size()) {
                out.push_back(json[++i]);
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
            out.push_back(c);
        } else if (c != ' ' && c != '\n' && c != '\r' && c != '\t') {
            out.push_back(c);
        }
    }
    return out;
}

TEST(ProjectCli, ShowJsonGivesTheLoadedNetwork) {
    const CliRun r = runCli("project show " + fixture("nodes.bsm") + " " + edsOption() + " --json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(compact(r.out), compact(readBytes(testData("persistence/nodes.json"))));
}

TEST(ProjectCli, ShowTextUsesTheBundledEdsFolderByDefault) {
    TempDir install;
    for (const char* eds : {"io.eds", "coupler.eds"}) {
        writeBytes(install / "eds" / eds, readBytes(testData("persistence/eds") / eds));
    }
    const CliRun r = runCli("project show " + fixture("nodes.bsm"),
                            "BUSMASON_INSTALL=" + quoted(install.path()));
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line :
         {"bit rate Baud250k, channel 1,", "node 5: io.eds, virtual\n", "  write 0x1800:05 = 100\n",
          "  variable out1: 6200.1 Byte,RxPdo, pdo 1, object 1, shift 0\n",
          "node 9: coupler.eds, node guarding off\n",
          "      AI2_TE1_00: 16 bits, input, config 2\n"}) {
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\nin:\n" << r.out;
    }
}

TEST(ProjectCli, ShowReportsTheFindingsOfTheLoad) {
    TempDir dir;
    std::string text = readBytes(testData("persistence/nodes.bsm"));
    text.replace(text.find("io.eds"), 6, "gone.eds");
    writeBytes(dir / "lossy.bsm", text);
    const CliRun lossy = runCli("project show " + quoted(dir / "lossy.bsm") + " " + edsOption());
    EXPECT_EQ(lossy.status, 0);
    EXPECT_NE(lossy.err.find("lossy.bsm:13: networkInfo/nodeInfoList/nodeInfo[1]: warning: node "
                             "5 (gone.eds) dropped: not created:"),
              std::string::npos)
        << lossy.err;
    EXPECT_NE(lossy.out.find("1 nodes"), std::string::npos) << lossy.out;

    // A life time the controller cannot take does not lock the project: it loads with a
    // warning, the build names the field, and the field can be mended from the command line.
    writeBytes(dir / "bad.bsm", "<networkInfo><lifeTime>four</lifeTime></networkInfo>");
    const CliRun bad = runCli("project show " + quoted(dir / "bad.bsm") + " " + edsOption());
    EXPECT_EQ(bad.status, 0) << bad.err;
    EXPECT_NE(bad.out.find("life time four"), std::string::npos) << bad.out;
    EXPECT_NE(bad.err.find("bad.bsm: lifeTime: warning: life time 'four' is not a whole number"),
              std::string::npos)
        << bad.err;
    const CliRun build = runCli("build " + quoted(dir / "bad.bsm") + " " + edsOption());
    EXPECT_EQ(build.status, 1);
    EXPECT_NE(build.err.find("life time 'four'"), std::string::npos) << build.err;
    const CliRun mend =
        runCli("edit " + quoted(dir / "bad.bsm") + " " + edsOption() + " set life 4");
    EXPECT_EQ(mend.status, 0) << mend.err;
    EXPECT_EQ(runCli("build " + quoted(dir / "bad.bsm") + " " + edsOption()).status, 0);

    EXPECT_EQ(runCli("project show").status, 2);
    EXPECT_EQ(runCli("project").status, 2);
    EXPECT_EQ(runCli("project list x").status, 2);
}

TEST(ProjectCli, SaveWritesTheProgramsOwnLayout) {
    TempDir dir;
    const CliRun r = runCli("project save " + fixture("reordered.bsm") + " --to " +
                            quoted(dir / "out.bsm") + " " + edsOption());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        firstDifference(readBytes(testData("persistence/nodes.bsm")), readBytes(dir / "out.bsm")),
        "");
    EXPECT_EQ(
        firstDifference(readBytes(testData("persistence/nodes.pco")), readBytes(dir / "out.pco")),
        "");
    EXPECT_NE(r.out.find("wrote " + (dir / "out.pco").string()), std::string::npos) << r.out;
}

TEST(ProjectCli, SaveDoesNotOverwriteAProjectWhoseLoadLeftSomethingOut) {
    TempDir dir;
    std::string text = readBytes(testData("persistence/nodes.bsm"));
    text.replace(text.find("coupler.eds"), 11, "gone.eds");
    writeBytes(dir / "plant.bsm", text);
    writeBytes(dir / "plant.pco", readBytes(testData("persistence/nodes.pco")));

    const CliRun refused = runCli("project save " + quoted(dir / "plant.bsm") + " " + edsOption());
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("coupler of node 9 (gone.eds) dropped"), std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("not overwriting"), std::string::npos) << refused.err;
    EXPECT_EQ(readBytes(dir / "plant.bsm"), text);

    const CliRun forced =
        runCli("project save " + quoted(dir / "plant.bsm") + " --force " + edsOption());
    EXPECT_EQ(forced.status, 0) << forced.err;
    const std::string saved = readBytes(dir / "plant.bsm");
    EXPECT_EQ(saved.find("gone.eds"), std::string::npos);
    EXPECT_NE(saved.find("<eds>io.eds</eds>"), std::string::npos);
    EXPECT_EQ(readBytes(dir / "plant.pco"), "<Module>\r\n</Module>\r\n");
}

} // namespace
} // namespace busmason::test
