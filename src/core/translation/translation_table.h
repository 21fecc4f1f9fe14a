#pragma once

#include "core/model/errors.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace busmason::translation {

/// Name of the table file of an installation.
inline constexpr std::string_view kTableFileName = "traduzioni.txt";

/// Longest key and longest text an entry keeps, in characters; longer ones are cut.
inline constexpr std::size_t kMaxEntryLength = 254;

/// One line of the table: a key and the text of the language that was loaded.
struct TranslationEntry {
    std::string key;
    std::string text;
    /// The line number in the table file (starting from 1), 0 when not read from a file.
    int line = 0;
};

/// The texts of one language, looked up by key.
///
/// A key finds the first entry, in table order, whose key is a prefix of it, so a request with
/// extra characters after the closing bracket ("<ABILITAZIONE SYNC>>", "<PROJECT TITLE>" and a
/// TAB) still finds its entry. A key that no entry matches shows itself.
class TranslationTable {
public:
    /// The empty table: every key shows itself.
    TranslationTable() = default;
    /// A table of entries in table order. Entries with an empty key are dropped: such a key
    /// would be a prefix of every key and capture every lookup after it.
    explicit TranslationTable(std::vector<TranslationEntry> entries);

    /// The text for key, or key itself when no entry matches.
    std::string translate(std::string_view key) const;
    /// The text of the entry that answers key, or nullptr when no entry matches.
    const std::string* find(std::string_view key) const;
    /// Position in entries() of the entry that answers key, or -1.
    int findEntry(std::string_view key) const;

    /// Entries that an earlier entry hides (the earlier key is a prefix of theirs), by position;
    /// they are never found.
    std::vector<std::size_t> hiddenEntries() const;

    const std::vector<TranslationEntry>& entries() const { return m_entries; }
    bool empty() const { return m_entries.empty(); }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept {
            return std::hash<std::string_view>{}(s);
        }
    };

    void buildIndex();

    std::vector<TranslationEntry> m_entries;
    /// Every distinct key with the position of the entry that answers a request for exactly that
    /// key: the first entry in table order whose key is a prefix of it.
    std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> m_answer;
    /// The distinct key lengths in bytes, longest first.
    std::vector<std::size_t> m_lengths;
};

/// What loading a table file gives: the table (empty when nothing could be read) and the
/// findings the program may show. Loading never fails.
struct TranslationLoad {
    TranslationTable table;
    std::vector<model::Diagnostic> diagnostics;
};

/// Reads table text for the language column languageIndex (0 English, 1 Italian, 2 Spanish;
/// a line with fewer columns gives its last one; negative counts as 0).
///
/// Line 1 holds the entry count N; every further line is key TAB column 0 TAB column 1 ...
/// Lines end at LF, a CR before it is dropped; blank lines are skipped; reading stops after N
/// entries. The text is UTF-8; text that is not valid UTF-8 is read as Latin-1.
TranslationLoad parseTranslationTable(std::string_view bytes, int languageIndex,
                                      const std::string& fileName);

/// Reads the table file at path. A missing or unreadable file gives the empty table and an
/// error diagnostic naming the file.
TranslationLoad loadTranslationTable(const std::filesystem::path& path, int languageIndex);

} // namespace busmason::translation
