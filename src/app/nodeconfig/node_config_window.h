#pragma once

#include "app/shell/app_context.h"
#include "app/shell/window_seams.h"

#include "core/model/node.h"

#include <QDialog>
#include <QPointer>

#include <vector>

class QAbstractButton;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableView;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace busmason::editor {
class NetworkSession;
}

namespace busmason::app {

class PdoNameDelegate;
class PdoTableModel;
class TextTableModel;

/// The node configuration window ("TForm9"): one node's address and flags, its EDS file and
/// device information, its object dictionary with the input of values and variable names, its
/// start-up writes in the order they are sent, its variables and the PDO page. Every change is
/// made at once on the session's node through the core operations, which mark the session
/// modified; there is no cancel.
class NodeConfigWindow : public QDialog, public NodeConfigurator {
    Q_OBJECT
public:
    /// The pages, in tab order.
    enum Page {
        AdministrationPage,
        FileInfoPage,
        DeviceInfoPage,
        ObjectDictionaryPage,
        ParameterListPage,
        VariableListPage,
        PdoPage,
        PageCount,
    };

    explicit NodeConfigWindow(AppContext& context, QWidget* parent = nullptr);
    ~NodeConfigWindow() override;

    /// prepare, then shows the window modally through the dialogs service.
    void configureNode(QWidget* parent, editor::NetworkSession& session, int address,
                       const QString& caption) override;

    /// Fills every page from the node at address of session, captions the window and shows the
    /// first page; the window itself is not shown. LimitError when there is no node at address.
    void prepare(editor::NetworkSession& session, int address, const QString& caption);

    /// Address of the node configured: the one prepared, or where the administration page moved
    /// it; 0 when the window is closed.
    int address() const { return m_address; }

    /// Selects the object tree item of an entry (as a click on it does); false when the tree
    /// has none.
    bool selectEntry(model::EntryId entry);

    /// The PDO page's grid and its name editor (the tour and the benchmark type through them).
    PdoTableModel& pdoModel() { return *m_pdoModel; }
    PdoNameDelegate& pdoNameDelegate() { return *m_pdoDelegate; }

protected:
    /// Closing, however asked for: the open name editor keeps what was typed, the editor's
    /// status bar says to wait while it refreshes, and the pages let go of the node.
    void done(int result) override;

private slots:
    void showSelectedEntry();
    void addParameterValue();
    void setVariableName();
    void deleteParameterValue();
    void deleteVariable();
    void storeAdministration();
    void pageChanged(int page);
    void moveWriteUp();
    void moveWriteDown();
    void updateMoveButtons();
    void prefixEdited(const QString& text);
    void crosstableRowEdited(const QString& text);

private:
    QWidget* buildAdministrationPage();
    QWidget* buildFileInfoPage();
    QWidget* buildDeviceInfoPage();
    QWidget* buildObjectDictionaryPage();
    QWidget* buildParameterListPage();
    QWidget* buildVariableListPage();
    QWidget* buildPdoPage();

    model::node& node();
    /// Width of a box for characters hexadecimal digits.
    int boxWidth(std::size_t characters) const;
    /// Runs f(node) as a session edit; an error it throws is shown and false returned.
    template <class F> bool editNode(F&& f);

    void fillInformationPages();
    void fillObjectTree();
    /// Shows an entry afresh: its input area with empty boxes, its details, values and names.
    void showEntry(model::EntryId entry);
    /// Shows the entry's details, values and names again; what is typed in its boxes stays.
    void refreshEntry(model::EntryId entry);
    void clearEntry();
    /// A core operation deleting row (1-based) of an entry's list.
    using RowDelete = void (*)(model::node& n, model::EntryId entry, int row);
    /// Deletes the row selected in one of the entry's lists (its first row unless another was
    /// chosen) and shows the entry again.
    void deleteSelectedRow(const QTableView& list, RowDelete remove);
    void rebuildParameterList();
    void rebuildVariableList();
    void selectWrite(int row);
    void moveWrite(bool up);
    /// The write row (1-based) selected in the parameter list, or 0.
    int selectedWriteRow() const;
    QString pdoNameTyped(const QModelIndex& index, const QString& text);
    void markConfigured(model::EntryId entry);

    AppContext& m_context;
    editor::NetworkSession* m_session = nullptr;
    int m_address = 0;
    model::EntryId m_entry = model::kNoEntry;
    QPointer<QWidget> m_caller;
    bool m_geometryRestored = false;

    QTabWidget* m_pages = nullptr;

    // Administration page.
    QLineEdit* m_productName = nullptr;
    QCheckBox* m_virtual = nullptr;
    QCheckBox* m_ngDisabled = nullptr;
    QSpinBox* m_addressBox = nullptr;
    QLineEdit* m_prefix = nullptr;
    QLineEdit* m_crosstableRow = nullptr;
    QPushButton* m_save = nullptr;

    // File Info and Device Info pages: read-only texts and flags, in field order.
    std::vector<QLineEdit*> m_fileInfo;
    std::vector<QLineEdit*> m_deviceTexts;
    std::vector<QCheckBox*> m_baudRates;
    std::vector<QCheckBox*> m_deviceFlags;
    std::vector<QLineEdit*> m_deviceNumbers;

    // Object dictionary page.
    QTreeWidget* m_tree = nullptr;
    /// The tree item of each entry, by EntryId.
    std::vector<QTreeWidgetItem*> m_treeItems;
    TextTableModel* m_detailModel = nullptr;
    QTableView* m_details = nullptr;
    QWidget* m_inputArea = nullptr;
    QLabel* m_nameLabel = nullptr;
    QLineEdit* m_name = nullptr;
    QPushButton* m_setVariable = nullptr;
    QLabel* m_valueLabel = nullptr;
    QLabel* m_valuePrefix = nullptr;
    QLineEdit* m_value = nullptr;
    QLabel* m_subIndexPrefix = nullptr;
    QLineEdit* m_subIndex = nullptr;
    QLabel* m_dimPrefix = nullptr;
    QLineEdit* m_dim = nullptr;
    QLabel* m_indexCaption = nullptr;
    QLabel* m_subIndexCaption = nullptr;
    QLabel* m_dimCaption = nullptr;
    QPushButton* m_addValue = nullptr;
    TextTableModel* m_valueModel = nullptr;
    QTableView* m_values = nullptr;
    QAction* m_deleteValue = nullptr;
    TextTableModel* m_variableModel = nullptr;
    QTableView* m_variables = nullptr;
    QAction* m_deleteVariable = nullptr;

    // Parameter List, Variable List and PDO pages.
    TextTableModel* m_writeModel = nullptr;
    QTableView* m_writes = nullptr;
    QToolButton* m_moveUp = nullptr;
    QToolButton* m_moveDown = nullptr;
    TextTableModel* m_varListModel = nullptr;
    QTableView* m_varList = nullptr;
    PdoTableModel* m_pdoModel = nullptr;
    PdoNameDelegate* m_pdoDelegate = nullptr;
    QTableView* m_pdoGrid = nullptr;
    QLabel* m_pdoRefusal = nullptr;
};

} // namespace busmason::app
