#pragma once

#include "app/shell/settings_store.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>

class QWidget;

namespace busmason::app {

class AppContext;

/// The language a stored "LANG" text stands for, and whether the store must be repaired.
struct LanguageReading {
    /// 0 English, 1 Italian, 2 Spanish, 3 (the last column of the table).
    int index = 1;
    /// The stored text was absent, empty, negative or above 3: "1" is written back.
    bool rewrite = false;
};

/// The language rule: the leading decimal number of the text (after blanks and a sign; 0 when
/// the text does not start with one, as a letter does) when it is from 0 to 3; anything else, the
/// absent and the empty text included, is language 1 and rewritten.
LanguageReading readLanguage(const std::optional<QString>& stored);

/// Reads "LANG" by the language rule and writes "1" back when the rule says so.
int loadLanguageSetting(SettingsStore& settings);

/// Where first start takes the folders from when the settings name none, or name one that is gone.
struct FolderSources {
    /// The bundled installation: the template folder, and the sample EDS library ("eds").
    std::filesystem::path installFolder;
    /// The folder of the program itself (the setting "CAN").
    QString programFolder;
    /// The user's home folder; the workspace is its "Busmason" folder, made when missing.
    QString homeFolder;
    /// A folder of the user's own data; the EDS library is its "eds" folder, a copy of the
    /// installation's sample library made when missing.
    QString userDataFolder;
};

/// The sources of the running program: the installation of util::installFolder, the program's
/// folder, the home folder and the writable application data location.
FolderSources defaultFolderSources();

/// The four folders of the shared state as the start-up rule settled them.
struct FolderSettings {
    QString templateFolder;
    QString programFolder;
    QString workspaceFolder;
    QString edsFolder;
    /// The settings whose stored folder and fallback both failed, as "NAME: reason"; their
    /// folder keeps the stored text (empty when none) and the store is left as it was.
    QStringList failures;
};

/// The folder rule, for "TEMPLATE", "CAN", "CANPRJDIR" and "EDS" in this order: a stored value
/// that names an existing folder by an absolute path is taken as it is; an absent, empty,
/// relative or stale value is replaced by its fallback from sources (made when needed) in memory
/// and in the store. The workspace and EDS folders end in a separator. Never changes the
/// process's current folder and never reads a folder relative to it.
FolderSettings loadFolderSettings(SettingsStore& settings, const FolderSources& sources);

/// Runs loadFolderSettings into the context's shared state and shows "<NOT ROOT DIR>" once,
/// naming the failed settings, when any folder could not be settled.
void applyFolderSettings(AppContext& context, QWidget* parent, const FolderSources& sources);

/// text followed by the platform's separator, unless it already ends in one.
QString withTrailingSeparator(const QString& text);

} // namespace busmason::app
