#include "app/transfer/transfer_window.h"

#include "app/shell/app_context.h"
#include "app/shell/messages.h"
#include "app/shell/remembered.h"

#include "core/editor/network_session.h"
#include "core/transfer/controller_address.h"
#include "core/translation/keys.h"

#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace busmason::app {

namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

TransferWindow::TransferWindow(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName("TForm17");
    setWindowTitle(context.tr(translation::kDownloadCan));

    auto* addressGroup = new QGroupBox(context.tr(translation::kIndirizzoIp), this);
    addressGroup->setObjectName("GroupBox2");
    auto* addressRow = new QHBoxLayout(addressGroup);
    for (std::size_t i = 0; i < m_address.size(); ++i) {
        if (i > 0) {
            addressRow->addWidget(new QLabel(".", addressGroup));
        }
        auto* part = new QLineEdit(addressGroup);
        part->setObjectName("Edit" + QString::number(i + 2));
        part->setMaxLength(3);
        part->setAlignment(Qt::AlignRight);
        part->setFixedWidth(part->fontMetrics().horizontalAdvance("0000") + 12);
        part->setAccessibleName(context.tr(translation::kIndirizzoIp) + " " +
                                QString::number(i + 1));
        addressRow->addWidget(part);
        m_address[i] = part;
    }
    addressRow->addStretch();

    m_connect = new QPushButton(context.tr(translation::kConnessione), this);
    m_connect->setObjectName("Button3");
    m_connect->setDefault(true);
    m_connect->setMinimumHeight(48);

    auto* statusGroup = new QGroupBox(context.tr(translation::kStatoConnessione), this);
    statusGroup->setObjectName("GroupBox1");
    m_lamp = new QLabel(statusGroup);
    m_lamp->setObjectName("Shape1");
    m_lamp->setFixedSize(22, 22);
    m_lamp->setAccessibleName(context.tr(translation::kStatoConnessione));
    m_statusText = new QLabel(statusGroup);
    m_statusText->setObjectName("Label1");
    m_statusText->setWordWrap(true);
    m_statusText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_statusText->setMinimumHeight(m_statusText->fontMetrics().lineSpacing() * 3);
    m_statusText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_progress = new QProgressBar(statusGroup);
    m_progress->setObjectName("ProgressBar1");
    m_progress->setRange(0, 100);
    m_progress->setAccessibleName(context.tr(translation::kStatoConnessione));
    auto* statusLayout = new QGridLayout(statusGroup);
    statusLayout->addWidget(m_lamp, 0, 0, Qt::AlignTop);
    statusLayout->addWidget(m_statusText, 0, 1);
    statusLayout->addWidget(m_progress, 1, 0, 1, 2);
    statusLayout->setColumnStretch(1, 1);

    m_folderLabel = new QLabel(context.tr(translation::kDirectoryProgetto), this);
    m_folderLabel->setObjectName("Label2");
    m_folder = new QLineEdit(this);
    m_folder->setObjectName("Edit1");
    m_folder->setReadOnly(true);
    m_folder->setAccessibleName(m_folderLabel->text());
    m_folderLabel->setBuddy(m_folder);

    auto* exitButton = new QPushButton(context.tr(translation::kExit), this);
    exitButton->setObjectName("exitButton");
    exitButton->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(addressGroup, 1);
    top->addWidget(m_connect);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folderLabel);
    folderRow->addWidget(m_folder, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(statusGroup);
    layout->addLayout(folderRow);
    layout->addStretch();
    layout->addLayout(bottom);
    resize(560, sizeHint().height());

    // The transfer reports on its own thread; each event is handed to this window's thread.
    m_transfer = std::make_unique<transfer::FtpTransfer>([this](const transfer::TransferEvent& e) {
        QMetaObject::invokeMethod(
            this, [this, e] { applyEvent(e); }, Qt::QueuedConnection);
    });
    connect(m_connect, &QPushButton::clicked, this, &TransferWindow::connectToController);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);
    showStatus(context.tr(translation::kNonConnesso), transfer::Lamp::Red);
}

TransferWindow::~TransferWindow() {
    // Stops the transfer's thread while the window that receives its events still exists.
    m_transfer.reset();
}

void TransferWindow::transferProject(QWidget*, const editor::NetworkSession& session) {
    prepare(session);
    m_context.dialogs().exec(*this);
}

void TransferWindow::prepare(const editor::NetworkSession& session) {
    m_transfer->abandon();
    m_current = 0;
    m_status.reset();
    const UploadRecord& upload = m_context.state().upload;
    setWindowTitle(upload.transferCaption.isEmpty() ? m_context.tr(translation::kDownloadCan)
                                                    : upload.transferCaption);
    m_projectFolder = session.projectFolder();
    std::error_code ec;
    m_projectFile = std::filesystem::is_regular_file(session.projectFile(), ec)
                        ? session.projectFile()
                        : std::filesystem::path();
    // The files are those the build wrote for the project's own channel.
    m_channel = session.network().parameters.channel;
    m_folder->setText(QDir::toNativeSeparators(toText(m_projectFolder)));
    m_folderLabel->setVisible(upload.showFolderRow);
    m_folder->setVisible(upload.showFolderRow);

    const QString fallback = text(transfer::defaultControllerAddress);
    const std::optional<QString> stored = m_context.settings().read(setting::kIpAddress);
    if (!stored) {
        m_context.settings().write(setting::kIpAddress, fallback);
    }
    setAddressFields(stored && transfer::parseIpv4Address(stored->toStdString()) ? *stored
                                                                                 : fallback);
    m_progress->setValue(0);
    showStatus(m_context.tr(translation::kNonConnesso), transfer::Lamp::Red);
    restoreWindowGeometry(*this, m_context.settings());
    m_connect->setFocus();
}

void TransferWindow::setAddressFields(const QString& address) {
    const QStringList parts = address.split('.');
    for (std::size_t i = 0; i < m_address.size(); ++i) {
        m_address[i]->setText(parts.value(static_cast<qsizetype>(i)));
    }
}

void TransferWindow::connectToController() {
    // Starting over: the running transfer, if any, is abandoned first.
    m_transfer->abandon();
    m_current = 0;
    m_status.reset();
    m_progress->setValue(0);
    showStatus(m_context.tr(translation::kNonConnesso), transfer::Lamp::Red);

    QStringList typed;
    for (const QLineEdit* part : m_address) {
        typed << part->text().trimmed();
    }
    const QString address = typed.join('.');
    const auto parts = transfer::parseIpv4Address(address.toStdString());
    if (!parts) {
        showError(m_context, this,
                  m_context.tr(translation::kIndirizzoIpNonValido) + "\n" + address);
        return;
    }
    const std::string host = transfer::formatIpv4Address(*parts);
    m_context.settings().write(setting::kIpAddress, QString::fromStdString(host));

    transfer::TransferRequest request;
    request.projectFolder = m_projectFolder;
    request.channel = m_channel;
    request.projectFile = m_projectFile;
    request.host = host;
    request.port = m_port;
    request.timeouts = m_timeouts;
    const QString notConnected = m_context.tr(translation::kNonConnesso);
    try {
        QStringList problems;
        bool missing = false;
        for (const transfer::TransferFile& file : transfer::checkTransferFiles(request)) {
            if (file.state != transfer::FileState::Ready) {
                problems << QString::fromStdString(file.name + ": " +
                                                   transfer::describeFileState(file, request));
                missing = missing || file.state == transfer::FileState::Missing;
            }
        }
        if (!problems.isEmpty()) {
            const bool sendAnyway =
                !missing &&
                confirm(m_context, this,
                        problems.join('\n') + "\n\n" + m_context.tr(translation::kInviareComunque));
            if (!sendAnyway) {
                showStatus(notConnected + "\n" + problems.join('\n'), transfer::Lamp::Red);
                return;
            }
            request.sendOlderFiles = true;
        }
        m_current = m_transfer->start(request);
    } catch (const std::exception& error) {
        showStatus(notConnected + "\n" + QString::fromStdString(error.what()), transfer::Lamp::Red);
    }
}

void TransferWindow::applyEvent(const transfer::TransferEvent& event) {
    if (event.transfer == 0 || event.transfer != m_current) {
        return;
    }
    m_status = event.status;
    const transfer::StatusView view = transfer::statusView(event.status);
    QString status = m_context.tr(view.key);
    if (!event.detail.empty()) {
        status += "\n" + QString::fromStdString(event.detail);
    }
    showStatus(status, view.lamp);
    if (view.progress) {
        m_progress->setValue(*view.progress);
    }
}

void TransferWindow::showStatus(const QString& status, transfer::Lamp lamp) {
    m_statusText->setText(status);
    m_lampRgb = transfer::lampRgb(lamp);
    const QString colour = QString("#%1").arg(m_lampRgb, 6, 16, QChar('0'));
    m_lamp->setStyleSheet(QString("background-color: %1; border: 1px solid #404040; "
                                  "border-radius: 11px;")
                              .arg(colour));
    m_lamp->setAccessibleDescription(colour);
}

void TransferWindow::done(int result) {
    // Closing never waits for the controller: the transfer is abandoned, its connection closed.
    m_transfer->abandon();
    m_current = 0;
    saveWindowGeometry(*this, m_context.settings());
    QDialog::done(result);
}

} // namespace busmason::app
