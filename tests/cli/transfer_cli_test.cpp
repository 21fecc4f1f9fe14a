#include "support/cli_run.h"
#include "support/ftp_server.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace busmason {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::FtpServer;
using test::shellQuote;

/// The last line of a command's output.
std::string lastLine(std::string out) {
    if (!out.empty() && out.back() == '\n') {
        out.pop_back();
    }
    return out.substr(out.rfind('\n') + 1);
}

/// A project on CAN channel 1, built, and a served folder holding the controller's folder.
class TransferCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const auto reason = FtpServer::unavailableReason(); !reason.empty()) {
            GTEST_SKIP() << reason;
        }
        const auto edit = test::runCli("edit " + shellQuote(projectFile.string()) +
                                       " add-node KM1100.eds map 1 6000.1 din set channel 1");
        ASSERT_EQ(edit.status, 0) << edit.err;
        const auto build = test::runCli("build " + shellQuote(projectFile.string()));
        ASSERT_EQ(build.status, 0) << build.err;
        // Built a moment after the save, whatever the file system's clock resolution.
        for (const auto* name : {"iomap1.cmg", "network1.cmg"}) {
            fs::last_write_time(folder / name, fs::last_write_time(projectFile) + 1s);
        }
        fs::create_directories(sysconfig);
    }

    std::string args(int port, const std::string& more = {}) const {
        return "transfer " + shellQuote(projectFile.string()) + " --host 127.0.0.1 --port " +
               std::to_string(port) + more;
    }

    /// Makes name look built before the project was last saved.
    void makeOlder(const char* name) const {
        fs::last_write_time(folder / name, fs::last_write_time(projectFile) - 10s);
    }

    test::TempDir dir;
    fs::path folder = dir / "plant";
    fs::path projectFile = folder / "plant.bsm";
    fs::path served = dir / "served";
    fs::path sysconfig = served / "local/etc/sysconfig";
};

TEST_F(TransferCliTest, SendsTheFilesOfTheProjectsChannelAndPrintsEachStatus) {
    FtpServer server(served);
    const std::string expected = "not connected <NON CONNESSO>\n"
                                 "connecting <CONNESSIONE IN CORSO>\n"
                                 "connected <CONNESSIONE EFFETTUTA>\n"
                                 "transferring the project <TRASFERIMENTO PROGETTO>\n"
                                 "I/O map file sent <TRASFERIMENTO PROGETTO> 20%\n"
                                 "project transferred <PROGETTO TRASFERITO> 100%\n";
    const auto port = " --host 127.0.0.1 --port " + std::to_string(server.port());
    const struct {
        const char* label;
        std::string command;
    } runs[] = {
        {"the project file by its path", args(server.port())},
        {"a bare file name in the project's folder", "cd " + shellQuote(folder.string()) + " && " +
                                                         shellQuote(BUSMASON_CLI) +
                                                         " transfer plant.bsm" + port},
    };
    for (const auto& r : runs) {
        SCOPED_TRACE(r.label);
        fs::remove_all(sysconfig);
        fs::create_directories(sysconfig);
        const auto run =
            r.command.starts_with("cd ") ? test::runShell(r.command) : test::runCli(r.command);
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_EQ(run.out, expected) << run.err;
        for (const auto* name : {"iomap1.cmg", "network1.cmg"}) {
            EXPECT_EQ(test::readBytes(sysconfig / name), test::readBytes(folder / name)) << name;
        }
        EXPECT_FALSE(fs::exists(sysconfig / "iomap0.cmg"));
        EXPECT_FALSE(fs::exists(sysconfig / "network0.cmg"));
    }
}

TEST_F(TransferCliTest, FilesOlderThanTheProjectAreSentOnlyWithForce) {
    FtpServer server(served);
    for (const auto* older : {"iomap1.cmg", "network1.cmg"}) {
        SCOPED_TRACE(older);
        fs::remove_all(sysconfig);
        fs::create_directories(sysconfig);
        makeOlder(older);
        const auto before = server.log().size();
        const auto refused = test::runCli(args(server.port()));
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(refused.out, "");
        EXPECT_NE(refused.err.find((folder / older).string() +
                                   ": error: older than the project file plant.bsm; build first"),
                  std::string::npos)
            << refused.err;
        EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
        EXPECT_EQ(server.log().size(), before) << server.logText();

        const auto forced = test::runCli(args(server.port(), " --force"));
        EXPECT_EQ(forced.status, 0) << forced.err;
        EXPECT_NE(forced.err.find((folder / older).string() + ": warning: "), std::string::npos)
            << forced.err;
        EXPECT_EQ(lastLine(forced.out), "project transferred <PROGETTO TRASFERITO> 100%");
        EXPECT_EQ(test::readBytes(sysconfig / older), test::readBytes(folder / older));

        // Built again: sent without a word.
        ASSERT_EQ(test::runCli("build " + shellQuote(projectFile.string())).status, 0);
        fs::last_write_time(folder / older, fs::last_write_time(projectFile) + 1s);
        const auto rebuilt = test::runCli(args(server.port()));
        EXPECT_EQ(rebuilt.status, 0) << rebuilt.err;
        EXPECT_EQ(rebuilt.err, "");
    }
}

TEST_F(TransferCliTest, FailsWhenTheTransferDoesNot) {
    {
        SCOPED_TRACE("connection refused");
        test::ClosedPort closed;
        const auto run = test::runCli(args(closed.port()));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(lastLine(run.out), "connection failed <CONNESSIONE FALLITA>: logging in: the "
                                     "controller refuses the connection or cannot be reached")
            << run.out;
    }
    {
        SCOPED_TRACE("network file refused after the I/O map arrived");
        FtpServer server(served, FtpServer::Mode::RefuseSecondUpload);
        const auto run = test::runCli(args(server.port()));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(lastLine(run.out),
                  "transfer incomplete: the controller holds the new I/O map file beside an old or "
                  "partial network file <TRASFERIMENTO INCOMPLETO>: sending network1.cmg: the "
                  "server replied \"452 No space left on device.\"")
            << run.out;
    }
    FtpServer server(served);
    {
        SCOPED_TRACE("file missing, even with --force");
        const auto before = server.log().size();
        fs::remove(folder / "network1.cmg");
        const auto run = test::runCli(args(server.port(), " --force"));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find((folder / "network1.cmg").string() +
                               ": error: not in the project folder; build first"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(server.log().size(), before) << server.logText();
    }
    {
        SCOPED_TRACE("project missing");
        const auto run = test::runCli("transfer " + shellQuote((folder / "absent.bsm").string()) +
                                      " --host 127.0.0.1 --port " + std::to_string(server.port()));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(server.log().empty()) << server.logText();
    }
}

TEST_F(TransferCliTest, RejectsBadArguments) {
    const std::string project = " " + shellQuote(projectFile.string());
    const std::string cases[] = {
        "transfer" + project,
        "transfer --host 127.0.0.1",
        "transfer" + project + " --host 127.0.0.1 --port 70000",
        // The project's channel decides; the option is not taken, even when it agrees.
        "transfer" + project + " --host 127.0.0.1 --channel 1",
        "transfer" + project + " extra --host 127.0.0.1",
    };
    for (const auto& arguments : cases) {
        SCOPED_TRACE(arguments);
        const auto run = test::runCli(arguments);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

} // namespace
} // namespace busmason
