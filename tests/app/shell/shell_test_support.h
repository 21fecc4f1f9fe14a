#pragma once

#include "app/shell/app_context.h"
#include "app/shell/project_editor.h"
#include "app/shell/settings_store.h"
#include "app/shell/startup_settings.h"

#include "core/translation/translation_table.h"

#include "app/support/scripted_dialogs.h"
#include "support/test_support.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace busmason::test {

inline QString qtext(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

/// The program's services on a temporary settings file, the bundled translation table and
/// scripted dialogs, with folder sources inside the temporary folder (the installation is the
/// bundled one), so nothing of the user's is read or written.
struct ShellFixture {
    TempDir dir;
    app::SettingsStore settings{qtext(dir / "settings.ini")};
    ScriptedDialogs dialogs;
    std::unique_ptr<app::AppContext> context;

    app::FolderSources sources() const {
        app::FolderSources s;
        s.installFolder = installData();
        s.programFolder = qtext(dir.path());
        s.homeFolder = qtext(dir / "home");
        s.userDataFolder = qtext(dir / "data");
        std::filesystem::create_directories(dir / "home");
        return s;
    }

    /// The context in languageIndex, its texts read from the bundled table.
    app::AppContext& makeContext(int languageIndex = 0) {
        translation::TranslationLoad load =
            translation::loadTranslationTable(installData("traduzioni.txt"), languageIndex);
        context = std::make_unique<app::AppContext>(std::move(load.table), languageIndex, settings,
                                                    dialogs, installData());
        return *context;
    }

    QString tr(std::string_view key) const { return context->tr(key); }
    QString stored(const char* name) const { return settings.read(name).value_or("<absent>"); }
};

/// The widget of type T named objectName inside parent; throws when there is none.
template <class T> T& child(const QObject& parent, const char* objectName) {
    T* found = parent.findChild<T*>(objectName);
    if (!found) {
        throw std::runtime_error(std::string("no widget ") + objectName);
    }
    return *found;
}

inline void click(const QObject& parent, const char* objectName) {
    QTest::mouseClick(&child<QAbstractButton>(parent, objectName), Qt::LeftButton);
}

/// A folder chooser use that types folder and presses OK.
inline std::function<int(QDialog&)> chooseFolder(const QString& folder) {
    return [folder](QDialog& chooser) {
        QLineEdit& edit = child<QLineEdit>(chooser, "Edit1");
        edit.clear();
        QTest::keyClicks(&edit, folder);
        click(chooser, "Button2");
        return chooser.result();
    };
}

/// The editor as the start window sees it: records the shared state it was opened on and is
/// left with File "<EXIT>" when exitWith is set.
class FakeEditor : public app::ProjectEditor {
public:
    explicit FakeEditor(app::AppContext& context) : m_context(context) {}
    bool openProject() override {
        opened.push_back(m_context.state());
        return exitWith;
    }
    std::vector<app::SharedState> opened;
    bool exitWith = false;

private:
    app::AppContext& m_context;
};

/// Every file below folder, as paths relative to it in generic form, sorted.
inline std::vector<std::string> filesBelow(const std::filesystem::path& folder) {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            out.push_back(std::filesystem::relative(entry.path(), folder).generic_string());
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace busmason::test
