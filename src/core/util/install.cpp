#include "core/util/install.h"

#include <cstdlib>

namespace busmason::util {

std::filesystem::path installFolder(const std::filesystem::path& fallback) {
    if (const char* env = std::getenv("BUSMASON_INSTALL"); env && *env) {
        return env;
    }
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        for (const auto& candidate :
             {self.parent_path() / "../share/busmason", self.parent_path() / "install"}) {
            if (std::filesystem::is_directory(candidate / "eds", ec)) {
                return std::filesystem::weakly_canonical(candidate, ec);
            }
        }
    }
    return fallback;
}

} // namespace busmason::util
