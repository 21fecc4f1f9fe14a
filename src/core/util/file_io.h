#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::util {

/// The whole file as bytes; throws model::FileError naming the file when it cannot be read.
std::string readFile(const std::filesystem::path& path);

/// Replaces path with bytes only when they are complete: writes a temporary file in the same
/// folder, flushes it to disk and renames it over path. On any failure the old file is left as
/// it was, the temporary file is removed and model::FileError naming path is thrown.
void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes);

/// One file of a set that is replaced together.
struct FileContent {
    std::filesystem::path path;
    std::string_view bytes;
};

/// Replaces several files as one set: every file is first written completely to a temporary
/// file beside it, and only then are they renamed over their targets, in order. When a rename
/// fails, the files already replaced get their old contents back (or are removed when they did
/// not exist), so the set on disk is either all old or all new. Throws model::FileError naming
/// the file that failed.
void writeFilesAtomic(const std::vector<FileContent>& files);

/// Names (without folder) of the regular files in folder whose extension equals ext ignoring
/// case (ext with its dot: ".eds"), in the order the file system lists them. An absent folder
/// gives no names.
std::vector<std::string> listFilesWithExtension(const std::filesystem::path& folder,
                                                std::string_view ext);

/// A UTF-8 path for messages.
std::string displayPath(const std::filesystem::path& path);

} // namespace busmason::util
