#include "core/model/errors.h"
#include "core/model/network.h"
#include "core/output/build.h"
#include "core/transfer/ftp_transfer.h"
#include "support/ftp_server.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <optional>

namespace busmason::transfer {

void PrintTo(TransferStatus status, std::ostream* out) {
    *out << statusView(status).meaning;
}

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::FtpLogLine;
using test::FtpServer;
using enum TransferStatus;

const std::vector<TransferStatus> successfulRun = {NotConnected, Connecting, Connected,
                                                   Transferring, IoMapSent,  Done};

/// Collects the events of every transfer and lets the test wait for them.
class Recorder {
public:
    TransferObserver observer() {
        return [this](const TransferEvent& event) {
            std::lock_guard lock(m_mutex);
            m_events.push_back(event);
            m_changed.notify_all();
        };
    }

    std::vector<TransferEvent> events() const {
        std::lock_guard lock(m_mutex);
        return m_events;
    }

    std::vector<TransferStatus> statuses(std::uint64_t transfer) const {
        std::vector<TransferStatus> result;
        for (const auto& event : events()) {
            if (event.transfer == transfer) {
                result.push_back(event.status);
            }
        }
        return result;
    }

    /// The final event of the transfer, or nothing when it did not come within timeout.
    std::optional<TransferEvent> waitForFinal(std::uint64_t transfer,
                                              std::chrono::milliseconds timeout = 10s) {
        std::unique_lock lock(m_mutex);
        std::optional<TransferEvent> found;
        m_changed.wait_for(lock, timeout, [&] {
            for (const auto& event : m_events) {
                if (event.transfer == transfer && isFinal(event.status)) {
                    found = event;
                    return true;
                }
            }
            return false;
        });
        return found;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<TransferEvent> m_events;
};

/// Binary content that a text-mode transfer would alter: CR LF, lone LF, NUL, bytes above 127.
std::string fileContent(std::string_view name, std::size_t size) {
    std::string bytes = std::string(name) + "\r\n\n";
    for (std::size_t i = 0; bytes.size() < size; ++i) {
        bytes += static_cast<char>((i * 131 + name.size()) % 256);
    }
    return bytes;
}

const char* const allFiles[] = {"iomap0.cmg",   "network0.cmg", "iomap1.cmg",
                                "network1.cmg", "iomap12.cmg",  "network12.cmg"};

/// The commands that touch folders and files, and the uploads the server completed, in order.
std::vector<std::string> fileSteps(const std::vector<FtpLogLine>& log) {
    std::vector<std::string> steps;
    for (const auto& line : log) {
        const bool fileCommand =
            line.what == "cmd" &&
            (line.argument.starts_with("CWD") || line.argument.starts_with("STOR") ||
             line.argument.starts_with("APPE") || line.argument.starts_with("MKD") ||
             line.argument.starts_with("SIZE"));
        if (fileCommand || line.what == "received" || line.what == "incomplete") {
            steps.push_back(line.what == "cmd" ? line.argument : line.what + " " + line.argument);
        }
    }
    return steps;
}

void expectLoopbackOnly(const std::vector<FtpLogLine>& log) {
    for (const auto& line : log) {
        if (line.what == "connect" || line.what == "data") {
            EXPECT_EQ(line.argument, "127.0.0.1")
                << line.what << " of connection " << line.connection;
        }
    }
}

bool logHas(const std::vector<FtpLogLine>& log, std::string_view what,
            std::string_view argument = {}) {
    for (const auto& line : log) {
        if (line.what == what && line.argument.find(argument) != std::string::npos) {
            return true;
        }
    }
    return false;
}

class FtpTransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const auto reason = FtpServer::unavailableReason(); !reason.empty()) {
            GTEST_SKIP() << reason;
        }
        for (const auto* name : allFiles) {
            // Large enough that an upload takes several writes.
            test::writeBytes(project / name, fileContent(name, 150000));
        }
    }

    TransferRequest request(int port, std::string channel = "0") const {
        TransferRequest r;
        r.projectFolder = project;
        r.host = "127.0.0.1";
        r.port = port;
        r.channel = std::move(channel);
        r.timeouts.connect = 2000ms;
        r.timeouts.response = 2s;
        return r;
    }

    /// A served folder holding the controller's configuration folder.
    fs::path servedRoot(std::string_view name) const {
        const auto root = dir / name;
        fs::create_directories(root / "local/etc/sysconfig");
        return root;
    }

    test::TempDir dir;
    fs::path project = dir / "project";
    Recorder recorder;
};

TEST_F(FtpTransferTest, SendsTheChannelsFilesInOrderReplacingOlderOnes) {
    const struct {
        const char* channel;
        const char* iomap;
        const char* network;
        std::size_t iomapSize;
    } cases[] = {{"0", "iomap0.cmg", "network0.cmg", 150000},
                 {"1", "iomap1.cmg", "network1.cmg", 150000},
                 // The files the build wrote for the channel, never another channel's.
                 {"12", "iomap12.cmg", "network12.cmg", 150000},
                 // A network without variables has an empty I/O map.
                 {"0", "iomap0.cmg", "network0.cmg", 0}};
    const auto sysconfig = servedRoot("served") / "local/etc/sysconfig";
    FtpServer server(dir / "served");
    std::size_t logSeen = 0;
    int connection = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("channel ") + c.channel + ", I/O map of " +
                     std::to_string(c.iomapSize) + " bytes");
        test::writeBytes(project / c.iomap,
                         fileContent(c.iomap, c.iomapSize).substr(0, c.iomapSize));
        for (const auto* name : allFiles) {
            // Older and longer than the new files, so a kept tail would show.
            test::writeBytes(sysconfig / name, "old " + fileContent(name, 200000));
        }
        FtpTransfer transfer(recorder.observer());
        const auto id = transfer.start(request(server.port(), c.channel));
        ASSERT_TRUE(recorder.waitForFinal(id));
        transfer.wait();

        EXPECT_EQ(recorder.statuses(id), successfulRun);
        for (const auto& event : recorder.events()) {
            EXPECT_EQ(event.detail, "") << "a size that the server confirmed needs no note";
        }
        for (const auto* name : {c.iomap, c.network}) {
            SCOPED_TRACE(name);
            EXPECT_EQ(test::firstDifference(test::readBytes(project / name),
                                            test::readBytes(sysconfig / name)),
                      "");
        }
        for (const auto* name : allFiles) {
            if (name != std::string_view(c.iomap) && name != std::string_view(c.network)) {
                EXPECT_EQ(test::readBytes(sysconfig / name), "old " + fileContent(name, 200000))
                    << name << " was touched";
            }
        }

        // What the server saw of this transfer: one connection carries the whole sequence.
        ++connection;
        ASSERT_TRUE(server.waitFor(connection, "disconnect")) << server.logText();
        auto log = server.log();
        log.erase(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(logSeen));
        logSeen += log.size();
        for (const auto& line : log) {
            EXPECT_EQ(line.connection, connection) << line.what << " " << line.argument;
        }
        const std::vector<std::string> expected = {
            "CWD /local/etc/sysconfig",
            std::string("STOR ") + c.iomap,
            std::string("received /local/etc/sysconfig/") + c.iomap,
            std::string("SIZE ") + c.iomap,
            std::string("STOR ") + c.network,
            std::string("received /local/etc/sysconfig/") + c.network,
            std::string("SIZE ") + c.network};
        EXPECT_EQ(fileSteps(log), expected) << server.logText();
        EXPECT_TRUE(logHas(log, "cmd", "USER root"));
        EXPECT_TRUE(logHas(log, "cmd", "TYPE I"));
        EXPECT_FALSE(logHas(log, "cmd", "TYPE A"));
        expectLoopbackOnly(log);
    }
}

TEST_F(FtpTransferTest, EveryFailureEndsInAFailureStatusThatReadsTheSameEachTime) {
    using Mode = FtpServer::Mode;
    const std::vector<TransferStatus> connecting = {NotConnected, Connecting, ConnectionFailed};
    const std::vector<TransferStatus> inFolder = {NotConnected, Connecting, Connected,
                                                  CommunicationError};
    const std::vector<TransferStatus> firstFile = {NotConnected, Connecting, Connected,
                                                   Transferring, CommunicationError};
    const std::vector<TransferStatus> secondFile = {NotConnected, Connecting, Connected,
                                                    Transferring, IoMapSent,  Incomplete};
    const struct {
        const char* label;
        std::optional<Mode> mode; ///< none: nothing listens on the port
        bool remoteFolder;
        std::chrono::milliseconds connectTimeout;
        std::vector<TransferStatus> expected;
        /// The whole detail of the final event.
        std::string detail;
        /// A log entry that shows the case happened as meant (kind, part of the argument).
        std::pair<const char*, const char*> serverSaw;
    } cases[] = {
        {"server not listening",
         std::nullopt,
         true,
         2000ms,
         connecting,
         "logging in: the controller refuses the connection or cannot be reached",
         {}},
        {"login refused",
         Mode::RefuseLogin,
         true,
         2000ms,
         connecting,
         "logging in: the server replied \"530 Authentication failed.\"",
         {"cmd", "PASS"}},
        {"server never greets",
         Mode::Silent,
         true,
         300ms,
         connecting,
         "logging in: the controller did not answer in time",
         {"connect", ""}},
        {"remote folder missing",
         Mode::Normal,
         false,
         2000ms,
         inFolder,
         "changing to /local/etc/sysconfig/: the server replied \"550 No such file or "
         "directory.\"",
         {"cmd", "CWD"}},
        {"connection dropped in the first upload",
         Mode::DropFirstUpload,
         true,
         2000ms,
         firstFile,
         "sending iomap0.cmg: the connection to the controller was closed or broken",
         {"dropped", "iomap0.cmg"}},
        {"no reply to the first upload",
         Mode::HoldFirstUpload,
         true,
         2000ms,
         firstFile,
         "sending iomap0.cmg: the controller did not answer in time",
         {"held", "iomap0.cmg"}},
        {"server holds another size",
         Mode::LieAboutSize,
         true,
         2000ms,
         firstFile,
         "iomap0.cmg was sent with 150000 bytes and the server holds 149999 (\"213 149999\")",
         {"cmd", "SIZE iomap0.cmg"}},
        {"connection cut after the first file",
         Mode::DropAfterFirstFile,
         true,
         2000ms,
         secondFile,
         "sending network0.cmg: the connection to the controller was closed or broken",
         {"cut", "network0.cmg"}},
        {"second file refused",
         Mode::RefuseSecondUpload,
         true,
         2000ms,
         secondFile,
         "sending network0.cmg: the server replied \"452 No space left on device.\"",
         {"refused", "network0.cmg"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        // The same failure twice, each time on a fresh server and controller folder.
        for (int run = 1; run <= 2; ++run) {
            SCOPED_TRACE("run " + std::to_string(run));
            const auto root = dir / (c.label + std::to_string(run));
            const auto sysconfig = root / "local/etc/sysconfig";
            fs::create_directories(root);
            if (c.remoteFolder) {
                fs::create_directories(sysconfig);
                test::writeBytes(sysconfig / "network0.cmg", "old network file");
            }
            std::optional<FtpServer> server;
            std::optional<test::ClosedPort> closed;
            int port = 0;
            if (c.mode) {
                server.emplace(root, *c.mode, 30.0);
                port = server->port();
            } else {
                closed.emplace();
                port = closed->port();
            }
            auto r = request(port);
            r.timeouts.connect = c.connectTimeout;
            r.timeouts.response = 1s;

            FtpTransfer transfer(recorder.observer());
            const auto id = transfer.start(r);
            const auto final = recorder.waitForFinal(id);
            ASSERT_TRUE(final);
            transfer.wait();
            EXPECT_EQ(recorder.statuses(id), c.expected);
            EXPECT_EQ(final->detail, c.detail);
            EXPECT_TRUE(isFailure(final->status));
            if (!server) {
                continue;
            }
            const auto log = server->log();
            EXPECT_TRUE(logHas(log, c.serverSaw.first, c.serverSaw.second)) << server->logText();
            expectLoopbackOnly(log);
            if (c.remoteFolder) {
                EXPECT_EQ(test::readBytes(sysconfig / "network0.cmg"), "old network file");
            }
            if (c.expected == secondFile) {
                // What the incomplete status tells: the new I/O map beside the old network file.
                EXPECT_EQ(test::readBytes(sysconfig / "iomap0.cmg"),
                          test::readBytes(project / "iomap0.cmg"));
            } else {
                EXPECT_FALSE(logHas(log, "cmd", "STOR network")) << "second file sent";
            }
        }
    }
}

TEST_F(FtpTransferTest, ServerWithoutSizeLeavesTheSizeUncheckedAndSaysSo) {
    FtpServer server(servedRoot("served"), FtpServer::Mode::NoSize);
    FtpTransfer transfer(recorder.observer());
    const auto id = transfer.start(request(server.port()));
    ASSERT_TRUE(recorder.waitForFinal(id));
    transfer.wait();
    EXPECT_EQ(recorder.statuses(id), successfulRun);
    const auto events = recorder.events();
    ASSERT_EQ(events.size(), successfulRun.size());
    EXPECT_EQ(events[4].detail, "the size of iomap0.cmg is not confirmed: the server replied "
                                "\"500 Command \"SIZE\" not understood.\" to SIZE");
    EXPECT_EQ(events[5].detail, "the size of network0.cmg is not confirmed: the server replied "
                                "\"500 Command \"SIZE\" not understood.\" to SIZE");
    // Both files on one connection: the unknown command did not end the session.
    const auto log = server.log();
    EXPECT_TRUE(std::all_of(log.begin(), log.end(), [](const auto& l) {
        return l.connection == 1;
    })) << server.logText();
    const auto sysconfig = server.root() / "local/etc/sysconfig";
    for (const auto* name : {"iomap0.cmg", "network0.cmg"}) {
        EXPECT_EQ(test::readBytes(sysconfig / name), test::readBytes(project / name)) << name;
    }
}

TEST_F(FtpTransferTest, FilesOlderThanTheProjectAreRefusedUnlessSentAnyway) {
    FtpServer server(servedRoot("served"));
    const auto projectFile = project / "p.bsm";
    test::writeBytes(projectFile, "<project/>");
    const auto saved = fs::last_write_time(projectFile);
    const struct {
        const char* label;
        fs::file_time_type iomapTime;
        fs::file_time_type networkTime;
        FileState iomap;
        FileState network;
    } cases[] = {
        {"built after saving", saved + 1s, saved + 1s, FileState::Ready, FileState::Ready},
        {"built as the project was saved", saved, saved, FileState::Ready, FileState::Ready},
        {"network file from before", saved + 1s, saved - 1s, FileState::Ready,
         FileState::OlderThanProject},
        {"both from before", saved - 10s, saved - 1s, FileState::OlderThanProject,
         FileState::OlderThanProject},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fs::last_write_time(project / "iomap0.cmg", c.iomapTime);
        fs::last_write_time(project / "network0.cmg", c.networkTime);
        auto r = request(server.port());
        r.projectFile = projectFile;
        const auto files = checkTransferFiles(r);
        EXPECT_EQ(files[0].path, project / "iomap0.cmg");
        EXPECT_EQ(files[1].path, project / "network0.cmg");
        EXPECT_EQ(files[0].state, c.iomap);
        EXPECT_EQ(files[1].state, c.network);

        const bool stale = c.iomap != FileState::Ready || c.network != FileState::Ready;
        FtpTransfer transfer(recorder.observer());
        if (stale) {
            const auto& first = c.iomap != FileState::Ready ? files[0] : files[1];
            try {
                transfer.start(r);
                ADD_FAILURE() << "files older than the project were sent";
            } catch (const model::FileError& e) {
                EXPECT_EQ(fs::path(e.path()), first.path);
                EXPECT_NE(
                    std::string(e.what()).find("older than the project file p.bsm; build first"),
                    std::string::npos)
                    << e.what();
            }
            r.sendOlderFiles = true;
        }
        const auto id = transfer.start(r);
        const auto final = recorder.waitForFinal(id);
        ASSERT_TRUE(final);
        EXPECT_EQ(final->status, Done);
    }
    // A missing file is never sent, whatever the request says.
    fs::remove(project / "network0.cmg");
    auto r = request(server.port());
    r.projectFile = projectFile;
    r.sendOlderFiles = true;
    EXPECT_EQ(checkTransferFiles(r)[1].state, FileState::Missing);
    FtpTransfer transfer(recorder.observer());
    EXPECT_THROW(transfer.start(r), model::FileError);
}

TEST(TransferFiles, AreTheFilesTheBuildWritesForTheChannel) {
    for (const char* channel : {"0", "1", "12"}) {
        SCOPED_TRACE(channel);
        model::Network net;
        net.parameters.channel = channel;
        std::vector<std::string> built;
        for (const auto& file : output::generateControllerFiles(net, "p")) {
            built.push_back(file.name);
        }
        for (const auto& name : transferFiles(channel)) {
            EXPECT_NE(std::find(built.begin(), built.end(), name), built.end()) << name;
        }
        EXPECT_TRUE(transferFiles(channel)[0].starts_with("iomap"));
    }
    // Texts that name no built files, or would reach outside the project folder.
    for (const char* channel : {"", "x", "-1", "1/../../x", " 1"}) {
        EXPECT_THROW(transferFiles(channel), std::invalid_argument) << "'" << channel << "'";
    }
}

TEST_F(FtpTransferTest, MissingLocalFileIsReportedBeforeConnecting) {
    FtpServer server(servedRoot("served"));
    for (const auto* missing : {"iomap0.cmg", "network0.cmg"}) {
        SCOPED_TRACE(missing);
        test::TempDir other;
        const auto folder = other / "project";
        for (const auto* name : allFiles) {
            if (name != std::string_view(missing)) {
                test::writeBytes(folder / name, fileContent(name, 100));
            }
        }
        FtpTransfer transfer(recorder.observer());
        auto r = request(server.port());
        r.projectFolder = folder;
        try {
            transfer.start(r);
            ADD_FAILURE() << "the transfer started";
        } catch (const model::FileError& e) {
            EXPECT_EQ(fs::path(e.path()), folder / missing);
        }
        transfer.wait();
    }
    EXPECT_TRUE(recorder.events().empty());
    EXPECT_TRUE(server.log().empty()) << server.logText();
}

TEST_F(FtpTransferTest, UnusableAddressFailsWithoutConnecting) {
    FtpServer server(servedRoot("served"));
    const auto port = std::to_string(server.port());
    // Each would reach the test server if it were pasted into the URL unchecked.
    const std::string hosts[] = {"", "127.0.0.1/x", "root:tq7w@127.0.0.1", "127.0.0.1:" + port,
                                 "127.0.0.1 "};
    for (const auto& host : hosts) {
        SCOPED_TRACE("'" + host + "'");
        FtpTransfer transfer(recorder.observer());
        auto r = request(server.port());
        r.host = host;
        const auto id = transfer.start(r);
        ASSERT_TRUE(recorder.waitForFinal(id));
        EXPECT_EQ(recorder.statuses(id), (std::vector{NotConnected, Connecting, ConnectionFailed}));
    }
    EXPECT_TRUE(server.log().empty()) << server.logText();

    FtpTransfer transfer(recorder.observer());
    for (const int port : {0, -1, 65536}) {
        EXPECT_THROW(transfer.start(request(port)), std::invalid_argument) << port;
    }
}

TEST_F(FtpTransferTest, DataConnectionGoesToTheControlAddress) {
    // The server names 127.0.0.2 in its passive replies, where nothing listens.
    FtpServer server(servedRoot("served"), FtpServer::Mode::Masquerade);
    FtpTransfer transfer(recorder.observer());
    const auto id = transfer.start(request(server.port()));
    ASSERT_TRUE(recorder.waitForFinal(id));
    EXPECT_EQ(recorder.statuses(id), successfulRun);
    const auto log = server.log();
    EXPECT_TRUE(logHas(log, "data")) << server.logText();
    expectLoopbackOnly(log);
}

TEST_F(FtpTransferTest, NewTransferAbandonsTheRunningOne) {
    FtpServer server(servedRoot("served"), FtpServer::Mode::HoldFirstUpload, 30.0);
    FtpTransfer transfer(recorder.observer());
    const auto first = transfer.start(request(server.port()));
    ASSERT_TRUE(server.waitFor(1, "held")) << server.logText();

    const auto second = transfer.start(request(server.port()));
    ASSERT_TRUE(recorder.waitForFinal(second));
    transfer.wait();

    EXPECT_EQ(recorder.statuses(first),
              (std::vector{NotConnected, Connecting, Connected, Transferring}));
    EXPECT_EQ(recorder.statuses(second), successfulRun);
    const auto events = recorder.events();
    const auto firstOfSecond = std::find_if(events.begin(), events.end(),
                                            [&](const auto& e) { return e.transfer == second; });
    EXPECT_TRUE(std::none_of(firstOfSecond, events.end(),
                             [&](const auto& e) { return e.transfer == first; }));

    // The old connection was closed while its upload still waited for the server.
    EXPECT_TRUE(server.waitFor(1, "disconnect")) << server.logText();
    const auto log = server.log();
    EXPECT_FALSE(logHas(log, "released")) << server.logText();
    const auto sysconfig = server.root() / "local/etc/sysconfig";
    for (const auto* name : {"iomap0.cmg", "network0.cmg"}) {
        EXPECT_EQ(test::readBytes(sysconfig / name), test::readBytes(project / name)) << name;
    }
    for (const auto& line : log) {
        if (line.what == "received") {
            EXPECT_EQ(line.connection, 2) << line.argument;
        }
    }
}

TEST_F(FtpTransferTest, DestroyingAbandonsTheRunningTransfer) {
    FtpServer server(servedRoot("served"), FtpServer::Mode::HoldFirstUpload, 30.0);
    std::uint64_t id = 0;
    {
        FtpTransfer transfer(recorder.observer());
        id = transfer.start(request(server.port()));
        ASSERT_TRUE(server.waitFor(1, "held")) << server.logText();
    }
    EXPECT_EQ(recorder.statuses(id),
              (std::vector{NotConnected, Connecting, Connected, Transferring}));
    EXPECT_TRUE(server.waitFor(1, "disconnect")) << server.logText();
    EXPECT_FALSE(logHas(server.log(), "released")) << server.logText();
}

} // namespace
} // namespace busmason::transfer
