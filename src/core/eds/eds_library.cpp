#include "core/eds/eds_library.h"

#include "core/util/file_io.h"
#include "core/util/text.h"

namespace busmason::eds {

std::vector<std::string> listLibrary(const std::filesystem::path& edsFolder) {
    return util::listFilesWithExtension(edsFolder, ".eds");
}

std::optional<std::string> findLibraryFile(const std::filesystem::path& edsFolder,
                                           std::string_view name) {
    // An exact name is taken first, so that of "a.eds" and "A.eds" the named one is used.
    std::optional<std::string> caseless;
    for (std::string& file : listLibrary(edsFolder)) {
        if (file == name) {
            return file;
        }
        if (!caseless && util::iequals(file, name)) {
            caseless = std::move(file);
        }
    }
    return caseless;
}

} // namespace busmason::eds
