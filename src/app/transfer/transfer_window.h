#pragma once

#include "app/shell/window_seams.h"

#include "core/transfer/ftp_transfer.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace busmason::app {

class AppContext;

/// Sends the project's I/O map and network files of its CAN channel to the controller over FTP.
/// The user checks the controller's address and connects; the transfer then runs on its own
/// thread, and its steps show here as the status text, the lamp colour and the progress bar.
/// Connecting again starts over; closing abandons a transfer still running.
class TransferWindow : public QDialog, public ProjectTransfer {
    Q_OBJECT

public:
    explicit TransferWindow(AppContext& context, QWidget* parent = nullptr);
    ~TransferWindow() override;

    void transferProject(QWidget* parent, const editor::NetworkSession& session) override;

    /// Fills the window for the project of session: caption from the shared state's upload
    /// record, the project folder, the controller address stored as "IPADDR" (the default address
    /// when it is absent, which is then stored, or is not an IPv4 address), not connected.
    void prepare(const editor::NetworkSession& session);

    /// The FTP port connect uses; 21 unless changed (a test server listens elsewhere).
    void setPort(int port) { m_port = port; }
    /// How long a transfer waits for the controller.
    void setTimeouts(const transfer::TransferTimeouts& timeouts) { m_timeouts = timeouts; }

    /// The status of the latest transfer, or none when no transfer has started since the last
    /// preparation or connect.
    std::optional<transfer::TransferStatus> status() const { return m_status; }
    /// The lamp's colour as 0xRRGGBB.
    std::uint32_t lampRgb() const { return m_lampRgb; }

protected:
    void done(int result) override;

private:
    void connectToController();
    void applyEvent(const transfer::TransferEvent& event);
    void showStatus(const QString& text, transfer::Lamp lamp);
    void setAddressFields(const QString& address);

    AppContext& m_context;
    std::unique_ptr<transfer::FtpTransfer> m_transfer;
    /// The transfer whose events are shown; 0 when none is.
    std::uint64_t m_current = 0;
    std::optional<transfer::TransferStatus> m_status;
    std::uint32_t m_lampRgb = 0;

    std::filesystem::path m_projectFolder;
    /// The project file, when it exists: files older than it are built from an earlier state.
    std::filesystem::path m_projectFile;
    std::string m_channel = "0";
    int m_port = transfer::defaultFtpPort;
    transfer::TransferTimeouts m_timeouts;

    std::array<QLineEdit*, 4> m_address{};
    QPushButton* m_connect = nullptr;
    QLabel* m_lamp = nullptr;
    QLabel* m_statusText = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_folderLabel = nullptr;
    QLineEdit* m_folder = nullptr;
};

} // namespace busmason::app
