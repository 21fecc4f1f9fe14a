#include "app/coupler/coupler_window.h"

#include "app/coupler/terminal_settings_window.h"
#include "app/shell/app_context.h"
#include "app/shell/help_documents.h"
#include "app/shell/messages.h"
#include "app/shell/remembered.h"

#include "core/coupler/terminal_row.h"
#include "core/editor/network_session.h"
#include "core/translation/keys.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>

static void initCouplerResources() {
    Q_INIT_RESOURCE(coupler);
}

namespace busmason::app {

namespace {

constexpr int kSlotRole = Qt::UserRole;

/// The icon of a terminal type code (1 to 5); an empty icon for other codes.
QIcon terminalIcon(int id) {
    static const char* const files[] = {
        nullptr,
        ":/coupler/icons/digital_inputs.svg",
        ":/coupler/icons/digital_outputs.svg",
        ":/coupler/icons/mixed_digital.svg",
        ":/coupler/icons/analogue_inputs.svg",
        ":/coupler/icons/analogue_outputs.svg",
    };
    if (id < coupler::kMinTypeCode || id > coupler::kMaxTypeCode) {
        return {};
    }
    return QIcon(files[id]);
}

/// The type tree: a dragged item carries its library slot.
class TypeTree : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

protected:
    QStringList mimeTypes() const override { return QTreeWidget::mimeTypes() << kTerminalTypeMime; }
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override {
        QMimeData* data = QTreeWidget::mimeData(items);
        if (data && !items.isEmpty()) {
            data->setData(kTerminalTypeMime,
                          QByteArray::number(items.front()->data(0, kSlotRole).toInt()));
        }
        return data;
    }
};

/// The terminal list: takes drops of terminal types and hands their slot on.
class TerminalList : public QListWidget {
public:
    TerminalList(std::function<void(int)> dropped, QWidget* parent)
        : QListWidget(parent), m_dropped(std::move(dropped)) {}

protected:
    void dragEnterEvent(QDragEnterEvent* event) override { acceptType(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { acceptType(event); }
    void dropEvent(QDropEvent* event) override {
        bool ok = false;
        const int slot = event->mimeData()->data(kTerminalTypeMime).toInt(&ok);
        if (!ok) {
            event->ignore();
            return;
        }
        event->setDropAction(Qt::CopyAction);
        event->accept();
        m_dropped(slot);
    }

private:
    void acceptType(QDropEvent* event) {
        if (event->mimeData()->hasFormat(kTerminalTypeMime)) {
            event->setDropAction(Qt::CopyAction);
            event->accept();
        } else {
            event->ignore();
        }
    }

    std::function<void(int)> m_dropped;
};

QPushButton* commandButton(QAction* action, const QString& objectName, QWidget* parent) {
    auto* button = new QPushButton(action->text(), parent);
    button->setObjectName(objectName);
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    return button;
}

} // namespace

CouplerWindow::CouplerWindow(AppContext& context, TerminalSettingsWindow& settings, QWidget* parent)
    : QDialog(parent), m_context(context), m_settings(settings) {
    initCouplerResources();
    setObjectName("TForm16");
    setSizeGripEnabled(true);
    resize(820, 500);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName("PageControl1");
    auto* page = new QWidget(m_pages);
    page->setObjectName("TabSheet1");
    m_pages->addTab(page, context.tr(translation::kTerminal));

    m_types = new TypeTree(page);
    m_types->setObjectName("TreeView1");
    m_types->setAccessibleName(context.tr(translation::kTipiTerminale));
    m_types->setHeaderHidden(true);
    m_types->setRootIsDecorated(false);
    m_types->setIndentation(10);
    m_types->setIconSize(QSize(24, 24));
    m_types->setDragEnabled(true);
    m_types->setDragDropMode(QAbstractItemView::DragOnly);
    m_types->setDefaultDropAction(Qt::CopyAction);
    m_types->setEditTriggers(QAbstractItemView::NoEditTriggers);

    m_terminals = new TerminalList([this](int slot) { addType(slot); }, page);
    m_terminals->setObjectName("ListView1");
    m_terminals->setAccessibleName(context.tr(translation::kTerminal));
    m_terminals->setViewMode(QListView::IconMode);
    m_terminals->setMovement(QListView::Static);
    m_terminals->setResizeMode(QListView::Adjust);
    m_terminals->setFlow(QListView::LeftToRight);
    m_terminals->setWrapping(true);
    m_terminals->setWordWrap(true);
    m_terminals->setIconSize(QSize(48, 48));
    m_terminals->setGridSize(QSize(120, 100));
    m_terminals->setDragDropMode(QAbstractItemView::DropOnly);
    m_terminals->viewport()->setAcceptDrops(true);
    m_terminals->setDragEnabled(false);
    m_terminals->setDropIndicatorShown(false);
    m_terminals->setSelectionMode(QAbstractItemView::SingleSelection);
    m_terminals->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* splitter = new QSplitter(Qt::Horizontal, page);
    splitter->setObjectName("Splitter1");
    splitter->addWidget(m_types);
    splitter->addWidget(m_terminals);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 580});
    splitter->setChildrenCollapsible(false);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(splitter);

    m_configAction = new QAction(context.tr(translation::kConfiguraCoupler), this);
    m_configAction->setObjectName("Config1");
    m_deleteAction = new QAction(context.tr(translation::kCancella), this);
    m_deleteAction->setObjectName("Delete1");
    m_deleteAction->setShortcut(QKeySequence::Delete);
    m_deleteAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_helpAction = new QAction(context.tr(translation::kAiuto), this);
    m_helpAction->setObjectName("Help1");
    m_helpAction->setShortcut(QKeySequence::HelpContents);
    m_helpAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_terminals->addAction(m_deleteAction);
    m_terminals->addAction(m_helpAction);
    m_popup = new QMenu(this);
    m_popup->setObjectName("PopupMenu1");
    m_popup->addActions({m_configAction, m_deleteAction, m_helpAction});

    m_configButton = commandButton(m_configAction, "configButton", this);
    m_deleteButton = commandButton(m_deleteAction, "deleteButton", this);
    m_helpButton = commandButton(m_helpAction, "helpButton", this);
    auto* exitButton = new QPushButton(context.tr(translation::kExit), this);
    exitButton->setObjectName("exitButton");
    exitButton->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_configButton);
    buttons->addWidget(m_deleteButton);
    buttons->addWidget(m_helpButton);
    buttons->addStretch();
    buttons->addWidget(exitButton);
    for (QPushButton* b : {m_configButton, m_deleteButton, m_helpButton}) {
        b->setAutoDefault(false);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons);

    connect(m_types, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { addType(item->data(0, kSlotRole).toInt()); });
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* addKey = new QShortcut(QKeySequence(key), m_types);
        addKey->setContext(Qt::WidgetShortcut);
        connect(addKey, &QShortcut::activated, this, [this] {
            if (QTreeWidgetItem* item = m_types->currentItem()) {
                addType(item->data(0, kSlotRole).toInt());
            }
        });
        auto* configKey = new QShortcut(QKeySequence(key), m_terminals);
        configKey->setContext(Qt::WidgetShortcut);
        connect(configKey, &QShortcut::activated, m_configAction, &QAction::trigger);
    }
    connect(m_terminals, &QListWidget::itemDoubleClicked, m_configAction, &QAction::trigger);
    connect(m_terminals, &QListWidget::itemSelectionChanged, this, &CouplerWindow::updateCommands);
    connect(m_terminals, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (m_terminals->itemAt(at)) {
            m_popup->popup(m_terminals->viewport()->mapToGlobal(at));
        }
    });
    connect(m_configAction, &QAction::triggered, this, &CouplerWindow::configureSelected);
    connect(m_deleteAction, &QAction::triggered, this, &CouplerWindow::deleteSelected);
    connect(m_helpAction, &QAction::triggered, this, &CouplerWindow::openHelp);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);
    updateCommands();
}

CouplerWindow::~CouplerWindow() = default;

void CouplerWindow::configureCoupler(QWidget*, editor::NetworkSession& session, int address) {
    if (!runGuarded(m_context, this, [&] { prepare(session, address); })) {
        return;
    }
    m_context.dialogs().exec(*this);
    closeConfiguration();
}

void CouplerWindow::prepare(editor::NetworkSession& session, int address) {
    m_session = nullptr;
    m_terminals->clear();
    const model::node& n = session.activateCoupler(address).node();
    m_session = &session;
    m_address = address;

    const std::filesystem::path templateFolder = toPath(m_context.state().templateFolder);
    coupler::TerminalLibraryResult read = coupler::readTerminalLibrary(templateFolder);
    m_library = std::move(read.library);
    m_types->clear();
    for (std::size_t slot = 0; slot < m_library.types().size(); ++slot) {
        const coupler::terminal_type& type = m_library.types()[slot];
        auto* item = new QTreeWidgetItem(m_types, {QString::fromStdString(type.name)});
        item->setData(0, kSlotRole, static_cast<int>(slot));
        item->setIcon(0, terminalIcon(type.ID));
    }
    if (m_types->topLevelItemCount() > 0) {
        m_types->setCurrentItem(m_types->topLevelItem(0));
    }

    m_pages->setTabText(0, m_context.tr(translation::kTerminal));
    const QString description = QString::fromStdString(n.fileInfo.Description);
    setWindowTitle(description.isEmpty() ? QString::fromStdString(n.fileInfo.FileName)
                                         : description);
    showRow(-1);
    restoreWindowGeometry(*this, m_context.settings());
    showDiagnostics(m_context, this,
                    QDir::toNativeSeparators(toText(coupler::terminalFolder(templateFolder))),
                    read.diagnostics);
}

void CouplerWindow::closeConfiguration() {
    if (!m_session) {
        return;
    }
    editor::NetworkSession& session = *m_session;
    m_session = nullptr;
    m_terminals->clear();
    updateCommands();
    editor::CouplerClose closed;
    if (!runGuarded(m_context, this, [&] { closed = session.closeCoupler(m_address); })) {
        return;
    }
    if (const auto& failure = closed.outcome.failure) {
        m_context.dialogs().message(this, Dialogs::Icon::Error,
                                    m_context.tr(translation::kAttenzione),
                                    m_context.tr(coupler::addFailureKey(failure->result)) + "\n" +
                                        QString::fromStdString(coupler::describeFailure(*failure)));
    }
}

void CouplerWindow::done(int result) {
    saveWindowGeometry(*this, m_context.settings());
    QDialog::done(result);
}

void CouplerWindow::addType(int slot) {
    if (!m_session || slot < 0 || slot >= static_cast<int>(m_library.types().size())) {
        return;
    }
    const coupler::terminal_type& type = m_library.types()[static_cast<std::size_t>(slot)];
    coupler::PlacementOutcome outcome;
    if (!runGuarded(m_context, this, [&] {
            outcome = m_session->editCoupler(
                m_address, [&](coupler::CouplerSession& c) { return c.addTerminal(type); });
        })) {
        return;
    }
    if (const auto& failure = outcome.failure) {
        showWarning(m_context, this,
                    m_context.tr(coupler::addFailureKey(failure->result)) + "\n" +
                        QString::fromStdString(coupler::describeFailure(*failure)));
        return;
    }
    showRow(static_cast<int>(m_session->coupler(m_address).row().size()) - 1);
}

void CouplerWindow::configureSelected() {
    const int position = selectedPosition();
    if (!m_session || position < 0) {
        return;
    }
    // A copy: the window works on it while the row stays as it is until confirmed.
    const model::terminal t =
        m_session->coupler(m_address).row()[static_cast<std::size_t>(position)];
    const std::optional<std::vector<int>> codes = m_settings.configure(t);
    if (!codes) {
        return;
    }
    bool changed = false;
    for (std::size_t c = 0; c < codes->size(); ++c) {
        changed = changed || t.channels[c].Config != (*codes)[c];
    }
    if (changed) {
        runGuarded(m_context, this, [&] {
            m_session->editCoupler(m_address, [&](coupler::CouplerSession& s) {
                s.configureTerminal(position, *codes);
            });
        });
    }
    showRow(position);
}

void CouplerWindow::deleteSelected() {
    const int position = selectedPosition();
    if (!m_session || position < 0 ||
        !confirm(m_context, this, m_context.tr(translation::kCancellareTerm) + "?")) {
        return;
    }
    runGuarded(m_context, this, [&] {
        m_session->editCoupler(m_address,
                               [&](coupler::CouplerSession& c) { c.deleteTerminal(position); });
    });
    const int left = static_cast<int>(m_session->coupler(m_address).row().size());
    showRow(std::min(position, left - 1));
}

void CouplerWindow::openHelp() {
    if (const DocumentPattern* pattern = helpPattern()) {
        openHelpDocument(m_context, *pattern);
    }
}

void CouplerWindow::showRow(int position) {
    m_terminals->clear();
    if (m_session) {
        for (const model::terminal& t : m_session->coupler(m_address).row()) {
            auto* item = new QListWidgetItem(terminalIcon(t.ID),
                                             QString::fromStdString(coupler::terminalCaption(t)),
                                             m_terminals);
            item->setData(kSlotRole, t.Pos);
            item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
        }
    }
    if (position >= 0 && position < m_terminals->count()) {
        m_terminals->setCurrentRow(position);
    }
    updateCommands();
}

void CouplerWindow::updateCommands() {
    const bool selected = selectedPosition() >= 0;
    m_configAction->setEnabled(selected);
    m_deleteAction->setEnabled(selected);
    m_helpAction->setEnabled(!helpDocument().isEmpty());
    m_configButton->setEnabled(m_configAction->isEnabled());
    m_deleteButton->setEnabled(m_deleteAction->isEnabled());
    m_helpButton->setEnabled(m_helpAction->isEnabled());
}

int CouplerWindow::selectedPosition() const {
    const QList<QListWidgetItem*> selected = m_terminals->selectedItems();
    return selected.isEmpty() ? -1 : m_terminals->row(selected.front());
}

const DocumentPattern* CouplerWindow::helpPattern() const {
    const QList<QListWidgetItem*> selected = m_terminals->selectedItems();
    if (selected.isEmpty()) {
        return nullptr;
    }
    switch (coupler::helpModel(selected.front()->text().toStdString())) {
    case 1:
        return &help::kKm120Help;
    case 2:
        return &help::kKm130Help;
    default:
        return nullptr;
    }
}

QString CouplerWindow::helpDocument() const {
    const DocumentPattern* pattern = helpPattern();
    return pattern ? findHelpDocument(m_context.state().templateFolder, *pattern,
                                      m_context.languageIndex())
                   : QString();
}

} // namespace busmason::app
