#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace busmason::test {

/// A fresh folder under the system's temporary folder, removed with everything in it when the
/// object goes out of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

/// Writes bytes to path exactly (binary), creating parent folders.
void writeBytes(const std::filesystem::path& path, std::string_view bytes);
/// The whole file as bytes.
std::string readBytes(const std::filesystem::path& path);

/// The project's own fixtures (tests/data).
std::filesystem::path testData(std::string_view relative = {});
/// The source tree (scripts, data).
std::filesystem::path sourceDir(std::string_view relative = {});
/// The bundled installation (data/install).
std::filesystem::path installData(std::string_view relative = {});
/// The shared EDS corpus, or an empty path when ../shared is absent.
std::filesystem::path edsCorpus();

/// "" when a == b; otherwise where the two byte strings first differ, with a few bytes of each
/// in hexadecimal, for golden-file comparisons.
std::string firstDifference(std::string_view expected, std::string_view actual);

} // namespace busmason::test
