#pragma once

#include "app/shell/window_seams.h"

#include "core/coupler/terminal_library.h"

#include <QDialog>

class QAction;
class QListWidget;
class QMenu;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace busmason::editor {
class NetworkSession;
}

namespace busmason::app {

class AppContext;
class TerminalSettingsWindow;
struct DocumentPattern;

/// The row of terminals behind one coupler node: the terminal types of the installation's
/// description files on the left (double-click or drag one onto the list to add it), the
/// terminals in row order on the right, with commands to configure a terminal's channels, delete
/// it and open its family's manual. Every change goes to the session's coupler configuration;
/// closing the window rebuilds the coupler's variables and start-up writes.
class CouplerWindow : public QDialog, public CouplerConfigurator {
    Q_OBJECT

public:
    CouplerWindow(AppContext& context, TerminalSettingsWindow& settings, QWidget* parent = nullptr);
    ~CouplerWindow() override;

    void configureCoupler(QWidget* parent, editor::NetworkSession& session, int address) override;

    /// Activates the coupler configuration of the node at address afresh and fills the window
    /// from it: the type tree from the terminal descriptions of the template folder, the
    /// terminal list from the node's row, the captions. Throws model::LimitError when there is
    /// no node at address.
    void prepare(editor::NetworkSession& session, int address);
    /// Closes the coupler's configuration (the rebuild of its writes and variables) and says
    /// when a channel could not be placed. Nothing when the window is not prepared.
    void closeConfiguration();

    /// The manual the Help command opens for the selected terminal, or empty when its family has
    /// none or none is installed.
    QString helpDocument() const;

protected:
    void done(int result) override;

private:
    void addType(int slot);
    void configureSelected();
    void deleteSelected();
    void openHelp();
    /// Shows the row again, selecting the terminal at position (none when -1).
    void showRow(int position);
    void updateCommands();
    /// Position of the selected terminal in the row, or -1.
    int selectedPosition() const;
    const DocumentPattern* helpPattern() const;

    AppContext& m_context;
    TerminalSettingsWindow& m_settings;
    editor::NetworkSession* m_session = nullptr;
    int m_address = 0;
    coupler::TerminalLibrary m_library;

    QTabWidget* m_pages = nullptr;
    QTreeWidget* m_types = nullptr;
    QListWidget* m_terminals = nullptr;
    QMenu* m_popup = nullptr;
    QAction* m_configAction = nullptr;
    QAction* m_deleteAction = nullptr;
    QAction* m_helpAction = nullptr;
    QPushButton* m_configButton = nullptr;
    QPushButton* m_deleteButton = nullptr;
    QPushButton* m_helpButton = nullptr;
};

/// The format of a terminal type dragged from the type tree: its slot in the library, as
/// decimal text.
inline constexpr const char* kTerminalTypeMime = "application/x-busmason-terminal-type";

} // namespace busmason::app
