#pragma once

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
    explicit EdsLineReader(std::string_view text) : m_text(text) {}

    /// The next line; false at the end of the text.
    bool next(EdsLine& line);

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_number = 0;
};

/// The value of a key line without its inline comment, without surrounding blanks.
std::string_view stripInlineComment(std::string_view value);

} // namespace busmason::eds
