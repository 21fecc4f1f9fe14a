#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace busmason::transfer {

/// The controller's address until the user types another one.
inline constexpr std::string_view defaultControllerAddress = "192.168.0.100";
/// The controller's FTP port.
inline constexpr int defaultFtpPort = 21;
/// The folder on the controller that receives the configuration files.
inline constexpr std::string_view remoteFolder = "/local/etc/sysconfig/";
inline constexpr std::string_view ftpUser = "root";
inline constexpr std::string_view ftpPassword = "tq7w";

/// The two files a transfer sends, in the order they are sent: the I/O map, then the network
/// configuration, named as the build names them for the project's CAN channel text ("0" gives
/// "iomap0.cmg" and "network0.cmg"). Throws std::invalid_argument for a channel text that is not
/// plain decimal digits: the build writes no files for it.
std::array<std::string, 2> transferFiles(std::string_view channel);

/// The steps a transfer reports, in the order of a successful run, then the three failures.
enum class TransferStatus {
    NotConnected,       ///< a new transfer has begun and holds no connection yet
    Connecting,         ///< connecting and logging in to the controller
    Connected,          ///< logged in; changing to the configuration folder
    Transferring,       ///< in the configuration folder; sending the files
    IoMapSent,          ///< the I/O map file arrived; sending the network file
    Done,               ///< both files arrived
    ConnectionFailed,   ///< refused, unreachable, login denied or timed out while connecting
    CommunicationError, ///< the folder change or the I/O map file failed; the network file on
                        ///< the controller is untouched
    Incomplete,         ///< the I/O map file arrived and the network file did not: the controller
                        ///< holds the new I/O map beside an old or partial network file
};

/// True for the statuses that end a transfer: no event follows them.
bool isFinal(TransferStatus status);
/// True for the final statuses other than Done.
bool isFailure(TransferStatus status);

/// The colours of the status lamp.
enum class Lamp {
    Red,  ///< not connected, or failed
    Blue, ///< connecting
    Lime, ///< connected, transferring, done
};

/// The lamp colour as 0xRRGGBB.
std::uint32_t lampRgb(Lamp lamp);

/// How the window and the command line show a status.
struct StatusView {
    /// The translation key of the status text.
    std::string_view key;
    /// The meaning in English, for the command line.
    std::string_view meaning;
    Lamp lamp = Lamp::Red;
    /// The progress bar position, 0 to 100; empty to leave it where it is.
    std::optional<int> progress;
};

StatusView statusView(TransferStatus status);

/// One report of a running transfer.
struct TransferEvent {
    /// The transfer it belongs to, as returned by FtpTransfer::start.
    std::uint64_t transfer = 0;
    TransferStatus status = TransferStatus::NotConnected;
    /// For a failure, the step and what went wrong, quoting the server's reply when there is one
    /// ("sending network0.cmg: the server replied \"452 No space left on device.\""). For a file
    /// that arrived, a note when the server could not confirm its size; else empty.
    std::string detail;
};

/// How long a transfer waits for the controller before it gives up.
struct TransferTimeouts {
    /// TCP connection, greeting and login together; at least 1 ms.
    std::chrono::milliseconds connect{5000};
    /// Each server reply after the login, and any stall of an upload; whole seconds, at least 1.
    std::chrono::seconds response{10};
};

struct TransferRequest {
    /// The folder holding the files to send (the open project's folder).
    std::filesystem::path projectFolder;
    /// The project's CAN channel text, which names the files as the build names them.
    std::string channel = "0";
    /// The project file the files were built from; when given, a file older than it is refused
    /// unless sendOlderFiles is set.
    std::filesystem::path projectFile;
    /// Sends files older than projectFile anyway.
    bool sendOlderFiles = false;
    /// The controller's address: IPv4 in dotted decimal form, a host name, or IPv6 in brackets.
    std::string host;
    /// 1 to 65535.
    int port = defaultFtpPort;
    TransferTimeouts timeouts;
};

/// Whether a file of a transfer can be sent as it is.
enum class FileState {
    Ready,            ///< present, and not older than the project file
    Missing,          ///< not in the project folder, or not a regular file
    OlderThanProject, ///< older than the project file: built before the last change
};

struct TransferFile {
    /// The file name, the same on the controller ("iomap0.cmg").
    std::string name;
    /// Where it is read from: in the project folder.
    std::filesystem::path path;
    FileState state = FileState::Ready;
};

/// The files request would send, in order, each with its state. Throws model::FileError when
/// request.projectFile is given and its time cannot be read, and std::invalid_argument for an
/// empty project folder or a channel text that names no files.
std::array<TransferFile, 2> checkTransferFiles(const TransferRequest& request);

/// Why file cannot be sent as it is, ending in "build first"; empty when it is Ready.
std::string describeFileState(const TransferFile& file, const TransferRequest& request);

/// Receives the events of a transfer on the transfer's worker thread. It must return quickly
/// and must not call back into the FtpTransfer that delivers it.
using TransferObserver = std::function<void(const TransferEvent&)>;

namespace detail {
/// The state of one transfer's thread.
struct Worker;
} // namespace detail

/// Sends a project's configuration files to the controller over FTP on a worker thread: connect
/// and log in (passive mode), change to remoteFolder, send the I/O map file, then the network
/// file, both binary and replacing the files on the controller. After each upload the server is
/// asked for the file's size (SIZE); a size other than the local file's fails the transfer, and a
/// server without SIZE leaves the size unchecked (noted in the event's detail).
///
/// Starting a new transfer abandons the running one at once: no event of the old transfer is
/// delivered after start returns, and its connection is closed. Destroying the object abandons
/// the running transfer and waits for its thread. The member functions are called from one
/// thread, the owner's.
class FtpTransfer {
public:
    explicit FtpTransfer(TransferObserver observer);
    ~FtpTransfer();
    FtpTransfer(const FtpTransfer&) = delete;
    FtpTransfer& operator=(const FtpTransfer&) = delete;

    /// Reads both files from request.projectFolder and starts sending them. Returns the number
    /// that the new transfer's events carry, unique in the process. When a file is missing,
    /// unreadable, or older than request.projectFile (unless request.sendOlderFiles), throws
    /// model::FileError naming it before anything else happens: nothing is connected or sent and
    /// a transfer already running goes on. Throws std::invalid_argument for a port outside 1 to
    /// 65535, an empty project folder or a channel text that names no files.
    std::uint64_t start(const TransferRequest& request);

    /// Abandons the running transfer, if any: none of its events is delivered from now on.
    void abandon();

    /// Waits until the thread of the latest transfer has finished.
    void wait();

private:
    bool deliver(const TransferEvent& event);
    void retire();

    TransferObserver m_observer;
    /// Guards m_generation and every delivery, so no stale event slips past a start.
    std::mutex m_deliveryMutex;
    /// The number of the transfer whose events are delivered; 0 when none is.
    std::uint64_t m_generation = 0;
    std::shared_ptr<detail::Worker> m_current;
    std::thread m_currentThread;
    /// Abandoned workers still closing down; joined when they finish or at destruction.
    std::vector<std::pair<std::shared_ptr<detail::Worker>, std::thread>> m_retired;
};

} // namespace busmason::transfer
