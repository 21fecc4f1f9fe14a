#pragma once

#include "app/shell/app_context.h"
#include "app/shell/startup_settings.h"

#include <QApplication>
#include <QWidget>

#include <memory>
#include <vector>

namespace busmason::app {

class FolderChooser;
class OptionsWindow;
class StartWindow;
class TerminalSettingsWindow;

/// The windows of the other rooms (terminal I/O settings, network editor, node configuration,
/// coupler configuration, transfer window), created by the start-up sequence at their place in
/// the order and owned here; the ones other windows open are also entered in the context's
/// windows().
struct RoomWindows {
    std::vector<std::unique_ptr<QWidget>> owned;
    /// The terminal I/O settings window, which the coupler window opens.
    TerminalSettingsWindow* terminalSettings = nullptr;
};

/// The running program: the services and every window, created once in this order: start
/// window, folder chooser, terminal I/O settings, network editor, node configuration, options
/// (whose creation settles the folder settings), coupler configuration, transfer window.
class Program {
public:
    /// Settles the language from settings, loads the installation's translation table and
    /// creates the windows. Nothing is shown yet except the messages of the folder settings.
    Program(SettingsStore& settings, Dialogs& dialogs, const FolderSources& sources);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    AppContext& context() { return *m_context; }
    StartWindow& startWindow() { return *m_start; }
    FolderChooser& folderChooser() { return *m_chooser; }
    OptionsWindow& optionsWindow() { return *m_options; }

private:
    std::unique_ptr<AppContext> m_context;
    // Declared before the windows they parent, so they are destroyed after them.
    std::unique_ptr<StartWindow> m_start;
    std::unique_ptr<FolderChooser> m_chooser;
    RoomWindows m_rooms;
    std::unique_ptr<OptionsWindow> m_options;
};

/// The application object of the program: an error a command throws past its window is shown
/// in a message box instead of ending the program.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);
    /// Where the message boxes go; none until the program's services exist.
    void setDialogs(Dialogs* dialogs) { m_dialogs = dialogs; }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    Dialogs* m_dialogs = nullptr;
};

/// The program's entry: names the application, reads the command line (an optional project
/// file, taken as the chosen project), creates the program on the user's settings, shows the
/// start window and runs until it closes. An error that escapes is shown in a message box.
int runProgram(GuardedApplication& application);

} // namespace busmason::app
