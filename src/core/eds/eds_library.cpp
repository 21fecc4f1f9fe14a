#include "core/eds/eds_library.h"

#include "core/model/errors.h"
#include "core/util/file_io.h"
#include "core/util/text.h"

namespace busmason::eds {

namespace {

/// Removes folder/name; FileError when the file exists and stays.
DeleteOutcome removeFile(const std::filesystem::path& file) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(file, ec);
    if (ec || !(std::filesystem::is_regular_file(status) || std::filesystem::is_symlink(status))) {
        return DeleteOutcome::NoSuchFile;
    }
    if (!std::filesystem::remove(file, ec) || ec) {
        throw model::FileError(util::displayPath(file),
                               ec ? ec.message() : std::string("cannot be deleted"));
    }
    return DeleteOutcome::Deleted;
}

/// A bare file name: no folder part, not "." or "..".
bool isPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

} // namespace

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

std::string importEds(const std::filesystem::path& source, const std::filesystem::path& edsFolder) {
    const std::string name = source.filename().string();
    if (!isPlainName(name)) {
        throw model::FileError(util::displayPath(source), "not a file");
    }
    // Read whole first: importing a library file onto itself leaves it intact.
    const std::string bytes = util::readFile(source);
    util::writeFileAtomic(edsFolder / name, bytes);
    return name;
}

DeleteOutcome deleteLibraryEntry(const std::filesystem::path& edsFolder, std::string_view entry) {
    for (const std::string& file : listLibrary(edsFolder)) {
        if (file == entry) {
            return removeFile(edsFolder / file);
        }
    }
    return DeleteOutcome::NoSuchFile;
}

DeleteOutcome deleteLibraryFile(const std::filesystem::path& edsFolder, std::string_view fileName) {
    if (!isPlainName(fileName)) {
        throw model::FileError(std::string(fileName), "not a file of the EDS library");
    }
    return removeFile(edsFolder / std::string(fileName));
}

CheckerVerdict readVerdict(const std::filesystem::path& verdictFile) {
    CheckerVerdict verdict;
    std::string bytes;
    try {
        bytes = util::readFile(verdictFile);
    } catch (const model::FileError&) {
        return verdict;
    }
    verdict.outcome = CheckerVerdict::Outcome::Accepted;
    constexpr std::string_view kError = "error";
    std::string_view rest = bytes;
    for (int number = 1; !rest.empty(); ++number) {
        const std::size_t lf = rest.find('\n');
        std::string_view line = rest.substr(0, lf);
        rest = lf == std::string_view::npos ? std::string_view{} : rest.substr(lf + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const bool tooLong = line.size() > kVerdictLineLimit;
        // A final line without a line end is not examined (a checker ends every finding with
        // one), unless it is already longer than a verdict line can be.
        if (lf == std::string_view::npos && !tooLong) {
            break;
        }
        if (!tooLong && (line.empty() || kError.find(line) != std::string_view::npos)) {
            continue;
        }
        verdict.outcome = CheckerVerdict::Outcome::Findings;
        verdict.firstFinding = std::string(line);
        verdict.line = number;
        break;
    }
    return verdict;
}

} // namespace busmason::eds
