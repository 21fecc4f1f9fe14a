#pragma once

#include "app/shell/dialogs.h"
#include "app/shell/settings_store.h"
#include "app/shell/window_seams.h"

#include "core/translation/translation_table.h"

#include <QString>

#include <filesystem>
#include <string_view>

namespace busmason::app {

/// What the build and transfer commands give the transfer window.
struct UploadRecord {
    /// Caption of the transfer window.
    QString transferCaption;
    /// What is transferred; also the name of the setting that holds the local folder.
    QString transferMode;
    bool showFolderRow = true;
    bool showFileRow = false;
    /// The CAN channel of the project.
    int canChannel = 0;
};

/// The state the windows share, held for the start window.
struct SharedState {
    /// Name of the project (file name without extension).
    QString projectName;
    /// Creating mode: the workspace folder; opening mode: the folder of the chosen project file.
    QString workspaceFolder;
    /// A project created in this run is being edited.
    bool newProject = false;
    /// The installation folder that holds "Doc", the checker and the terminal descriptions.
    QString templateFolder;
    /// The EDS library folder.
    QString edsFolder;
    /// The folder of the setting "CAN"; loaded and saved, used by nothing else.
    QString programFolder;
    UploadRecord upload;
};

/// The services every window uses: translation, settings, dialogs, the shared state and the
/// installation folder. Created once at start-up and passed to each window.
class AppContext {
public:
    AppContext(translation::TranslationTable table, int languageIndex, SettingsStore& settings,
               Dialogs& dialogs, std::filesystem::path installFolder)
        : m_table(std::move(table)), m_languageIndex(languageIndex), m_settings(settings),
          m_dialogs(dialogs), m_installFolder(std::move(installFolder)) {}

    /// The text of key in the language loaded at start-up.
    QString tr(std::string_view key) const {
        return QString::fromStdString(m_table.translate(key));
    }
    const translation::TranslationTable& table() const { return m_table; }

    /// The language chosen (0 English, 1 Italian, 2 Spanish, 3 as 2); the options window
    /// changes it, the texts keep the language of start-up until the next start.
    int languageIndex() const { return m_languageIndex; }
    void setLanguageIndex(int index) { m_languageIndex = index; }

    SettingsStore& settings() { return m_settings; }
    Dialogs& dialogs() { return m_dialogs; }
    SharedState& state() { return m_state; }
    const SharedState& state() const { return m_state; }
    /// The windows other windows open, filled by the start-up sequence.
    AppWindows& windows() { return m_windows; }
    /// The bundled installation the program runs from.
    const std::filesystem::path& installFolder() const { return m_installFolder; }

private:
    translation::TranslationTable m_table;
    int m_languageIndex = 1;
    SettingsStore& m_settings;
    Dialogs& m_dialogs;
    std::filesystem::path m_installFolder;
    SharedState m_state;
    AppWindows m_windows;
};

/// A folder text of the settings as a path, and back.
inline std::filesystem::path toPath(const QString& text) {
    return std::filesystem::path(text.toStdString());
}
inline QString toText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

} // namespace busmason::app
