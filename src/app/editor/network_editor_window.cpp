#include "app/editor/network_editor_window.h"

#include "app/editor/editor_icons.h"
#include "app/editor/editor_views.h"
#include "app/editor/eds_checker_run.h"
#include "app/editor/overview_models.h"
#include "app/shell/app_context.h"
#include "app/shell/help_documents.h"
#include "app/shell/messages.h"
#include "app/shell/remembered.h"

#include "core/eds/eds_library.h"
#include "core/model/numbers.h"
#include "core/output/build.h"
#include "core/persistence/project_io.h"
#include "core/translation/keys.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>

namespace busmason::app {

namespace tk = translation;
using editor::ParameterField;

namespace {

/// The bit rate names the drop-down offers: all but the slowest, which the controller takes
/// from a project file but the list does not offer.
QStringList offeredBaudRates() {
    QStringList names;
    for (std::size_t i = 0; i + 1 < model::kBaudRateNames.size(); ++i) {
        names << QString::fromLatin1(model::kBaudRateNames[i]);
    }
    return names;
}

QString fromStd(const std::string& s) {
    return QString::fromStdString(s);
}

/// The wait cursor while a command blocks the window.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

/// A label whose text names field for screen readers as well.
QLabel* buddyLabel(const QString& text, QWidget* field) {
    auto* label = new QLabel(text);
    label->setBuddy(field);
    field->setAccessibleName(text);
    return label;
}

constexpr const char* kImportFolderPurpose = "edsImport";

} // namespace

NetworkEditorWindow::NetworkEditorWindow(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName("TForm6");
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    setWindowTitle(QStringLiteral("KOVA Busmason"));
    m_parameterModel = new ParameterGridModel(this);
    m_variableModel = new VariableGridModel(this);
    buildPages();
    buildMenus();
    buildToolBar();
    buildPopups();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(findChild<QMenuBar*>("MainMenu1"));
    layout->addWidget(m_toolBar);
    layout->addWidget(m_pages, 1);
    layout->addWidget(m_statusBar);
    resize(1100, 680);
}

NetworkEditorWindow::~NetworkEditorWindow() = default;

// ---- building the window

void NetworkEditorWindow::buildPages() {
    m_pages = new QTabWidget(this);
    m_pages->setObjectName("PageControl1");
    QWidget* network = buildNetworkPage();
    network->setObjectName("TabSheet1");
    m_pages->addTab(network, m_context.tr(tk::kConfiguraCan));
    QWidget* parameters = buildOverviewPage(m_parameterTree, m_parameterGrid, "parameterNodeTree",
                                            "parameterGrid", m_context.tr(tk::kListaParametri));
    parameters->setObjectName("TabSheet2");
    m_parameterGrid->setModel(m_parameterModel);
    m_pages->addTab(parameters, m_context.tr(tk::kListaParametri));
    QWidget* variables = buildOverviewPage(m_variableTree, m_variableGrid, "variableNodeTree",
                                           "variableGrid", m_context.tr(tk::kListaVariabili));
    variables->setObjectName("TabSheet3");
    m_variableGrid->setModel(m_variableModel);
    m_pages->addTab(variables, m_context.tr(tk::kListaVariabili));

    QHeaderView* p = m_parameterGrid->horizontalHeader();
    p->resizeSection(ParameterGridModel::Name, 400);
    p->resizeSection(ParameterGridModel::Object, 100);
    p->resizeSection(ParameterGridModel::Value, 200);
    QHeaderView* v = m_variableGrid->horizontalHeader();
    v->resizeSection(VariableGridModel::Name, 400);
    v->resizeSection(VariableGridModel::Object, 100);
    v->resizeSection(VariableGridModel::Type, 100);
    v->resizeSection(VariableGridModel::Access, 100);
    m_variableGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_pages, &QTabWidget::currentChanged, this, [this] { pageChanged(); });

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName("StatusBar1");
    m_statusBar->setSizeGripEnabled(true);
}

QWidget* NetworkEditorWindow::buildNetworkPage() {
    auto* page = new QWidget;
    auto* splitter = new QSplitter(Qt::Horizontal, page);
    splitter->setChildrenCollapsible(false);

    auto* libraryBox = new QWidget;
    auto* libraryLayout = new QVBoxLayout(libraryBox);
    libraryLayout->setContentsMargins(6, 6, 0, 6);
    m_library = new LibraryTree;
    m_library->setObjectName("TreeView1");
    libraryLayout->addWidget(buddyLabel(m_context.tr(tk::kEds), m_library));
    libraryLayout->addWidget(m_library);
    connect(m_library, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { addNode(item->text(0)); });
    auto* addByKey = new QShortcut(QKeySequence(Qt::Key_Return), m_library);
    addByKey->setContext(Qt::WidgetShortcut);
    connect(addByKey, &QShortcut::activated, this, [this] { addSelectedLibraryEntry(); });

    auto* listBox = new QWidget;
    auto* listLayout = new QVBoxLayout(listBox);
    listLayout->setContentsMargins(0, 6, 0, 6);
    m_networkList = new NetworkList;
    m_networkList->setObjectName("ListView1");
    listLayout->addWidget(buddyLabel(m_context.tr(tk::kNodi), m_networkList));
    listLayout->addWidget(m_networkList);
    connect(m_networkList, &NetworkList::edsDropped, this,
            [this](const QString& name) { addNode(name); });
    connect(m_networkList, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { activateNode(item); });
    connect(m_networkList, &NetworkList::deleteRequested, this, [this] { deleteNode(); });

    splitter->addWidget(libraryBox);
    splitter->addWidget(listBox);
    splitter->addWidget(buildParameterPanel());
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setStretchFactor(2, 0);
    splitter->setSizes({220, 560, 320});

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    return page;
}

QWidget* NetworkEditorWindow::buildParameterPanel() {
    auto* box = new QGroupBox(m_context.tr(tk::kParametriRete));
    box->setObjectName("GroupBox3");
    auto* form = new QFormLayout(box);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);

    m_baudRate = new QComboBox;
    m_baudRate->setObjectName("ComboBox1");
    m_channel = new QComboBox;
    m_channel->setObjectName("ComboBox2");
    m_cycleTime = new QLineEdit;
    m_cycleTime->setObjectName("Edit3");
    m_guardTime = new QLineEdit;
    m_guardTime->setObjectName("Edit4");
    m_lifeTime = new QLineEdit;
    m_lifeTime->setObjectName("Edit5");
    m_sync = new QCheckBox(m_context.tr(tk::kAbilitazioneSyncRequest));
    m_sync->setObjectName("CheckBox1");
    m_toggleBit = new QCheckBox(m_context.tr(tk::kNgToggleBit));
    m_toggleBit->setObjectName("CheckBox2");
    for (QCheckBox* fixed : {m_sync, m_toggleBit}) {
        // The controller's master always runs with both; the boxes show it.
        fixed->setChecked(true);
        fixed->setEnabled(false);
        fixed->setAccessibleName(fixed->text());
    }

    form->addRow(buddyLabel(m_context.tr(tk::kBaudrate), m_baudRate), m_baudRate);
    form->addRow(buddyLabel(m_context.tr(tk::kCanaleCan), m_channel), m_channel);
    form->addRow(buddyLabel(m_context.tr(tk::kTempoCiclo), m_cycleTime), m_cycleTime);
    form->addRow(buddyLabel(m_context.tr(tk::kTempoGuardia), m_guardTime), m_guardTime);
    form->addRow(buddyLabel(m_context.tr(tk::kTempoVita), m_lifeTime), m_lifeTime);
    form->addRow(m_sync);
    form->addRow(m_toggleBit);

    for (QComboBox* combo : {m_baudRate, m_channel}) {
        const ParameterField field =
            combo == m_baudRate ? ParameterField::BaudRate : ParameterField::Channel;
        connect(combo, &QComboBox::activated, this,
                [this, combo, field] { editParameter(field, combo->currentText()); });
    }
    for (QLineEdit* edit : {m_cycleTime, m_guardTime, m_lifeTime}) {
        const ParameterField field = edit == m_cycleTime   ? ParameterField::CycleTime
                                     : edit == m_guardTime ? ParameterField::GuardTime
                                                           : ParameterField::LifeTime;
        connect(edit, &QLineEdit::textEdited, this,
                [this, field](const QString& text) { editParameter(field, text); });
        connect(edit, &QLineEdit::editingFinished, this, [this, field] { finishParameter(field); });
    }

    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 6, 6, 6);
    layout->addWidget(box);
    layout->addStretch(1);
    panel->setMinimumWidth(280);
    return panel;
}

QWidget* NetworkEditorWindow::buildOverviewPage(QTreeWidget*& tree, QTableView*& grid,
                                                const char* treeName, const char* gridName,
                                                const QString& caption) {
    auto* page = new QWidget;
    auto* splitter = new QSplitter(Qt::Horizontal, page);
    splitter->setChildrenCollapsible(false);
    tree = new QTreeWidget;
    tree->setObjectName(treeName);
    tree->setHeaderHidden(true);
    tree->setAccessibleName(m_context.tr(tk::kNodi));
    grid = new QTableView;
    grid->setObjectName(gridName);
    grid->setAccessibleName(caption);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setAlternatingRowColors(true);
    grid->setWordWrap(false);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setStretchLastSection(true);
    QHeaderView* rows = grid->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(std::max(18, grid->fontMetrics().height() + 4));
    rows->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    rows->setMinimumWidth(grid->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    splitter->addWidget(tree);
    splitter->addWidget(grid);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, 900});
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(splitter);
    return page;
}

void NetworkEditorWindow::buildMenus() {
    auto* bar = new QMenuBar(this);
    bar->setObjectName("MainMenu1");
    auto item = [this](QMenu* menu, const char* name, const QString& text, auto slot) {
        QAction* action = menu->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };

    QMenu* file = bar->addMenu(m_context.tr(tk::kFile));
    file->setObjectName("File1");
    item(file, "Download1", m_context.tr(tk::kCostruisciFileConfigurazione), [this] {
        build();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    item(file, "up1", m_context.tr(tk::kScaricaFileConfigurazione), [this] { transfer(); });
    item(file, "ImportEDs1", m_context.tr(tk::kSalvareProgetto), [this] {
        save(false);
    })->setShortcut(QKeySequence::Save);
    file->addSeparator();
    item(file, "DeleeteEDS1", m_context.tr(tk::kExit), [this] {
        exitEditor();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* tools = bar->addMenu(m_context.tr(tk::kStrumenti));
    tools->setObjectName("Arrange1");
    item(tools, "Arrange2", m_context.tr(tk::kOrdina), [this] { arrange(); });
    item(tools, "ImportEDS2", m_context.tr(tk::kImportaEds), [this] { importEds(); });
    tools->addSeparator();
    item(tools, "CheckNetwork1", m_context.tr(tk::kVerificaRete), [this] { checkNetwork(); });

    QMenu* help = bar->addMenu(m_context.tr(tk::kAiuto));
    help->setObjectName("Help1");
    m_tutorial = item(help, "t11", QStringLiteral("Busmason"), [this] { tutorial(); });
    m_tutorial->setShortcut(QKeySequence::HelpContents);
    connect(help, &QMenu::aboutToShow, this, [this] {
        m_tutorial->setEnabled(!findHelpDocument(m_context.state().templateFolder,
                                                 help::kEditorTutorial, m_context.languageIndex())
                                    .isEmpty());
    });
}

void NetworkEditorWindow::buildToolBar() {
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName("ToolBar1");
    m_toolBar->setIconSize(QSize(24, 24));
    m_toolBar->setMovable(false);
    m_toolBar->setAccessibleName(m_context.tr(tk::kStrumenti));
    struct Button {
        const char* name;
        EditorCommandIcon icon;
        std::string_view key;
        std::function<void()> run;
    };
    const Button buttons[] = {
        {"SpeedButton1", EditorCommandIcon::Save, tk::kSalvareProgetto, [this] { save(true); }},
        {"SpeedButton2", EditorCommandIcon::Transfer, tk::kScaricaFileConfigurazione,
         [this] { transfer(); }},
        {"SpeedButton3", EditorCommandIcon::Build, tk::kCostruisciFileConfigurazione,
         [this] { build(); }},
    };
    for (const Button& b : buttons) {
        const QString text = m_context.tr(b.key);
        QAction* action = m_toolBar->addAction(commandIcon(b.icon), text);
        action->setToolTip(text);
        action->setStatusTip(text);
        connect(action, &QAction::triggered, this, b.run);
        QWidget* button = m_toolBar->widgetForAction(action);
        button->setObjectName(b.name);
        button->setAccessibleName(text);
    }
}

void NetworkEditorWindow::buildPopups() {
    m_networkPopup = new QMenu(this);
    m_networkPopup->setObjectName("PopupMenu1");
    auto add = [this](QMenu* menu, const char* name, std::string_view key, auto slot) {
        QAction* action = menu->addAction(m_context.tr(key));
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    m_configure = add(m_networkPopup, "Config1", tk::kConfigura, [this] { configureNode(); });
    m_configureCoupler =
        add(m_networkPopup, "Delete1", tk::kConfiguraCoupler, [this] { configureCoupler(); });
    m_deleteNode = add(m_networkPopup, "Delete2", tk::kCancellaNodo, [this] { deleteNode(); });
    m_deleteNode->setShortcut(QKeySequence::Delete);
    m_deleteNode->setShortcutContext(Qt::WidgetShortcut);
    m_nodeHelp = add(m_networkPopup, "Help2", tk::kAiuto, [this] { nodeHelp(); });
    connect(m_networkPopup, &QMenu::aboutToShow, this, [this] { updateNetworkPopup(); });
    m_networkList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_networkList, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (QListWidgetItem* item = m_networkList->itemAt(at)) {
            m_networkList->setCurrentItem(item);
        }
        updateNetworkPopup();
        if (selectedAddress() != 0) {
            m_networkPopup->popup(m_networkList->viewport()->mapToGlobal(at));
        }
    });

    m_libraryPopup = new QMenu(this);
    m_libraryPopup->setObjectName("PopupMenu2");
    m_deleteEds = add(m_libraryPopup, "delete3", tk::kCancellaEds, [this] { deleteEds(); });
    m_addNode =
        add(m_libraryPopup, "figura", tk::kAggiungiNodo, [this] { addSelectedLibraryEntry(); });
    connect(m_libraryPopup, &QMenu::aboutToShow, this, [this] { updateLibraryPopup(); });
    m_library->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_library, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (QTreeWidgetItem* item = m_library->itemAt(at)) {
            m_library->setCurrentItem(item);
        }
        updateLibraryPopup();
        if (m_library->currentItem()) {
            m_libraryPopup->popup(m_library->viewport()->mapToGlobal(at));
        }
    });
}

// ---- opening and closing

bool NetworkEditorWindow::openProject() {
    if (!prepare()) {
        return false;
    }
    m_exitRequested = false;
    m_context.dialogs().exec(*this);
    return m_exitRequested;
}

bool NetworkEditorWindow::openOn(const QString& workspaceFolder, const QString& projectName,
                                 bool newProject) {
    SharedState& state = m_context.state();
    state.workspaceFolder = workspaceFolder;
    state.projectName = projectName;
    state.newProject = newProject;
    return prepare();
}

bool NetworkEditorWindow::prepare() {
    const SharedState& state = m_context.state();
    m_session.reset();
    m_pendingDiagnostics.clear();
    m_networkList->clear();
    m_statusBar->clearMessage();
    if (!m_libraryListed) {
        m_libraryListed = true;
        listLibrary();
    }
    m_pages->setCurrentIndex(0);

    const std::string name = state.projectName.toStdString();
    if (state.newProject) {
        m_session.emplace(toPath(QDir(state.workspaceFolder).filePath(state.projectName)), name);
    } else {
        setWindowTitle(QStringLiteral("KOVA Busmason -") + state.projectName);
        const std::filesystem::path file = toPath(state.workspaceFolder) / (name + ".bsm");
        persistence::LoadResult loaded = [&] {
            BusyCursor busy;
            return persistence::loadProject(file, toPath(state.edsFolder));
        }();
        if (!loaded.session) {
            showError(m_context, this,
                      m_context.tr(tk::kProgettoNonAperto) + "\n\n" +
                          diagnosticLines(loaded.diagnostics));
            return false;
        }
        m_session.emplace(std::move(*loaded.session));
        m_pendingDiagnostics = std::move(loaded.diagnostics);
        m_pendingDiagnostics.insert(m_pendingDiagnostics.end(), loaded.parameterFindings.begin(),
                                    loaded.parameterFindings.end());
    }
    showParameters();
    refreshNetworkList();
    refreshNodeTrees();
    rebuildGrids();
    updateCaption();
    if (!m_geometryRestored) {
        m_geometryRestored = true;
        restoreWindowGeometry(*this, m_context.settings());
    }
    return true;
}

void NetworkEditorWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_pendingDiagnostics.empty()) {
        QTimer::singleShot(0, this, [this] { showPendingDiagnostics(); });
    }
}

void NetworkEditorWindow::showPendingDiagnostics() {
    const std::vector<model::Diagnostic> diagnostics = std::move(m_pendingDiagnostics);
    m_pendingDiagnostics.clear();
    showDiagnostics(m_context, this, m_context.tr(tk::kAvvisiCaricamento), diagnostics);
}

bool NetworkEditorWindow::closeQuery() {
    if (!m_session || !m_session->modified()) {
        return true;
    }
    const Dialogs::Answer answer = m_context.dialogs().message(
        this, Dialogs::Icon::Warning, m_context.tr(tk::kAttenzione),
        m_context.tr(tk::kSalvareProgettoQuery), Dialogs::Buttons::YesNoCancel);
    if (answer == Dialogs::Answer::Yes) {
        return save(false);
    }
    return answer == Dialogs::Answer::No;
}

void NetworkEditorWindow::reject() {
    // Every way out of the window runs the close query.
    close();
}

void NetworkEditorWindow::closeEvent(QCloseEvent* event) {
    if (!m_session) {
        event->accept();
        return;
    }
    if (!closeQuery()) {
        event->ignore();
        return;
    }
    finishClose();
    event->accept();
}

void NetworkEditorWindow::finishClose() {
    saveWindowGeometry(*this, m_context.settings());
    m_session.reset();
    m_pendingDiagnostics.clear();
    m_networkList->clear();
    m_parameterTree->clear();
    m_variableTree->clear();
    m_parameterModel->rebuild(model::Network{});
    m_variableModel->rebuild(model::Network{});
    m_context.state().newProject = false;
}

void NetworkEditorWindow::exitEditor() {
    m_exitRequested = true;
    if (!close()) {
        m_exitRequested = false;
    }
}

bool NetworkEditorWindow::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        m_statusBar->showMessage(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QDialog::event(event);
}

void NetworkEditorWindow::keyPressEvent(QKeyEvent* event) {
    // The editor is a working window, not a question: Escape does not close it.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---- what the window shows

void NetworkEditorWindow::updateCaption() {
    if (m_session) {
        setWindowTitle(fromStd(m_session->windowCaption()));
    }
}

void NetworkEditorWindow::refreshNetworkList(int selectAddress) {
    if (!m_session) {
        return;
    }
    const int keep = selectAddress != 0 ? selectAddress : selectedAddress();
    const QSignalBlocker block(m_networkList);
    m_networkList->clear();
    for (const editor::NetworkListEntry& entry : m_session->list()) {
        const model::node* n = m_session->network().at(entry.address);
        auto* item =
            new QListWidgetItem(deviceIcon(n ? editor::deviceKind(*n) : editor::DeviceKind::Other),
                                fromStd(entry.caption), m_networkList);
        item->setData(Qt::UserRole, entry.address);
        if (n) {
            item->setToolTip(fromStd(n->deviceInfo.ProductName));
        }
        if (entry.address == keep) {
            m_networkList->setCurrentItem(item);
        }
    }
}

void NetworkEditorWindow::refreshNodeTrees() {
    for (QTreeWidget* tree : {m_parameterTree, m_variableTree}) {
        tree->clear();
        auto* top = new QTreeWidgetItem(tree, {m_context.tr(tk::kNodi)});
        if (m_session) {
            for (const std::string& label : m_session->treeLabels()) {
                new QTreeWidgetItem(top, {fromStd(label)});
            }
        }
        tree->expandAll();
        tree->setCurrentItem(top);
    }
}

void NetworkEditorWindow::rebuildGrids() {
    if (!m_session) {
        return;
    }
    m_parameterModel->rebuild(m_session->network());
    m_variableModel->rebuild(m_session->network());
}

void NetworkEditorWindow::refreshAll() {
    refreshNetworkList();
    refreshNodeTrees();
    rebuildGrids();
    updateCaption();
}

void NetworkEditorWindow::pageChanged() {
    for (QTreeWidget* tree : {m_parameterTree, m_variableTree}) {
        tree->expandAll();
        if (QTreeWidgetItem* top = tree->topLevelItem(0)) {
            tree->setCurrentItem(top);
        }
    }
}

QWidget* NetworkEditorWindow::parameterWidget(ParameterField field) const {
    switch (field) {
    case ParameterField::BaudRate:
        return m_baudRate;
    case ParameterField::Channel:
        return m_channel;
    case ParameterField::CycleTime:
        return m_cycleTime;
    case ParameterField::GuardTime:
        return m_guardTime;
    case ParameterField::LifeTime:
        break;
    }
    return m_lifeTime;
}

void NetworkEditorWindow::showParameters() {
    if (!m_session) {
        return;
    }
    for (const ParameterField field : editor::kParameterFields) {
        showParameter(field);
    }
    m_sync->setChecked(m_session->network().parameters.enableSync);
    m_toggleBit->setChecked(m_session->network().parameters.toggleBit);
}

void NetworkEditorWindow::showParameter(ParameterField field) {
    const std::string& text = editor::fieldText(m_session->network().parameters, field);
    QWidget* widget = parameterWidget(field);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        const QSignalBlocker block(combo);
        combo->clear();
        combo->addItems(field == ParameterField::BaudRate ? offeredBaudRates()
                                                          : QStringList{"0", "1"});
        // A project may hold a text the list does not offer; it is shown as it is.
        if (combo->findText(fromStd(text)) < 0) {
            combo->addItem(fromStd(text));
        }
        combo->setCurrentText(fromStd(text));
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(fromStd(text));
    }
    const auto problem = editor::parameterProblem(field, text);
    markParameter(field, problem ? fromStd(*problem) : QString());
}

void NetworkEditorWindow::markParameter(ParameterField field, const QString& problem) {
    QWidget* widget = parameterWidget(field);
    widget->setProperty("problem", problem);
    widget->setToolTip(problem);
    widget->setAccessibleDescription(problem);
    widget->setStyleSheet(problem.isEmpty()
                              ? QString()
                              : QStringLiteral("QLineEdit, QComboBox { border: 2px solid #c62828; "
                                               "border-radius: 2px; padding: 1px 3px; }"));
}

void NetworkEditorWindow::editParameter(ParameterField field, const QString& text) {
    if (!m_session) {
        return;
    }
    try {
        m_session->setParameter(field, text.toStdString());
        markParameter(field, {});
        m_statusBar->clearMessage();
    } catch (const editor::ParameterError& refused) {
        markParameter(field, QString::fromStdString(refused.what()));
        m_statusBar->showMessage(QString::fromStdString(refused.what()));
    }
    updateCaption();
}

void NetworkEditorWindow::finishParameter(ParameterField field) {
    if (!m_session) {
        return;
    }
    // A refused text does not stay in the field once the user leaves it: the field shows what
    // the project holds.
    const auto* edit = qobject_cast<QLineEdit*>(parameterWidget(field));
    if (edit &&
        edit->text().toStdString() != editor::fieldText(m_session->network().parameters, field)) {
        showParameter(field);
    }
}

void NetworkEditorWindow::listLibrary() {
    m_library->clear();
    const QString folder = m_context.state().edsFolder;
    const std::vector<std::string> names = eds::listLibrary(toPath(folder));
    if (names.empty()) {
        showWarning(m_context, this, m_context.tr(tk::kEdsNonTrovati));
        return;
    }
    for (const std::string& name : names) {
        const QString text = fromStd(name);
        const QFileInfo info(QDir(folder).filePath(text));
        LibraryKind& cached = m_libraryKinds[text];
        if (cached.modified != info.lastModified() || cached.size != info.size()) {
            cached = {info.lastModified(), info.size(),
                      editor::libraryEntryKind(toPath(folder), name)};
        }
        auto* item = new QTreeWidgetItem(m_library, {text});
        item->setIcon(0, deviceIcon(cached.kind));
    }
}

int NetworkEditorWindow::selectedAddress() const {
    const QList<QListWidgetItem*> selected = m_networkList->selectedItems();
    return selected.isEmpty() ? 0 : selected.front()->data(Qt::UserRole).toInt();
}

QString NetworkEditorWindow::selectedCaption() const {
    const QList<QListWidgetItem*> selected = m_networkList->selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text();
}

const DocumentPattern* NetworkEditorWindow::selectedNodeHelp() const {
    const model::node* n = m_session ? m_session->network().at(selectedAddress()) : nullptr;
    if (!n) {
        return nullptr;
    }
    if (n->fileInfo.FileName == "KM110.eds") {
        return &help::kCouplerHelp;
    }
    if (n->fileInfo.FileName == "KM1100.eds") {
        return &help::kCompactIoHelp;
    }
    return nullptr;
}

void NetworkEditorWindow::updateNetworkPopup() {
    const bool selected = selectedAddress() != 0;
    for (QAction* action : {m_configure, m_configureCoupler, m_deleteNode, m_nodeHelp}) {
        action->setVisible(selected);
    }
    m_configureCoupler->setEnabled(selected &&
                                   editor::isCouplerEds(selectedCaption().toStdString()));
    const DocumentPattern* help = selectedNodeHelp();
    m_nodeHelp->setEnabled(help && !findHelpDocument(m_context.state().templateFolder, *help,
                                                     m_context.languageIndex())
                                        .isEmpty());
}

void NetworkEditorWindow::updateLibraryPopup() {
    const bool selected = m_library->currentItem() != nullptr;
    m_deleteEds->setVisible(selected);
    m_addNode->setVisible(selected);
}

bool NetworkEditorWindow::windowPresent(const void* window) {
    if (!window) {
        showWarning(m_context, this, m_context.tr(tk::kNonDisponibile));
    }
    return window != nullptr;
}

// ---- commands

void NetworkEditorWindow::addSelectedLibraryEntry() {
    if (QTreeWidgetItem* item = m_library->currentItem()) {
        addNode(item->text(0));
    }
}

void NetworkEditorWindow::addNode(const QString& edsName) {
    if (!m_session) {
        return;
    }
    if (m_session->network().lowestFreeAddress() == 0) {
        showError(m_context, this, m_context.tr(tk::kReteCompleta));
        return;
    }
    editor::AddedNode added;
    try {
        added = m_session->addNode(toPath(m_context.state().edsFolder), edsName.toStdString());
    } catch (const std::exception& error) {
        showError(m_context, this,
                  m_context.tr(tk::kNodoNonAggiunto) + "\n\n" + errorText(m_context, error));
        return;
    }
    refreshNetworkList(added.address);
    refreshNodeTrees();
    updateCaption();
    std::vector<model::Diagnostic> problems;
    for (const model::Diagnostic& d : added.warnings) {
        if (d.severity != model::Severity::Note) {
            problems.push_back(d);
        }
    }
    showDiagnostics(m_context, this, m_context.tr(tk::kAvvisiEds), problems);
}

void NetworkEditorWindow::activateNode(QListWidgetItem* item) {
    m_networkList->setCurrentItem(item);
    if (editor::isCouplerEds(item->text().toStdString())) {
        configureCoupler();
    } else {
        configureNode();
    }
}

void NetworkEditorWindow::configureNode() {
    const int address = selectedAddress();
    if (!m_session || address == 0) {
        return;
    }
    NodeConfigurator* window = m_context.windows().nodeConfig;
    if (!windowPresent(window)) {
        return;
    }
    window->configureNode(this, *m_session, address, selectedCaption());
    refreshAll();
    m_statusBar->clearMessage();
}

void NetworkEditorWindow::configureCoupler() {
    const int address = selectedAddress();
    if (!m_session || address == 0 || !editor::isCouplerEds(selectedCaption().toStdString())) {
        return;
    }
    CouplerConfigurator* window = m_context.windows().coupler;
    if (!windowPresent(window)) {
        return;
    }
    window->configureCoupler(this, *m_session, address);
    refreshAll();
}

void NetworkEditorWindow::deleteNode() {
    const int address = selectedAddress();
    if (!m_session || address == 0 ||
        !confirm(m_context, this, m_context.tr(tk::kCancellareNodoQuery))) {
        return;
    }
    m_session->deleteNode(address);
    refreshAll();
}

void NetworkEditorWindow::nodeHelp() {
    if (const DocumentPattern* help = selectedNodeHelp()) {
        openHelpDocument(m_context, *help);
    }
}

void NetworkEditorWindow::arrange() {
    if (!m_session) {
        return;
    }
    m_session->arrange();
    // The variable overview shows the node addresses, which arranging changes.
    refreshAll();
}

void NetworkEditorWindow::importEds() {
    SettingsStore& settings = m_context.settings();
    const QString file = m_context.dialogs().openFile(
        this, m_context.tr(tk::kImportaEds),
        rememberedFolder(settings, kImportFolderPurpose, QDir::homePath()),
        QStringLiteral("EDS file (*.eds)"));
    if (file.isEmpty()) {
        return;
    }
    rememberFolderOf(settings, kImportFolderPurpose, file);
    const CheckerRun run = [&] {
        BusyCursor busy;
        m_statusBar->showMessage(m_context.tr(tk::kAttendere));
        return runEdsChecker(m_context.state().templateFolder, file);
    }();
    m_statusBar->clearMessage();
    switch (run.outcome) {
    case CheckerRun::Outcome::Failed:
        showError(m_context, this, m_context.tr(tk::kVerificaEdsFallita) + "\n\n" + run.failure);
        return;
    case CheckerRun::Outcome::Findings:
        if (!confirm(m_context, this, m_context.tr(tk::kEdsNonCorretto) + "\n\n" + run.finding)) {
            return;
        }
        break;
    case CheckerRun::Outcome::Accepted:
        break;
    }
    runGuarded(m_context, this,
               [&] { eds::importEds(toPath(file), toPath(m_context.state().edsFolder)); });
    listLibrary();
}

void NetworkEditorWindow::deleteEds() {
    QTreeWidgetItem* item = m_library->currentItem();
    if (!item || !confirm(m_context, this, m_context.tr(tk::kCancellareEdsQuery))) {
        return;
    }
    const bool removed = runGuarded(m_context, this, [&] {
        eds::deleteLibraryEntry(toPath(m_context.state().edsFolder), item->text(0).toStdString());
    });
    if (removed) {
        delete item;
    }
}

bool NetworkEditorWindow::save(bool confirmSaved) {
    if (!m_session) {
        return false;
    }
    try {
        BusyCursor busy;
        persistence::saveProject(*m_session);
    } catch (const std::exception& error) {
        updateCaption();
        showError(m_context, this,
                  m_context.tr(tk::kProgettoNonSalvato) + "\n\n" + errorText(m_context, error));
        return false;
    }
    updateCaption();
    if (confirmSaved) {
        m_context.dialogs().message(this, Dialogs::Icon::Information,
                                    m_context.tr(tk::kKovaBusmason),
                                    m_context.tr(tk::kProgettoSalvato));
    } else {
        m_statusBar->showMessage(m_context.tr(tk::kProgettoSalvato), 5000);
    }
    return true;
}

void NetworkEditorWindow::fillUploadRecord() {
    UploadRecord& upload = m_context.state().upload;
    upload.transferCaption = m_context.tr(tk::kDownloadCan);
    upload.transferMode = QString::fromLatin1(setting::kProjectFolder);
    upload.showFileRow = false;
    upload.showFolderRow = true;
}

void NetworkEditorWindow::build() {
    if (!m_session) {
        return;
    }
    const output::BuildReport report = [&] {
        BusyCursor busy;
        return output::build(m_session->network(), m_session->projectFolder(),
                             m_session->projectName());
    }();
    if (!report.succeeded()) {
        std::vector<model::Diagnostic> all = report.errors;
        all.insert(all.end(), report.warnings.begin(), report.warnings.end());
        showError(m_context, this,
                  m_context.tr(tk::kCostruzioneFallita) + "\n\n" + diagnosticLines(all));
        return;
    }
    fillUploadRecord();
    QString text = m_context.tr(tk::kFileVariabiliCreato);
    if (!report.warnings.empty()) {
        text += "\n\n" + diagnosticLines(report.warnings);
    }
    m_context.dialogs().message(this, Dialogs::Icon::Information, m_context.tr(tk::kKovaBusmason),
                                text);
}

void NetworkEditorWindow::transfer() {
    if (!m_session) {
        return;
    }
    fillUploadRecord();
    m_context.state().upload.canChannel =
        model::leadingDecimal(m_session->network().parameters.channel);
    ProjectTransfer* window = m_context.windows().transfer;
    if (!windowPresent(window)) {
        return;
    }
    window->transferProject(this, *m_session);
    updateCaption();
}

void NetworkEditorWindow::checkNetwork() {
    if (!m_session) {
        return;
    }
    NetworkCheckView* window = m_context.windows().check;
    if (!windowPresent(window)) {
        return;
    }
    window->showCheck(this, *m_session);
    refreshAll();
}

void NetworkEditorWindow::tutorial() {
    openHelpDocument(m_context, help::kEditorTutorial);
}

} // namespace busmason::app
