#include "app/editor/editor_views.h"
#include "app/editor/network_editor_window.h"
#include "app/shell/app_context.h"
#include "app/shell/settings_store.h"

#include "core/translation/keys.h"
#include "core/translation/translation_table.h"

#include "app/support/scripted_dialogs.h"
#include "support/test_support.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

// Readable QString failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace busmason::app {
namespace {

/// A double click as a person gives it: a click, then the second press of the pair.
void doubleClick(QAbstractItemView* view, const QRect& rect) {
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

namespace fs = std::filesystem;
namespace tk = translation;
using Answer = Dialogs::Answer;

QString q(const fs::path& p) {
    return QString::fromStdString(p.string());
}

/// The editor on a temporary copy of the installation's EDS library and of the demo workspace,
/// in English, with every message box answered by the test.
class NetworkEditor : public ::testing::Test {
protected:
    NetworkEditor()
        : m_settings(q(m_dir / "settings.ini")),
          m_context(translation::loadTranslationTable(test::installData("traduzioni.txt"), 0).table,
                    0, m_settings, m_dialogs, test::installData()) {
        fs::copy(test::installData("eds"), m_dir / "eds");
        fs::copy(test::sourceDir("data/demo"), m_dir / "ws", fs::copy_options::recursive);
        fs::create_directories(m_dir / "template");
        m_context.state().edsFolder = q(m_dir / "eds");
        m_context.state().templateFolder = q(m_dir / "template");
        m_window = std::make_unique<NetworkEditorWindow>(m_context);
    }

    QString tr(std::string_view key) const { return m_context.tr(key); }

    template <class T> T* find(const char* name) {
        T* widget = m_window->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void trigger(const char* action) { find<QAction>(action)->trigger(); }

    /// Opens the demo project (opening mode) and shows the window.
    void openDemo() {
        ASSERT_TRUE(m_window->openOn(q(m_dir / "ws" / "plant1"), "plant1", false));
        show();
    }
    /// Opens a new project "fresh" in the workspace (creating mode) and shows the window.
    void openNew(const std::string& name = "fresh") {
        fs::create_directories(m_dir / "ws" / name);
        ASSERT_TRUE(m_window->openOn(q(m_dir / "ws"), QString::fromStdString(name), true));
        show();
    }
    void show() {
        m_window->show();
        QCoreApplication::processEvents();
    }

    editor::NetworkSession& session() { return *m_window->session(); }

    QStringList captions() {
        QStringList out;
        auto* list = find<QListWidget>("ListView1");
        for (int i = 0; i < list->count(); ++i) {
            out << list->item(i)->text();
        }
        return out;
    }
    QStringList treeLabels(const char* tree) {
        QStringList out;
        QTreeWidgetItem* top = find<QTreeWidget>(tree)->topLevelItem(0);
        for (int i = 0; i < top->childCount(); ++i) {
            out << top->child(i)->text(0);
        }
        return out;
    }
    void select(const QString& caption) {
        auto* list = find<QListWidget>("ListView1");
        const QList<QListWidgetItem*> found = list->findItems(caption, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << caption.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(found.front()).center());
    }
    QTreeWidgetItem* libraryEntry(const QString& name) {
        const QList<QTreeWidgetItem*> found =
            find<QTreeWidget>("TreeView1")->findItems(name, Qt::MatchExactly);
        return found.size() == 1 ? found.front() : nullptr;
    }
    void doubleClickLibraryEntry(const QString& name) {
        auto* tree = find<QTreeWidget>("TreeView1");
        QTreeWidgetItem* item = libraryEntry(name);
        ASSERT_NE(item, nullptr) << name.toStdString();
        doubleClick(tree, tree->visualItemRect(item));
    }
    /// Drops the library entry name on the network list as a drag from the tree does.
    void dropOnNetworkList(const QString& name) {
        auto* tree = find<QTreeWidget>("TreeView1");
        QTreeWidgetItem* item = libraryEntry(name);
        ASSERT_NE(item, nullptr);
        std::unique_ptr<QMimeData> data(
            tree->model()->mimeData({tree->model()->index(tree->indexOfTopLevelItem(item), 0)}));
        ASSERT_NE(data, nullptr);
        drop(*data);
    }
    void drop(QMimeData& data) {
        auto* list = find<QListWidget>("ListView1");
        const QPointF at = QPointF(list->viewport()->rect().center());
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(list->viewport(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(list->viewport(), &dropped);
    }
    QString caption() const { return m_window->windowTitle(); }
    QString projectCaption(const fs::path& file) const { return "KOVA Busmason -" + q(file); }

    test::TempDir m_dir;
    SettingsStore m_settings;
    test::ScriptedDialogs m_dialogs;
    AppContext m_context;
    std::unique_ptr<NetworkEditorWindow> m_window;
};

TEST_F(NetworkEditor, NewProjectStartsWithTheDefaultsAndAChangeMarksTheCaption) {
    openNew();
    const fs::path file = m_dir / "ws" / "fresh" / "fresh.bsm";
    EXPECT_EQ(caption(), projectCaption(file));
    EXPECT_EQ(find<QComboBox>("ComboBox1")->currentText(), "Baud1M");
    EXPECT_EQ(find<QComboBox>("ComboBox1")->count(), 7); // Baud10k is not offered
    EXPECT_EQ(find<QComboBox>("ComboBox2")->currentText(), "0");
    EXPECT_EQ(find<QLineEdit>("Edit3")->text(), "10");
    EXPECT_EQ(find<QLineEdit>("Edit4")->text(), "500");
    EXPECT_EQ(find<QLineEdit>("Edit5")->text(), "4");
    for (const char* box : {"CheckBox1", "CheckBox2"}) {
        EXPECT_TRUE(find<QCheckBox>(box)->isChecked());
        EXPECT_FALSE(find<QCheckBox>(box)->isEnabled());
    }
    EXPECT_TRUE(m_dialogs.shown.empty());
    // Every control a person works with has a name a screen reader announces.
    for (const char* name :
         {"TreeView1", "ListView1", "ComboBox1", "ComboBox2", "Edit3", "Edit4", "Edit5",
          "CheckBox1", "CheckBox2", "SpeedButton1", "SpeedButton2", "SpeedButton3", "parameterGrid",
          "variableGrid", "parameterNodeTree", "variableNodeTree"}) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(find<QWidget>(name));
        ASSERT_NE(a, nullptr) << name;
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << name;
    }
    EXPECT_EQ(find<QWidget>("Edit3")->accessibleName(), tr(tk::kTempoCiclo));
    EXPECT_EQ(find<QToolButton>("SpeedButton3")->toolTip(), tr(tk::kCostruisciFileConfigurazione));

    doubleClickLibraryEntry("KM1100.eds");
    EXPECT_EQ(captions(), QStringList{"1 - KM1100.eds"});
    EXPECT_EQ(caption(), projectCaption(file) + "*");

    QTest::mouseClick(find<QToolButton>("SpeedButton1"), Qt::LeftButton);
    ASSERT_EQ(m_dialogs.texts(), std::vector<QString>{tr(tk::kProgettoSalvato)});
    EXPECT_EQ(caption(), projectCaption(file));
    EXPECT_TRUE(fs::exists(file));

    // Opening the saved project: the caption has no marker, nothing was modified.
    ASSERT_TRUE(m_window->openOn(q(file.parent_path()), "fresh", false));
    EXPECT_EQ(caption(), projectCaption(file));
    EXPECT_FALSE(session().modified());
    EXPECT_EQ(captions(), QStringList{"1 - KM1100.eds"});
}

TEST_F(NetworkEditor, AddTakesTheLowestFreeAddressAndArrangeRenumbers) {
    openNew();
    doubleClickLibraryEntry("KM110.eds");
    find<QTreeWidget>("TreeView1")->setCurrentItem(libraryEntry("KM1100.eds"));
    trigger("figura");
    dropOnNetworkList("KD240.eds");
    EXPECT_EQ(captions(), (QStringList{"1 - KM110.eds", "2 - KM1100.eds", "3 - KD240.eds"}));

    // Delete asks first; No keeps the node.
    select("2 - KM1100.eds");
    QTest::keyClick(find<QListWidget>("ListView1"), Qt::Key_Delete);
    ASSERT_EQ(m_dialogs.texts(), std::vector<QString>{tr(tk::kCancellareNodoQuery)});
    EXPECT_EQ(captions().size(), 3);
    m_dialogs.answers.push_back(Answer::Yes);
    trigger("Delete2");
    EXPECT_EQ(captions(), (QStringList{"1 - KM110.eds", "3 - KD240.eds"}));

    dropOnNetworkList("KM1100.eds");
    doubleClickLibraryEntry("KD240.eds");
    EXPECT_EQ(captions(),
              (QStringList{"1 - KM110.eds", "3 - KD240.eds", "2 - KM1100.eds", "4 - KD240.eds"}));
    EXPECT_EQ(treeLabels("parameterNodeTree"), (QStringList{"1", "3", "3", "4"}));

    select("1 - KM110.eds");
    m_dialogs.answers.push_back(Answer::Yes);
    trigger("Delete2");
    trigger("Arrange2");
    EXPECT_EQ(captions(), (QStringList{"2-\nKD240.eds", "1-\nKM1100.eds", "3-\nKD240.eds"}));
    EXPECT_EQ(treeLabels("parameterNodeTree"), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(treeLabels("variableNodeTree"), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(session().network().at(1)->fileInfo.FileName, "KM1100.eds");
    EXPECT_TRUE(caption().endsWith("*"));

    // What the EDS reader found is said when its node is added.
    fs::copy_file(test::testData("persistence/eds/nofileinfo.eds"), m_dir / "eds" / "Plain.eds");
    m_dialogs.shown.clear();
    QMimeData plain;
    plain.setData(kEdsEntryMimeType, "Plain.eds");
    drop(plain);
    ASSERT_EQ(m_dialogs.shown.size(), 1u);
    EXPECT_TRUE(m_dialogs.shown[0].text.startsWith(tr(tk::kAvvisiEds)));
    EXPECT_TRUE(m_dialogs.shown[0].text.contains("no [FileInfo] section"));
    EXPECT_EQ(captions().back(), "4 - Plain.eds");

    // A full network refuses the add clearly and stays as it was.
    while (session().network().lowestFreeAddress() != 0) {
        session().addNode(m_dir / "eds", "KM1100.eds");
    }
    m_dialogs.shown.clear();
    doubleClickLibraryEntry("KD240.eds");
    ASSERT_EQ(m_dialogs.texts(), std::vector<QString>{tr(tk::kReteCompleta)});
    EXPECT_EQ(session().network().nodeCount(), 127);
}

TEST_F(NetworkEditor, PopupItemsNeedASelectionAndTheCouplerItemACoupler) {
    openDemo();
    auto* popup = find<QMenu>("PopupMenu1");
    const char* items[] = {"Config1", "Delete1", "Delete2", "Help2"};
    emit popup->aboutToShow();
    for (const char* item : items) {
        EXPECT_FALSE(find<QAction>(item)->isVisible()) << item;
    }
    select("1 - KM110.eds");
    emit popup->aboutToShow();
    for (const char* item : items) {
        EXPECT_TRUE(find<QAction>(item)->isVisible()) << item;
    }
    EXPECT_TRUE(find<QAction>("Delete1")->isEnabled());
    select("2 - KM1100.eds");
    emit popup->aboutToShow();
    EXPECT_FALSE(find<QAction>("Delete1")->isEnabled());

    auto* libraryPopup = find<QMenu>("PopupMenu2");
    emit libraryPopup->aboutToShow();
    EXPECT_FALSE(find<QAction>("delete3")->isVisible());
    EXPECT_FALSE(find<QAction>("figura")->isVisible());
    find<QTreeWidget>("TreeView1")->setCurrentItem(libraryEntry("KD240.eds"));
    emit libraryPopup->aboutToShow();
    EXPECT_TRUE(find<QAction>("delete3")->isVisible());
}

/// A project of two nodes: writes on both, and on node 5 one variable of each access.
constexpr const char* kGridProject = R"(<?xml version="1.0" encoding="utf-8"?>
<networkInfo>
	<syncTime>10</syncTime>
	<baudRate>Baud250k</baudRate>
	<guardTime>500</guardTime>
	<channel>0</channel>
	<lifeTime>4</lifeTime>
	<enableSync>TRUE</enableSync>
	<toggleBit>TRUE</toggleBit>
	<nodeInfoList>
		<nodeInfo>
			<eds>KM1100.eds</eds><address>5</address><virtual>false</virtual><ngDisabled>false</ngDisabled>
			<sdoInfoList>
				<sdoInfo><isSubindex>FALSE</isSubindex><index>0x1017</index><subindex>0</subindex><data>0x1F4</data></sdoInfo>
				<sdoInfo><isSubindex>FALSE</isSubindex><index>0x100C</index><subindex>0</subindex><data>0x64</data></sdoInfo>
			</sdoInfoList>
			<varInfoList>
				<varInfo><name>door</name><key>6000.1</key><type>Byte,TxPdo</type><pdo>1</pdo><object>1</object><shift>0</shift></varInfo>
				<varInfo><name>level</name><key>6000.2</key><type>Byte,Sdo</type><pdo>99</pdo><object>0</object><shift>0</shift></varInfo>
				<varInfo><name>pump</name><key>6200.1</key><type>Word,RxPdo</type><pdo>1</pdo><object>1</object><shift>0</shift></varInfo>
			</varInfoList>
		</nodeInfo>
		<nodeInfo>
			<eds>KD240.eds</eds><address>7</address><virtual>false</virtual><ngDisabled>false</ngDisabled>
			<sdoInfoList>
				<sdoInfo><isSubindex>FALSE</isSubindex><index>0x6060</index><subindex>0</subindex><data>0x1</data></sdoInfo>
			</sdoInfoList>
			<varInfoList/>
		</nodeInfo>
		<nodeInfo>
			<eds>gone.eds</eds><address>9</address><virtual>false</virtual><ngDisabled>false</ngDisabled>
		</nodeInfo>
	</nodeInfoList>
</networkInfo>
)";

/// The grid as rows of "header|cell|cell...".
QStringList gridRows(const QAbstractItemModel& model) {
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells{model.headerData(r, Qt::Vertical).toString()};
        for (int c = 0; c < model.columnCount(); ++c) {
            cells << model.index(r, c).data().toString();
        }
        rows << cells.join('|');
    }
    return rows;
}

TEST_F(NetworkEditor, GridsListEveryWriteAndVariableAndFollowADelete) {
    test::writeBytes(m_dir / "ws" / "grid" / "grid.bsm", kGridProject);
    QAbstractItemModel* parameters = find<QTableView>("parameterGrid")->model();
    QAbstractItemModel* variables = find<QTableView>("variableGrid")->model();
    QAbstractItemModelTester parameterTester(parameters);
    QAbstractItemModelTester variableTester(variables);
    ASSERT_TRUE(m_window->openOn(q(m_dir / "ws" / "grid"), "grid", false));
    show();

    QStringList headers;
    for (int c = 0; c < variables->columnCount(); ++c) {
        headers << variables->headerData(c, Qt::Horizontal).toString();
    }
    EXPECT_EQ(headers, (QStringList{"Name", "Object", "Type", "Access"}));
    EXPECT_EQ(parameters->headerData(2, Qt::Horizontal).toString(), "Value");
    const QStringList writes = gridRows(*parameters);
    ASSERT_EQ(writes.size(), 3);
    EXPECT_TRUE(writes[0].startsWith("1|")) << writes[0].toStdString();
    EXPECT_TRUE(writes[0].endsWith("|1017|0x1F4")) << writes[0].toStdString();
    EXPECT_TRUE(writes[1].startsWith("2|") && writes[1].endsWith("|100C|0x64"));
    EXPECT_TRUE(writes[2].startsWith("1|") && writes[2].endsWith("|6060|0x1"));
    EXPECT_EQ(gridRows(*variables),
              (QStringList{"5|door|6000.1|Byte|Read", "5|level|6000.2|Byte|SDO",
                           "5|pump|6200.1|Word|Write"}));

    // The node whose EDS is gone is reported once, in one message, after the window shows.
    QCoreApplication::processEvents();
    ASSERT_EQ(m_dialogs.shown.size(), 1u);
    EXPECT_TRUE(m_dialogs.shown[0].text.startsWith(tr(tk::kAvvisiCaricamento)));
    EXPECT_TRUE(m_dialogs.shown[0].text.contains("gone.eds"));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_dialogs.shown.size(), 1u);

    select("5 - KM1100.eds");
    m_dialogs.answers.push_back(Answer::Yes);
    trigger("Delete2");
    EXPECT_EQ(gridRows(*parameters).size(), 1);
    EXPECT_TRUE(gridRows(*variables).isEmpty());
}

/// What a fake checker does: the verdict file it writes, or none.
struct CheckerCase {
    const char* name;
    bool checkerPresent;
    const char* verdict; ///< the verdict file's bytes, or null for no verdict file
    Answer answer;       ///< the answer to "<EDS NON CORRETTO>"
    bool imported;
    std::string_view message; ///< the key of the message shown, or empty
};

TEST_F(NetworkEditor, ImportGoesThroughTheInstallationsChecker) {
    // The refusals first: the library tree lists no "Extra.eds" before the first import.
    const CheckerCase cases[] = {
        {"findings refused", true, "line 3: bad DataType\n", Answer::No, false,
         tk::kEdsNonCorretto},
        {"no verdict", true, nullptr, Answer::No, false, tk::kVerificaEdsFallita},
        {"no checker", false, nullptr, Answer::No, false, tk::kVerificaEdsFallita},
        {"accepted", true, "\nerror\nrror\n", Answer::No, true, {}},
        {"findings accepted", true, "line 3: bad DataType\n", Answer::Yes, true,
         tk::kEdsNonCorretto},
    };
    openNew();
    const fs::path source = m_dir / "incoming" / "Extra.eds";
    fs::create_directories(source.parent_path());
    fs::copy_file(test::installData("eds/KD240.eds"), source);
    const fs::path checker = m_dir / "template" / "bin" / "EDSCheck";
    const fs::path record = m_dir / "record.txt";
    for (const CheckerCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(m_dir / "eds" / "Extra.eds");
        fs::remove(checker);
        fs::remove(record);
        if (c.checkerPresent) {
            fs::create_directories(checker.parent_path());
            std::string script = "#!/bin/sh\nprintf '%s\\n%s\\n' \"$1\" \"$2\" > '" +
                                 record.string() + "'\npwd >> '" + record.string() + "'\n";
            if (c.verdict) {
                test::writeBytes(m_dir / "verdict.txt", c.verdict);
                script += "cat '" + (m_dir / "verdict.txt").string() + "' > eds.err\n";
            }
            test::writeBytes(checker, script);
            fs::permissions(checker, fs::perms::owner_all);
        }
        m_dialogs.shown.clear();
        m_dialogs.files.push_back(q(source));
        m_dialogs.answers.push_back(c.answer);
        trigger("ImportEDS2");
        m_dialogs.answers.clear();

        EXPECT_EQ(fs::exists(m_dir / "eds" / "Extra.eds"), c.imported);
        // An import over a file of the same name lists it once.
        EXPECT_EQ(find<QTreeWidget>("TreeView1")->findItems("Extra.eds", Qt::MatchExactly).size(),
                  c.imported ? 1 : 0);
        if (c.message.empty()) {
            EXPECT_TRUE(m_dialogs.shown.empty());
        } else {
            ASSERT_EQ(m_dialogs.shown.size(), 1u);
            EXPECT_TRUE(m_dialogs.shown[0].text.startsWith(tr(c.message)));
        }
        if (c.checkerPresent) {
            // The bin folder with its separator, the file, and a folder of its own to run in.
            std::ifstream in(record);
            std::string bin, file, cwd;
            std::getline(in, bin);
            std::getline(in, file);
            std::getline(in, cwd);
            EXPECT_EQ(fs::path(bin), checker.parent_path() / "");
            EXPECT_EQ(fs::path(file), source);
            EXPECT_NE(fs::path(cwd), fs::current_path());
            EXPECT_FALSE(fs::exists(fs::current_path() / "eds.err"));
        }
    }

    // Deleting asks, and removes the file and its entry.
    find<QTreeWidget>("TreeView1")->setCurrentItem(libraryEntry("Extra.eds"));
    m_dialogs.shown.clear();
    m_dialogs.answers.push_back(Answer::Yes);
    trigger("delete3");
    EXPECT_EQ(m_dialogs.texts(), std::vector<QString>{tr(tk::kCancellareEdsQuery)});
    EXPECT_FALSE(fs::exists(m_dir / "eds" / "Extra.eds"));
    EXPECT_EQ(libraryEntry("Extra.eds"), nullptr);
}

TEST_F(NetworkEditor, SavedParametersComeBackOnReopening) {
    openDemo();
    const fs::path file = m_dir / "ws" / "plant1" / "plant1.bsm";
    EXPECT_EQ(caption(), projectCaption(file));
    auto* cycle = find<QLineEdit>("Edit3");
    cycle->selectAll();
    QTest::keyClicks(cycle, "250");
    EXPECT_EQ(caption(), projectCaption(file) + "*");
    find<QComboBox>("ComboBox2")->setCurrentIndex(1);
    emit find<QComboBox>("ComboBox2")->activated(1);
    QTest::keySequence(m_window.get(), QKeySequence::Save);
    EXPECT_EQ(caption(), projectCaption(file));
    EXPECT_TRUE(m_dialogs.shown.empty()); // the menu's save confirms in the status bar only

    ASSERT_TRUE(m_window->openOn(q(file.parent_path()), "plant1", false));
    EXPECT_EQ(find<QLineEdit>("Edit3")->text(), "250");
    EXPECT_EQ(find<QComboBox>("ComboBox2")->currentText(), "1");
    EXPECT_EQ(captions(), (QStringList{"1 - KM110.eds", "2 - KM1100.eds", "3 - KD240.eds"}));
    EXPECT_FALSE(session().modified());
}

TEST_F(NetworkEditor, ParameterTextTheControllerCannotTakeIsRefusedInItsField) {
    openNew();
    auto* guard = find<QLineEdit>("Edit4");
    guard->selectAll();
    QTest::keyClicks(guard, "-5");
    EXPECT_TRUE(guard->toolTip().contains("guard time")) << guard->toolTip().toStdString();
    EXPECT_EQ(session().network().parameters.guardTime, "500");
    EXPECT_FALSE(session().modified());
    EXPECT_FALSE(caption().endsWith("*"));

    // Each keystroke is checked: the session keeps the last text the controller can take.
    guard->selectAll();
    QTest::keyClicks(guard, "70000");
    EXPECT_FALSE(guard->toolTip().isEmpty());
    EXPECT_EQ(session().network().parameters.guardTime, "7000");
    EXPECT_TRUE(caption().endsWith("*"));
    QTest::keyClick(guard, Qt::Key_Return); // leaving the field shows what the project holds
    EXPECT_EQ(guard->text(), "7000");
    EXPECT_TRUE(guard->toolTip().isEmpty());
}

TEST_F(NetworkEditor, BuildFromTheToolbarWritesTheControllerFiles) {
    openDemo();
    QTest::mouseClick(find<QToolButton>("SpeedButton3"), Qt::LeftButton);
    ASSERT_EQ(m_dialogs.shown.size(), 1u);
    EXPECT_TRUE(m_dialogs.shown[0].text.startsWith(tr(tk::kFileVariabiliCreato)));
    EXPECT_EQ(m_dialogs.shown[0].caption, tr(tk::kKovaBusmason));
    const fs::path folder = m_dir / "ws" / "plant1";
    for (const char* name :
         {"network0.cmg", "iomap0.cmg", "ASCIIcmg.txt", "plant1.gvl", "var.exp"}) {
        EXPECT_TRUE(fs::exists(folder / name)) << name;
    }
    const UploadRecord& upload = m_context.state().upload;
    EXPECT_EQ(upload.transferCaption, tr(tk::kDownloadCan));
    EXPECT_EQ(upload.transferMode, "CANPRJDIR");
    EXPECT_TRUE(upload.showFolderRow);
    EXPECT_FALSE(upload.showFileRow);

    // The transfer takes the project's channel; without its window it says so.
    auto* channel = find<QComboBox>("ComboBox2");
    channel->setCurrentIndex(1);
    emit channel->activated(1);
    m_dialogs.shown.clear();
    QTest::mouseClick(find<QToolButton>("SpeedButton2"), Qt::LeftButton);
    EXPECT_EQ(m_dialogs.texts(), std::vector<QString>{tr(tk::kNonDisponibile)});
    EXPECT_EQ(upload.canChannel, 1);
}

TEST_F(NetworkEditor, AFailedSaveKeepsTheNetworkAndTheCloseQueryAsksAgain) {
    openNew("locked");
    // A folder where the project file belongs: no one, root included, can write the file.
    fs::create_directories(m_dir / "ws" / "locked" / "locked.bsm");
    doubleClickLibraryEntry("KD240.eds");
    ASSERT_TRUE(caption().endsWith("*"));

    m_dialogs.answers = {Answer::Yes};
    EXPECT_FALSE(m_window->close());
    ASSERT_EQ(m_dialogs.shown.size(), 2u);
    EXPECT_EQ(m_dialogs.shown[0].text, tr(tk::kSalvareProgettoQuery));
    EXPECT_EQ(m_dialogs.shown[0].buttons, Dialogs::Buttons::YesNoCancel);
    EXPECT_TRUE(m_dialogs.shown[1].text.startsWith(tr(tk::kProgettoNonSalvato)));
    EXPECT_TRUE(m_dialogs.shown[1].text.contains("locked.bsm"));
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(caption().endsWith("*"));
    ASSERT_NE(m_window->session(), nullptr);
    EXPECT_EQ(session().network().nodeCount(), 1);

    // Escape is no way out, Cancel keeps the window, No leaves without saving.
    QTest::keyClick(m_window.get(), Qt::Key_Escape);
    EXPECT_TRUE(m_window->isVisible());
    m_dialogs.answers = {Answer::Cancel};
    EXPECT_FALSE(m_window->close());
    EXPECT_TRUE(m_window->isVisible());
    m_dialogs.answers = {Answer::No};
    EXPECT_TRUE(m_window->close());
    EXPECT_EQ(m_window->session(), nullptr);
    EXPECT_FALSE(m_context.state().newProject);
}

/// A node configuration window that adds a start-up write, as the real one does, and a
/// coupler window that records where it was opened.
struct FakeNodeConfig : NodeConfigurator {
    void configureNode(QWidget*, editor::NetworkSession& session, int address,
                       const QString& caption) override {
        captions << caption;
        session.editNode(address, [](model::node& n) {
            n.addRecord("0x5", n.objects.empty() ? model::kNoEntry : 0);
        });
    }
    QStringList captions;
};
struct FakeCoupler : CouplerConfigurator {
    void configureCoupler(QWidget*, editor::NetworkSession&, int address) override {
        addresses.push_back(address);
    }
    std::vector<int> addresses;
};

TEST_F(NetworkEditor, WhatTheNodeWindowsChangeReachesTheCaptionAndTheGrids) {
    openDemo();
    auto* list = find<QListWidget>("ListView1");
    // Before the windows exist, the commands say so.
    select("3 - KD240.eds");
    trigger("Config1");
    EXPECT_EQ(m_dialogs.texts(), std::vector<QString>{tr(tk::kNonDisponibile)});

    FakeNodeConfig nodeConfig;
    FakeCoupler coupler;
    m_context.windows().nodeConfig = &nodeConfig;
    m_context.windows().coupler = &coupler;
    const int writesBefore = find<QTableView>("parameterGrid")->model()->rowCount();
    doubleClick(list, list->visualItemRect(list->item(2)));
    EXPECT_EQ(nodeConfig.captions, QStringList{"3 - KD240.eds"});
    EXPECT_TRUE(caption().endsWith("*"));
    EXPECT_EQ(find<QTableView>("parameterGrid")->model()->rowCount(), writesBefore + 1);

    doubleClick(list, list->visualItemRect(list->item(0)));
    EXPECT_EQ(coupler.addresses, std::vector<int>{1});
    EXPECT_EQ(nodeConfig.captions.size(), 1);
}

TEST_F(NetworkEditor, OpenProjectRunsModallyAndTellsHowItWasLeft) {
    m_context.state().workspaceFolder = q(m_dir / "ws" / "plant1");
    m_context.state().projectName = "plant1";
    m_context.state().newProject = false;
    m_dialogs.scripts.push_back([](QDialog& window) {
        window.findChild<QAction*>("DeleeteEDS1")->trigger();
        return QDialog::Rejected;
    });
    EXPECT_TRUE(m_window->openProject());
    EXPECT_EQ(m_dialogs.execed, std::vector<QString>{"TForm6"});
    m_dialogs.scripts.push_back([](QDialog& window) {
        window.close();
        return QDialog::Rejected;
    });
    EXPECT_FALSE(m_window->openProject());

    // A project that cannot be loaded is reported and the editor does not open on it.
    m_context.state().projectName = "missing";
    m_dialogs.shown.clear();
    EXPECT_FALSE(m_window->openProject());
    ASSERT_EQ(m_dialogs.shown.size(), 1u);
    EXPECT_TRUE(m_dialogs.shown[0].text.startsWith(tr(tk::kProgettoNonAperto)));
    EXPECT_EQ(m_dialogs.execed.size(), 2u);
}

} // namespace
} // namespace busmason::app
