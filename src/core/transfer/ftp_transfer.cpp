#include "core/transfer/ftp_transfer.h"

#include "core/model/errors.h"
#include "core/output/io_map.h"
#include "core/output/network_file.h"
#include "core/translation/keys.h"
#include "core/util/file_io.h"
#include "core/util/text.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
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

std::array<std::string, 2> transferFiles(std::string_view channel) {
    const bool digits = !channel.empty() && std::all_of(channel.begin(), channel.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
    if (!digits) {
        throw std::invalid_argument("the CAN channel '" + std::string(channel) +
                                    "' is not a decimal number, so no controller files are "
                                    "built for it");
    }
    return {output::ioMapFileName(channel), output::networkFileName(channel)};
}

std::array<TransferFile, 2> checkTransferFiles(const TransferRequest& request) {
    namespace fs = std::filesystem;
    if (request.projectFolder.empty()) {
        // An empty folder would mean the current folder, which the transfer never reads from.
        throw std::invalid_argument("no project folder is given");
    }
    const auto names = transferFiles(request.channel);
    std::optional<fs::file_time_type> projectTime;
    if (!request.projectFile.empty()) {
        std::error_code ec;
        projectTime = fs::last_write_time(request.projectFile, ec);
        if (ec) {
            throw model::FileError(util::displayPath(request.projectFile), ec.message());
        }
    }
    std::array<TransferFile, 2> files;
    for (std::size_t i = 0; i < files.size(); ++i) {
        TransferFile& file = files[i];
        file.name = names[i];
        file.path = request.projectFolder / file.name;
        std::error_code ec;
        if (!fs::is_regular_file(file.path, ec)) {
            file.state = FileState::Missing;
            continue;
        }
        if (projectTime) {
            const auto time = fs::last_write_time(file.path, ec);
            if (ec || time < *projectTime) {
                file.state = FileState::OlderThanProject;
            }
        }
    }
    return files;
}

std::string describeFileState(const TransferFile& file, const TransferRequest& request) {
    switch (file.state) {
    case FileState::Ready:
        return {};
    case FileState::Missing:
        return "not in the project folder; build first";
    case FileState::OlderThanProject:
        return "older than the project file " + util::displayPath(request.projectFile.filename()) +
               "; build first";
    }
    return {};
}

bool isFinal(TransferStatus status) {
    return status == TransferStatus::Done || isFailure(status);
}

bool isFailure(TransferStatus status) {
    return status == TransferStatus::ConnectionFailed ||
           status == TransferStatus::CommunicationError || status == TransferStatus::Incomplete;
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
    namespace keys = translation;
    switch (status) {
    case TransferStatus::NotConnected:
        return {keys::kNonConnesso, "not connected", Lamp::Red, 0};
    case TransferStatus::Connecting:
        return {keys::kConnessioneInCorso, "connecting", Lamp::Blue, 0};
    case TransferStatus::Connected:
        return {keys::kConnessioneEffettuta, "connected", Lamp::Lime, 0};
    case TransferStatus::Transferring:
        return {keys::kTrasferimentoProgetto, "transferring the project", Lamp::Lime, 0};
    case TransferStatus::IoMapSent:
        return {keys::kTrasferimentoProgetto, "I/O map file sent", Lamp::Lime, 20};
    case TransferStatus::Done:
        return {keys::kProgettoTrasferito, "project transferred", Lamp::Lime, 100};
    case TransferStatus::ConnectionFailed:
        return {keys::kConnessioneFallita, "connection failed", Lamp::Red, std::nullopt};
    case TransferStatus::CommunicationError:
        return {keys::kErroreComunicazione, "communication error", Lamp::Red, std::nullopt};
    case TransferStatus::Incomplete:
        return {keys::kTrasferimentoIncompleto,
                "transfer incomplete: the controller holds the new I/O map file beside an old or "
                "partial network file",
                Lamp::Red, std::nullopt};
    }
    return {keys::kNonConnesso, "not connected", Lamp::Red, 0};
}

/// One transfer: what it sends, and the means to stop it from another thread.
struct detail::Worker {
    std::uint64_t id = 0;
    TransferRequest request;
    std::array<std::string, 2> names;
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

/// What a failed request means, the same words for the same failure every time. curl's own
/// error text is not used: it carries timings and, after a closed connection, a stale errno.
std::string_view describeCurlCode(CURLcode code) {
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return "the controller's address cannot be resolved";
    case CURLE_COULDNT_CONNECT:
        return "the controller refuses the connection or cannot be reached";
    case CURLE_OPERATION_TIMEDOUT:
        return "the controller did not answer in time";
    case CURLE_LOGIN_DENIED:
        return "the controller refused the login";
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_UPLOAD_FAILED:
        return "the connection to the controller was closed or broken";
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT:
        return "the controller's reply is not one an FTP server gives";
    default:
        return curl_easy_strerror(code);
    }
}

/// A server's reply line made safe to show: UTF-8, no control characters, at most 200 bytes.
std::string printableReply(std::string_view line) {
    std::string text = util::toUtf8(line);
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = ' ';
        }
    }
    return std::string(util::cutUtf8(util::trim(text), 200));
}

/// The server's answer to SIZE for a file just sent.
struct SizeCheck {
    /// False when the request itself failed (the connection broke, no reply in time).
    bool answered = false;
    /// The size the server gave ("213 N"); empty when it gave none (no SIZE command).
    std::optional<std::uintmax_t> size;
    /// The reply line, for messages.
    std::string reply;
};

/// One FTP session on one curl handle; each step is one curl request on the same connection.
class Session {
public:
    Session(detail::Worker& worker, CURL* curl) : m_worker(worker), m_curl(curl) {
        const auto& request = worker.request;
        m_base = "ftp://" + request.host + ":" + std::to_string(request.port);
        const long responseSeconds =
            std::max<long>(1, static_cast<long>(request.timeouts.response.count()));

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
        // curl hands every line the server sends on the control connection to this function.
        curl_easy_setopt(m_curl, CURLOPT_HEADERFUNCTION, &Session::onReplyLine);
        curl_easy_setopt(m_curl, CURLOPT_HEADERDATA, this);
    }

    ~Session() { curl_easy_setopt(m_curl, CURLOPT_QUOTE, nullptr); }

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    /// Connects and logs in, without changing folder.
    bool login() { return request("/", nullptr); }
    /// Changes to the controller's configuration folder.
    bool changeFolder() { return request(std::string(remoteFolderInUrl), nullptr); }
    /// Sends bytes as name into the configuration folder, replacing a file of that name.
    bool send(std::string_view name, const std::string& bytes) {
        return request(std::string(remoteFolderInUrl) + std::string(name), &bytes);
    }

    /// Asks the server for the size of name in the configuration folder. The last request of a
    /// transfer closes the connection politely (QUIT) before it returns.
    SizeCheck size(std::string_view name, bool last) {
        // "*": a server without SIZE answers with an error, which must not end the session.
        const std::string command = "*SIZE " + std::string(name);
        std::unique_ptr<curl_slist, void (*)(curl_slist*)> quote(
            curl_slist_append(nullptr, command.c_str()), &curl_slist_free_all);
        if (!quote) {
            throw std::bad_alloc();
        }
        curl_easy_setopt(m_curl, CURLOPT_QUOTE, quote.get());
        curl_easy_setopt(m_curl, CURLOPT_FORBID_REUSE, last ? 1L : 0L);
        SizeCheck check;
        check.answered = request(std::string(remoteFolderInUrl), nullptr);
        curl_easy_setopt(m_curl, CURLOPT_QUOTE, nullptr);
        // On the last request the reply to QUIT ("221 Goodbye.") follows the one to SIZE.
        std::size_t count = m_replies.size();
        if (last && count > 1 && m_replies.back().starts_with("221")) {
            --count;
        }
        check.reply = count > 0 ? m_replies[count - 1] : std::string();
        if (check.answered && check.reply.starts_with("213 ")) {
            const std::string_view digits = util::trim(std::string_view(check.reply).substr(4));
            std::uintmax_t value = 0;
            const auto [end, error] =
                std::from_chars(digits.data(), digits.data() + digits.size(), value);
            if (error == std::errc() && end == digits.data() + digits.size()) {
                check.size = value;
            }
        }
        return check;
    }

    /// Why the last request failed, beginning with step ("sending iomap0.cmg"): the server's
    /// reply when it refused, else what happened to the connection.
    std::string failure(std::string_view step) const {
        long code = 0;
        curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &code);
        if (code >= 400) {
            const std::string number = std::to_string(code);
            const std::string last = m_replies.empty() ? std::string() : m_replies.back();
            const std::string reply = last.starts_with(number) ? printableReply(last) : number;
            return std::string(step) + ": the server replied \"" + reply + "\"";
        }
        return std::string(step) + ": " + std::string(describeCurlCode(m_code));
    }

private:
    bool request(const std::string& path, const std::string* upload) {
        m_replies.clear();
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

    /// Keeps the last line of each complete reply ("226 Transfer complete."); the lines of a
    /// multi-line reply before its last ("211-...") are passed over.
    static std::size_t onReplyLine(char* data, std::size_t size, std::size_t count,
                                   void* userdata) {
        auto* self = static_cast<Session*>(userdata);
        const std::size_t n = size * count;
        std::string_view line(data, n);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.remove_suffix(1);
        }
        const bool final = line.size() >= 3 &&
                           std::all_of(line.begin(), line.begin() + 3,
                                       [](char c) { return c >= '0' && c <= '9'; }) &&
                           (line.size() == 3 || line[3] == ' ');
        if (final) {
            self->m_replies.emplace_back(line);
        }
        return n;
    }

    detail::Worker& m_worker;
    CURL* m_curl;
    std::string m_base;
    CURLcode m_code = CURLE_OK;
    /// The complete replies of the current request in order, each as its last line.
    std::vector<std::string> m_replies;
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
    // Closing the sockets first keeps curl's clean-up from waiting for a reply to QUIT on a
    // connection that a failed step left open. Declared before the session, so the session's
    // options are cleared before the handle goes.
    struct CloseFirst {
        detail::Worker& worker;
        std::unique_ptr<CURL, void (*)(CURL*)>& curl;
        ~CloseFirst() {
            worker.shutDownSockets();
            curl.reset();
        }
    } closeFirst{worker, curl};
    Session session(worker, curl.get());

    auto fail = [&](TransferStatus status, std::string detail) {
        if (!worker.cancelled) {
            report(status, std::move(detail));
        }
        return false;
    };
    if (!session.login()) {
        fail(ConnectionFailed, session.failure("logging in"));
        return;
    }
    if (!report(Connected, {})) {
        return;
    }
    if (!session.changeFolder()) {
        fail(CommunicationError, session.failure("changing to " + std::string(remoteFolder)));
        return;
    }
    if (!report(Transferring, {})) {
        return;
    }

    // Sends file i and confirms its size; on success, note says what could not be confirmed.
    // Until the I/O map file has arrived (the server's reply to it), a failure leaves the
    // controller's network file as it was; after that, the controller's two files no longer
    // belong together.
    auto sendFile = [&](std::size_t i, std::string& note) {
        const std::string& name = worker.names[i];
        const std::string& bytes = worker.contents[i];
        const bool last = i + 1 == worker.names.size();
        const TransferStatus failed = i == 0 ? CommunicationError : Incomplete;
        if (!session.send(name, bytes)) {
            return fail(failed, session.failure("sending " + name));
        }
        const SizeCheck check = session.size(name, last);
        if (!check.answered) {
            return fail(Incomplete, session.failure("confirming the size of " + name));
        }
        if (!check.size) {
            note = "the size of " + name + " is not confirmed: the server replied \"" +
                   printableReply(check.reply) + "\" to SIZE";
        } else if (*check.size != bytes.size()) {
            return fail(failed, name + " was sent with " + std::to_string(bytes.size()) +
                                    " bytes and the server holds " + std::to_string(*check.size) +
                                    " (\"" + printableReply(check.reply) + "\")");
        }
        return true;
    };
    std::string note;
    if (!sendFile(0, note) || !report(IoMapSent, std::move(note))) {
        return;
    }
    note.clear();
    if (!sendFile(1, note)) {
        return;
    }
    report(Done, std::move(note));
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
    const auto files = checkTransferFiles(request);
    for (const TransferFile& file : files) {
        const bool refused = file.state == FileState::Missing ||
                             (file.state == FileState::OlderThanProject && !request.sendOlderFiles);
        if (refused) {
            throw model::FileError(util::displayPath(file.path), describeFileState(file, request));
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        worker->names[i] = files[i].name;
        worker->contents[i] = util::readFile(files[i].path);
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
