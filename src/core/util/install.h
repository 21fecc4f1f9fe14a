#pragma once

#include <filesystem>

namespace busmason::util {

/// The installation data folder (translation table, sample EDS library, terminal descriptions,
/// documents, the checker): BUSMASON_INSTALL when set; else, next to the running program,
/// "../share/busmason" (an installed copy) or "install" (a build tree), the first that holds an
/// "eds" folder; else fallback.
std::filesystem::path installFolder(const std::filesystem::path& fallback);

} // namespace busmason::util
