#include "app/shell/startup_settings.h"

#include "app/shell/app_context.h"

#include "core/model/numbers.h"
#include "core/translation/keys.h"
#include "core/util/install.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <functional>

namespace busmason::app {

namespace {

/// The name of the workspace folder made in the home folder.
constexpr const char* kWorkspaceName = "Busmason";
/// The sample library's folder in the installation, and the copy's in the user's data.
constexpr const char* kEdsFolderName = "eds";

/// A folder, or why there is none.
struct Settled {
    QString folder;
    QString failure;
};

Settled failed(const QString& reason) {
    return {{}, reason};
}

bool namesFolder(const QString& text) {
    return !text.isEmpty() && QDir::isAbsolutePath(text) && QFileInfo(text).isDir();
}

Settled installationFolder(const FolderSources& sources) {
    const QString folder = toText(sources.installFolder);
    if (!namesFolder(folder)) {
        return failed("the installation folder \"" + folder + "\" does not exist");
    }
    return {QDir::cleanPath(folder), {}};
}

Settled programFolder(const FolderSources& sources) {
    if (!namesFolder(sources.programFolder)) {
        return failed("the program folder \"" + sources.programFolder + "\" does not exist");
    }
    return {QDir::cleanPath(sources.programFolder), {}};
}

Settled workspaceFolder(const FolderSources& sources) {
    if (!namesFolder(sources.homeFolder)) {
        return failed("the home folder \"" + sources.homeFolder + "\" does not exist");
    }
    const QString folder = QDir(sources.homeFolder).filePath(kWorkspaceName);
    if (!QDir().mkpath(folder)) {
        return failed("cannot create \"" + folder + "\"");
    }
    return {withTrailingSeparator(QDir::cleanPath(folder)), {}};
}

/// The user's copy of the installation's sample library, made whole or not at all; an existing
/// copy is taken as it is, with the user's own changes.
Settled edsLibraryCopy(const FolderSources& sources) {
    if (sources.userDataFolder.isEmpty() || !QDir::isAbsolutePath(sources.userDataFolder)) {
        return failed("there is no folder for the user's data");
    }
    const QDir data(sources.userDataFolder);
    const QString target = data.filePath(kEdsFolderName);
    if (QFileInfo(target).isDir()) {
        return {withTrailingSeparator(QDir::cleanPath(target)), {}};
    }
    const QDir sample(toText(sources.installFolder / kEdsFolderName));
    if (!sample.exists()) {
        return failed("the installation has no EDS library \"" + sample.path() + "\"");
    }
    const QString partial = target + ".partial";
    QDir(partial).removeRecursively();
    if (!QDir().mkpath(partial)) {
        return failed("cannot create \"" + partial + "\"");
    }
    for (const QString& name : sample.entryList(QDir::Files, QDir::Name)) {
        if (!QFile::copy(sample.filePath(name), QDir(partial).filePath(name))) {
            QDir(partial).removeRecursively();
            return failed("cannot copy \"" + sample.filePath(name) + "\" into \"" + partial + "\"");
        }
    }
    if (!QDir().rename(partial, target)) {
        QDir(partial).removeRecursively();
        return failed("cannot create \"" + target + "\"");
    }
    return {withTrailingSeparator(QDir::cleanPath(target)), {}};
}

/// One folder of the rule: the stored value when it names a folder, else the fallback, which is
/// then stored. When both fail the store keeps its value and the failure is recorded.
QString settleFolder(SettingsStore& settings, const char* name,
                     const std::function<Settled()>& fallback, QStringList& failures) {
    const QString stored = settings.read(name).value_or(QString());
    if (namesFolder(stored)) {
        return stored;
    }
    const Settled settled = fallback();
    if (settled.folder.isEmpty()) {
        failures << QString::fromLatin1(name) + ": " + settled.failure;
        return stored;
    }
    settings.write(name, settled.folder);
    return settled.folder;
}

} // namespace

LanguageReading readLanguage(const std::optional<QString>& stored) {
    if (!stored || stored->isEmpty()) {
        return {1, true};
    }
    const int value = model::leadingDecimal(stored->toStdString());
    if (value < 0 || value > 3) {
        return {1, true};
    }
    return {value, false};
}

int loadLanguageSetting(SettingsStore& settings) {
    const LanguageReading reading = readLanguage(settings.read(setting::kLang));
    if (reading.rewrite) {
        settings.write(setting::kLang, "1");
    }
    return reading.index;
}

FolderSources defaultFolderSources() {
    FolderSources sources;
    sources.installFolder =
        std::filesystem::absolute(util::installFolder(BUSMASON_DEFAULT_INSTALL));
    sources.programFolder = QCoreApplication::applicationDirPath();
    sources.homeFolder = QDir::homePath();
    sources.userDataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return sources;
}

FolderSettings loadFolderSettings(SettingsStore& settings, const FolderSources& sources) {
    FolderSettings out;
    out.templateFolder = settleFolder(
        settings, setting::kTemplate, [&] { return installationFolder(sources); }, out.failures);
    out.programFolder = settleFolder(
        settings, setting::kCan, [&] { return programFolder(sources); }, out.failures);
    out.workspaceFolder = settleFolder(
        settings, setting::kProjectFolder, [&] { return workspaceFolder(sources); }, out.failures);
    out.edsFolder = settleFolder(
        settings, setting::kEds, [&] { return edsLibraryCopy(sources); }, out.failures);
    return out;
}

void applyFolderSettings(AppContext& context, QWidget* parent, const FolderSources& sources) {
    const FolderSettings folders = loadFolderSettings(context.settings(), sources);
    SharedState& state = context.state();
    state.templateFolder = folders.templateFolder;
    state.programFolder = folders.programFolder;
    state.workspaceFolder = folders.workspaceFolder;
    state.edsFolder = folders.edsFolder;
    if (!folders.failures.isEmpty()) {
        context.dialogs().message(
            parent, Dialogs::Icon::Error, context.tr(translation::kAttenzione),
            context.tr(translation::kNotRootDir) + "\n\n" + folders.failures.join('\n'));
    }
}

QString withTrailingSeparator(const QString& text) {
    return text.endsWith('/') || text.endsWith(QDir::separator()) ? text : text + '/';
}

} // namespace busmason::app
