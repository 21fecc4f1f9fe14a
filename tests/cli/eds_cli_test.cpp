#include "core/eds/eds_library.h"
#include "support/cli_run.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace busmason {
namespace {

using test::CliRun;
using test::runCli;
using test::runShell;
using test::shellQuote;

std::string fixture(const char* name) {
    return test::testData(std::string("eds/") + name).string();
}

TEST(EdsDumpCommand, WritesTheNodeAsJson) {
    const CliRun r = runCli("eds dump " + shellQuote(fixture("dump_small.eds")) + " --json");
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string expected = test::readBytes(fixture("dump_small.json"));
    EXPECT_EQ(test::firstDifference(expected, r.out), "");
    // Nothing of the fixture is read leniently: no warning.
    EXPECT_EQ(r.err, "");
}

TEST(EdsDumpCommand, SummaryWarningsAndErrors) {
    const CliRun summary = runCli("eds dump " + shellQuote(fixture("io_module.eds")));
    EXPECT_EQ(summary.status, 0);
    EXPECT_NE(summary.out.find("DIO-4 (Fixture Devices)"), std::string::npos) << summary.out;
    EXPECT_NE(summary.out.find("3 PDO mapping entries, 2 linked"), std::string::npos)
        << summary.out;

    test::TempDir dir;
    test::writeBytes(dir / "warn.eds", "[DeviceInfo]\nProductName=P\n[2000]\nParameterName=" +
                                           std::string(300, 'n') + "\n");
    const CliRun warned = runCli("eds dump " + shellQuote((dir / "warn.eds").string()));
    EXPECT_EQ(warned.status, 0);
    EXPECT_NE(warned.err.find((dir / "warn.eds").string() + ":4: warning: ParameterName cut"),
              std::string::npos)
        << warned.err;

    test::writeBytes(dir / "bad.eds", "[1000]\nParameterName=x\nDataType=seven\n");
    const CliRun bad = runCli("eds dump --json " + shellQuote((dir / "bad.eds").string()));
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err.find((dir / "bad.eds").string() +
                           ":3: error: DataType 'seven' is not a valid integer value"),
              std::string::npos)
        << bad.err;

    const CliRun missing = runCli("eds dump " + shellQuote((dir / "missing.eds").string()));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("missing.eds"), std::string::npos);

    for (const char* usage : {"eds dump", "eds", "eds dump a.eds b.eds", "eds list"}) {
        SCOPED_TRACE(usage);
        const CliRun r = runCli(usage);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err, "");
    }
}

TEST(EdsCheckCommand, OneFindingPerLineAndTheExitStatus) {
    const CliRun clean = runCli("eds check " + shellQuote(fixture("io_module.eds")));
    EXPECT_EQ(clean.status, 0) << clean.out;
    EXPECT_EQ(clean.out, "");

    test::TempDir dir;
    const std::string file = (dir / "faulty.eds").string();
    test::writeBytes(dir / "faulty.eds", "[FileInfo]\nFileName=f.eds\n[DeviceInfo]\n"
                                         "[MandatoryObjects]\nSupportedObjects=1\n1=0x1000\n"
                                         "[1000]\nParameterName=Device type\nDataType=0x0E\n"
                                         "AccessType=read\n");
    const CliRun faulty = runCli("eds check " + shellQuote(file));
    EXPECT_EQ(faulty.status, 1);
    EXPECT_TRUE(faulty.out.starts_with(file + ":4: [MandatoryObjects] does not list 0x1001\n"))
        << faulty.out;
    EXPECT_NE(faulty.out.find(file + ":9: DataType 0x000E is not a known data type\n"),
              std::string::npos)
        << faulty.out;
    EXPECT_NE(faulty.out.find(file + ":10: AccessType 'read' is not one of"), std::string::npos)
        << faulty.out;
    EXPECT_EQ(faulty.out.back(), '\n');

    const CliRun missing = runCli("eds check " + shellQuote((dir / "missing.eds").string()));
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("missing.eds"), std::string::npos);
    EXPECT_EQ(runCli("eds check").status, 2);
}

/// The installation's checker, run as the program runs it: in a working folder, with the bin
/// folder and the EDS path as its arguments.
class EdsCheckScript : public ::testing::Test {
protected:
    CliRun check(const std::string& environment, const std::filesystem::path& bin,
                 const std::string& eds) {
        return runShell("cd " + shellQuote(m_work.path().string()) + " && " + environment + " " +
                        shellQuote(test::installData("bin/EDSCheck").string()) + " " +
                        shellQuote(bin.string()) + " " + shellQuote(eds));
    }
    eds::CheckerVerdict verdict() const { return eds::readVerdict(m_work / "eds.err"); }

    test::TempDir m_work;
};

TEST_F(EdsCheckScript, WritesTheFindingsToTheVerdictFile) {
    const std::string env = "BUSMASON_CLI=" + shellQuote(BUSMASON_CLI);
    check(env, m_work.path(), fixture("io_module.eds"));
    ASSERT_TRUE(std::filesystem::exists(m_work / "eds.err"));
    EXPECT_EQ(test::readBytes(m_work / "eds.err"), "");
    EXPECT_EQ(verdict().outcome, eds::CheckerVerdict::Outcome::Accepted);

    test::TempDir dir;
    test::writeBytes(dir / "faulty.eds", "[1000]\nParameterName=x\nDataType=7\nAccessType=ro\n");
    check(env, m_work.path(), (dir / "faulty.eds").string());
    const eds::CheckerVerdict v = verdict();
    EXPECT_EQ(v.outcome, eds::CheckerVerdict::Outcome::Findings);
    EXPECT_EQ(v.firstFinding, (dir / "faulty.eds").string() + ": no [FileInfo] section");
}

TEST_F(EdsCheckScript, FindsTheProgramInTheBinFolderOrOnThePath) {
    // A stand-in that notes its use and hands over to the real program.
    test::TempDir withProgram;
    const auto marker = withProgram / "used";
    test::writeBytes(withProgram / "busmason-cli", "#!/bin/sh\necho used >" +
                                                       shellQuote(marker.string()) + "\nexec " +
                                                       shellQuote(BUSMASON_CLI) + " \"$@\"\n");
    std::filesystem::permissions(withProgram / "busmason-cli", std::filesystem::perms::owner_all);
    test::TempDir empty;
    test::TempDir dir;
    test::writeBytes(dir / "faulty.eds", "[1000]\n");
    struct Case {
        const char* what;
        std::filesystem::path bin;
        std::string path;
    };
    const Case cases[] = {
        {"bin folder", withProgram.path(), "/usr/bin:/bin"},
        {"PATH", empty.path(), withProgram.path().string() + ":/usr/bin:/bin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(m_work / "eds.err");
        std::filesystem::remove(marker);
        const CliRun r = check("env -u BUSMASON_CLI PATH=" + shellQuote(c.path), c.bin,
                               (dir / "faulty.eds").string());
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_EQ(verdict().outcome, eds::CheckerVerdict::Outcome::Findings);
        EXPECT_TRUE(std::filesystem::exists(marker)) << "another program was used";
    }
}

TEST_F(EdsCheckScript, ACheckThatCannotRunIsAFinding) {
    test::writeBytes(m_work / "eds.err", "");
    struct Case {
        const char* what;
        std::string environment;
        std::string eds;
    };
    const Case cases[] = {
        {"unreadable file", "BUSMASON_CLI=" + shellQuote(BUSMASON_CLI),
         (m_work / "missing.eds").string()},
        {"no program", "BUSMASON_CLI=" + shellQuote((m_work / "no-such-program").string()),
         fixture("io_module.eds")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CliRun r = check(c.environment, m_work.path(), c.eds);
        EXPECT_EQ(r.status, 2);
        const eds::CheckerVerdict v = verdict();
        EXPECT_EQ(v.outcome, eds::CheckerVerdict::Outcome::Findings);
        EXPECT_TRUE(v.firstFinding.starts_with("EDSCheck: ")) << v.firstFinding;
    }
}

} // namespace
} // namespace busmason
