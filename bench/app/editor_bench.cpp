#include "bench_workspace.h"

#include "app/editor/network_editor_window.h"
#include "app/shell/app_context.h"
#include "app/shell/dialogs.h"
#include "app/shell/settings_store.h"

#include "core/translation/translation_table.h"

#include <QCoreApplication>
#include <QTabWidget>

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace busmason;

/// Message boxes that nobody answers: the benchmark must not wait for a person.
class SilentDialogs : public app::Dialogs {
public:
    Answer message(QWidget*, Icon, const QString&, const QString&, Buttons buttons) override {
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
    QString openFile(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    int exec(QDialog&) override { return 0; }
};

/// The program's services on a settings file of the benchmark workspace.
struct Editor {
    Editor()
        : settings(app::toText(bench::workspace().root() / "settings.ini")),
          context(translation::loadTranslationTable(
                      fs::path(BUSMASON_INSTALL_DATA) / translation::kTableFileName, 0)
                      .table,
                  0, settings, dialogs, fs::path(BUSMASON_INSTALL_DATA)),
          window(context) {
        context.state().edsFolder = app::toText(bench::workspace().edsFolder());
    }
    /// Opens the saved project of nodes nodes with entries variable entries each.
    bool open(int nodes, int entries) {
        const fs::path file = bench::workspace().project(nodes, entries);
        return window.openOn(app::toText(file.parent_path()),
                             QString::fromStdString(file.stem().string()), false);
    }

    app::SettingsStore settings;
    SilentDialogs dialogs;
    app::AppContext context;
    app::NetworkEditorWindow window;
};

/// Opening a saved project in the shown editor: the load, the network list, the node trees and
/// both grids, and the paint that follows.
void BM_EditorOpenProject(benchmark::State& state) {
    Editor editor;
    const int nodes = static_cast<int>(state.range(0));
    const int entries = static_cast<int>(state.range(1));
    if (!editor.open(nodes, entries)) {
        state.SkipWithError("the project did not open");
        return;
    }
    editor.window.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        if (!editor.open(nodes, entries)) {
            state.SkipWithError("the project did not open");
            return;
        }
        QCoreApplication::processEvents();
    }
    state.counters["variables"] = nodes * entries * 32;
}
BENCHMARK(BM_EditorOpenProject)
    ->ArgNames({"nodes", "varEntries"})
    ->Args({127, 16})
    ->Args({127, 1})
    ->Unit(benchmark::kMillisecond);

/// Rebuilding both overview grids with the variable page shown.
void BM_EditorRebuildGrids(benchmark::State& state) {
    Editor editor;
    if (!editor.open(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)))) {
        state.SkipWithError("the project did not open");
        return;
    }
    editor.window.findChild<QTabWidget*>("PageControl1")->setCurrentIndex(2);
    editor.window.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        editor.window.rebuildGrids();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_EditorRebuildGrids)
    ->ArgNames({"nodes", "varEntries"})
    ->Args({127, 16})
    ->Unit(benchmark::kMillisecond);

} // namespace
