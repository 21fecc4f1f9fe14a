#include "app/shell/dialogs.h"
#include "app/shell/settings_store.h"
#include "app/shell/start_window.h"
#include "app/shell/startup.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <optional>
#include <random>
#include <string>

namespace {

using namespace busmason;

/// Dialogs that count what would have been shown: a start-up that asks anything is a failure.
class CountingDialogs : public app::Dialogs {
public:
    Answer message(QWidget*, Icon, const QString&, const QString&, Buttons) override {
        ++shown;
        return Answer::Ok;
    }
    QString openFile(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    int exec(QDialog&) override { return 0; }
    int shown = 0;
};

/// Notices the first paint of the widget it watches.
class FirstPaint : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

std::filesystem::path freshFolder() {
    std::random_device rd;
    auto folder = std::filesystem::temp_directory_path() /
                  ("busmason-bench-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(folder / "home");
    return folder;
}

QString text(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// The program from its start-up sequence (language, translation table, every window, the folder
// settings) to the first paint of the shown start window, offscreen. Argument 1: the first start
// on a clean machine (no settings: the workspace is made and the sample library copied); 0: a
// later start on the settings the first one wrote.
void BM_StartupToShownStartWindow(benchmark::State& state) {
    const bool firstStart = state.range(0) == 1;
    const std::filesystem::path folder = freshFolder();
    app::FolderSources sources;
    sources.installFolder = BUSMASON_INSTALL_DATA;
    sources.programFolder = QCoreApplication::applicationDirPath();
    sources.homeFolder = text(folder / "home");
    sources.userDataFolder = text(folder / "data");
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::filesystem::path settingsFile =
            firstStart ? folder / ("settings-" + std::to_string(run) + ".ini")
                       : folder / "settings.ini";
        if (firstStart) {
            std::filesystem::remove_all(folder / "home" / "Busmason");
            std::filesystem::remove_all(folder / "data");
        }
        ++run;
        app::SettingsStore settings(text(settingsFile));
        CountingDialogs dialogs;
        std::optional<app::Program> program;
        FirstPaint paint;
        state.ResumeTiming();

        program.emplace(settings, dialogs, sources);
        app::StartWindow& window = program->startWindow();
        window.installEventFilter(&paint);
        window.show();
        const QDeadlineTimer deadline(5000);
        while (!paint.painted && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }

        state.PauseTiming();
        if (!paint.painted || dialogs.shown != 0) {
            state.SkipWithError(!paint.painted ? "the start window was never painted"
                                               : "the start-up showed a message");
        }
        window.removeEventFilter(&paint);
        program.reset();
        state.ResumeTiming();
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_StartupToShownStartWindow)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
