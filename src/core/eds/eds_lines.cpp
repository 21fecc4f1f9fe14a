#include "core/eds/eds_lines.h"

#include "core/util/text.h"

#include <cstring>

namespace busmason::eds {

std::string_view edsText(std::string_view bytes, std::string& storage) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    if (util::isValidUtf8(bytes)) {
        return bytes;
    }
    storage = util::latin1ToUtf8(bytes);
    return storage;
}

int hexIndex(std::string_view s) {
    if (s.size() != 4) {
        return -1;
    }
    int v = 0;
    for (const char c : s) {
        int d;
        if (c >= '0' && c <= '9') {
            d = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            d = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            d = c - 'A' + 10;
        } else {
            return -1;
        }
        v = v * 16 + d;
    }
    return v;
}

namespace {

constexpr bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

/// The text without blanks at either end.
std::string_view trimBlanks(std::string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && isBlank(s[b])) {
        ++b;
    }
    while (e > b && isBlank(s[e - 1])) {
        --e;
    }
    return s.substr(b, e - b);
}

} // namespace

std::string_view stripInlineComment(std::string_view value) {
    value = trimBlanks(value);
    // A ";" after a blank starts a comment; a ";" inside a word ("a;b") is part of the value.
    for (std::size_t from = 0;;) {
        const void* hit = from < value.size()
                              ? std::memchr(value.data() + from, ';', value.size() - from)
                              : nullptr;
        if (!hit) {
            return value;
        }
        const auto i = static_cast<std::size_t>(static_cast<const char*>(hit) - value.data());
        if (i == 0 || value[i - 1] == ' ' || value[i - 1] == '\t') {
            return trimBlanks(value.substr(0, i));
        }
        from = i + 1;
    }
}

bool EdsLineReader::next(EdsLine& line) {
    if (m_pos >= m_text.size()) {
        return false;
    }
    // The line ends at LF, at CR LF or at a lone CR.
    const char* begin = m_text.data() + m_pos;
    const char* end = m_text.data() + m_text.size();
    // The next LF is looked for again only once it has been passed, so that a file whose
    // lines end at CR alone is not searched to its end for every line.
    if (m_nextLf == std::string_view::npos || m_nextLf < m_pos) {
        const void* lf = std::memchr(begin, '\n', m_text.size() - m_pos);
        m_nextLf = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - m_text.data())
                      : m_text.size();
    }
    const char* stop = m_text.data() + m_nextLf;
    if (const void* cr =
            m_hasCr ? std::memchr(begin, '\r', static_cast<std::size_t>(stop - begin)) : nullptr) {
        stop = static_cast<const char*>(cr);
    }
    const auto len = static_cast<std::size_t>(stop - begin);
    std::size_t skip = 0;
    if (stop < end) {
        skip = (*stop == '\r' && stop + 1 < end && stop[1] == '\n') ? 2 : 1;
    }
    m_pos += len + skip;
    ++m_number;

    line = EdsLine{};
    line.number = m_number;
    line.raw = std::string_view(begin, len);
    const std::string_view text = trimBlanks(line.raw);
    if (text.empty()) {
        line.kind = EdsLine::Kind::Blank;
    } else if (text.front() == ';') {
        line.kind = EdsLine::Kind::Comment;
    } else if (text.front() == '[') {
        line.kind = EdsLine::Kind::Header;
        const std::size_t close = text.find(']');
        line.closed = close != std::string_view::npos;
        line.section = trimBlanks(text.substr(1, line.closed ? close - 1 : std::string_view::npos));
    } else if (const std::size_t eq = text.find('='); eq != std::string_view::npos) {
        line.kind = EdsLine::Kind::KeyValue;
        line.key = trimBlanks(text.substr(0, eq));
        line.value = stripInlineComment(text.substr(eq + 1));
    } else {
        line.kind = EdsLine::Kind::Other;
    }
    return true;
}

} // namespace busmason::eds
