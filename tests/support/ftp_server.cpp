#include "support/ftp_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace busmason::test {

namespace {

constexpr const char* python = "/usr/bin/python3";

std::filesystem::path serverScript() {
    return std::filesystem::path(BUSMASON_SOURCE_DIR) / "tests" / "support" / "ftp_server.py";
}

const char* modeName(FtpServer::Mode mode) {
    switch (mode) {
    case FtpServer::Mode::Normal:
        return "normal";
    case FtpServer::Mode::RefuseLogin:
        return "refuse-login";
    case FtpServer::Mode::DropFirstUpload:
        return "drop-first-upload";
    case FtpServer::Mode::HoldFirstUpload:
        return "hold-first-upload";
    case FtpServer::Mode::Silent:
        return "silent";
    case FtpServer::Mode::Masquerade:
        return "masquerade";
    case FtpServer::Mode::DropAfterFirstFile:
        return "drop-after-first-file";
    case FtpServer::Mode::RefuseSecondUpload:
        return "refuse-second-upload";
    case FtpServer::Mode::LieAboutSize:
        return "lie-about-size";
    case FtpServer::Mode::NoSize:
        return "no-size";
    }
    return "normal";
}

/// Reads one line from fd within the time left; empty when none came.
std::string readLine(int fd, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string line;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return {};
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return {};
        }
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n <= 0) {
            return {};
        }
        if (c == '\n') {
            return line;
        }
        line += c;
    }
}

} // namespace

std::string FtpServer::unavailableReason() {
    static const std::string reason = [] {
        if (::access(python, X_OK) != 0) {
            return std::string(python) + " is missing; install Debian's python3-pyftpdlib";
        }
        const std::string probe = std::string(python) + " -c 'import pyftpdlib' >/dev/null 2>&1";
        if (std::system(probe.c_str()) != 0) {
            return std::string(python) +
                   " cannot import pyftpdlib; install Debian's python3-pyftpdlib";
        }
        return std::string();
    }();
    return reason;
}

FtpServer::FtpServer(std::filesystem::path root, Mode mode, double holdSeconds)
    : m_root(std::move(root)), m_logPath(m_scratch / "server.log") {
    std::filesystem::create_directories(m_root);
    const std::string script = serverScript().string();
    const std::string rootArg = m_root.string();
    const std::string logArg = m_logPath.string();
    const std::string errPath = (m_scratch / "server.err").string();
    const std::string holdArg = std::to_string(holdSeconds);
    std::vector<const char*> argv = {python,   script.c_str(),  "--root", rootArg.c_str(),
                                     "--log",  logArg.c_str(),  "--mode", modeName(mode),
                                     "--hold", holdArg.c_str(), nullptr};

    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        throw std::runtime_error("pipe failed");
    }
    const pid_t parent = ::getpid();
    m_pid = ::fork();
    if (m_pid == 0) {
        // Only async-signal-safe calls until exec: the test process may run other threads.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) {
            ::_exit(127);
        }
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        if (err >= 0) {
            ::dup2(err, STDERR_FILENO);
        }
        ::execv(python, const_cast<char* const*>(argv.data()));
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    if (m_pid < 0) {
        ::close(in[1]);
        ::close(out[0]);
        throw std::runtime_error("fork failed");
    }
    m_stdin = in[1];
    const std::string line = readLine(out[0], std::chrono::seconds(10));
    ::close(out[0]);
    if (line.rfind("PORT ", 0) == 0) {
        m_port = std::atoi(line.c_str() + 5);
    }
    if (m_port <= 0) {
        stop();
        std::ifstream err(errPath);
        std::ostringstream text;
        text << err.rdbuf();
        throw std::runtime_error("the test FTP server did not start: " + text.str());
    }
}

FtpServer::~FtpServer() {
    stop();
}

void FtpServer::stop() {
    if (m_stdin >= 0) {
        ::close(m_stdin);
        m_stdin = -1;
    }
    if (m_pid <= 0) {
        return;
    }
    ::kill(m_pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

std::vector<FtpLogLine> FtpServer::log() const {
    std::vector<FtpLogLine> lines;
    std::ifstream in(m_logPath);
    std::string text;
    while (std::getline(in, text)) {
        std::istringstream fields(text);
        FtpLogLine line;
        fields >> line.connection >> line.what;
        std::getline(fields >> std::ws, line.argument);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string FtpServer::logText() const {
    std::ifstream in(m_logPath);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool FtpServer::waitFor(int connection, std::string_view what, std::string_view argument,
                        std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        for (const auto& line : log()) {
            if (line.connection == connection && line.what == what &&
                line.argument.find(argument) != std::string::npos) {
                return true;
            }
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

ClosedPort::ClosedPort() {
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        throw std::runtime_error("cannot reserve a loopback port");
    }
    m_port = ntohs(address.sin_port);
}

ClosedPort::~ClosedPort() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

} // namespace busmason::test
