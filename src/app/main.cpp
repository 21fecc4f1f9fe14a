#include "app/shell/app_context.h"
#include "app/shell/dialogs.h"
#include "app/shell/settings_store.h"

#include "core/translation/translation_table.h"
#include "core/util/install.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    using namespace busmason;
    app::SettingsStore settings;
    app::QtDialogs dialogs;
    const std::filesystem::path install = util::installFolder(BUSMASON_DEFAULT_INSTALL);
    translation::TranslationLoad load =
        translation::loadTranslationTable(install / translation::kTableFileName, 1);
    app::AppContext context(std::move(load.table), 1, settings, dialogs, install);
    QMainWindow window;
    window.setWindowTitle("KOVA Busmason rev 1.03");
    window.show();
    return application.exec();
}
