#include "app/shell/startup.h"

#include "app/coupler/coupler_window.h"
#include "app/coupler/terminal_settings_window.h"
#include "app/editor/network_editor_window.h"
#include "app/nodeconfig/node_config_window.h"
#include "app/options/folder_chooser.h"
#include "app/options/options_window.h"
#include "app/shell/messages.h"
#include "app/shell/start_window.h"
#include "app/transfer/transfer_window.h"

#include "core/translation/translation_table.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <exception>

namespace busmason::app {

namespace {

/// The caption of the message that shows an error nothing else caught.
constexpr const char* kProgramName = "Busmason";

// The two places where the windows of the other rooms join the start-up sequence. Each window
// is created with the start window as its parent, moved into rooms.owned, and, when other
// windows open it, entered in context.windows() (editor, nodeConfig, coupler, transfer, check).

/// Creates a window of type W with the start window as parent, owned by rooms.
template <class W, class... Args> W& createRoomWindow(RoomWindows& rooms, Args&&... args) {
    auto window = std::make_unique<W>(std::forward<Args>(args)...);
    W& created = *window;
    rooms.owned.push_back(std::move(window));
    return created;
}

/// Between the folder chooser and the options window: the terminal I/O settings window, the
/// network editor (the editor seam) and the node configuration window (the nodeConfig seam).
/// They find the folder settings in the shared state only once the options window exists, so
/// they read them when they are opened, not when they are created.
void createWindowsBeforeOptions(AppContext& context, StartWindow& start, RoomWindows& rooms) {
    rooms.terminalSettings = &createRoomWindow<TerminalSettingsWindow>(rooms, context, &start);
    context.windows().editor = &createRoomWindow<NetworkEditorWindow>(rooms, context, &start);
    context.windows().nodeConfig = &createRoomWindow<NodeConfigWindow>(rooms, context, &start);
}

/// After the options window: the coupler configuration window (the coupler seam; it is given
/// the terminal I/O settings window) and the transfer window (the transfer seam).
void createWindowsAfterOptions(AppContext& context, StartWindow& start, RoomWindows& rooms) {
    context.windows().coupler =
        &createRoomWindow<CouplerWindow>(rooms, context, *rooms.terminalSettings, &start);
    context.windows().transfer = &createRoomWindow<TransferWindow>(rooms, context, &start);
}

std::unique_ptr<AppContext> makeContext(SettingsStore& settings, Dialogs& dialogs,
                                        const FolderSources& sources) {
    const int language = loadLanguageSetting(settings);
    translation::TranslationLoad load = translation::loadTranslationTable(
        sources.installFolder / translation::kTableFileName, language);
    auto context = std::make_unique<AppContext>(std::move(load.table), language, settings, dialogs,
                                                sources.installFolder);
    // Without a table every text shows its key; the program still works and says why once.
    showDiagnostics(*context, nullptr,
                    "The translation table was not read completely:", load.diagnostics);
    return context;
}

} // namespace

Program::Program(SettingsStore& settings, Dialogs& dialogs, const FolderSources& sources)
    : m_context(makeContext(settings, dialogs, sources)) {
    AppContext& context = *m_context;
    m_start = std::make_unique<StartWindow>(context);
    m_chooser = std::make_unique<FolderChooser>(context, m_start.get());
    m_start->setFolderChooser(m_chooser.get());
    createWindowsBeforeOptions(context, *m_start, m_rooms);
    m_options = std::make_unique<OptionsWindow>(context, *m_chooser, sources, m_start.get());
    m_start->setOptionsWindow(m_options.get());
    createWindowsAfterOptions(context, *m_start, m_rooms);
}

Program::~Program() = default;

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        if (m_dialogs) {
            m_dialogs->message(activeWindow(), Dialogs::Icon::Error, kProgramName,
                               QString::fromLocal8Bit(error.what()));
        }
        return false;
    }
}

int runProgram(GuardedApplication& application) {
    QCoreApplication::setOrganizationName("KOVA");
    QCoreApplication::setApplicationName(kProgramName);
    QCoreApplication::setApplicationVersion("1.03");

    QCommandLineParser parser;
    parser.setApplicationDescription("Configures CANopen networks for KOVA controllers.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("project", "A project file (.bsm) to open from the start window.",
                                 "[project]");
    parser.process(application);

    SettingsStore settings;
    QtDialogs dialogs;
    application.setDialogs(&dialogs);
    int status = 1;
    try {
        Program program(settings, dialogs, defaultFolderSources());
        if (const QStringList files = parser.positionalArguments(); !files.isEmpty()) {
            const QFileInfo project(files.front());
            if (project.isFile()) {
                program.startWindow().chooseProject(project.absoluteFilePath());
            } else {
                showError(program.context(), nullptr,
                          "There is no project file \"" + files.front() + "\".");
            }
        }
        program.startWindow().show();
        status = application.exec();
    } catch (const std::exception& error) {
        dialogs.message(nullptr, Dialogs::Icon::Error, kProgramName,
                        QString::fromLocal8Bit(error.what()), Dialogs::Buttons::Ok);
    }
    application.setDialogs(nullptr);
    return status;
}

} // namespace busmason::app
