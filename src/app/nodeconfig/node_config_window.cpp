#include "app/nodeconfig/node_config_window.h"

#include "app/nodeconfig/pdo_name_delegate.h"
#include "app/nodeconfig/pdo_table_model.h"
#include "app/nodeconfig/text_table_model.h"
#include "app/shell/messages.h"
#include "app/shell/remembered.h"

#include "core/editor/network_session.h"
#include "core/nodeconfig/node_config.h"
#include "core/nodeconfig/variable_name.h"
#include "core/nodeconfig/writes.h"
#include "core/translation/keys.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

namespace busmason::app {

namespace tk = translation;
using model::EntryId;
using model::kNoEntry;

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

/// A label for control: its buddy, whose text is also the control's accessible name.
QLabel* labelFor(const QString& text, QWidget* control) {
    auto* label = new QLabel(text);
    label->setBuddy(control);
    control->setAccessibleName(text);
    return label;
}

QLineEdit* readOnlyText(const QString& objectName) {
    auto* box = new QLineEdit;
    box->setObjectName(objectName);
    box->setReadOnly(true);
    return box;
}

QCheckBox* readOnlyFlag(const QString& objectName, const QString& caption) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(objectName);
    box->setEnabled(false);
    return box;
}

/// A read-only grid of whole rows over model, reachable as a table by its accessible name.
QTableView* tableView(const QString& objectName, QAbstractItemModel* model,
                      const QString& accessibleName) {
    auto* view = new QTableView;
    view->setObjectName(objectName);
    view->setAccessibleName(accessibleName);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

/// A name/value list: two columns without captions (the names say what the values are).
QTableView* nameValueView(const QString& objectName, QAbstractItemModel* model,
                          const QString& accessibleName) {
    QTableView* view = tableView(objectName, model, accessibleName);
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->horizontalHeader()->resizeSection(0, 130);
    return view;
}

void setColumnWidths(QTableView& view, std::initializer_list<int> widths) {
    int column = 0;
    for (const int width : widths) {
        view.horizontalHeader()->resizeSection(column++, width);
    }
}

std::vector<QStringList> rowsOf(const std::vector<nodeconfig::NameValueRow>& rows) {
    std::vector<QStringList> out;
    out.reserve(rows.size());
    for (const nodeconfig::NameValueRow& r : rows) {
        out.push_back({qs(r.key), qs(r.value)});
    }
    return out;
}

/// A delete item for the pop-up menu of a list, also on the Delete key while the list has focus.
QAction* deleteAction(QTableView* view, const QString& objectName, const QString& caption) {
    auto* action = new QAction(caption, view);
    action->setObjectName(objectName);
    action->setShortcut(QKeySequence::Delete);
    action->setShortcutContext(Qt::WidgetShortcut);
    view->addAction(action);
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    return action;
}

/// The variable prefix is written in front of every variable name, so it is acceptable when a
/// valid name can follow it (the empty prefix included).
/// TODO(core): use core's own prefix check once nodeconfig/variable_name.h offers one.
bool isValidPrefix(const std::string& prefix) {
    return nodeconfig::isValidVariableName(prefix + "x");
}

using DeviceText = std::string model::DeviceInfo::*;
const std::pair<const char*, DeviceText> kDeviceTexts[] = {
    {"VendorName", &model::DeviceInfo::VendorName},
    {"VendorNumber", &model::DeviceInfo::VendorNumber},
    {"ProductName", &model::DeviceInfo::ProductName},
    {"ProductNumber", &model::DeviceInfo::ProductNumber},
    {"RevisionNumber", &model::DeviceInfo::RevisionNumber},
    {"OrderCode", &model::DeviceInfo::OrderCode},
};

/// A flag of the device information: objectName, caption, field.
struct DeviceFlag {
    const char* objectName;
    const char* caption;
    bool model::DeviceInfo::*field;
};
const DeviceFlag kBaudRates[] = {
    {"BaudRate_10", "10 kbs", &model::DeviceInfo::BaudRate_10},
    {"BaudRate_20", "20 kbs", &model::DeviceInfo::BaudRate_20},
    {"BaudRate_50", "50 kbs", &model::DeviceInfo::BaudRate_50},
    {"BaudRate_125", "125 kbs", &model::DeviceInfo::BaudRate_125},
    {"BaudRate_250", "250 kbs", &model::DeviceInfo::BaudRate_250},
    {"BaudRate_500", "500 kbs", &model::DeviceInfo::BaudRate_500},
    {"BaudRate_800", "800 kbs", &model::DeviceInfo::BaudRate_800},
    {"BaudRate_1000", "1 Mbs", &model::DeviceInfo::BaudRate_1000},
};
const DeviceFlag kDeviceFlags[] = {
    {"SimpleBootUpMaster", "SimpleBootUpMaster", &model::DeviceInfo::SimpleBootUpMaster},
    {"SimpleBootUpSlave", "SimpleBootUpSlave", &model::DeviceInfo::SimpleBootUpSlave},
    {"DynamicChannelsSupported", "Dynamic Channels Supported",
     &model::DeviceInfo::DynamicChannelsSupported},
    {"GroupMessaging", "Group Messaging", &model::DeviceInfo::GroupMessaging},
    {"LSS_Supported", "LSS_Supported", &model::DeviceInfo::LSS_Supported},
};

/// A number of the device information: objectName, caption, field.
struct DeviceNumber {
    const char* objectName;
    const char* caption;
    int model::DeviceInfo::*field;
};
const DeviceNumber kDeviceNumbers[] = {
    {"Granularity", "Granularity", &model::DeviceInfo::Granularity},
    {"NrOfRXPDO", "Number Of RXPDO", &model::DeviceInfo::NrOfRXPDO},
    {"NrOfTXPDO", "Number Of TXPDO", &model::DeviceInfo::NrOfTXPDO},
};

} // namespace

NodeConfigWindow::NodeConfigWindow(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName("TForm9");
    setSizeGripEnabled(true);
    resize(980, 680);

    m_pages = new QTabWidget;
    m_pages->setObjectName("PageControl1");
    const std::pair<QWidget*, const char*> pages[PageCount] = {
        {buildAdministrationPage(), "Adminstration Objects"},
        {buildFileInfoPage(), "File Info"},
        {buildDeviceInfoPage(), "Device Info"},
        {buildObjectDictionaryPage(), "Object dictionary"},
        {buildParameterListPage(), "Parameter List"},
        {buildVariableListPage(), "Variable List"},
        {buildPdoPage(), "PDO"},
    };
    int sheet = 0;
    for (const auto& [page, caption] : pages) {
        page->setObjectName(QString("TabSheet%1").arg(++sheet));
        m_pages->addTab(page, caption);
    }
    connect(m_pages, &QTabWidget::currentChanged, this, &NodeConfigWindow::pageChanged);

    auto* buttons = new QDialogButtonBox;
    QPushButton* close =
        buttons->addButton(m_context.tr(tk::kChiudi), QDialogButtonBox::RejectRole);
    close->setObjectName("closeButton");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addWidget(buttons);

    // Enter in a box acts on that box (see the connections), never on a button elsewhere.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

NodeConfigWindow::~NodeConfigWindow() = default;

int NodeConfigWindow::boxWidth(std::size_t characters) const {
    return fontMetrics().horizontalAdvance(QString(static_cast<int>(characters) + 1, 'D')) + 14;
}

QWidget* NodeConfigWindow::buildAdministrationPage() {
    auto* page = new QWidget;

    m_productName = readOnlyText("adminProductName");
    m_productName->setAccessibleName("ProductName");
    QFont large = m_productName->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    m_productName->setFont(large);

    m_virtual = new QCheckBox("Virtual");
    m_virtual->setObjectName("virtualBox");
    m_ngDisabled = new QCheckBox("Disable NG");
    m_ngDisabled->setObjectName("ngDisabledBox");

    m_addressBox = new QSpinBox;
    m_addressBox->setObjectName("UpDown1");
    m_addressBox->setRange(1, model::kMaxNodes);

    m_save = new QPushButton(m_context.tr(tk::kSalva));
    m_save->setObjectName("Button3");
    connect(m_save, &QPushButton::clicked, this, &NodeConfigWindow::storeAdministration);

    m_prefix = new QLineEdit;
    m_prefix->setObjectName("Edit25");
    connect(m_prefix, &QLineEdit::textEdited, this, &NodeConfigWindow::prefixEdited);
    m_crosstableRow = new QLineEdit;
    m_crosstableRow->setObjectName("Edit28");
    connect(m_crosstableRow, &QLineEdit::textEdited, this, &NodeConfigWindow::crosstableRowEdited);

    auto* nodeForm = new QFormLayout;
    nodeForm->addRow(m_virtual);
    nodeForm->addRow(m_ngDisabled);
    nodeForm->addRow(labelFor(m_context.tr(tk::kIndirizzoNodo), m_addressBox), m_addressBox);
    nodeForm->addRow(m_save);

    auto* networkForm = new QFormLayout;
    networkForm->addRow(labelFor("Var prefix", m_prefix), m_prefix);
    networkForm->addRow(labelFor("KOVA Crosstable row", m_crosstableRow), m_crosstableRow);

    auto* columns = new QHBoxLayout;
    columns->addLayout(nodeForm);
    columns->addSpacing(40);
    columns->addLayout(networkForm);
    columns->addStretch();

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_productName);
    layout->addSpacing(12);
    layout->addLayout(columns);
    layout->addStretch();
    return page;
}

QWidget* NodeConfigWindow::buildFileInfoPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    for (const model::FileInfoField& field : model::kFileInfoFields) {
        const QString name = QString::fromUtf8(field.key.data(), field.key.size());
        QLineEdit* box = readOnlyText(name);
        form->addRow(labelFor(name, box), box);
        m_fileInfo.push_back(box);
    }
    return page;
}

QWidget* NodeConfigWindow::buildDeviceInfoPage() {
    auto* page = new QWidget;
    auto* texts = new QFormLayout;
    for (const auto& [name, field] : kDeviceTexts) {
        QLineEdit* box = readOnlyText(name);
        texts->addRow(labelFor(name, box), box);
        m_deviceTexts.push_back(box);
    }
    for (const DeviceNumber& number : kDeviceNumbers) {
        QLineEdit* box = readOnlyText(number.objectName);
        texts->addRow(labelFor(number.caption, box), box);
        m_deviceNumbers.push_back(box);
    }

    auto* baud = new QGroupBox("Baud Rate");
    baud->setObjectName("baudRateGroup");
    auto* baudLayout = new QVBoxLayout(baud);
    for (const DeviceFlag& rate : kBaudRates) {
        QCheckBox* box = readOnlyFlag(rate.objectName, rate.caption);
        baudLayout->addWidget(box);
        m_baudRates.push_back(box);
    }
    baudLayout->addStretch();

    auto* flags = new QVBoxLayout;
    for (const DeviceFlag& flag : kDeviceFlags) {
        QCheckBox* box = readOnlyFlag(flag.objectName, flag.caption);
        flags->addWidget(box);
        m_deviceFlags.push_back(box);
    }
    flags->addStretch();

    auto* layout = new QHBoxLayout(page);
    layout->addLayout(texts, 3);
    layout->addWidget(baud, 1);
    layout->addLayout(flags, 1);
    return page;
}

QWidget* NodeConfigWindow::buildObjectDictionaryPage() {
    m_tree = new QTreeWidget;
    m_tree->setObjectName("TreeView1");
    m_tree->setAccessibleName("Object dictionary");
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &NodeConfigWindow::showSelectedEntry);

    m_detailModel = new TextTableModel({"", ""}, this);
    m_details =
        nameValueView("ValueListEditor1", m_detailModel, m_context.tr(tk::kDettagliOggetto));

    // The input area: the variable name, and the value boxes each behind "0x"; a mapping entry's
    // value is the mapped object's index, sub-index and length in bits, captioned below.
    m_inputArea = new QWidget;
    m_inputArea->setObjectName("inputArea");
    m_name = new QLineEdit;
    m_name->setObjectName("variableNameEdit");
    m_nameLabel = labelFor(m_context.tr(tk::kNomeVariabile), m_name);
    m_setVariable = new QPushButton(m_context.tr(tk::kAggiungiVar));
    m_setVariable->setObjectName("Button2");
    connect(m_setVariable, &QPushButton::clicked, this, &NodeConfigWindow::setVariableName);
    connect(m_name, &QLineEdit::returnPressed, this, &NodeConfigWindow::setVariableName);

    const auto hexBox = [this](const char* objectName) {
        auto* box = new QLineEdit;
        box->setObjectName(objectName);
        box->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9A-Fa-f]*"), box));
        connect(box, &QLineEdit::returnPressed, this, &NodeConfigWindow::addParameterValue);
        return box;
    };
    m_value = hexBox("valueEdit");
    m_valueLabel = labelFor(m_context.tr(tk::kValoreParametro), m_value);
    m_subIndex = hexBox("subIndexEdit");
    m_subIndex->setMaxLength(static_cast<int>(nodeconfig::kMappingSubIndexBoxWidth));
    m_subIndex->setFixedWidth(boxWidth(nodeconfig::kMappingSubIndexBoxWidth));
    m_dim = hexBox("dimEdit");
    m_dim->setMaxLength(static_cast<int>(nodeconfig::kMappingDimBoxWidth));
    m_dim->setFixedWidth(boxWidth(nodeconfig::kMappingDimBoxWidth));
    m_valuePrefix = new QLabel("0x");
    m_subIndexPrefix = new QLabel("0x");
    m_dimPrefix = new QLabel("0x");
    for (QLabel* prefix : {m_valuePrefix, m_subIndexPrefix, m_dimPrefix}) {
        prefix->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    m_indexCaption = labelFor("Index", m_value);
    m_subIndexCaption = labelFor("SubIndex", m_subIndex);
    m_dimCaption = labelFor("Dim", m_dim);
    m_indexCaption->setObjectName("indexCaption");
    m_subIndexCaption->setObjectName("subIndexCaption");
    m_dimCaption->setObjectName("dimCaption");
    m_addValue = new QPushButton(m_context.tr(tk::kAggiungiPar));
    m_addValue->setObjectName("Button1");
    connect(m_addValue, &QPushButton::clicked, this, &NodeConfigWindow::addParameterValue);

    auto* input = new QGridLayout(m_inputArea);
    input->setContentsMargins(0, 0, 0, 0);
    input->addWidget(m_nameLabel, 0, 0);
    input->addWidget(m_name, 0, 1, 1, 6);
    input->addWidget(m_setVariable, 0, 7);
    input->addWidget(m_valueLabel, 1, 0);
    input->addWidget(m_valuePrefix, 1, 1);
    input->addWidget(m_value, 1, 2);
    input->addWidget(m_subIndexPrefix, 1, 3);
    input->addWidget(m_subIndex, 1, 4);
    input->addWidget(m_dimPrefix, 1, 5);
    input->addWidget(m_dim, 1, 6, Qt::AlignLeft);
    input->addWidget(m_addValue, 1, 7);
    input->addWidget(m_indexCaption, 2, 2);
    input->addWidget(m_subIndexCaption, 2, 4);
    input->addWidget(m_dimCaption, 2, 6);
    input->setColumnStretch(6, 1);

    m_valueModel = new TextTableModel({"", ""}, this);
    m_values = nameValueView("ValueListEditor2", m_valueModel, m_context.tr(tk::kValoreParametro));
    m_deleteValue = deleteAction(m_values, "Delete1", m_context.tr(tk::kCancella));
    connect(m_deleteValue, &QAction::triggered, this, &NodeConfigWindow::deleteParameterValue);
    m_variableModel = new TextTableModel({"", ""}, this);
    m_variables =
        nameValueView("ValueListEditor3", m_variableModel, m_context.tr(tk::kNomeVariabile));
    m_deleteVariable = deleteAction(m_variables, "delete2", m_context.tr(tk::kCancella));
    connect(m_deleteVariable, &QAction::triggered, this, &NodeConfigWindow::deleteVariable);

    auto* lists = new QHBoxLayout;
    lists->addWidget(m_values);
    lists->addWidget(m_variables);

    auto* right = new QWidget;
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(m_details, 3);
    rightLayout->addWidget(m_inputArea);
    rightLayout->addLayout(lists, 2);

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(m_tree);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({230, 700});

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(splitter);
    return page;
}

QWidget* NodeConfigWindow::buildParameterListPage() {
    m_writeModel = new TextTableModel({"Name", "Object", "Value"}, this);
    m_writes = tableView("ParamList", m_writeModel, m_context.tr(tk::kListaParametri));
    setColumnWidths(*m_writes, {400, 100, 100});
    connect(m_writes->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &NodeConfigWindow::updateMoveButtons);

    const auto moveButton = [this](const char* objectName, Qt::ArrowType arrow,
                                   std::string_view key) {
        auto* button = new QToolButton;
        button->setObjectName(objectName);
        button->setArrowType(arrow);
        button->setAccessibleName(m_context.tr(key));
        button->setToolTip(m_context.tr(key));
        button->setEnabled(false);
        button->setAutoRaise(false);
        return button;
    };
    m_moveUp = moveButton("SpeedButton1", Qt::UpArrow, tk::kSpostaSu);
    m_moveDown = moveButton("SpeedButton2", Qt::DownArrow, tk::kSpostaGiu);
    m_moveUp->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    m_moveDown->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    connect(m_moveUp, &QToolButton::clicked, this, &NodeConfigWindow::moveWriteUp);
    connect(m_moveDown, &QToolButton::clicked, this, &NodeConfigWindow::moveWriteDown);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_moveUp);
    buttons->addWidget(m_moveDown);
    buttons->addStretch();

    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(m_writes);
    layout->addLayout(buttons);
    return page;
}

QWidget* NodeConfigWindow::buildVariableListPage() {
    m_varListModel = new TextTableModel({"Name", "Object", "Type", "Access"}, this);
    m_varList = tableView("VarList", m_varListModel, m_context.tr(tk::kListaVariabili));
    setColumnWidths(*m_varList, {400, 100, 200, 100});
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_varList);
    return page;
}

QWidget* NodeConfigWindow::buildPdoPage() {
    m_pdoModel = new PdoTableModel(this);
    m_pdoGrid = tableView("GridTPDO", m_pdoModel, "PDO");
    m_pdoGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_pdoGrid->horizontalHeader()->setStretchLastSection(false);
    setColumnWidths(*m_pdoGrid, {50, 80, 260, 50, 50, 100, 200, 70});
    m_pdoDelegate = new PdoNameDelegate(
        [this](const QModelIndex& index, const QString& text) { return pdoNameTyped(index, text); },
        this);
    m_pdoGrid->setItemDelegateForColumn(PdoTableModel::NameColumn, m_pdoDelegate);
    // Selecting a "Name" cell opens its editor, as does typing or F2 on it.
    m_pdoGrid->setEditTriggers(
        QAbstractItemView::CurrentChanged | QAbstractItemView::DoubleClicked |
        QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
        QAbstractItemView::AnyKeyPressed);
    // Why the name being typed is refused, beside the tooltip of the editor's red frame.
    m_pdoRefusal = new QLabel;
    m_pdoRefusal->setObjectName("pdoRefusal");
    m_pdoRefusal->setWordWrap(true);
    m_pdoRefusal->setStyleSheet("QLabel { color: #c00000; }");
    m_pdoRefusal->hide();
    connect(m_pdoDelegate, &QAbstractItemDelegate::closeEditor, m_pdoRefusal, &QLabel::hide);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_pdoGrid);
    layout->addWidget(m_pdoRefusal);
    return page;
}

void NodeConfigWindow::configureNode(QWidget* parent, editor::NetworkSession& session, int address,
                                     const QString& caption) {
    m_caller = parent;
    if (runGuarded(m_context, parent, [&] { prepare(session, address, caption); })) {
        m_context.dialogs().exec(*this);
    }
}

void NodeConfigWindow::prepare(editor::NetworkSession& session, int address,
                               const QString& caption) {
    m_pdoDelegate->finishEditing();
    session.nodeAt(address);
    m_session = &session;
    m_address = address;
    m_entry = kNoEntry;
    setWindowTitle(caption.simplified());
    if (!m_geometryRestored) {
        restoreWindowGeometry(*this, m_context.settings());
        m_geometryRestored = true;
    }

    const model::node& n = node();
    m_productName->setText(qs(n.deviceInfo.ProductName));
    m_virtual->setChecked(n.virtual_);
    m_ngDisabled->setChecked(n.ngDisabled);
    m_addressBox->setValue(address);
    m_prefix->setText(qs(session.network().prefix));
    showRefusal(*m_prefix, {});
    m_crosstableRow->setText(qs(session.network().crosstableRow));
    fillInformationPages();
    fillObjectTree();
    clearEntry();
    rebuildParameterList();
    rebuildVariableList();
    m_pdoModel->load(session, address);

    const QSignalBlocker blocker(m_pages);
    m_pages->setCurrentIndex(AdministrationPage);
}

model::node& NodeConfigWindow::node() {
    return m_session->nodeAt(m_address);
}

template <class F> bool NodeConfigWindow::editNode(F&& f) {
    return runGuarded(m_context, this, [&] { m_session->editNode(m_address, std::forward<F>(f)); });
}

void NodeConfigWindow::fillInformationPages() {
    const model::node& n = node();
    for (std::size_t i = 0; i < m_fileInfo.size(); ++i) {
        m_fileInfo[i]->setText(qs(n.fileInfo.*model::kFileInfoFields[i].field));
        m_fileInfo[i]->setCursorPosition(0);
    }
    for (std::size_t i = 0; i < m_deviceTexts.size(); ++i) {
        m_deviceTexts[i]->setText(qs(n.deviceInfo.*kDeviceTexts[i].second));
        m_deviceTexts[i]->setCursorPosition(0);
    }
    for (std::size_t i = 0; i < m_baudRates.size(); ++i) {
        m_baudRates[i]->setChecked(n.deviceInfo.*kBaudRates[i].field);
    }
    for (std::size_t i = 0; i < m_deviceFlags.size(); ++i) {
        m_deviceFlags[i]->setChecked(n.deviceInfo.*kDeviceFlags[i].field);
    }
    for (std::size_t i = 0; i < m_deviceNumbers.size(); ++i) {
        m_deviceNumbers[i]->setText(QString::number(n.deviceInfo.*kDeviceNumbers[i].field));
    }
}

void NodeConfigWindow::fillObjectTree() {
    const QSignalBlocker blocker(m_tree);
    m_tree->clear();
    const model::node& n = node();
    m_treeItems.assign(n.objects.size(), nullptr);
    QFont bold = m_tree->font();
    bold.setBold(true);
    const auto makeItem = [&](const nodeconfig::TreeItem& item) {
        auto* treeItem = new QTreeWidgetItem(QStringList{qs(item.text)});
        treeItem->setData(0, Qt::UserRole, item.entry);
        if (n.entry(item.entry).configured) {
            treeItem->setFont(0, bold);
        }
        m_treeItems[item.entry] = treeItem;
        return treeItem;
    };
    QList<QTreeWidgetItem*> top;
    for (const nodeconfig::TreeItem& item : nodeconfig::objectTree(n)) {
        QTreeWidgetItem* treeItem = makeItem(item);
        QList<QTreeWidgetItem*> children;
        for (const nodeconfig::TreeItem& child : item.children) {
            children.push_back(makeItem(child));
        }
        treeItem->addChildren(children);
        top.push_back(treeItem);
    }
    m_tree->addTopLevelItems(top);
}

bool NodeConfigWindow::selectEntry(EntryId entry) {
    if (entry >= m_treeItems.size() || !m_treeItems[entry]) {
        return false;
    }
    m_tree->setCurrentItem(m_treeItems[entry]);
    m_tree->scrollToItem(m_treeItems[entry]);
    return true;
}

void NodeConfigWindow::markConfigured(EntryId entry) {
    if (entry < m_treeItems.size() && m_treeItems[entry] && node().entry(entry).configured) {
        QFont bold = m_tree->font();
        bold.setBold(true);
        m_treeItems[entry]->setFont(0, bold);
    }
}

void NodeConfigWindow::showSelectedEntry() {
    const QTreeWidgetItem* item = m_tree->currentItem();
    if (!m_session || !item) {
        clearEntry();
        return;
    }
    showEntry(item->data(0, Qt::UserRole).value<EntryId>());
}

void NodeConfigWindow::clearEntry() {
    m_entry = kNoEntry;
    m_inputArea->hide();
    m_detailModel->clear();
    m_valueModel->clear();
    m_variableModel->clear();
    m_deleteValue->setEnabled(false);
    m_deleteVariable->setEnabled(false);
}

void NodeConfigWindow::showEntry(EntryId entry) {
    for (QLineEdit* box : {m_name, m_value, m_subIndex, m_dim}) {
        box->clear();
    }
    refreshEntry(entry);
}

void NodeConfigWindow::refreshEntry(EntryId entry) {
    m_entry = entry;
    const model::node& n = node();
    const model::object_dict& e = n.entry(entry);

    const nodeconfig::InputMode mode = nodeconfig::inputMode(e);
    const bool parameter =
        mode == nodeconfig::InputMode::Parameter || mode == nodeconfig::InputMode::MappingParameter;
    const bool mapping = mode == nodeconfig::InputMode::MappingParameter;
    m_inputArea->setVisible(mode != nodeconfig::InputMode::None);
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_valueLabel, m_valuePrefix, m_value, m_addValue}) {
        w->setVisible(parameter);
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_subIndexPrefix, m_subIndex, m_dimPrefix, m_dim,
                                         m_indexCaption, m_subIndexCaption, m_dimCaption}) {
        w->setVisible(mapping);
    }
    const std::size_t width =
        mapping ? nodeconfig::kMappingIndexBoxWidth : nodeconfig::kValueBoxWidth;
    m_value->setMaxLength(static_cast<int>(width));
    m_value->setFixedWidth(boxWidth(width));
    m_value->setAccessibleName(m_context.tr(tk::kValoreParametro) + (mapping ? " Index" : ""));
    m_setVariable->setText(m_context.tr(tk::kAggiungiVar));

    m_detailModel->setRows(rowsOf(nodeconfig::detailRows(e)));
    m_valueModel->setRows(rowsOf(nodeconfig::parameterValueRows(n, entry)));
    m_variableModel->setRows(rowsOf(nodeconfig::denotationRows(e)));
    // The first row is the one a delete acts on until another is chosen.
    for (QTableView* view : {m_values, m_variables}) {
        if (view->model()->rowCount() > 0) {
            view->setCurrentIndex(view->model()->index(0, 0));
        }
    }
    m_deleteValue->setEnabled(m_valueModel->rowCount() > 0);
    m_deleteVariable->setEnabled(m_variableModel->rowCount() > 0);
}

void NodeConfigWindow::addParameterValue() {
    if (!m_session || m_entry == kNoEntry || m_addValue->isHidden()) {
        return;
    }
    const EntryId entry = m_entry;
    const bool mapping = !m_subIndex->isHidden();
    const nodeconfig::ParameterBoxes boxes{m_value->text().toStdString(),
                                           mapping ? m_subIndex->text().toStdString() : "",
                                           mapping ? m_dim->text().toStdString() : ""};
    const std::string name = m_name->text().toStdString();
    nodeconfig::UpdateOutcome outcome;
    if (editNode([&](model::node& n) {
            outcome = nodeconfig::addParameterValue(n, entry, boxes, name);
        })) {
        markConfigured(entry);
        markConfigured(outcome.linked);
        showEntry(entry);
    }
}

void NodeConfigWindow::setVariableName() {
    if (!m_session || m_entry == kNoEntry || m_inputArea->isHidden()) {
        return;
    }
    const EntryId entry = m_entry;
    const std::string name = m_name->text().toStdString();
    if (editNode([&](model::node& n) { nodeconfig::setVariableName(n, entry, name); })) {
        markConfigured(entry);
        showEntry(entry);
    }
}

void NodeConfigWindow::deleteParameterValue() {
    deleteSelectedRow(*m_values, &nodeconfig::deleteParameterValue);
}

void NodeConfigWindow::deleteVariable() {
    deleteSelectedRow(*m_variables, &nodeconfig::deleteVariable);
}

void NodeConfigWindow::deleteSelectedRow(const QTableView& list, RowDelete remove) {
    const int row = list.currentIndex().row() + 1;
    if (!m_session || m_entry == kNoEntry || row < 1) {
        return;
    }
    const EntryId entry = m_entry;
    if (editNode([&](model::node& n) { remove(n, entry, row); })) {
        refreshEntry(entry);
    }
}

void NodeConfigWindow::storeAdministration() {
    if (!m_session) {
        return;
    }
    nodeconfig::AdministrationOutcome outcome;
    const std::string text = std::to_string(m_addressBox->value());
    if (!runGuarded(m_context, this, [&] {
            outcome = m_session->storeAdministration(m_address, text, m_virtual->isChecked(),
                                                     m_ngDisabled->isChecked());
        })) {
        return;
    }
    if (!outcome.refusal.empty()) {
        showError(m_context, this, m_context.tr(outcome.refusal));
    }
    if (outcome.address != m_address) {
        m_address = outcome.address;
        m_pdoModel->setAddress(m_address);
        for (const editor::NetworkListEntry& entry : m_session->list()) {
            if (entry.address == m_address) {
                setWindowTitle(qs(entry.caption).simplified());
            }
        }
        rebuildVariableList();
    }
    m_addressBox->setValue(m_address);
}

void NodeConfigWindow::prefixEdited(const QString& text) {
    if (!m_session) {
        return;
    }
    if (isValidPrefix(text.toStdString())) {
        m_session->setPrefix(text.toStdString());
        showRefusal(*m_prefix, {});
    } else {
        showRefusal(*m_prefix, m_context.tr(tk::kValoreNonConsentito) + "\n'" + text +
                                   "' cannot begin a variable name (a letter or \"_\" first, "
                                   "then letters, digits and single \"_\")");
    }
}

void NodeConfigWindow::crosstableRowEdited(const QString& text) {
    if (m_session) {
        m_session->setCrosstableRow(text.toStdString());
    }
}

void NodeConfigWindow::pageChanged(int page) {
    if (page != PdoPage) {
        m_pdoDelegate->finishEditing();
    }
    if (!m_session) {
        return;
    }
    rebuildParameterList();
    rebuildVariableList();
    if (page == ObjectDictionaryPage && m_entry != kNoEntry) {
        refreshEntry(m_entry);
    }
    if (page == PdoPage) {
        m_pdoModel->load(*m_session, m_address);
    }
}

void NodeConfigWindow::rebuildParameterList() {
    std::vector<QStringList> rows;
    for (const nodeconfig::ParameterListRow& r : nodeconfig::parameterListRows(node())) {
        rows.push_back({qs(r.name), qs(r.object), qs(r.value)});
    }
    m_writeModel->setRows(std::move(rows));
    updateMoveButtons();
}

void NodeConfigWindow::rebuildVariableList() {
    std::vector<QStringList> rows;
    QStringList addresses;
    for (const nodeconfig::VariableListRow& r : nodeconfig::variableListRows(node())) {
        rows.push_back({qs(r.name), qs(r.object), qs(r.type), qs(r.access)});
        addresses.push_back(QString::number(r.address));
    }
    m_varListModel->setRows(std::move(rows), std::move(addresses));
}

int NodeConfigWindow::selectedWriteRow() const {
    const QModelIndexList rows = m_writes->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.front().row() + 1;
}

void NodeConfigWindow::selectWrite(int row) {
    if (row >= 1 && row <= m_writeModel->rowCount()) {
        m_writes->selectRow(row - 1);
    }
    updateMoveButtons();
}

void NodeConfigWindow::updateMoveButtons() {
    const int row = selectedWriteRow();
    m_moveUp->setEnabled(row > 1);
    m_moveDown->setEnabled(row >= 1 && row < m_writeModel->rowCount());
}

void NodeConfigWindow::moveWriteUp() {
    moveWrite(true);
}

void NodeConfigWindow::moveWriteDown() {
    moveWrite(false);
}

void NodeConfigWindow::moveWrite(bool up) {
    const int row = selectedWriteRow();
    if (!m_session || row < 1) {
        return;
    }
    int moved = row;
    if (editNode([&](model::node& n) {
            moved = nodeconfig::moveWrite(
                n, row, up ? nodeconfig::MoveDirection::Up : nodeconfig::MoveDirection::Down);
        })) {
        rebuildParameterList();
        selectWrite(moved);
    }
}

QString NodeConfigWindow::pdoNameTyped(const QModelIndex& index, const QString& text) {
    if (!m_session) {
        return {};
    }
    QString reason;
    try {
        m_pdoModel->typeName(index.row(), text);
        markConfigured(m_pdoModel->row(index.row()).entry);
    } catch (const std::exception& error) {
        reason = errorText(m_context, error);
    }
    m_pdoRefusal->setText(reason);
    m_pdoRefusal->setVisible(!reason.isEmpty());
    return reason;
}

void NodeConfigWindow::done(int result) {
    // Every accepted name is stored already; closing the editor adds or undoes nothing.
    m_pdoDelegate->finishEditing();
    if (m_caller) {
        if (auto* bar = m_caller->findChild<QStatusBar*>()) {
            bar->showMessage(m_context.tr(tk::kAttendere));
        }
    }
    saveWindowGeometry(*this, m_context.settings());
    {
        const QSignalBlocker blocker(m_tree);
        m_tree->clear();
    }
    m_treeItems.clear();
    clearEntry();
    m_writeModel->clear();
    m_varListModel->clear();
    m_pdoModel->clear();
    m_session = nullptr;
    m_address = 0;
    QDialog::done(result);
}

} // namespace busmason::app
