#include "core/model/errors.h"
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

const char* const allFiles[] = {"iomap0.cmg", "network0.cmg", "iomap1.cmg", "network1.cmg"};

/// The commands that touch folders and files, and the uploads the server completed, in order.
std::vector<std::string> fileSteps(const std::vector<FtpLogLine>& log) {
    std::vector<std::string> steps;
    for (const auto& line : log) {
        const bool fileCommand =
            line.what == "cmd" &&
            (line.argument.starts_with("CWD") || line.argument.starts_with("STOR") ||
             line.argument.starts_with("APPE") || line.argument.starts_with("MKD"));
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

    TransferRequest request(int port, int channel = 0) const {
        TransferRequest r;
        r.projectFolder = project;
        r.host = "127.0.0.1";
        r.port = port;
        r.canChannel = channel;
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
        int channel;
        const char* iomap;
        const char* network;
        std::size_t iomapSize;
    } cases[] = {{0, "iomap0.cmg", "network0.cmg", 150000},
                 {1, "iomap1.cmg", "network1.cmg", 150000},
                 {7, "iomap1.cmg", "network1.cmg", 150000},
                 // A network without variables has an empty I/O map.
                 {0, "iomap0.cmg", "network0.cmg", 0}};
    const auto sysconfig = servedRoot("served") / "local/etc/sysconfig";
    FtpServer server(dir / "served");
    std::size_t logSeen = 0;
    int connection = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE("channel " + std::to_string(c.channel) + ", I/O map of " +
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
            "CWD /local/etc/sysconfig", std::string("STOR ") + c.iomap,
            std::string("received /local/etc/sysconfig/") + c.iomap,
            std::string("STOR ") + c.network,
            std::string("received /local/etc/sysconfig/") + c.network};
        EXPECT_EQ(fileSteps(log), expected) << server.logText();
        EXPECT_TRUE(logHas(log, "cmd", "USER root"));
        EXPECT_TRUE(logHas(log, "cmd", "TYPE I"));
        EXPECT_FALSE(logHas(log, "cmd", "TYPE A"));
        expectLoopbackOnly(log);
    }
}

TEST_F(FtpTransferTest, EveryFailureEndsInConnectionFailedOrCommunicationError) {
    using Mode = FtpServer::Mode;
    const std::vector<TransferStatus> connecting = {NotConnected, Connecting, ConnectionFailed};
    const std::vector<TransferStatus> inFolder = {NotConnected, Connecting, Connected,
                                                  CommunicationError};
    const std::vector<TransferStatus> sending = {NotConnected, Connecting, Connected, Transferring,
                                                 CommunicationError};
    const struct {
        const char* label;
        std::optional<Mode> mode; ///< none: nothing listens on the port
        bool remoteFolder;
        std::chrono::milliseconds connectTimeout;
        std::vector<TransferStatus> expected;
        /// A log entry that shows the case happened as meant (kind, part of the argument).
        std::pair<const char*, const char*> serverSaw;
    } cases[] = {
        {"server not listening", std::nullopt, true, 2000ms, connecting, {}},
        {"login refused", Mode::RefuseLogin, true, 2000ms, connecting, {"cmd", "PASS"}},
        {"server never greets", Mode::Silent, true, 300ms, connecting, {"connect", ""}},
        {"remote folder missing", Mode::Normal, false, 2000ms, inFolder, {"cmd", "CWD"}},
        {"connection dropped in the first upload",
         Mode::DropFirstUpload,
         true,
         2000ms,
         sending,
         {"dropped", "iomap0.cmg"}},
        {"no reply to the first upload",
         Mode::HoldFirstUpload,
         true,
         2000ms,
         sending,
         {"held", "iomap0.cmg"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const auto root = dir / c.label;
        fs::create_directories(root);
        if (c.remoteFolder) {
            fs::create_directories(root / "local/etc/sysconfig");
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
        EXPECT_FALSE(final->detail.empty());
        if (server) {
            const auto log = server->log();
            EXPECT_TRUE(logHas(log, c.serverSaw.first, c.serverSaw.second)) << server->logText();
            EXPECT_FALSE(logHas(log, "cmd", "STOR network")) << "second file sent";
            EXPECT_FALSE(logHas(log, "received")) << server->logText();
            expectLoopbackOnly(log);
        }
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
