#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::eds {

/// The library: every "*.eds" file of the folder (the extension matched ignoring case), by name
/// without folder, in the order the file system lists them.
std::vector<std::string> listLibrary(const std::filesystem::path& edsFolder);

/// The name of the library file whose name equals name ignoring letter case, or none.
std::optional<std::string> findLibraryFile(const std::filesystem::path& edsFolder,
                                           std::string_view name);

} // namespace busmason::eds
