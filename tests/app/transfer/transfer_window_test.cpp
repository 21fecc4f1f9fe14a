#include "app/shell/settings_store.h"
#include "app/support/test_context.h"
#include "app/transfer/transfer_window.h"
#include "support/ftp_server.h"

#include "core/editor/network_session.h"
#include "core/translation/keys.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace busmason::app {
namespace {

namespace fs = std::filesystem;
namespace keys = translation;
using test::FtpServer;
using transfer::TransferStatus;
using namespace std::chrono_literals;

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kLime = 0x00FF00;

/// A project "plant" whose CAN channel is 1, with the controller files the build wrote for
/// channels 0 and 1.
class TransferWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const auto reason = FtpServer::unavailableReason(); !reason.empty()) {
            GTEST_SKIP() << reason;
        }
        session.setParameter(editor::ParameterField::Channel, "1");
        for (const char* name : {"iomap0.cmg", "network0.cmg", "iomap1.cmg", "network1.cmg"}) {
            // Binary bytes that a text-mode transfer would change.
            test::writeBytes(folder / name,
                             std::string(name) + "\r\n\n\0\xff" + std::string(70000, 'x'));
        }
        // The editor leaves the channel number of the upload record to the window; the files
        // follow the project's own channel text.
        t.context.state().upload.canChannel = 0;
        t.context.state().upload.transferCaption = t.tr(keys::kDownloadCan);
    }

    fs::path servedRoot(const char* name) {
        const fs::path root = t.dir / name;
        fs::create_directories(root / "local/etc/sysconfig");
        return root;
    }

    QString field(const char* name) { return window.findChild<QLineEdit*>(name)->text(); }
    QString statusText() { return window.findChild<QLabel*>("Label1")->text(); }

    /// Types address into the four fields.
    void typeAddress(const QStringList& parts) {
        for (int i = 0; i < 4; ++i) {
            auto* edit = window.findChild<QLineEdit*>("Edit" + QString::number(i + 2));
            edit->clear();
            QTest::keyClicks(edit, parts.value(i));
        }
    }

    void connectTo(int port) {
        window.setPort(port);
        QTest::mouseClick(window.findChild<QPushButton*>("Button3"), Qt::LeftButton);
    }

    bool waitForFinal() {
        return test::waitUntil(
            [&] { return window.status() && transfer::isFinal(*window.status()); });
    }

    test::TestContext t;
    fs::path folder = [&] {
        fs::create_directories(t.dir / "plant");
        return t.dir / "plant";
    }();
    editor::NetworkSession session{folder, "plant"};
    TransferWindow window{t.context};
};

TEST_F(TransferWindowTest, EveryOutcomeShowsInTheStatusTextLampAndProgress) {
    const struct {
        const char* label;
        std::optional<FtpServer::Mode> mode; ///< none: nothing listens on the port
        TransferStatus status;
        std::string_view key;
        std::uint32_t lamp;
        int progress;
        const char* detail; ///< part of the status text after the key
    } cases[] = {
        {"sent", FtpServer::Mode::Normal, TransferStatus::Done, keys::kProgettoTrasferito, kLime,
         100, ""},
        {"nothing listens", std::nullopt, TransferStatus::ConnectionFailed,
         keys::kConnessioneFallita, kRed, 0, "refuses the connection"},
        {"dropped after the I/O map", FtpServer::Mode::DropAfterFirstFile,
         TransferStatus::Incomplete, keys::kTrasferimentoIncompleto, kRed, 20,
         "sending network1.cmg: the connection to the controller was closed or broken"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const fs::path root = servedRoot(c.label);
        std::optional<FtpServer> server;
        std::optional<test::ClosedPort> closed;
        if (c.mode) {
            server.emplace(root, *c.mode);
        } else {
            closed.emplace();
        }
        window.prepare(session);
        window.show();
        EXPECT_EQ(window.windowTitle(), t.tr(keys::kDownloadCan));
        EXPECT_EQ(statusText(), t.tr(keys::kNonConnesso));
        EXPECT_EQ(window.lampRgb(), kRed);
        EXPECT_EQ(field("Edit1"),
                  QDir::toNativeSeparators(QString::fromStdString(folder.string())));
        EXPECT_EQ(test::unnamedControls(window), QStringList());

        typeAddress({"127", "0", "0", "1"});
        connectTo(server ? server->port() : closed->port());
        ASSERT_TRUE(waitForFinal()) << statusText().toStdString();

        EXPECT_EQ(*window.status(), c.status);
        const QStringList lines = statusText().split('\n');
        EXPECT_EQ(lines.front(), t.tr(c.key));
        EXPECT_TRUE(statusText().contains(c.detail)) << statusText().toStdString();
        EXPECT_EQ(window.lampRgb(), c.lamp);
        EXPECT_EQ(window.findChild<QProgressBar*>("ProgressBar1")->value(), c.progress);
        EXPECT_EQ(t.settings.read(setting::kIpAddress).value_or(""), "127.0.0.1");
        EXPECT_TRUE(t.dialogs.shown.empty());
        const fs::path sysconfig = root / "local/etc/sysconfig";
        if (c.status == TransferStatus::Done) {
            for (const char* name : {"iomap1.cmg", "network1.cmg"}) {
                EXPECT_EQ(test::readBytes(sysconfig / name), test::readBytes(folder / name))
                    << name;
            }
            EXPECT_FALSE(fs::exists(sysconfig / "iomap0.cmg"));
        }
        window.hide();
    }
}

TEST_F(TransferWindowTest, ConnectAgainStartsOverAndClosingAbandonsTheTransfer) {
    // The server holds its first upload: the first transfer hangs in the I/O map file.
    FtpServer server(servedRoot("served"), FtpServer::Mode::HoldFirstUpload, 30.0);
    window.prepare(session);
    window.show();
    typeAddress({"127", "0", "0", "1"});
    connectTo(server.port());
    ASSERT_TRUE(server.waitFor(1, "held", "iomap1.cmg")) << server.logText();
    EXPECT_TRUE(test::waitUntil([&] { return window.status() == TransferStatus::Transferring; }));

    connectTo(server.port());
    ASSERT_TRUE(waitForFinal()) << statusText().toStdString();
    EXPECT_EQ(window.status(), TransferStatus::Done);
    EXPECT_TRUE(server.waitFor(1, "disconnect")) << "the first connection stays open";

    // A transfer running when the window closes is abandoned, and nothing more is shown.
    FtpServer holding(servedRoot("holding"), FtpServer::Mode::HoldFirstUpload, 30.0);
    connectTo(holding.port());
    ASSERT_TRUE(holding.waitFor(1, "held", "iomap1.cmg")) << holding.logText();
    ASSERT_TRUE(test::waitUntil([&] { return window.status() == TransferStatus::Transferring; }));
    const QString shown = statusText();
    window.reject();
    EXPECT_TRUE(holding.waitFor(1, "disconnect")) << holding.logText();
    QCoreApplication::processEvents();
    EXPECT_EQ(statusText(), shown);
    EXPECT_FALSE(fs::exists(holding.root() / "local/etc/sysconfig/network1.cmg"));
}

TEST_F(TransferWindowTest, StoredAddressFillsTheFieldsWhenItIsAnIpv4Address) {
    const struct {
        std::optional<QString> stored;
        QStringList fields;
        QString storedAfter;
    } cases[] = {
        {std::nullopt, {"192", "168", "0", "100"}, "192.168.0.100"},
        {"10.0.0.7", {"10", "0", "0", "7"}, "10.0.0.7"},
        {"300.1.1.1", {"192", "168", "0", "100"}, "300.1.1.1"},
        {"1.2.3", {"192", "168", "0", "100"}, "1.2.3"},
        {"controller.local", {"192", "168", "0", "100"}, "controller.local"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.value_or("absent").toStdString());
        t.settings.raw().remove(setting::kIpAddress);
        if (c.stored) {
            t.settings.write(setting::kIpAddress, *c.stored);
        }
        window.prepare(session);
        EXPECT_EQ(QStringList({field("Edit2"), field("Edit3"), field("Edit4"), field("Edit5")}),
                  c.fields);
        EXPECT_EQ(t.settings.read(setting::kIpAddress).value_or(""), c.storedAfter);
    }
}

TEST_F(TransferWindowTest, AddressThatIsNotIpv4IsRefusedBeforeAnyConnection) {
    FtpServer server(servedRoot("served"));
    t.settings.write(setting::kIpAddress, "10.0.0.7");
    window.prepare(session);
    window.show();
    for (const QStringList& typed :
         {QStringList{"127", "0", "0", "256"}, QStringList{"127", "0", "", "1"},
          QStringList{"127", "0", "0", "1x"}}) {
        SCOPED_TRACE(typed.join('.').toStdString());
        t.dialogs.shown.clear();
        typeAddress(typed);
        connectTo(server.port());
        ASSERT_EQ(t.dialogs.shown.size(), 1u);
        EXPECT_EQ(t.dialogs.shown[0].icon, Dialogs::Icon::Error);
        EXPECT_EQ(t.dialogs.shown[0].text,
                  t.tr(keys::kIndirizzoIpNonValido) + "\n" + typed.join('.'));
        EXPECT_FALSE(window.status().has_value()) << "a transfer was started";
        EXPECT_EQ(t.settings.read(setting::kIpAddress).value_or(""), "10.0.0.7");
    }
    // Leading zeros are decimal: 127.000.000.001 is sent to and stored as 127.0.0.1.
    typeAddress({"127", "000", "000", "001"});
    connectTo(server.port());
    ASSERT_TRUE(waitForFinal());
    EXPECT_EQ(window.status(), TransferStatus::Done);
    EXPECT_EQ(t.settings.read(setting::kIpAddress).value_or(""), "127.0.0.1");
    for (const auto& line : server.log()) {
        EXPECT_EQ(line.connection, 1) << "connection attempts before the valid address";
    }
}

TEST_F(TransferWindowTest, FilesMissingOrOlderThanTheProjectSayBuildFirst) {
    FtpServer server(servedRoot("served"));
    const fs::path sysconfig = server.root() / "local/etc/sysconfig";
    test::writeBytes(folder / "plant.bsm", "<project/>");
    const auto built = fs::last_write_time(folder / "plant.bsm") - 1h;
    fs::last_write_time(folder / "iomap1.cmg", built);
    window.prepare(session);
    window.show();
    typeAddress({"127", "0", "0", "1"});

    // Declined: nothing is sent and the status says why.
    t.dialogs.answers = {Dialogs::Answer::No};
    connectTo(server.port());
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].buttons, Dialogs::Buttons::YesNo);
    EXPECT_TRUE(t.dialogs.shown[0].text.endsWith(t.tr(keys::kInviareComunque)));
    EXPECT_TRUE(
        statusText().contains("iomap1.cmg: older than the project file plant.bsm; build first"))
        << statusText().toStdString();
    EXPECT_FALSE(window.status().has_value());

    // Sent anyway.
    t.dialogs.answers = {Dialogs::Answer::Yes};
    connectTo(server.port());
    ASSERT_TRUE(waitForFinal());
    EXPECT_EQ(window.status(), TransferStatus::Done);
    EXPECT_EQ(test::readBytes(sysconfig / "iomap1.cmg"), test::readBytes(folder / "iomap1.cmg"));

    // A missing file cannot be sent: no question, the status says to build.
    t.dialogs.shown.clear();
    fs::remove(folder / "network1.cmg");
    connectTo(server.port());
    EXPECT_TRUE(t.dialogs.shown.empty());
    EXPECT_TRUE(statusText().contains("network1.cmg: not in the project folder; build first"))
        << statusText().toStdString();
    EXPECT_EQ(window.lampRgb(), kRed);
    EXPECT_FALSE(window.status().has_value());
}

} // namespace
} // namespace busmason::app
