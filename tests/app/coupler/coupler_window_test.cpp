#include "app/coupler/coupler_window.h"
#include "app/coupler/terminal_settings_window.h"
#include "app/support/test_context.h"

#include "core/coupler/terminal_row.h"
#include "core/editor/network_session.h"
#include "core/model/lookup.h"
#include "core/translation/keys.h"

#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <map>

namespace busmason::app {
namespace {

namespace fs = std::filesystem;
using Answer = Dialogs::Answer;
namespace keys = translation;

constexpr int kAddress = 1;

/// A project holding the bundled KM110 coupler at address 1, not modified.
editor::NetworkSession couplerProject(const test::TempDir& dir) {
    fs::create_directories(dir / "plant");
    editor::NetworkSession session(dir / "plant", "plant");
    EXPECT_EQ(session.addNode(test::installData("eds"), "KM110.eds").address, kAddress);
    session.clearModified();
    return session;
}

QTreeWidgetItem* typeItem(QDialog& window, const QString& name) {
    auto* tree = window.findChild<QTreeWidget*>("TreeView1");
    const auto found = tree->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.front();
}

void doubleClickType(QDialog& window, const QString& name) {
    auto* tree = window.findChild<QTreeWidget*>("TreeView1");
    QTreeWidgetItem* item = typeItem(window, name);
    ASSERT_NE(item, nullptr) << name.toStdString();
    tree->scrollToItem(item);
    const QPoint at = tree->visualItemRect(item).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
}

/// Drops the drag data the tree gives for the type onto the terminal list.
void dropType(QDialog& window, const QString& name) {
    auto* tree = window.findChild<QTreeWidget*>("TreeView1");
    auto* list = window.findChild<QListWidget*>("ListView1");
    QTreeWidgetItem* item = typeItem(window, name);
    ASSERT_NE(item, nullptr) << name.toStdString();
    std::unique_ptr<QMimeData> data(tree->model()->mimeData({tree->indexFromItem(item)}));
    ASSERT_TRUE(data && data->hasFormat(kTerminalTypeMime));
    const QPoint at = list->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &drop);
}

QStringList captions(QDialog& window) {
    QStringList out;
    auto* list = window.findChild<QListWidget*>("ListView1");
    for (int i = 0; i < list->count(); ++i) {
        out << list->item(i)->text();
    }
    return out;
}

void selectTerminal(QDialog& window, int position) {
    window.findChild<QListWidget*>("ListView1")->setCurrentRow(position);
}

void click(QWidget& window, const char* objectName) {
    auto* button = window.findChild<QPushButton*>(objectName);
    ASSERT_NE(button, nullptr) << objectName;
    ASSERT_TRUE(button->isEnabled()) << objectName;
    QTest::mouseClick(button, Qt::LeftButton);
}

/// Where each variable of the coupler lives: "0x6000:01@3" (entry and bit offset).
std::map<std::string, std::string> variablePlaces(const model::node& n) {
    std::map<std::string, std::string> places;
    for (const model::object_dict& e : n.objects) {
        for (int i = 0; i < e.varCount; ++i) {
            places[e.varName(static_cast<std::size_t>(i))] =
                model::describeEntry(e) + "@" +
                std::to_string(e.shift(static_cast<std::size_t>(i)));
        }
    }
    return places;
}

std::vector<std::pair<std::string, std::string>> writesOf(const model::node& n) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const model::record& r : n.sdoRecords) {
        out.emplace_back(model::describeEntry(n.entry(r.target)), r.data);
    }
    return out;
}

TEST(CouplerWindow, TerminalsAddedDeletedAndClosedGiveTheRowsVariablesAndWrites) {
    test::TestContext t;
    editor::NetworkSession session = couplerProject(t.dir);
    TerminalSettingsWindow settings(t.context);
    CouplerWindow window(t.context, settings);
    t.dialogs.answers = {Answer::No, Answer::Yes};
    t.dialogs.scripts.push_back([&](QDialog& d) -> int {
        d.show();
        EXPECT_EQ(d.windowTitle(), "KM110 CANopen bus coupler");
        EXPECT_EQ(d.findChild<QTabWidget*>("PageControl1")->tabText(0), t.tr(keys::kTerminal));
        QStringList types;
        auto* tree = d.findChild<QTreeWidget*>("TreeView1");
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            types << tree->topLevelItem(i)->text(0);
        }
        EXPECT_EQ(types, QStringList({"KM120 8DI", "KM120 8DO", "KM120 16DI", "KM120 8DO 8DI",
                                      "KM120 16DO", "KM130 4AI", "KM130 4AO", "KM130 8AI"}))
            << types.join(", ").toStdString();

        doubleClickType(d, "KM120 16DI");
        dropType(d, "KM120 8DO");
        doubleClickType(d, "KM130 4AO");
        EXPECT_EQ(captions(d),
                  QStringList({"TE-0\nKM120 16DI", "TE-1\nKM120 8DO", "TE-2\nKM130 4AO"}));
        auto* list = d.findChild<QListWidget*>("ListView1");
        for (int i = 0; i < list->count(); ++i) {
            EXPECT_FALSE(list->item(i)->icon().pixmap(48).isNull()) << i;
        }
        EXPECT_NE(list->item(0)->icon().cacheKey(), list->item(2)->icon().cacheKey());
        EXPECT_EQ(test::unnamedControls(d), QStringList());

        // Delete asks first: No keeps the terminal, Yes removes it and renumbers the rest.
        selectTerminal(d, 1);
        click(d, "deleteButton");
        EXPECT_EQ(captions(d).size(), 3);
        click(d, "deleteButton");
        EXPECT_EQ(captions(d), QStringList({"TE-0\nKM120 16DI", "TE-1\nKM130 4AO"}));
        return QDialog::Rejected;
    });

    window.configureCoupler(nullptr, session, kAddress);

    ASSERT_EQ(t.dialogs.texts(), std::vector<QString>(2, t.tr(keys::kCancellareTerm) + "?"));
    const model::node& n = session.nodeAt(kAddress);
    const auto places = variablePlaces(n);
    std::map<std::string, std::string> expected;
    for (int c = 0; c < 16; ++c) {
        expected[coupler::channelName(1, c, 0, kAddress)] =
            std::string(c < 8 ? "0x6000:01@" : "0x6000:02@") + std::to_string(c % 8);
    }
    for (int c = 0; c < 4; ++c) {
        // The analogue outputs renamed for their new position, and placed where the deleted
        // digital outputs were not.
        expected[coupler::channelName(5, c, 1, kAddress)] =
            "0x6411:0" + std::to_string(c + 1) + "@0";
    }
    EXPECT_EQ(places, expected);
    EXPECT_EQ(writesOf(n),
              (std::vector<std::pair<std::string, std::string>>{{"0x2200:01", "0x1111"}}));
    EXPECT_TRUE(session.modified());
    EXPECT_TRUE(session.couplersNeedingClose().empty());
}

TEST(CouplerWindow, AnalogueOutputSetInItsSettingsGivesTheConfigurationWord) {
    test::TestContext t;
    editor::NetworkSession session = couplerProject(t.dir);
    TerminalSettingsWindow settings(t.context);
    CouplerWindow window(t.context, settings);
    const QStringList chosen = {"I", "V", "--", "V"};
    t.dialogs.scripts.push_back([&](QDialog& d) -> int {
        d.show();
        doubleClickType(d, "KM130 4AO");
        selectTerminal(d, 0);
        click(d, "configButton"); // cancelled
        EXPECT_EQ(session.coupler(kAddress).row()[0].channels[1].Config, 1);
        click(d, "configButton"); // confirmed
        std::vector<int> codes;
        for (const auto& io : session.coupler(kAddress).row()[0].channels) {
            codes.push_back(io.Config);
        }
        EXPECT_EQ(codes, (std::vector<int>{1, 2, 0, 2}));
        return QDialog::Rejected;
    });
    for (const bool confirmed : {false, true}) {
        t.dialogs.scripts.push_back([&, confirmed](QDialog& d) -> int {
            d.show();
            EXPECT_EQ(d.objectName(), "TForm4");
            EXPECT_EQ(d.windowTitle(), t.tr(keys::kIoAnalogici));
            for (int c = 0; c < 4; ++c) {
                SCOPED_TRACE(c);
                const QString n = QString::number(c);
                EXPECT_EQ(d.findChild<QLineEdit*>("nameBox" + n)->text().toStdString(),
                          coupler::channelName(5, c, 0, kAddress));
                EXPECT_EQ(d.findChild<QLineEdit*>("directionBox" + n)->text(), "OUTPUT");
                auto* selector = d.findChild<QComboBox*>("selector" + n);
                if (!selector) {
                    ADD_FAILURE() << "no selector";
                    continue;
                }
                QStringList offered;
                for (int i = 0; i < selector->count(); ++i) {
                    offered << selector->itemText(i);
                }
                EXPECT_EQ(offered, QStringList({"--", "I", "V"}));
                EXPECT_EQ(selector->currentText(), "I");
                selector->setCurrentText(confirmed ? chosen[c] : "V");
            }
            EXPECT_EQ(test::unnamedControls(d), QStringList());
            click(d, confirmed ? "Button2" : "Button1");
            return d.result();
        });
    }

    window.configureCoupler(nullptr, session, kAddress);

    EXPECT_TRUE(t.dialogs.scripts.empty());
    EXPECT_TRUE(t.dialogs.shown.empty()) << t.dialogs.texts().front().toStdString();
    EXPECT_EQ(writesOf(session.nodeAt(kAddress)),
              (std::vector<std::pair<std::string, std::string>>{{"0x2200:01", "0x2021"}}));
}

TEST(CouplerWindow, TerminalThatFindsNoFreePdoIsRefusedWithTheReason) {
    test::TestContext t;
    editor::NetworkSession session = couplerProject(t.dir);
    TerminalSettingsWindow settings(t.context);
    CouplerWindow window(t.context, settings);
    window.prepare(session, kAddress);
    window.show();
    // The receive PDOs hold 60 analogue outputs: fifteen terminals of four.
    for (int i = 0; i < 16; ++i) {
        doubleClickType(window, "KM130 4AO");
    }
    EXPECT_EQ(captions(window).size(), 15);
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].caption, t.tr(keys::kAttenzione));
    EXPECT_TRUE(t.dialogs.shown[0].text.startsWith(t.tr(keys::kPdoTerminati) + "\nTE-15 channel 0"))
        << t.dialogs.shown[0].text.toStdString();
    window.hide();
    window.closeConfiguration();
    // A configuration word per terminal, then the COB-IDs of the receive PDOs 5 to 16.
    EXPECT_EQ(session.nodeAt(kAddress).sdoRecords.size(), 15u + 12u);
}

TEST(TerminalSettingsWindow, ChannelsFillTheLeftColumnFirstAndOddCountsShowWhole) {
    test::TestContext t;
    TerminalSettingsWindow window(t.context);
    const struct {
        coupler::terminal_type type;
        QString caption;
        std::vector<const char*> directions;
        int codes; ///< codes offered per channel, 0 for none
    } cases[] = {
        {{1, "DI5", 5, {}, {}}, t.tr(keys::kIoDigitali), std::vector<const char*>(5, "INPUT"), 0},
        {{3, "KM120 8DO 8DI", 16, {}, {}},
         t.tr(keys::kIoDigitali),
         {"OUTPUT", "OUTPUT", "OUTPUT", "OUTPUT", "OUTPUT", "OUTPUT", "OUTPUT", "OUTPUT", "INPUT",
          "INPUT", "INPUT", "INPUT", "INPUT", "INPUT", "INPUT", "INPUT"},
         0},
        {{4, "KM130 4AI", 4, {}, {}},
         t.tr(keys::kIoAnalogici),
         std::vector<const char*>(4, "INPUT"),
         8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type.name);
        const model::terminal terminal = coupler::makeTerminal(c.type, 0, kAddress);
        window.prepare(terminal);
        window.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(window.windowTitle(), c.caption);
        const int count = c.type.channels;
        const int rows = (count + 1) / 2;
        for (int ch = 0; ch < count; ++ch) {
            SCOPED_TRACE(ch);
            const QString n = QString::number(ch);
            auto* name = window.findChild<QLineEdit*>("nameBox" + n);
            ASSERT_NE(name, nullptr);
            EXPECT_TRUE(name->isVisible());
            EXPECT_EQ(name->text().toStdString(), terminal.channels[ch].Vname);
            EXPECT_EQ(window.findChild<QLineEdit*>("directionBox" + n)->text(), c.directions[ch]);
            auto* selector = window.findChild<QComboBox*>("selector" + n);
            EXPECT_EQ(selector ? selector->count() : 0, c.codes);
            const QPoint at = name->mapTo(&window, QPoint(0, 0));
            // Channel q on the left, r + q beside it on the right.
            const QLineEdit* left =
                window.findChild<QLineEdit*>("nameBox" + QString::number(ch % rows));
            EXPECT_EQ(at.y(), left->mapTo(&window, QPoint(0, 0)).y());
            if (ch >= rows) {
                EXPECT_GT(at.x(), left->mapTo(&window, QPoint(0, 0)).x() + left->width());
            }
        }
        EXPECT_EQ(window.findChild<QLineEdit*>("nameBox" + QString::number(count)), nullptr);
        EXPECT_EQ(window.selectedCodes().size(), static_cast<std::size_t>(c.codes ? count : 0));
        window.hide();
    }
}

TEST(CouplerWindow, HelpFindsTheManualOfTheTerminalsFamilyInTheLanguage) {
    // The installed documents are the manuals of docs/help turned into PDF files.
    test::TempDir install;
    fs::copy(test::installData("CANOpen"), install / "CANOpen", fs::copy_options::recursive);
    fs::create_directories(install / "Doc");
    for (const auto& entry : fs::directory_iterator(test::sourceDir("docs/help"))) {
        if (entry.path().extension() == ".md") {
            test::writeBytes(install / "Doc" / entry.path().stem().concat(".pdf"), "%PDF");
        }
    }
    const struct {
        int language;
        const char* km120;
        const char* km130;
    } cases[] = {{0, "DX_km120_01_A5.pdf", "DX_km130_01_A5.pdf"},
                 {1, "DI_km120_01_A5.pdf", "DI_km130_01_A5.pdf"},
                 {2, "DX_km120_01_A5.pdf", "DX_km130_01_A5.pdf"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        test::TestContext t(c.language);
        t.context.state().templateFolder = toText(install.path());
        editor::NetworkSession session = couplerProject(t.dir);
        TerminalSettingsWindow settings(t.context);
        CouplerWindow window(t.context, settings);
        window.prepare(session, kAddress);
        window.show();
        doubleClickType(window, "KM120 8DI");
        doubleClickType(window, "KM130 8AI");
        auto* help = window.findChild<QPushButton*>("helpButton");
        selectTerminal(window, 0);
        EXPECT_EQ(fs::path(window.helpDocument().toStdString()).filename(), c.km120);
        EXPECT_TRUE(help->isEnabled());
        selectTerminal(window, 1);
        EXPECT_EQ(fs::path(window.helpDocument().toStdString()).filename(), c.km130);
        window.findChild<QListWidget*>("ListView1")->clearSelection();
        EXPECT_EQ(window.helpDocument(), "");
        EXPECT_FALSE(help->isEnabled());
        window.hide();
        window.closeConfiguration();
    }
}

} // namespace
} // namespace busmason::app
