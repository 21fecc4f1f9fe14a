#pragma once

#include <string>
#include <string_view>

namespace busmason::eds {

/// One line of an EDS file, split into its parts.
struct EdsLine {
    enum class Kind {
        Blank,    ///< empty or only blanks
        Comment,  ///< first non-blank character is ";"
        Header,   ///< "[" section name "]"
        KeyValue, ///< key "=" value
        Other,    ///< text without "=" outside a header
    };
    Kind kind = Kind::Blank;
    /// The line number (starting from 1).
    int number = 0;
    /// The line without its line end.
    std::string_view raw;
    /// Header: the text between "[" and the first "]" (to the end of the line when there is no
    /// "]"), without surrounding blanks.
    std::string_view section;
    /// Header: the line has its closing "]".
    bool closed = true;
    /// KeyValue: the text before the first "=", without surrounding blanks.
    std::string_view key;
    /// KeyValue: the text after that "=", without surrounding blanks and without an inline
    /// comment (a ";" after a blank, and everything after it).
    std::string_view value;
};

/// Splits EDS text into lines. Lines end at LF, CR LF or a lone CR; lines of any length are
/// read whole.
class EdsLineReader {
public:
    explicit EdsLineReader(std::string_view text)
        : m_text(text), m_hasCr(text.find('\r') != std::string_view::npos) {}

    /// The next line; false at the end of the text.
    bool next(EdsLine& line);

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_number = 0;
    /// Position of the next LF at or after m_pos, or the text's size when there is none; valid
    /// while it is not below m_pos (npos: not looked for yet).
    std::size_t m_nextLf = std::string_view::npos;
    /// The text holds a CR: lines may also end at CR (most files end them at LF only).
    bool m_hasCr;
};

/// Key comparison ignoring ASCII letter case, inline because every key line of a file meets it.
/// Where the characters differ they must be one letter in its two cases.
inline bool keyEquals(std::string_view key, std::string_view name) {
    if (key.size() != name.size()) {
        return false;
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        const char n = name[i];
        if (key[i] != n) {
            const bool letter = (n >= 'a' && n <= 'z') || (n >= 'A' && n <= 'Z');
            if (!letter || (key[i] ^ 0x20) != n) {
                return false;
            }
        }
    }
    return true;
}

/// The value of exactly four hexadecimal digits (an object index as a section name writes it),
/// or -1 when s is anything else.
int hexIndex(std::string_view s);

/// The text of an EDS file as UTF-8: a byte order mark dropped, bytes that are not UTF-8 read
/// as Latin-1 (converted into storage, which then holds the text).
std::string_view edsText(std::string_view bytes, std::string& storage);

/// The value of a key line without its inline comment, without surrounding blanks.
std::string_view stripInlineComment(std::string_view value);

} // namespace busmason::eds
