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

/// Copies source into the library under its own name (the last component of its path),
/// replacing a file of that name only once the copy is complete. Returns that name. A copy that
/// fails throws model::FileError naming the file that could not be read or written.
std::string importEds(const std::filesystem::path& source, const std::filesystem::path& edsFolder);

enum class DeleteOutcome {
    Deleted,    ///< the file was removed from the library folder
    NoSuchFile, ///< no file of that name: nothing was removed
};

/// The editor's delete: removes the library file whose name equals entry exactly, letter case
/// included. A file that exists but cannot be removed throws model::FileError naming it.
DeleteOutcome deleteLibraryEntry(const std::filesystem::path& edsFolder, std::string_view entry);

/// The options window's delete: removes the file fileName (a name without folder, any
/// extension) from the library folder. A name with a folder part throws model::FileError, as
/// does a file that cannot be removed.
DeleteOutcome deleteLibraryFile(const std::filesystem::path& edsFolder, std::string_view fileName);

/// The name of the checker's verdict file, written into the folder the checker runs in.
inline constexpr std::string_view kVerdictFileName = "eds.err";

/// What the checker's verdict file says about a file.
struct CheckerVerdict {
    enum class Outcome {
        Accepted, ///< no finding: the file may be imported
        Findings, ///< at least one finding: the user decides
        Missing,  ///< no verdict file could be read: the import is abandoned
    };
    Outcome outcome = Outcome::Missing;
    /// The first finding and its line number (starting from 1), when there is one.
    std::string firstFinding;
    int line = 0;
};

/// Reads a verdict file. Lines end at LF (a CR before it is dropped). An empty line, or one
/// that is a part of the word "error" ("error", "err", "rror"), is not a finding; a final line
/// without a line end is not examined unless it is longer than kVerdictLineLimit; any line
/// longer than kVerdictLineLimit characters is a finding.
CheckerVerdict readVerdict(const std::filesystem::path& verdictFile);

/// Characters of a verdict line that the program reads at once.
inline constexpr std::size_t kVerdictLineLimit = 253;

} // namespace busmason::eds
