#include "core/eds/eds_lines.h"

#include "core/util/text.h"

#include <cstring>

namespace busmason::eds {

std::string_view stripInlineComment(std::string_view value) {
    value = util::trim(value);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == ';' && (i == 0 || value[i - 1] == ' ' || value[i - 1] == '\t')) {
            return util::trim(value.substr(0, i));
        }
    }
    return value;
}

bool EdsLineReader::next(EdsLine& line) {
    if (m_pos >= m_text.size()) {
        return false;
    }
    const char* begin = m_text.data() + m_pos;
    const std::size_t left = m_text.size() - m_pos;
    // Find the line end: LF, or a CR (alone or before an LF).
    std::size_t len = 0;
    std::size_t skip = 0;
    const void* lf = std::memchr(begin, '\n', left);
    const std::size_t lfPos =
        lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - begin) : left;
    const void* cr = std::memchr(begin, '\r', lfPos);
    if (cr) {
        len = static_cast<std::size_t>(static_cast<const char*>(cr) - begin);
        skip = (len + 1 < left && begin[len + 1] == '\n') ? 2 : 1;
    } else {
        len = lfPos;
        skip = lf ? 1 : 0;
    }
    m_pos += len + skip;
    ++m_number;

    line = EdsLine{};
    line.number = m_number;
    line.raw = std::string_view(begin, len);
    const std::string_view text = util::trim(line.raw);
    if (text.empty()) {
        line.kind = EdsLine::Kind::Blank;
    } else if (text.front() == ';') {
        line.kind = EdsLine::Kind::Comment;
    } else if (text.front() == '[') {
        line.kind = EdsLine::Kind::Header;
        const std::size_t close = text.find(']');
        line.closed = close != std::string_view::npos;
        line.section = util::trim(text.substr(1, line.closed ? close - 1 : std::string_view::npos));
    } else if (const std::size_t eq = text.find('='); eq != std::string_view::npos) {
        line.kind = EdsLine::Kind::KeyValue;
        line.key = util::trim(text.substr(0, eq));
        line.value = stripInlineComment(text.substr(eq + 1));
    } else {
        line.kind = EdsLine::Kind::Other;
    }
    return true;
}

} // namespace busmason::eds
