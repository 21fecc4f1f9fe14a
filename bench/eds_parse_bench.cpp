#include "core/eds/eds_parser.h"
#include "core/util/file_io.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct CorpusFile {
    std::string name;
    std::string bytes;
};

/// Every EDS/DCF file of the shared corpus, read into memory once.
const std::vector<CorpusFile>& corpus() {
    static const std::vector<CorpusFile> files = [] {
        std::vector<CorpusFile> out;
        const auto dir = std::filesystem::path(BUSMASON_SHARED_DIR) / "eds-corpus";
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
            const auto ext = e.path().extension().string();
            if (ext == ".eds" || ext == ".dcf") {
                out.push_back({e.path().filename().string(), busmason::util::readFile(e.path())});
            }
        }
        std::sort(out.begin(), out.end(), [](auto& a, auto& b) { return a.name < b.name; });
        return out;
    }();
    return files;
}

/// Parses every corpus file once per iteration: files/s and bytes/s over the whole corpus.
void BM_ParseCorpus(benchmark::State& state) {
    const auto& files = corpus();
    if (files.empty()) {
        state.SkipWithError("the EDS corpus (../shared/eds-corpus) is absent");
        return;
    }
    std::size_t bytes = 0;
    for (const auto& f : files) {
        bytes += f.bytes.size();
    }
    for (auto _ : state) {
        for (const auto& f : files) {
            auto r = busmason::eds::parseEds(f.bytes, f.name, f.name, 1);
            benchmark::DoNotOptimize(r.node);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * files.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["files/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * files.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ParseCorpus)->Unit(benchmark::kMillisecond);

/// The largest corpus file alone.
void BM_ParseLargest(benchmark::State& state) {
    const auto& files = corpus();
    if (files.empty()) {
        state.SkipWithError("the EDS corpus (../shared/eds-corpus) is absent");
        return;
    }
    const auto& largest = *std::max_element(files.begin(), files.end(), [](auto& a, auto& b) {
        return a.bytes.size() < b.bytes.size();
    });
    state.SetLabel(largest.name);
    for (auto _ : state) {
        auto r = busmason::eds::parseEds(largest.bytes, largest.name, largest.name, 1);
        benchmark::DoNotOptimize(r.node);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * largest.bytes.size()));
}
BENCHMARK(BM_ParseLargest)->Unit(benchmark::kMicrosecond);

} // namespace
