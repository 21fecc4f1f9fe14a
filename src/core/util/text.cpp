#include "core/util/text.h"

#include <cstdint>

namespace busmason::util {

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (toLowerAscii(a[i]) != toLowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool istartsWith(std::string_view a, std::string_view prefix) {
    return a.size() >= prefix.size() && iequals(a.substr(0, prefix.size()), prefix);
}

bool iendsWith(std::string_view a, std::string_view suffix) {
    return a.size() >= suffix.size() && iequals(a.substr(a.size() - suffix.size()), suffix);
}

std::size_t ifind(std::string_view hay, std::string_view needle) {
    if (needle.size() > hay.size()) {
        return std::string_view::npos;
    }
    for (std::size_t i = 0; i + needle.size() <= hay.size(); ++i) {
        if (iequals(hay.substr(i, needle.size()), needle)) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::string toUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = toUpperAscii(c);
    }
    return out;
}

std::string toLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = toLowerAscii(c);
    }
    return out;
}

std::string_view trim(std::string_view s) {
    constexpr std::string_view blanks = " \t\r\n\v\f";
    const std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

bool isHexText(std::string_view s) {
    if (s.empty()) {
        return false;
    }
    for (char c : s) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex) {
            return false;
        }
    }
    return true;
}

std::string hexUpper(unsigned long long n, int width) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), digits[n & 0xF]);
        n >>= 4;
    } while (n != 0);
    while (static_cast<int>(out.size()) < width) {
        out.insert(out.begin(), '0');
    }
    return out;
}

bool isValidUtf8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    while (p < end) {
        // Fast path over plain ASCII, eight bytes at a time.
        while (end - p >= 8) {
            std::uint64_t word;
            __builtin_memcpy(&word, p, 8);
            if (word & 0x8080808080808080ULL) {
                break;
            }
            p += 8;
        }
        if (p >= end) {
            break;
        }
        const unsigned char c = *p;
        int extra;
        std::uint32_t cp;
        if (c < 0x80) {
            ++p;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra) {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            if ((p[k] & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (p[k] & 0x3F);
        }
        // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
        static constexpr std::uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            return false;
        }
        p += extra + 1;
    }
    return true;
}

std::string latin1ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string toUtf8(std::string_view s) {
    return isValidUtf8(s) ? std::string(s) : latin1ToUtf8(s);
}

std::string_view cutUtf8(std::string_view s, std::size_t maxBytes) {
    if (s.size() <= maxBytes) {
        return s;
    }
    std::size_t n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) {
        --n;
    }
    return s.substr(0, n);
}

} // namespace busmason::util
