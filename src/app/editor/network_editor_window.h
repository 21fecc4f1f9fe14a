#pragma once

#include "app/shell/project_editor.h"

#include "core/editor/network_session.h"
#include "core/editor/overview.h"
#include "core/model/errors.h"

#include <QDateTime>
#include <QDialog>
#include <QHash>

#include <array>
#include <optional>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidgetItem;
class QMenu;
class QStatusBar;
class QTabWidget;
class QTableView;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace busmason::app {

class AppContext;
struct DocumentPattern;
class LibraryTree;
class NetworkList;
class ParameterGridModel;
class VariableGridModel;

/// The network editor: the main working window for the network of one project. It shows the
/// EDS library, the network list, the network parameters and the overviews of the start-up
/// writes and the variables, and it runs every command on the project through the core's
/// network session. It is created once and opened for one project at a time.
class NetworkEditorWindow : public QDialog, public ProjectEditor {
    Q_OBJECT
public:
    explicit NetworkEditorWindow(AppContext& context, QWidget* parent = nullptr);
    ~NetworkEditorWindow() override;

    /// Opens on the shared state's project (prepare()) and runs modally until the user leaves.
    /// True when left with File "<EXIT>".
    bool openProject() override;

    /// Prepares the window for the shared state's project without showing it: creating mode
    /// (newProject) gives a new network in workspaceFolder/projectName, opening mode loads
    /// workspaceFolder/projectName.bsm. A load that fails is shown and leaves the window
    /// closed (false). What the load left out or changed is shown once the window shows.
    bool prepare();
    /// Sets the shared state's workspace folder, project name and mode, then prepare().
    bool openOn(const QString& workspaceFolder, const QString& projectName, bool newProject);

    /// The open project, or null when the window is closed.
    editor::NetworkSession* session() { return m_session ? &*m_session : nullptr; }

    /// Runs the close query; true when the window may close.
    bool closeQuery();
    /// Rebuilds both overview grids from the network.
    void rebuildGrids();

public slots:
    void reject() override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildPages();
    QWidget* buildNetworkPage();
    QWidget* buildParameterPanel();
    QWidget* buildOverviewPage(QTreeWidget*& tree, QTableView*& grid, const char* treeName,
                               const char* gridName, const QString& caption);
    void buildMenus();
    void buildToolBar();
    void buildPopups();

    // What the window shows, from the session.
    void refreshNetworkList(int selectAddress = 0);
    void refreshNodeTrees();
    void updateCaption();
    void refreshAll();
    void showParameters();
    void showParameter(editor::ParameterField field);
    void markParameter(editor::ParameterField field, const QString& problem);
    QWidget* parameterWidget(editor::ParameterField field) const;
    void listLibrary();
    void showPendingDiagnostics();

    // Commands.
    void addNode(const QString& edsName);
    void addSelectedLibraryEntry();
    void activateNode(QListWidgetItem* item);
    void configureNode();
    void configureCoupler();
    void deleteNode();
    void nodeHelp();
    void arrange();
    void importEds();
    void deleteEds();
    bool save(bool confirm);
    void build();
    void transfer();
    void checkNetwork();
    void tutorial();
    void exitEditor();
    void editParameter(editor::ParameterField field, const QString& text);
    void finishParameter(editor::ParameterField field);
    void pageChanged();
    void updateNetworkPopup();
    void updateLibraryPopup();
    void fillUploadRecord();
    void finishClose();

    /// Address of the selected network list entry, or 0.
    int selectedAddress() const;
    QString selectedCaption() const;
    /// The help document patterns of the selected node, or null when it has none.
    const DocumentPattern* selectedNodeHelp() const;
    /// False, saying the window is not part of the program yet, when window (a seam) is null.
    bool windowPresent(const void* window);

    AppContext& m_context;
    std::optional<editor::NetworkSession> m_session;
    std::vector<model::Diagnostic> m_pendingDiagnostics;
    bool m_libraryListed = false;
    bool m_geometryRestored = false;
    bool m_exitRequested = false;

    /// Device kinds of the library files, by name, valid while the file is unchanged.
    struct LibraryKind {
        QDateTime modified;
        qint64 size = 0;
        editor::DeviceKind kind = editor::DeviceKind::Other;
    };
    QHash<QString, LibraryKind> m_libraryKinds;

    QTabWidget* m_pages = nullptr;
    LibraryTree* m_library = nullptr;
    NetworkList* m_networkList = nullptr;
    QComboBox* m_baudRate = nullptr;
    QComboBox* m_channel = nullptr;
    QLineEdit* m_cycleTime = nullptr;
    QLineEdit* m_guardTime = nullptr;
    QLineEdit* m_lifeTime = nullptr;
    QCheckBox* m_sync = nullptr;
    QCheckBox* m_toggleBit = nullptr;
    QTreeWidget* m_parameterTree = nullptr;
    QTreeWidget* m_variableTree = nullptr;
    QTableView* m_parameterGrid = nullptr;
    QTableView* m_variableGrid = nullptr;
    ParameterGridModel* m_parameterModel = nullptr;
    VariableGridModel* m_variableModel = nullptr;
    QToolBar* m_toolBar = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QMenu* m_networkPopup = nullptr;
    QMenu* m_libraryPopup = nullptr;
    QAction* m_configure = nullptr;
    QAction* m_configureCoupler = nullptr;
    QAction* m_deleteNode = nullptr;
    QAction* m_nodeHelp = nullptr;
    QAction* m_deleteEds = nullptr;
    QAction* m_addNode = nullptr;
    QAction* m_tutorial = nullptr;
};

} // namespace busmason::app
