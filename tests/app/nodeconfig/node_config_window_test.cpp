#include "app/nodeconfig/node_config_window.h"
#include "app/nodeconfig/pdo_name_delegate.h"
#include "app/nodeconfig/pdo_table_model.h"
#include "app/shell/app_context.h"
#include "app/shell/settings_store.h"

#include "app/support/scripted_dialogs.h"
#include "core/editor/network_session.h"
#include "core/eds/eds_parser.h"
#include "core/nodeconfig/node_config.h"
#include "core/nodeconfig/pdo_mapping.h"
#include "core/nodeconfig/writes.h"
#include "core/persistence/project_io.h"
#include "core/translation/keys.h"
#include "core/translation/translation_table.h"
#include "support/test_support.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace busmason::app {
namespace {

namespace tk = translation;
using model::EntryId;

/// The node's start-up writes as "object=data", in order.
std::vector<std::string> writesOf(const model::node& n) {
    std::vector<std::string> out;
    for (const nodeconfig::ParameterListRow& r : nodeconfig::parameterListRows(n)) {
        out.push_back(r.object + "=" + r.value);
    }
    return out;
}

std::unique_ptr<model::node> ioDevice(int address) {
    auto read =
        eds::readEdsFile(test::testData("nodeconfig/io_device.eds"), "io_device.eds", address);
    EXPECT_TRUE(read.node);
    return std::move(read.node);
}

/// The window on a session holding the I/O test device at address 3, shown offscreen, every
/// table model of it watched by QAbstractItemModelTester.
class NodeConfigWindowTest : public ::testing::Test {
protected:
    NodeConfigWindowTest()
        : settings(QString::fromStdString((dir / "settings.ini").string())),
          context(tk::loadTranslationTable(test::installData("traduzioni.txt"), 0).table, 0,
                  settings, dialogs, test::installData()),
          session(dir / "plant", "plant") {}

    void SetUp() override {
        session.insertNode(ioDevice(3), 3);
        session.clearModified();
        window = std::make_unique<NodeConfigWindow>(context);
        for (QTableView* view : window->findChildren<QTableView*>()) {
            testers.push_back(std::make_unique<QAbstractItemModelTester>(
                view->model(), QAbstractItemModelTester::FailureReportingMode::Fatal));
        }
        open(session, 3);
    }

    void open(editor::NetworkSession& s, int address) {
        window->prepare(s, address, QString::fromStdString(s.list().front().caption));
        window->show();
    }

    template <class T> T* find(const char* name) {
        T* w = window->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    bool shown(const char* name) { return find<QWidget>(name)->isVisibleTo(window.get()); }

    model::node& node() { return session.nodeAt(window->address()); }
    EntryId entry(std::string_view text) {
        const EntryId id = nodeconfig::selectEntry(node(), text);
        EXPECT_NE(id, model::kNoEntry) << text;
        return id;
    }
    void page(NodeConfigWindow::Page p) { find<QTabWidget>("PageControl1")->setCurrentIndex(p); }
    /// Shows an entry on the object dictionary page, as a click on its tree item does.
    void select(std::string_view text) {
        page(NodeConfigWindow::ObjectDictionaryPage);
        ASSERT_TRUE(window->selectEntry(entry(text))) << text;
    }
    void type(const char* box, const QString& text) {
        QLineEdit* edit = find<QLineEdit>(box);
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    void click(const char* button) {
        QTest::mouseClick(find<QAbstractButton>(button), Qt::LeftButton);
    }

    /// The texts of a table view, one "a|b|c" line per row.
    std::vector<std::string> rows(const char* view) {
        const QAbstractItemModel* m = find<QTableView>(view)->model();
        std::vector<std::string> out;
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c) {
                cells << m->index(r, c).data().toString();
            }
            out.push_back(cells.join('|').toStdString());
        }
        return out;
    }
    std::vector<std::string> writes() { return writesOf(node()); }
    std::string lastMessage() const {
        return dialogs.shown.empty() ? std::string() : dialogs.shown.back().text.toStdString();
    }

    /// Opens the name editor of an entry's row on the PDO page, as a click on its cell does.
    QLineEdit* nameEditor(std::string_view text) {
        page(NodeConfigWindow::PdoPage);
        auto* grid = find<QTableView>("GridTPDO");
        const int row = window->pdoModel().rowOf(entry(text));
        EXPECT_GE(row, 0) << text;
        const QModelIndex cell = grid->model()->index(row, PdoTableModel::NameColumn);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
        QLineEdit* editor = window->pdoNameDelegate().openEditor();
        EXPECT_NE(editor, nullptr);
        return editor;
    }
    std::string pdoCells(std::string_view text) {
        const int row = window->pdoModel().rowOf(entry(text));
        const QAbstractItemModel& m = window->pdoModel();
        return (m.index(row, PdoTableModel::PdoColumn).data().toString() + "|" +
                m.index(row, PdoTableModel::NameColumn).data().toString() + "|" +
                m.index(row, PdoTableModel::MapColumn).data().toString())
            .toStdString();
    }

    test::TempDir dir;
    SettingsStore settings;
    test::ScriptedDialogs dialogs;
    AppContext context;
    editor::NetworkSession session;
    std::unique_ptr<NodeConfigWindow> window;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
};

TEST_F(NodeConfigWindowTest, TheInputAreaFollowsTheAccessType) {
    enum Area { None, Variable, Parameter, Mapping };
    struct Case {
        const char* entry;
        Area area;
    };
    const Case cases[] = {
        {"1018", None},        // a main entry without AccessType
        {"1008", None},        // const
        {"1000", Variable},    // ro
        {"1017", Parameter},   // rw
        {"1010.1", Parameter}, // wo
        {"1600.1", Mapping},   // a mapping entry
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        select(c.entry);
        EXPECT_EQ(shown("inputArea"), c.area != None);
        EXPECT_EQ(shown("variableNameEdit"), c.area != None);
        EXPECT_EQ(shown("Button2"), c.area != None);
        for (const char* w : {"valueEdit", "Button1"}) {
            EXPECT_EQ(shown(w), c.area == Parameter || c.area == Mapping) << w;
        }
        for (const char* w :
             {"subIndexEdit", "dimEdit", "indexCaption", "subIndexCaption", "dimCaption"}) {
            EXPECT_EQ(shown(w), c.area == Mapping) << w;
        }
        if (c.area == Parameter || c.area == Mapping) {
            EXPECT_EQ(find<QLineEdit>("valueEdit")->maxLength(), c.area == Mapping ? 4 : 8);
        }
        EXPECT_EQ(rows("ValueListEditor1").front(), "Index|" + std::string(c.entry).substr(0, 4));
    }
}

TEST_F(NodeConfigWindowTest, AddingAValueListsItAndAppendsItsStartUpWrite) {
    select("1017");
    type("valueEdit", "1F4");
    click("Button1");
    EXPECT_EQ(rows("ValueListEditor2"), std::vector<std::string>{"Parameter Value 1|0x1F4"});
    EXPECT_EQ(writes(), std::vector<std::string>{"1017=0x1F4"});
    EXPECT_EQ(node().entry(entry("1017")).values, std::vector<std::string>{"0x1F4"});
    EXPECT_TRUE(session.modified());
    EXPECT_TRUE(find<QLineEdit>("valueEdit")->text().isEmpty());
    EXPECT_TRUE(find<QTreeWidget>("TreeView1")->currentItem()->font(0).bold()) << "configured";

    type("valueEdit", "3E8");
    QTest::keyClick(find<QLineEdit>("valueEdit"), Qt::Key_Return);
    EXPECT_EQ(rows("ValueListEditor2"),
              (std::vector<std::string>{"Parameter Value 1|0x1F4", "Parameter Value 2|0x3E8"}));
    page(NodeConfigWindow::ParameterListPage);
    EXPECT_EQ(rows("ParamList"), (std::vector<std::string>{"Producer heartbeat time|1017|0x1F4",
                                                           "Producer heartbeat time|1017|0x3E8"}));

    page(NodeConfigWindow::ObjectDictionaryPage);
    find<QAction>("Delete1")->trigger(); // on row 1, the row selected when an entry is shown
    EXPECT_EQ(rows("ValueListEditor2"), std::vector<std::string>{"Parameter Value 1|0x3E8"});
    EXPECT_EQ(writes(), std::vector<std::string>{"1017=0x3E8"});
    EXPECT_TRUE(dialogs.shown.empty());

    // An empty box and a value beyond the entry's limit are refused with what was wrong.
    click("Button1");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].icon, Dialogs::Icon::Error);
    EXPECT_EQ(dialogs.shown[0].caption, context.tr(tk::kErrore));
    EXPECT_TRUE(dialogs.shown[0].text.startsWith(context.tr(tk::kValoreNonConsentito)));
    for (int i = 2; i <= 10; ++i) {
        type("valueEdit", QString::number(i));
        click("Button1");
    }
    EXPECT_EQ(dialogs.shown.size(), 1u) << lastMessage();
    EXPECT_EQ(node().entry(entry("1017")).valueCount(), 10);
    type("valueEdit", "B");
    click("Button1");
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_NE(lastMessage().find("at most 10 values per entry (0x1017)"), std::string::npos)
        << lastMessage();
    EXPECT_EQ(node().sdoCount(), 10);
    EXPECT_EQ(find<QLineEdit>("valueEdit")->text(), "B") << "kept to be mended";
}

TEST_F(NodeConfigWindowTest, AMappingEntryTakesIndexSubIndexAndLength) {
    select("1600.1");
    type("valueEdit", "6200");
    type("subIndexEdit", "3");
    type("dimEdit", "08");
    click("Button1");
    EXPECT_EQ(rows("ValueListEditor2"), std::vector<std::string>{"Parameter Value 1|0x6200308"});
    EXPECT_EQ(writes(), std::vector<std::string>{"1600.1=0x6200308"});
    EXPECT_EQ(node().entry(entry("1600.1")).link, entry("6200.3"));

    // A variable named on the linked object then lands in the mapping entry's PDO.
    select("6200.3");
    type("variableNameEdit", "lamp");
    click("Button2");
    EXPECT_EQ(rows("ValueListEditor3"), std::vector<std::string>{"Denotation|lamp"});
    const model::object_dict& lamp = node().entry(entry("6200.3"));
    EXPECT_TRUE(lamp.pdoMapped);
    EXPECT_EQ(lamp.pdoKind, 2);
    EXPECT_EQ(lamp.pdoNumber, 1);
    page(NodeConfigWindow::VariableListPage);
    EXPECT_EQ(rows("VarList"), std::vector<std::string>{"lamp|6200.3|Byte|PDO"});
    EXPECT_EQ(find<QTableView>("VarList")->model()->headerData(0, Qt::Vertical).toString(), "3");
}

TEST_F(NodeConfigWindowTest, MoveButtonsFollowTheSelectedWrite) {
    for (const char* value : {"1", "2", "3"}) {
        nodeconfig::addParameterValue(node(), entry("1017"), {value, "", ""}, "");
    }
    open(session, 3);
    page(NodeConfigWindow::ParameterListPage);
    auto* up = find<QToolButton>("SpeedButton1");
    auto* down = find<QToolButton>("SpeedButton2");
    EXPECT_FALSE(up->isEnabled());
    EXPECT_FALSE(down->isEnabled());

    auto* list = find<QTableView>("ParamList");
    const QModelIndex first = list->model()->index(0, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(first).center());
    EXPECT_FALSE(up->isEnabled()) << "row 1";
    EXPECT_TRUE(down->isEnabled());

    QTest::mouseClick(down, Qt::LeftButton);
    EXPECT_EQ(writes(), (std::vector<std::string>{"1017=0x2", "1017=0x1", "1017=0x3"}));
    EXPECT_TRUE(up->isEnabled()) << "the selection follows the write to row 2";
    QTest::mouseClick(down, Qt::LeftButton);
    EXPECT_EQ(writes(), (std::vector<std::string>{"1017=0x2", "1017=0x3", "1017=0x1"}));
    EXPECT_FALSE(down->isEnabled()) << "last row";
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(writes(), (std::vector<std::string>{"1017=0x2", "1017=0x1", "1017=0x3"}));
    EXPECT_TRUE(session.modified());
}

TEST_F(NodeConfigWindowTest, StoringTheAddressMovesToAFreeOneAndRefusesATakenOne) {
    session.insertNode(ioDevice(7), 7);
    const model::node* configured = &node();
    auto* address = find<QSpinBox>("UpDown1");
    EXPECT_EQ(address->minimum(), 1);
    EXPECT_EQ(address->maximum(), 127);
    EXPECT_EQ(address->value(), 3);

    address->setValue(7);
    find<QCheckBox>("virtualBox")->setChecked(true);
    click("Button3");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].icon, Dialogs::Icon::Error);
    EXPECT_EQ(dialogs.shown[0].text, context.tr(tk::kAddressPresentYet));
    EXPECT_EQ(session.network().at(3), configured);
    EXPECT_TRUE(configured->virtual_) << "the flags are stored all the same";
    EXPECT_EQ(address->value(), 3);
    EXPECT_EQ(window->address(), 3);

    address->setValue(5);
    click("Button3");
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(session.network().at(5), configured);
    EXPECT_EQ(session.network().at(3), nullptr);
    EXPECT_EQ(configured->address, 5);
    EXPECT_EQ(session.list().front().caption, "5- io_device.eds");
    EXPECT_EQ(window->windowTitle(), "5- io_device.eds");
    EXPECT_EQ(window->address(), 5);
    EXPECT_TRUE(session.modified());

    // The window goes on with the node where it now is.
    select("1017");
    type("valueEdit", "1F4");
    click("Button1");
    EXPECT_EQ(session.nodeAt(5).sdoCount(), 1);
}

TEST_F(NodeConfigWindowTest, ThePdoPageMapsAtTheFirstCharacterRenamesUnmapsAndRefuses) {
    QLineEdit* editor = nameEditor("6200.3");
    ASSERT_NE(editor, nullptr);
    const model::object_dict& e = node().entry(entry("6200.3"));

    QTest::keyClicks(editor, "l");
    EXPECT_EQ(pdoCells("6200.3"), "1|l|YES");
    EXPECT_TRUE(e.pdoMapped);
    EXPECT_EQ(e.pdoKind, 2);
    EXPECT_EQ(e.pdoNumber, 1);
    EXPECT_EQ(e.object, 3);
    EXPECT_EQ(e.varType, 0x02);
    EXPECT_TRUE(session.modified());

    QTest::keyClicks(editor, "amp");
    EXPECT_EQ(pdoCells("6200.3"), "1|lamp|YES");
    EXPECT_EQ(e.varName(0), "lamp");
    EXPECT_EQ(node().sdoCount(), 0) << "PDO 1 has a predefined COB-ID";

    // A character that makes no identifier is refused while typing: shown, never stored.
    QTest::keyClicks(editor, "-");
    EXPECT_TRUE(editor->property(PdoNameDelegate::kRefusedProperty).toBool());
    EXPECT_TRUE(editor->toolTip().startsWith(context.tr(tk::kValoreNonConsentito)));
    EXPECT_NE(editor->toolTip().indexOf("'lamp-'"), -1);
    EXPECT_EQ(editor->text(), "lamp-");
    EXPECT_TRUE(shown("pdoRefusal"));
    EXPECT_EQ(find<QLabel>("pdoRefusal")->text(), editor->toolTip());
    EXPECT_EQ(e.varName(0), "lamp");
    EXPECT_EQ(pdoCells("6200.3"), "1|lamp|YES");
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_FALSE(editor->property(PdoNameDelegate::kRefusedProperty).toBool());
    EXPECT_TRUE(editor->toolTip().isEmpty());
    EXPECT_FALSE(shown("pdoRefusal"));

    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(editor, Qt::Key_Backspace);
    }
    EXPECT_EQ(pdoCells("6200.3"), "0||NO");
    EXPECT_FALSE(e.pdoMapped);
    EXPECT_EQ(e.varCount, 0);

    QTest::keyClicks(editor, "9");
    EXPECT_TRUE(editor->property(PdoNameDelegate::kRefusedProperty).toBool());
    EXPECT_FALSE(e.pdoMapped);
    EXPECT_EQ(e.varName(0), "");
    EXPECT_TRUE(dialogs.shown.empty()) << "refusals while typing are shown in the cell";
}

TEST_F(NodeConfigWindowTest, ClosingWithTheNameEditorOpenKeepsWhatWasTyped) {
    struct Case {
        const char* typed;
        const char* stored; ///< the entry's name afterwards, mapped; empty: unmapped
    };
    const Case cases[] = {
        {"lamp", "lamp"},
        {"lamp!", "lamp"}, // the refused character is not stored, what came before is
        {"!", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        open(session, 3);
        QLineEdit* editor = nameEditor("6200.3");
        ASSERT_NE(editor, nullptr);
        editor->clear();
        QTest::keyClicks(editor, "x");
        QTest::keyClick(editor, Qt::Key_Backspace); // unmapped again: start from nothing
        QTest::keyClicks(editor, c.typed);
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->pdoNameDelegate().openEditor(), nullptr);

        const model::object_dict& e =
            session.nodeAt(3).entry(nodeconfig::selectEntry(session.nodeAt(3), "6200.3"));
        EXPECT_EQ(e.varName(0), c.stored);
        EXPECT_EQ(e.pdoMapped, *c.stored != '\0');
        EXPECT_EQ(e.pdoNumber, *c.stored ? 1 : 0);
        open(session, 3);
        EXPECT_EQ(pdoCells("6200.3"), *c.stored ? "1|" + std::string(c.stored) + "|YES" : "0||NO");
    }
}

TEST_F(NodeConfigWindowTest, AfterALoadThePdoCountsAreRight) {
    // Two entries in receive PDO 5 share one COB-ID write; saved, loaded, then unmapped here.
    for (const auto& [text, name] : {std::pair{"6200.9", "o9"}, std::pair{"6200.A", "o10"}}) {
        nodeconfig::nameOnPdoPage(node(), entry(text), name);
    }
    ASSERT_EQ(writes(), std::vector<std::string>{"1404.1=0x0223"});
    std::filesystem::create_directories(session.projectFolder());
    persistence::saveProject(session);
    persistence::LoadResult loaded =
        persistence::loadProject(session.projectFile(), test::testData("nodeconfig"));
    ASSERT_TRUE(loaded.session);
    editor::NetworkSession& reopened = *loaded.session;
    window->close();
    open(reopened, 3);
    const auto loadedWrites = [&] { return writesOf(reopened.nodeAt(3)); };
    ASSERT_EQ(loadedWrites(), std::vector<std::string>{"1404.1=0x0223"});

    const auto erase = [&](std::string_view text) {
        const int row = window->pdoModel().rowOf(nodeconfig::selectEntry(reopened.nodeAt(3), text));
        page(NodeConfigWindow::PdoPage);
        auto* grid = find<QTableView>("GridTPDO");
        const QModelIndex cell = grid->model()->index(row, PdoTableModel::NameColumn);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
        QLineEdit* editor = window->pdoNameDelegate().openEditor();
        ASSERT_NE(editor, nullptr);
        while (!editor->text().isEmpty()) {
            QTest::keyClick(editor, Qt::Key_Backspace);
        }
    };
    erase("6200.9");
    EXPECT_EQ(loadedWrites(), std::vector<std::string>{"1404.1=0x0223"}) << "o10 is still in PDO 5";
    erase("6200.A");
    EXPECT_TRUE(loadedWrites().empty());
    EXPECT_TRUE(reopened.modified());
}

TEST_F(NodeConfigWindowTest, EveryControlHasAnAccessibleNameAndGridCellsAreTableCells) {
    select("1600.1");
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QAbstractSpinBox*>(w) ||
                             qobject_cast<QAbstractItemView*>(w);
        const QWidget* parent = w->parentWidget();
        const bool part =
            qobject_cast<QHeaderView*>(w) || qobject_cast<const QTabBar*>(parent) ||
            qobject_cast<const QAbstractSpinBox*>(parent) ||
            qobject_cast<const QAbstractItemView*>(parent) ||
            (parent && qobject_cast<const QAbstractItemView*>(parent->parentWidget()));
        if (!control || part) {
            continue;
        }
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(accessible, nullptr);
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
            << w->metaObject()->className() << " " << w->objectName().toStdString();
    }

    page(NodeConfigWindow::PdoPage);
    auto* grid = find<QTableView>("GridTPDO");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(grid);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), "PDO");
    QAccessibleTableInterface* table = accessible->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), window->pdoModel().rowCount());
    const int row = window->pdoModel().rowOf(entry("6200.3"));
    QAccessibleInterface* cell = table->cellAt(row, PdoTableModel::SubIndexColumn);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->role(), QAccessible::Cell);
    EXPECT_EQ(cell->text(QAccessible::Name), "0x3");
}

TEST_F(NodeConfigWindowTest, ConfigureNodeShowsTheWindowModallyAndStoresThePrefixAsTyped) {
    window->close();
    QMainWindow editorWindow;
    editorWindow.statusBar()->showMessage("ready");
    dialogs.scripts.push_back([&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "3 - io_device.eds");
        EXPECT_EQ(find<QTabWidget>("PageControl1")->currentIndex(),
                  NodeConfigWindow::AdministrationPage);
        EXPECT_EQ(find<QLineEdit>("adminProductName")->text(), "IO 16/16");
        EXPECT_EQ(find<QLineEdit>("Edit25")->text(), "ch0_");
        type("Edit25", "plc_");
        EXPECT_EQ(session.network().prefix, "plc_");
        type("Edit25", "9x");
        EXPECT_EQ(session.network().prefix, "plc_") << "refused";
        EXPECT_TRUE(
            find<QLineEdit>("Edit25")->property(PdoNameDelegate::kRefusedProperty).toBool());
        type("Edit28", "12");
        EXPECT_EQ(session.network().crosstableRow, "12");
        dialog.reject();
        return static_cast<int>(QDialog::Rejected);
    });
    window->configureNode(&editorWindow, session, 3, "3 - io_device.eds");
    EXPECT_EQ(dialogs.execed, std::vector<QString>{"TForm9"});
    EXPECT_EQ(editorWindow.statusBar()->currentMessage(), context.tr(tk::kAttendere));
    EXPECT_EQ(window->address(), 0);
    EXPECT_TRUE(session.modified());

    // The pages read the node's EDS information.
    open(session, 3);
    EXPECT_EQ(find<QLineEdit>("FileName")->text(), "io_device.eds");
    EXPECT_EQ(find<QLineEdit>("VendorName")->text(), "Busmason tests");
    EXPECT_EQ(find<QLineEdit>("NrOfRXPDO")->text(), "16");
    std::string baud;
    for (const char* rate : {"BaudRate_10", "BaudRate_20", "BaudRate_50", "BaudRate_125",
                             "BaudRate_250", "BaudRate_500", "BaudRate_800", "BaudRate_1000"}) {
        baud += find<QCheckBox>(rate)->isChecked() ? '1' : '0';
    }
    EXPECT_EQ(baud, "00111101");
    EXPECT_EQ(find<QLineEdit>("Edit25")->text(), "plc_");
}

} // namespace
} // namespace busmason::app
