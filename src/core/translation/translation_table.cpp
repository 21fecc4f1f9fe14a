#include "core/translation/translation_table.h"

#include "core/util/file_io.h"
#include "core/util/text.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace busmason::translation {

using model::Diagnostic;
using model::Severity;

TranslationTable::TranslationTable(std::vector<TranslationEntry> entries) {
    std::erase_if(entries, [](const TranslationEntry& e) { return e.key.empty(); });
    m_entries = std::move(entries);
    buildIndex();
}

void TranslationTable::buildIndex() {
    // First entry of each distinct key.
    std::unordered_map<std::string_view, std::uint32_t> first;
    first.reserve(m_entries.size());
    for (std::uint32_t i = 0; i < m_entries.size(); ++i) {
        first.try_emplace(m_entries[i].key, i);
        m_lengths.push_back(m_entries[i].key.size());
    }
    std::sort(m_lengths.begin(), m_lengths.end(), std::greater<>());
    m_lengths.erase(std::unique(m_lengths.begin(), m_lengths.end()), m_lengths.end());

    // The answer for a key is the earliest entry among those whose key is a prefix of it. Any
    // longer request is answered like its longest prefix that is a key, because the keys that
    // are prefixes of the request are exactly the keys that are prefixes of that one.
    m_answer.reserve(first.size());
    for (const auto& [key, position] : first) {
        std::uint32_t answer = position;
        for (const std::size_t length : m_lengths) {
            if (length >= key.size()) {
                continue;
            }
            if (auto it = first.find(key.substr(0, length)); it != first.end()) {
                answer = std::min(answer, it->second);
            }
        }
        m_answer.emplace(std::string(key), answer);
    }
}

int TranslationTable::findEntry(std::string_view key) const {
    for (const std::size_t length : m_lengths) {
        if (length > key.size()) {
            continue;
        }
        if (auto it = m_answer.find(key.substr(0, length)); it != m_answer.end()) {
            return static_cast<int>(it->second);
        }
    }
    return -1;
}

const std::string* TranslationTable::find(std::string_view key) const {
    const int position = findEntry(key);
    return position < 0 ? nullptr : &m_entries[static_cast<std::size_t>(position)].text;
}

std::string TranslationTable::translate(std::string_view key) const {
    const std::string* text = find(key);
    return text ? *text : std::string(key);
}

std::vector<std::size_t> TranslationTable::hiddenEntries() const {
    std::vector<std::size_t> hidden;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (findEntry(m_entries[i].key) != static_cast<int>(i)) {
            hidden.push_back(i);
        }
    }
    return hidden;
}

namespace {

/// s cut to at most n characters (UTF-8 code points).
std::string_view cutCharacters(std::string_view s, std::size_t n) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && count++ == n) {
            return s.substr(0, i);
        }
    }
    return s;
}

/// The text after the first TAB of s, or none when s has no TAB.
bool afterTab(std::string_view s, std::string_view& rest) {
    const std::size_t tab = s.find('\t');
    if (tab == std::string_view::npos) {
        return false;
    }
    rest = s.substr(tab + 1);
    return true;
}

class TableReader {
public:
    TableReader(std::string_view text, const std::string& fileName)
        : m_text(text), m_file(fileName) {}

    /// The next line without its line end; false at the end of the text. A final line break
    /// does not start another line.
    bool next(std::string_view& line) {
        if (m_pos >= m_text.size()) {
            return false;
        }
        const std::size_t lf = m_text.find('\n', m_pos);
        const std::size_t end = lf == std::string_view::npos ? m_text.size() : lf;
        line = m_text.substr(m_pos, end - m_pos);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        m_pos = lf == std::string_view::npos ? m_text.size() : lf + 1;
        ++m_number;
        return true;
    }

    int number() const { return m_number; }

    void warn(int line, std::string message) {
        m_diagnostics.push_back({Severity::Warning, m_file, line, {}, std::move(message)});
    }
    std::vector<Diagnostic> takeDiagnostics() { return std::move(m_diagnostics); }

private:
    std::string_view m_text;
    std::string m_file;
    std::size_t m_pos = 0;
    int m_number = 0;
    std::vector<Diagnostic> m_diagnostics;
};

/// The entry count of line 1: a decimal number, or none.
bool readCount(std::string_view line, std::size_t& count) {
    const std::string_view digits = util::trim(line);
    const char* end = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.data(), end, count);
    return !digits.empty() && ec == std::errc() && ptr == end;
}

} // namespace

TranslationLoad parseTranslationTable(std::string_view bytes, int languageIndex,
                                      const std::string& fileName) {
    std::string converted;
    if (!util::isValidUtf8(bytes)) {
        converted = util::latin1ToUtf8(bytes);
        bytes = converted;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    const int columnsToSkip = std::max(languageIndex, 0);

    TableReader reader(bytes, fileName);
    std::string_view line;
    std::vector<TranslationEntry> entries;
    std::size_t count = std::numeric_limits<std::size_t>::max();
    if (!reader.next(line)) {
        reader.warn(0, "the translation table is empty; every text shows its key");
    } else if (!readCount(line, count)) {
        reader.warn(1, "'" + std::string(line) +
                           "' is not an entry count; every line is read as an entry");
        count = std::numeric_limits<std::size_t>::max();
    }

    const auto store = [&](std::string_view value, std::string& field, const char* what) {
        const std::string_view cut = cutCharacters(value, kMaxEntryLength);
        if (cut.size() != value.size()) {
            reader.warn(reader.number(), std::string(what) + " cut to " +
                                             std::to_string(kMaxEntryLength) + " characters");
        }
        field.assign(cut);
    };

    while (entries.size() < count && reader.next(line)) {
        if (util::trim(line).empty()) {
            continue;
        }
        const std::string_view key = line.substr(0, line.find('\t'));
        if (key.empty()) {
            reader.warn(reader.number(), "line without a key ignored");
            continue;
        }
        std::string_view rest;
        if (!afterTab(line, rest)) {
            reader.warn(reader.number(), "'" + std::string(key) + "' has no text");
        }
        // A line with too few columns gives its last one.
        for (int i = 0; i < columnsToSkip; ++i) {
            if (!afterTab(rest, rest)) {
                break;
            }
        }
        TranslationEntry entry;
        entry.line = reader.number();
        store(key, entry.key, "key");
        store(rest.substr(0, rest.find('\t')), entry.text, "text");
        entries.push_back(std::move(entry));
    }

    if (count != std::numeric_limits<std::size_t>::max()) {
        if (entries.size() < count) {
            reader.warn(0, "the table announces " + std::to_string(count) + " entries but holds " +
                               std::to_string(entries.size()));
        }
        while (reader.next(line)) {
            if (!util::trim(line).empty()) {
                reader.warn(reader.number(), "lines after the " + std::to_string(count) +
                                                 " announced entries are ignored");
                break;
            }
        }
    }

    TranslationLoad result;
    result.table = TranslationTable(std::move(entries));
    const auto& stored = result.table.entries();
    for (const std::size_t i : result.table.hiddenEntries()) {
        const TranslationEntry& earlier =
            stored[static_cast<std::size_t>(result.table.findEntry(stored[i].key))];
        reader.warn(stored[i].line, "'" + stored[i].key + "' is never found: the entry '" +
                                        earlier.key + "' on line " + std::to_string(earlier.line) +
                                        " comes first");
    }
    if (stored.empty() && !bytes.empty()) {
        reader.warn(0, "the translation table holds no entry; every text shows its key");
    }
    result.diagnostics = reader.takeDiagnostics();
    return result;
}

TranslationLoad loadTranslationTable(const std::filesystem::path& path, int languageIndex) {
    std::string bytes;
    try {
        bytes = util::readFile(path);
    } catch (const model::FileError& e) {
        // The message names the file already; the diagnostic carries it separately.
        std::string_view reason = e.what();
        if (reason.starts_with(e.path() + ": ")) {
            reason.remove_prefix(e.path().size() + 2);
        }
        TranslationLoad result;
        result.diagnostics.push_back(
            {Severity::Error, e.path(), 0, {}, std::string(reason) + "; every text shows its key"});
        return result;
    }
    return parseTranslationTable(bytes, languageIndex, util::displayPath(path));
}

} // namespace busmason::translation
