#include "bench_workspace.h"

#include "core/persistence/project_file.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using busmason::bench::workspace;
using busmason::editor::NetworkSession;

/// Loading the saved project: parsing the XML, creating every node from its EDS, restoring the
/// writes and variables.
void BM_LoadProject(benchmark::State& state) {
    const fs::path file =
        workspace().project(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        auto r = busmason::persistence::loadProject(file, workspace().edsFolder());
        if (!r.session) {
            state.SkipWithError("the project did not load");
            return;
        }
        benchmark::DoNotOptimize(r.session);
    }
    state.counters["bytes"] = static_cast<double>(fs::file_size(file));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadProject)
    ->ArgNames({"nodes", "varEntries"})
    ->Args({16, 16})
    ->Args({127, 16})
    ->Args({127, 1})
    ->Unit(benchmark::kMillisecond);

/// Saving both files, each written to disk in full before it replaces the old one.
void BM_SaveProject(benchmark::State& state) {
    const fs::path folder = workspace().root() / ("save" + std::to_string(state.range(0)) + "x" +
                                                  std::to_string(state.range(1)));
    fs::create_directories(folder);
    NetworkSession s = workspace().session(static_cast<int>(state.range(0)),
                                           static_cast<int>(state.range(1)), folder);
    for (auto _ : state) {
        busmason::persistence::saveProject(s);
    }
    state.counters["bytes"] = static_cast<double>(fs::file_size(s.projectFile()));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SaveProject)
    ->ArgNames({"nodes", "varEntries"})
    ->Args({16, 16})
    ->Args({127, 16})
    ->Args({127, 1})
    ->Unit(benchmark::kMillisecond);

/// The project file's bytes alone, without the file system.
void BM_WriteProjectBytes(benchmark::State& state) {
    NetworkSession s = workspace().session(static_cast<int>(state.range(0)),
                                           static_cast<int>(state.range(1)), workspace().root());
    for (auto _ : state) {
        benchmark::DoNotOptimize(busmason::persistence::writeProjectFile(s.network()));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteProjectBytes)
    ->ArgNames({"nodes", "varEntries"})
    ->Args({16, 16})
    ->Args({127, 16})
    ->Args({127, 1})
    ->Unit(benchmark::kMillisecond);

} // namespace
