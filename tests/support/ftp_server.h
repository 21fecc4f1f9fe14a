#pragma once

#include "support/test_support.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace busmason::test {

/// One line of the test server's log: "<connection> <what> <argument>".
struct FtpLogLine {
    /// The control connection, numbered from 1 in the order they were accepted.
    int connection = 0;
    /// "connect", "cmd", "data", "received", "incomplete", "held", "released", "dropped", "cut",
    /// "refused", "disconnect".
    std::string what;
    /// The peer address, the command with its argument ("STOR iomap0.cmg"), or the path.
    std::string argument;
};

/// Debian's pyftpdlib serving a folder to the user root (password tq7w) on 127.0.0.1 at a free
/// port, run by /usr/bin/python3 from tests/support/ftp_server.py. Stopped, and its process
/// reaped, when the object goes out of scope; it also ends by itself when the test process dies.
class FtpServer {
public:
    enum class Mode {
        Normal,
        RefuseLogin,        ///< every login attempt is answered 530
        DropFirstUpload,    ///< the connection is cut as soon as the first upload's data arrives
        HoldFirstUpload,    ///< the first STOR is answered only after holdSeconds
        Silent,             ///< accepts TCP connections and never greets
        Masquerade,         ///< passive replies name 127.0.0.2 instead of the real address
        DropAfterFirstFile, ///< once an upload has arrived, the next STOR's connection is cut
        RefuseSecondUpload, ///< once an upload has arrived, STOR gets "452 No space left on
                            ///< device."
        LieAboutSize,       ///< SIZE answers one byte less than the file holds
        NoSize,             ///< SIZE is an unknown command ("500 ... not understood.")
    };

    /// Empty when the server can run on this machine; else why not, for GTEST_SKIP.
    static std::string unavailableReason();

    /// Starts serving root (created when absent); throws std::runtime_error when the server does
    /// not come up.
    explicit FtpServer(std::filesystem::path root, Mode mode = Mode::Normal,
                       double holdSeconds = 5.0);
    ~FtpServer();
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;

    int port() const { return m_port; }
    const std::filesystem::path& root() const { return m_root; }

    /// Everything logged so far.
    std::vector<FtpLogLine> log() const;
    /// The log as text, for failure messages.
    std::string logText() const;
    /// Waits until a line of the given kind whose argument contains argument appears (any
    /// argument when empty); false when none did within timeout.
    bool waitFor(int connection, std::string_view what, std::string_view argument = {},
                 std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

private:
    void stop();

    std::filesystem::path m_root;
    TempDir m_scratch;
    std::filesystem::path m_logPath;
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_port = 0;
};

/// A loopback port where nothing listens: connecting to it is refused for as long as the object
/// lives.
class ClosedPort {
public:
    ClosedPort();
    ~ClosedPort();
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;
    int port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

} // namespace busmason::test
