#include "bench_workspace.h"

#include "core/eds/eds_parser.h"
#include "core/persistence/project_io.h"
#include "core/util/file_io.h"

#include <cstdio>
#include <random>
#include <stdexcept>

namespace busmason::bench {

namespace {

namespace fs = std::filesystem;
using editor::NetworkSession;

constexpr const char* kEdsName = "large.eds";
/// Per node: start-up writes, and variables on each entry that carries them (the limits of the
/// model). The number of such entries is the benchmarks' second argument.
constexpr int kWrites = 100;
constexpr int kVariablesPerEntry = 32;

/// An EDS of 1,100 entries, used when the shared corpus is absent.
std::string generatedEds() {
    std::string out = "[FileInfo]\nFileName=large.eds\n[DeviceInfo]\nProductName=Large\n";
    for (int i = 0; i < 100; ++i) {
        char index[8];
        std::snprintf(index, sizeof index, "%04X", 0x2000 + i);
        out += std::string("[") + index + "]\nParameterName=Record\nObjectType=0x9\nSubNumber=10\n";
        for (int s = 0; s < 10; ++s) {
            out += std::string("[") + index + "sub" + std::to_string(s) +
                   "]\nParameterName=Value\nObjectType=0x7\nDataType=0x0007\nAccessType=rw\n"
                   "DefaultValue=0\nPDOMapping=1\n";
        }
    }
    return out;
}

/// Gives n kWrites start-up writes and kVariablesPerEntry variables on each of its last
/// entriesWithVariables sub-entries of a numeric type, in alternating PDO directions.
void configure(model::node& n, int entriesWithVariables) {
    int writes = 0;
    for (model::EntryId id = 0; id < n.objects.size() && writes < kWrites; ++id) {
        model::object_dict& e = n.objects[id];
        if (e.isSubEntry() && e.DataType >= 1 && e.DataType <= 8) {
            e.addValue("0x" + std::to_string(writes));
            n.addRecord("0x" + std::to_string(writes), id);
            ++writes;
        }
    }
    int entries = 0;
    for (auto it = n.objects.rbegin(); it != n.objects.rend() && entries < entriesWithVariables;
         ++it) {
        if (!it->isSubEntry() || it->DataType < 1 || it->DataType > 8) {
            continue;
        }
        for (int v = 0; v < kVariablesPerEntry; ++v) {
            it->setVarName(static_cast<std::size_t>(v),
                           "var_" + std::to_string(entries) + "_" + std::to_string(v));
            it->setShift(static_cast<std::size_t>(v), v);
        }
        it->varCount = kVariablesPerEntry;
        it->varType = 1;
        it->pdoKind = 1 + entries % 2;
        it->pdoMapped = true;
        it->pdoNumber = 1 + entries;
        it->object = 1;
        ++entries;
    }
}

} // namespace

Workspace::Workspace() {
    std::random_device rd;
    m_root = fs::temp_directory_path() / ("busmason-bench-" + std::to_string(rd()));
    fs::create_directories(m_root / "eds");
    const fs::path corpus =
        fs::path(BUSMASON_SHARED_DIR) / "eds-corpus" / "canopen-robotcontroller__CANopenSocket.eds";
    std::error_code ec;
    const std::string bytes = fs::exists(corpus, ec) ? util::readFile(corpus) : generatedEds();
    util::writeFileAtomic(m_root / "eds" / kEdsName, bytes);
}
Workspace::~Workspace() {
    std::error_code ec;
    fs::remove_all(m_root, ec);
}

NetworkSession Workspace::session(int nodes, int entries, const fs::path& folder) const {
    auto read = eds::createNodeFromLibrary(edsFolder(), kEdsName, 1);
    if (!read.node) {
        throw std::runtime_error("the benchmark EDS was not read");
    }
    configure(*read.node, entries);
    NetworkSession s(folder, "bench");
    for (int a = 1; a <= nodes; ++a) {
        s.insertNode(model::cloneNode(*read.node), a);
    }
    return s;
}

fs::path Workspace::project(int nodes, int entries) {
    const std::string name = std::to_string(nodes) + "x" + std::to_string(entries);
    auto it = m_projects.find(name);
    if (it == m_projects.end()) {
        const fs::path folder = m_root / name;
        fs::create_directories(folder);
        NetworkSession s = session(nodes, entries, folder);
        persistence::saveProject(s);
        it = m_projects.emplace(name, s.projectFile()).first;
    }
    return it->second;
}

Workspace& workspace() {
    static Workspace w;
    return w;
}

} // namespace busmason::bench
