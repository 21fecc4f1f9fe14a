#include "core/eds/eds_parser.h"
#include "core/model/data_types.h"
#include "core/output/build.h"
#include "core/util/file_io.h"
#include "core/util/text.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;
using busmason::model::Network;
using busmason::model::node;
using busmason::model::object_dict;

/// A device of 1,040 entries: identity objects and 40 records of 25 sub-entries.
std::string generatedEds() {
    std::string text = "[FileInfo]\r\nFileName=generated.eds\r\n[DeviceInfo]\r\nProductName=Gen\r\n"
                       "[1000]\r\nDataType=0x0007\r\nAccessType=ro\r\nDefaultValue=0x191\r\n"
                       "[1018]\r\nObjectType=0x9\r\nSubNumber=3\r\n";
    for (int s = 0; s < 3; ++s) {
        text += "[1018sub" + std::to_string(s) + "]\r\nDataType=0x0007\r\nAccessType=ro\r\n" +
                "DefaultValue=" + std::to_string(s + 1) + "\r\n";
    }
    for (int o = 0; o < 40; ++o) {
        const std::string index = busmason::util::hexUpper(0x2000 + o, 4);
        text += "[" + index + "]\r\nObjectType=0x8\r\nSubNumber=25\r\n";
        for (int s = 0; s < 25; ++s) {
            text += "[" + index + "sub" + busmason::util::hexUpper(s) +
                    "]\r\nDataType=0x0006\r\nAccessType=rw\r\nPDOMapping=1\r\nDefaultValue=0\r\n";
        }
    }
    return text;
}

/// The largest device of the shared corpus, or the generated one when the corpus is absent.
const std::string& deviceText() {
    static const std::string text = [] {
        const fs::path largest = fs::path(BUSMASON_SHARED_DIR) / "eds-corpus" /
                                 "canopen-robotcontroller__CANopenSocket.eds";
        std::error_code ec;
        return fs::exists(largest, ec) ? busmason::util::readFile(largest) : generatedEds();
    }();
    return text;
}

/// An entry whose data type has a byte length, so a start-up write to it can be built.
bool writable(const object_dict& e) {
    const auto* type = busmason::model::dataType(e.DataType);
    return type && !type->length.empty() && busmason::util::isHexText(e.index);
}

/// nodes nodes of the device, each with 100 start-up writes and 32 variables spread over its
/// entries: PDO and SDO variables, inputs and outputs, bits, bytes, words and double words.
Network network(int nodes) {
    Network net;
    for (int a = 1; a <= nodes; ++a) {
        auto read = busmason::eds::parseEds(deviceText(), "device.eds", "device.eds", a);
        if (!read.node) {
            throw std::runtime_error("the benchmark device cannot be read");
        }
        node& n = *read.node;
        n.deviceType = "0x191";
        n.vendorId = "76";
        std::vector<busmason::model::EntryId> targets;
        for (busmason::model::EntryId id = 0; id < n.objects.size(); ++id) {
            if (writable(n.objects[id]) && n.objects[id].isSubEntry()) {
                targets.push_back(id);
            }
        }
        if (targets.size() < 32) {
            throw std::runtime_error("the benchmark device has too few entries");
        }
        for (int w = 0; w < busmason::model::kMaxSdoRecords; ++w) {
            n.addRecord("0x" + busmason::util::hexUpper(static_cast<unsigned>(w)),
                        targets[static_cast<std::size_t>(w) * 7 % targets.size()]);
        }
        const int types[] = {0x01, 0x05, 0x06, 0x07};
        const std::size_t step = targets.size() / 32;
        for (int v = 0; v < busmason::model::kMaxVariables; ++v) {
            object_dict& e = n.entry(targets[static_cast<std::size_t>(v) * step]);
            e.varType = types[v % 4];
            e.pdoMapped = v % 3 != 0;
            e.pdoKind = e.pdoMapped ? 1 + v % 2 : 0;
            e.pdoNumber = 1 + v % 16;
            e.object = 1 + v % 8;
            e.setVarName(0, "node" + std::to_string(a) + "_variable" + std::to_string(v));
            e.setShift(0, v % 8);
            e.varCount = 1;
        }
        net.put(a, std::move(read.node));
    }
    return net;
}

/// A fresh folder under the temporary folder, removed afterwards.
struct ScratchFolder {
    fs::path path;
    ScratchFolder() {
        std::random_device rd;
        path = fs::temp_directory_path() / ("busmason-bench-" + std::to_string(rd()));
        fs::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

/// The whole build: every file generated, checked and written into a project folder.
void BM_Build(benchmark::State& state) {
    const Network net = network(static_cast<int>(state.range(0)));
    ScratchFolder folder;
    for (auto _ : state) {
        const auto report = busmason::output::build(net, folder.path, "bench");
        if (!report.succeeded()) {
            state.SkipWithError(report.errors.front().message.c_str());
            return;
        }
        benchmark::DoNotOptimize(report.written.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Build)->Arg(16)->Arg(127)->Unit(benchmark::kMillisecond);

/// The files built in memory only, without writing them.
void BM_GenerateInMemory(benchmark::State& state) {
    const Network net = network(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto files = busmason::output::generateControllerFiles(net, "bench");
        bytes = 0;
        for (const auto& f : files) {
            bytes += f.bytes.size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["output bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_GenerateInMemory)->Arg(16)->Arg(127)->Unit(benchmark::kMillisecond);

} // namespace
