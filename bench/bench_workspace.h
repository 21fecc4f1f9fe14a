#pragma once

#include "core/editor/network_session.h"

#include <filesystem>
#include <map>
#include <string>

namespace busmason::bench {

/// A folder holding eds/large.eds (the largest corpus file, or a generated one of 1,100 entries)
/// and the saved benchmark projects; removed at exit.
class Workspace {
public:
    Workspace();
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    std::filesystem::path edsFolder() const { return m_root / "eds"; }
    const std::filesystem::path& root() const { return m_root; }

    /// A session of nodes copies of the large EDS, each with 100 start-up writes and 32
    /// variables on each of entries entries (the limits of the model).
    editor::NetworkSession session(int nodes, int entries,
                                   const std::filesystem::path& folder) const;

    /// The project file of session(nodes, entries), saved once into its own folder.
    std::filesystem::path project(int nodes, int entries);

private:
    std::filesystem::path m_root;
    std::map<std::string, std::filesystem::path> m_projects;
};

/// The one workspace of a benchmark run.
Workspace& workspace();

} // namespace busmason::bench
