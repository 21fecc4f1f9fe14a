#include "bench_workspace.h"

#include "core/check/network_check.h"
#include "core/diff/project_diff.h"
#include "core/output/build.h"
#include "core/output/decode.h"
#include "core/output/io_map.h"
#include "core/output/network_file.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

using busmason::editor::NetworkSession;
using busmason::bench::workspace;

NetworkSession benchSession(benchmark::State& state, const char* name) {
    const auto folder = workspace().root() / name;
    std::filesystem::create_directories(folder);
    return workspace().session(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                               folder);
}

/// The whole network check of the benchmark project (every node with 100 start-up writes and
/// 32 variables on each of its variable entries).
void BM_CheckNetwork(benchmark::State& state) {
    const NetworkSession s = benchSession(state, "check");
    std::size_t findings = 0;
    for (auto _ : state) {
        const busmason::check::CheckResult result = busmason::check::checkNetwork(s.network());
        findings = result.findings.size();
        benchmark::DoNotOptimize(result);
    }
    state.counters["findings"] = static_cast<double>(findings);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CheckNetwork)
    ->ArgNames({"nodes", "varEntries"})
    ->Args({16, 16})
    ->Args({127, 16})
    ->Unit(benchmark::kMillisecond);

/// Decoding the network file and the I/O map file the build makes of the project.
void BM_DecodeControllerFiles(benchmark::State& state) {
    const NetworkSession s = benchSession(state, "decode");
    std::string network;
    std::string ioMap;
    for (const auto& f : busmason::output::generateControllerFiles(s.network(), "bench")) {
        if (f.name == busmason::output::networkFileName(s.network().parameters.channel)) {
            network = f.bytes;
        } else if (f.name == busmason::output::ioMapFileName(s.network().parameters.channel)) {
            ioMap = f.bytes;
        }
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(busmason::output::decodeNetworkFile(network));
        benchmark::DoNotOptimize(busmason::output::decodeIoMap(ioMap));
    }
    state.counters["bytes"] = static_cast<double>(network.size() + ioMap.size());
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(network.size() + ioMap.size()));
}
BENCHMARK(BM_DecodeControllerFiles)
    ->ArgNames({"nodes", "varEntries"})
    ->Args({16, 16})
    ->Args({127, 16})
    ->Unit(benchmark::kMillisecond);

/// Comparing the project with a copy in which every node's first and last start-up writes
/// changed places and the last node moved to a free address (with 127 nodes none is free: the
/// cycle time changed instead).
void BM_DiffProjects(benchmark::State& state) {
    const NetworkSession a = benchSession(state, "diffa");
    NetworkSession b = benchSession(state, "diffb");
    b.network().forEachNode(
        [](busmason::model::node& n) { std::swap(n.sdoRecords.front(), n.sdoRecords.back()); });
    const int last = static_cast<int>(state.range(0));
    if (last < busmason::model::kMaxNodes) {
        b.moveNode(last, busmason::model::kMaxNodes);
    } else {
        // No address is free: a changed parameter instead.
        b.network().parameters.cycleTime = "20";
    }
    std::size_t changes = 0;
    for (auto _ : state) {
        const auto found = busmason::diff::diffNetworks(a.network(), b.network());
        changes = found.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["changes"] = static_cast<double>(changes);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DiffProjects)
    ->ArgNames({"nodes", "varEntries"})
    ->Args({16, 16})
    ->Args({127, 16})
    ->Unit(benchmark::kMillisecond);

} // namespace
