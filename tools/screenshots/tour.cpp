#include "tour.h"

#include "app/shell/dialogs.h"
#include "app/shell/settings_store.h"
#include "app/shell/startup_settings.h"

#include "core/translation/translation_table.h"
#include "core/util/install.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPixmap>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

namespace busmason::tools {

namespace {

struct Registered {
    std::string name;
    TourStep step;
};

std::multimap<int, Registered>& steps() {
    static std::multimap<int, Registered> all;
    return all;
}

bool g_failed = false;

} // namespace

TourStepRegistrar::TourStepRegistrar(int rank, const char* name, TourStep step) {
    steps().emplace(rank, Registered{name, std::move(step)});
}

void Tour::settle(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

void Tour::save(QWidget& widget, const QString& fileName) {
    widget.show();
    widget.raise();
    widget.activateWindow();
    settle(150);
    const QString path = QString::fromStdString((outDir / fileName.toStdString()).string());
    if (!widget.grab().save(path, "PNG")) {
        std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(path));
        g_failed = true;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

} // namespace busmason::tools

// Usage: busmason-screenshots OUTDIR WORKSPACE [FTP-PORT]
// Runs every registered step on the program's own windows, with the settings of BUSMASON_SETTINGS
// (the script points it at a temporary file).
int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: busmason-screenshots OUTDIR WORKSPACE [FTP-PORT]\n");
        return 2;
    }
    using namespace busmason;
    app::SettingsStore settings;
    app::QtDialogs dialogs;
    const std::filesystem::path install = util::installFolder(BUSMASON_DEFAULT_INSTALL);
    const int language = app::loadLanguageSetting(settings);
    translation::TranslationLoad load =
        translation::loadTranslationTable(install / translation::kTableFileName, language);
    app::AppContext context(std::move(load.table), language, settings, dialogs, install);
    context.state().templateFolder = app::toText(install);
    context.state().workspaceFolder = QString::fromLocal8Bit(argv[2]);
    // The folders the pictures show, as the folder rule then takes them from the settings.
    if (!settings.read(app::setting::kTemplate)) {
        settings.write(app::setting::kTemplate, context.state().templateFolder);
    }
    if (!settings.read(app::setting::kProjectFolder)) {
        settings.write(app::setting::kProjectFolder,
                       app::withTrailingSeparator(context.state().workspaceFolder));
    }
    tools::Tour tour{context, std::filesystem::path(argv[2]), std::filesystem::path(argv[1]),
                     argc > 3 ? std::atoi(argv[3]) : 0};
    for (auto& [rank, registered] : tools::steps()) {
        std::printf("step %d: %s\n", rank, registered.name.c_str());
        registered.step(tour);
    }
    return tools::g_failed ? 1 : 0;
}
