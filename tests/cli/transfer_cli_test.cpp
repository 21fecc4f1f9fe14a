#include "support/cli_run.h"
#include "support/ftp_server.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace busmason {
namespace {

namespace fs = std::filesystem;
using test::FtpServer;

class TransferCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const auto reason = FtpServer::unavailableReason(); !reason.empty()) {
            GTEST_SKIP() << reason;
        }
        for (const auto* name : {"iomap0.cmg", "network0.cmg", "iomap1.cmg", "network1.cmg"}) {
            test::writeBytes(project / name,
                             std::string(name) + std::string("\r\n\0\xFF bytes", 10));
        }
        fs::create_directories(served / "local/etc/sysconfig");
    }

    std::string args(int port, const std::string& more = {}) const {
        return "transfer '" + project.string() + "' --host 127.0.0.1 --port " +
               std::to_string(port) + more;
    }

    test::TempDir dir;
    fs::path project = dir / "project";
    fs::path served = dir / "served";
};

TEST_F(TransferCliTest, PrintsEachStatusAndSucceedsWhenBothFilesArrived) {
    FtpServer server(served);
    const auto run = test::runCli(args(server.port(), " --channel 1"));
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "not connected <NON CONNESSO>\n"
                       "connecting <CONNESSIONE IN CORSO>\n"
                       "connected <CONNESSIONE EFFETTUTA>\n"
                       "transferring the project <TRASFERIMENTO PROGETTO>\n"
                       "I/O map file sent <TRASFERIMENTO PROGETTO> 20%\n"
                       "project transferred <PROGETTO TRASFERITO> 100%\n");
    for (const auto* name : {"iomap1.cmg", "network1.cmg"}) {
        EXPECT_EQ(test::readBytes(served / "local/etc/sysconfig" / name),
                  test::readBytes(project / name))
            << name;
    }
    EXPECT_FALSE(fs::exists(served / "local/etc/sysconfig/iomap0.cmg"));
}

TEST_F(TransferCliTest, FailsWhenTheTransferDoesNot) {
    // The failure is the last status printed.
    auto lastLine = [](std::string out) {
        if (!out.empty() && out.back() == '\n') {
            out.pop_back();
        }
        return out.substr(out.rfind('\n') + 1);
    };
    {
        SCOPED_TRACE("connection refused");
        test::ClosedPort closed;
        const auto run = test::runCli(args(closed.port()));
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(lastLine(run.out).starts_with("connection failed <CONNESSIONE FALLITA>: "))
            << run.out;
    }
    fs::remove_all(served / "local");
    FtpServer server(served);
    {
        SCOPED_TRACE("remote folder missing");
        const auto run = test::runCli(args(server.port()));
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(lastLine(run.out).starts_with("communication error <ERRORE COMUNICAZIONE>: "))
            << run.out;
        EXPECT_TRUE(server.waitFor(1, "disconnect")) << server.logText();
    }
    {
        SCOPED_TRACE("file missing");
        const auto before = server.log().size();
        fs::remove(project / "network0.cmg");
        const auto run = test::runCli(args(server.port()));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find((project / "network0.cmg").string()), std::string::npos) << run.err;
        EXPECT_EQ(server.log().size(), before) << server.logText();
    }
}

TEST_F(TransferCliTest, RejectsBadArguments) {
    const std::string folder = " '" + project.string() + "'";
    const std::string cases[] = {
        "transfer" + folder,
        "transfer --host 127.0.0.1",
        "transfer" + folder + " --host 127.0.0.1 --port 70000",
        "transfer" + folder + " --host 127.0.0.1 --channel x",
        "transfer" + folder + " extra --host 127.0.0.1",
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
