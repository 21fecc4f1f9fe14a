#pragma once

#include "core/editor/network_session.h"
#include "core/eds/eds_parser.h"
#include "core/persistence/project_io.h"
#include "core/util/file_io.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <stdexcept>
#include <string>

/// The benchmarks' project of up to 127 nodes, shared by the benchmark programs.
namespace busmason::bench {

namespace fs = std::filesystem;
using busmason::editor::NetworkSession;

inline constexpr const char* kEdsName = "large.eds";
/// Per node: start-up writes, and variables on each entry that carries them (the limits of the
/// model). The number of such entries is the benchmarks' second argument.
inline constexpr int kWrites = 100;
inline constexpr int kVariablesPerEntry = 32;

/// An EDS of 1,100 entries, used when the shared corpus is absent.
inline std::string generatedEds() {
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

/// A folder holding eds/large.eds (the largest corpus file, or a generated one) and the saved
/// projects of 16 and 127 nodes; removed at exit.
class Workspace {
public:
    Workspace() {
        std::random_device rd;
        m_root = fs::temp_directory_path() / ("busmason-bench-" + std::to_string(rd()));
        fs::create_directories(m_root / "eds");
        const fs::path corpus = fs::path(BUSMASON_SHARED_DIR) / "eds-corpus" /
                                "canopen-robotcontroller__CANopenSocket.eds";
        std::error_code ec;
        const std::string bytes =
            fs::exists(corpus, ec) ? busmason::util::readFile(corpus) : generatedEds();
        busmason::util::writeFileAtomic(m_root / "eds" / kEdsName, bytes);
    }
    ~Workspace() {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

    fs::path edsFolder() const { return m_root / "eds"; }

    /// A session of nodes copies of the large EDS, each with 100 start-up writes and 32
    /// variables on each of entries entries.
    NetworkSession session(int nodes, int entries, const fs::path& folder) const {
        auto read = busmason::eds::createNodeFromLibrary(edsFolder(), kEdsName, 1);
        if (!read.node) {
            throw std::runtime_error("the benchmark EDS was not read");
        }
        configure(*read.node, entries);
        NetworkSession s(folder, "bench");
        for (int a = 1; a <= nodes; ++a) {
            s.insertNode(busmason::model::cloneNode(*read.node), a);
        }
        return s;
    }

    /// The project of session(nodes, entries), saved once.
    fs::path project(int nodes, int entries) {
        const std::string name = std::to_string(nodes) + "x" + std::to_string(entries);
        auto it = m_projects.find(name);
        if (it == m_projects.end()) {
            const fs::path folder = m_root / name;
            fs::create_directories(folder);
            NetworkSession s = session(nodes, entries, folder);
            busmason::persistence::saveProject(s);
            it = m_projects.emplace(name, s.projectFile()).first;
        }
        return it->second;
    }

    const fs::path& root() const { return m_root; }

private:
    static void configure(busmason::model::node& n, int entriesWithVariables) {
        int writes = 0;
        for (busmason::model::EntryId id = 0; id < n.objects.size() && writes < kWrites; ++id) {
            busmason::model::object_dict& e = n.objects[id];
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

    fs::path m_root;
    std::map<std::string, fs::path> m_projects;
};

inline Workspace& workspace() {
    static Workspace w;
    return w;
}

} // namespace busmason::bench
