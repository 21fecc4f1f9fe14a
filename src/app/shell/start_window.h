#pragma once

#include <QMainWindow>
#include <QString>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace busmason::app {

class AppContext;
class FolderChooser;

/// The start window, the program's main window: a new project (a workspace folder and a name;
/// the project gets its own folder) or an existing project file, then the network editor on it.
/// Closing it ends the program.
class StartWindow : public QMainWindow {
    Q_OBJECT
public:
    /// The literal caption of the start window.
    static constexpr const char* kCaption = "KOVA Busmason rev 1.03";

    explicit StartWindow(AppContext& context, QWidget* parent = nullptr);

    /// The folder chooser the workspace button opens (created after this window); without one
    /// the button says the window is not available.
    void setFolderChooser(FolderChooser* chooser) { m_chooser = chooser; }
    /// The window the Tools "<OPZIONI>" item opens (created after this one); without one the
    /// item says the window is not available.
    void setOptionsWindow(QDialog* options) { m_options = options; }

    /// The new-project button: creating mode; the workspace is chosen next.
    void newProject();
    /// The workspace button: the folder chooser, starting at the workspace folder.
    void setWorkspace();
    /// The open-project button: the file dialog for a project file.
    void openProject();
    /// Takes projectFile as the chosen project (opening mode), as the open-project dialog does;
    /// the program does this for a project file named on its command line.
    void chooseProject(const QString& projectFile);
    /// The create/open button: makes the project folder (creating mode) and opens the editor.
    void createOrOpen();
    /// Help "<TUTORIAL>".
    void showTutorial();
    /// Tools "<OPZIONI>".
    void showOptions();

    /// A project name the program accepts: a plain file name, neither empty nor "." or "..",
    /// without a path separator, a control character or one of the characters file systems
    /// refuse in names (: * ? " < > |).
    static bool isPlainFileName(const QString& name);

    /// The files of project name in folder that emptying an existing project removes: the
    /// project and coupler files, the controller files (network*.cmg, iomap*.cmg, ASCIIcmg.txt),
    /// the declarations (NAME.gvl, var.exp) and the checker's verdict (eds.err).
    static QStringList projectFiles(const QString& folder, const QString& name);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void nameTyped(const QString& text);
    /// Opens the editor on the shared state's project; true when it was left with File "<EXIT>".
    bool runEditor();
    /// Removes the project's own files from folder; false (after saying which) when one stays.
    bool emptyProjectFolder(const QString& folder, const QString& name);
    /// The state after the editor closed: opening mode, the create/open button captioned
    /// "<APRI PROGETTO>" and enabled when enable is set.
    void afterEditor(bool enable);

    AppContext& m_context;
    FolderChooser* m_chooser = nullptr;
    QDialog* m_options = nullptr;
    QToolButton* m_newButton;
    QToolButton* m_openButton;
    QLabel* m_nameLabel;
    QLineEdit* m_nameEdit;
    QLabel* m_folderLabel;
    QLineEdit* m_folderEdit;
    QPushButton* m_workspaceButton;
    QPushButton* m_createOpenButton;
    QAction* m_exitAction;
    QAction* m_optionsAction;
    QAction* m_tutorialAction;
};

} // namespace busmason::app
