#include "core/transfer/ftp_transfer.h"

#include "core/model/errors.h"
#include "core/util/file_io.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace busmason::transfer {

namespace {

/// The folder as it appears in an FTP URL: "%2F" keeps the path absolute, not below the login
/// folder.
constexpr std::string_view remoteFolderInUrl = "/%2Flocal/etc/sysconfig/";

/// libcurl's process-wide set-up, done once before the first handle.
struct CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

void ensureCurl() {
    static const CurlGlobal global;
}

/// An IPv4 address, a host name, or an IPv6 address in brackets; anything that could change the
/// meaning of the URL it is put into is refused.
bool isValidHost(std::string_view host) {
    if (host.empty() || host.size() > 253) {
        return false;
    }
    if (host.front() == '[') {
        if (host.size() < 4 || host.back() != ']') {
            return false;
        }
        const auto inner = host.substr(1, host.size() - 2);
        return std::all_of(inner.begin(), inner.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
        });
    }
    return std::all_of(host.begin(), host.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
    });
}

struct Upload {
    const std::string* bytes = nullptr;
    std::size_t offset = 0;
};

std::size_t readUpload(char* buffer, std::size_t size, std::size_t count, void* userdata) {
    auto* upload = static_cast<Upload*>(userdata);
    const std::size_t n = std::min(size * count, upload->bytes->size() - upload->offset);
    std::memcpy(buffer, upload->bytes->data() + upload->offset, n);
    upload->offset += n;
    return n;
}

} // namespace

std::array<std::string_view, 2> transferFiles(int canChannel) {
    if (canChannel == 0) {
        return {"iomap0.cmg", "network0.cmg"};
    }
    return {"iomap1.cmg", "network1.cmg"};
}

bool isFinal(TransferStatus status) {
    return status == TransferStatus::Done || status == TransferStatus::ConnectionFailed ||
           status == TransferStatus::CommunicationError;
}

std::uint32_t lampRgb(Lamp lamp) {
    switch (lamp) {
    case Lamp::Red:
        return 0xFF0000;
    case Lamp::Blue:
        return 0x0000FF;
    case Lamp::Lime:
        return 0x00FF00;
    }
    return 0xFF0000;
}

StatusView statusView(TransferStatus status) {
    switch (status) {
    case TransferStatus::NotConnected:
        return {"<NON CONNESSO>", "not connected", Lamp::Red, 0};
    case TransferStatus::Connecting:
        return {"<CONNESSIONE IN CORSO>", "connecting", Lamp::Blue, 0};
    case TransferStatus::Connected:
        return {"<CONNESSIONE EFFETTUTA>", "connected", Lamp::Lime, 0};
    case TransferStatus::Transferring:
        return {"<TRASFERIMENTO PROGETTO>", "transferring the project", Lamp::Lime, 0};
    case TransferStatus::IoMapSent:
        return {"<TRASFERIMENTO PROGETTO>", "I/O map file sent", Lamp::Lime, 20};
    case TransferStatus::Done:
        return {"<PROGETTO TRASFERITO>", "project transferred", Lamp::Lime, 100};
    case TransferStatus::ConnectionFailed:
        return {"<CONNESSIONE FALLITA>", "connection failed", Lamp::Red, std::nullopt};
    case TransferStatus::CommunicationError:
        return {"<ERRORE COMUNICAZIONE>", "communication error", Lamp::Red, std::nullopt};
    }
    return {"<NON CONNESSO>", "not connected", Lamp::Red, 0};
}

/// One transfer: what it sends, and the means to stop it from another thread.
struct detail::Worker {
    std::uint64_t id = 0;
    TransferRequest request;
    std::array<std::string_view, 2> names;
    std::array<std::string, 2> contents;

    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};

    /// Guards sockets; curl's socket callbacks and cancel take it, so a socket is never shut
    /// down after curl has closed it and its number may have been reused.
    std::mutex socketMutex;
    std::vector<curl_socket_t> sockets;

    /// Stops the transfer at once: every blocking wait inside curl sees its sockets close, and
    /// the progress callback refuses to go on.
    void cancel() {
        cancelled = true;
        shutDownSockets();
    }

    void shutDownSockets() {
        std::lock_guard lock(socketMutex);
        for (const auto fd : sockets) {
            ::shutdown(fd, SHUT_RDWR);
        }
    }

    static curl_socket_t openSocket(void* clientp, curlsocktype, curl_sockaddr* address) {
        auto* self = static_cast<Worker*>(clientp);
        std::lock_guard lock(self->socketMutex);
        if (self->cancelled) {
            return CURL_SOCKET_BAD;
        }
        const curl_socket_t fd =
            ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
        if (fd != CURL_SOCKET_BAD) {
            self->sockets.push_back(fd);
        }
        return fd;
    }

    static int closeSocket(void* clientp, curl_socket_t fd) {
        auto* self = static_cast<Worker*>(clientp);
        std::lock_guard lock(self->socketMutex);
        std::erase(self->sockets, fd);
        return ::close(fd);
    }

    static int progress(void* clientp, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        return static_cast<Worker*>(clientp)->cancelled ? 1 : 0;
    }
};

namespace {

using Report = std::function<bool(TransferStatus, std::string)>;

/// One FTP session on one curl handle; each step is one curl request on the same connection.
class Session {
public:
    Session(detail::Worker& worker, CURL* curl) : m_worker(worker), m_curl(curl) {
        const auto& request = worker.request;
        m_base = "ftp://" + request.host + ":" + std::to_string(request.port);
        const long responseSeconds =
            std::max<long>(1, static_cast<long>(request.timeouts.response.count()));

        curl_easy_setopt(m_curl, CURLOPT_ERRORBUFFER, m_error);
        curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(m_curl, CURLOPT_PROTOCOLS_STR, "ftp");
        // Straight to the controller, whatever proxy the environment names.
        curl_easy_setopt(m_curl, CURLOPT_PROXY, "");
        curl_easy_setopt(m_curl, CURLOPT_USERNAME, std::string(ftpUser).c_str());
        curl_easy_setopt(m_curl, CURLOPT_PASSWORD, std::string(ftpPassword).c_str());
        // Passive mode with the plain PASV command, which every controller firmware knows; the
        // data connection goes to the address of the control connection, never to one that the
        // server's reply names.
        curl_easy_setopt(m_curl, CURLOPT_FTP_USE_EPSV, 0L);
        curl_easy_setopt(m_curl, CURLOPT_FTP_SKIP_PASV_IP, 1L);
        curl_easy_setopt(m_curl, CURLOPT_FTP_FILEMETHOD,
                         static_cast<long>(CURLFTPMETHOD_SINGLECWD));
        curl_easy_setopt(m_curl, CURLOPT_FTP_CREATE_MISSING_DIRS, 0L);
        curl_easy_setopt(m_curl, CURLOPT_TRANSFERTEXT, 0L);
        curl_easy_setopt(m_curl, CURLOPT_APPEND, 0L);
        // 0 would mean curl's own default of five minutes.
        curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT_MS,
                         std::max<long>(1, static_cast<long>(request.timeouts.connect.count())));
        curl_easy_setopt(m_curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, responseSeconds);
        // An upload that moves no byte for as long as a reply may take has stalled.
        curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_TIME, responseSeconds);
        curl_easy_setopt(m_curl, CURLOPT_OPENSOCKETFUNCTION, &detail::Worker::openSocket);
        curl_easy_setopt(m_curl, CURLOPT_OPENSOCKETDATA, &m_worker);
        curl_easy_setopt(m_curl, CURLOPT_CLOSESOCKETFUNCTION, &detail::Worker::closeSocket);
        curl_easy_setopt(m_curl, CURLOPT_CLOSESOCKETDATA, &m_worker);
        curl_easy_setopt(m_curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, &detail::Worker::progress);
        curl_easy_setopt(m_curl, CURLOPT_XFERINFODATA, &m_worker);
        curl_easy_setopt(m_curl, CURLOPT_READFUNCTION, &readUpload);
    }

    /// Connects and logs in, without changing folder.
    bool login() { return request("/", nullptr); }
    /// Changes to the controller's configuration folder.
    bool changeFolder() { return request(std::string(remoteFolderInUrl), nullptr); }
    /// Sends bytes as name into the configuration folder, replacing a file of that name. The
    /// last send closes the connection politely (QUIT) before it reports.
    bool send(std::string_view name, const std::string& bytes, bool last) {
        curl_easy_setopt(m_curl, CURLOPT_FORBID_REUSE, last ? 1L : 0L);
        return request(std::string(remoteFolderInUrl) + std::string(name), &bytes);
    }

    /// What went wrong in the last request.
    std::string failure() const {
        std::string text = m_error[0] ? m_error : curl_easy_strerror(m_code);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        long reply = 0;
        curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &reply);
        if (reply >= 400) {
            text += " (server reply " + std::to_string(reply) + ")";
        }
        return text;
    }

private:
    bool request(const std::string& path, const std::string* upload) {
        m_error[0] = '\0';
        const std::string url = m_base + path;
        Upload source{upload, 0};
        curl_easy_setopt(m_curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(m_curl, CURLOPT_UPLOAD, upload ? 1L : 0L);
        curl_easy_setopt(m_curl, CURLOPT_NOBODY, upload ? 0L : 1L);
        curl_easy_setopt(m_curl, CURLOPT_READDATA, &source);
        curl_easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE,
                         static_cast<curl_off_t>(upload ? upload->size() : 0));
        m_code = curl_easy_perform(m_curl);
        curl_easy_setopt(m_curl, CURLOPT_READDATA, nullptr);
        return m_code == CURLE_OK;
    }

    detail::Worker& m_worker;
    CURL* m_curl;
    std::string m_base;
    char m_error[CURL_ERROR_SIZE] = {};
    CURLcode m_code = CURLE_OK;
};

/// The whole sequence; stops as soon as report refuses an event (the transfer was abandoned).
void runSequence(detail::Worker& worker, const Report& report) {
    using enum TransferStatus;
    if (!report(NotConnected, {}) || !report(Connecting, {})) {
        return;
    }
    if (!isValidHost(worker.request.host)) {
        report(ConnectionFailed, "'" + worker.request.host + "' is not a valid controller address");
        return;
    }
    std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) {
        report(ConnectionFailed, "the FTP client cannot be started");
        return;
    }
    Session session(worker, curl.get());
    // Closing the sockets first keeps curl's clean-up from waiting for a reply to QUIT on a
    // connection that a failed step left open.
    struct CloseFirst {
        detail::Worker& worker;
        std::unique_ptr<CURL, void (*)(CURL*)>& curl;
        ~CloseFirst() {
            worker.shutDownSockets();
            curl.reset();
        }
    } closeFirst{worker, curl};

    auto fail = [&](TransferStatus status) {
        if (!worker.cancelled) {
            report(status, session.failure());
        }
    };
    if (!session.login()) {
        return fail(ConnectionFailed);
    }
    if (!report(Connected, {})) {
        return;
    }
    if (!session.changeFolder()) {
        return fail(CommunicationError);
    }
    if (!report(Transferring, {})) {
        return;
    }
    if (!session.send(worker.names[0], worker.contents[0], false)) {
        return fail(CommunicationError);
    }
    if (!report(IoMapSent, {})) {
        return;
    }
    if (!session.send(worker.names[1], worker.contents[1], true)) {
        return fail(CommunicationError);
    }
    report(Done, {});
}

} // namespace

FtpTransfer::FtpTransfer(TransferObserver observer) : m_observer(std::move(observer)) {
    ensureCurl();
}

FtpTransfer::~FtpTransfer() {
    abandon();
    for (auto& [worker, thread] : m_retired) {
        if (thread.joinable()) {
            thread.join();
        }
    }
}

std::uint64_t FtpTransfer::start(const TransferRequest& request) {
    if (request.port < 1 || request.port > 65535) {
        throw std::invalid_argument("port " + std::to_string(request.port) +
                                    " is outside 1 to 65535");
    }
    auto worker = std::make_shared<detail::Worker>();
    worker->request = request;
    worker->names = transferFiles(request.canChannel);
    for (std::size_t i = 0; i < worker->names.size(); ++i) {
        const auto path = request.projectFolder / worker->names[i];
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) {
            throw model::FileError(util::displayPath(path),
                                   "not in the project folder; build the project first");
        }
        worker->contents[i] = util::readFile(path);
    }

    {
        // Numbers are unique in the process, so events of different transfer objects never
        // look alike.
        static std::atomic<std::uint64_t> lastId{0};
        std::lock_guard lock(m_deliveryMutex);
        worker->id = m_generation = ++lastId;
    }
    if (m_current) {
        m_current->cancel();
        m_retired.emplace_back(std::move(m_current), std::move(m_currentThread));
    }
    retire();

    m_current = worker;
    m_currentThread = std::thread([this, worker] {
        bool connected = false;
        const Report report = [&](TransferStatus status, std::string detail) {
            connected = connected || status == TransferStatus::Connected;
            return deliver({worker->id, status, std::move(detail)});
        };
        std::optional<std::string> failure;
        try {
            runSequence(*worker, report);
        } catch (const std::exception& e) {
            failure = e.what();
        } catch (...) {
            failure = "unexpected failure";
        }
        if (failure) {
            // Whatever stopped the sequence, the window must not stay at a running status.
            try {
                report(connected ? TransferStatus::CommunicationError
                                 : TransferStatus::ConnectionFailed,
                       *failure);
            } catch (...) {
            }
        }
        worker->finished = true;
    });
    return worker->id;
}

void FtpTransfer::abandon() {
    {
        std::lock_guard lock(m_deliveryMutex);
        m_generation = 0;
    }
    if (m_current) {
        m_current->cancel();
        m_retired.emplace_back(std::move(m_current), std::move(m_currentThread));
    }
    retire();
}

void FtpTransfer::wait() {
    if (m_currentThread.joinable()) {
        m_currentThread.join();
    }
}

bool FtpTransfer::deliver(const TransferEvent& event) {
    std::lock_guard lock(m_deliveryMutex);
    if (event.transfer != m_generation) {
        return false;
    }
    if (m_observer) {
        m_observer(event);
    }
    return true;
}

void FtpTransfer::retire() {
    std::erase_if(m_retired, [](auto& entry) {
        auto& [worker, thread] = entry;
        if (!worker->finished) {
            return false;
        }
        if (thread.joinable()) {
            thread.join();
        }
        return true;
    });
}

} // namespace busmason::transfer
