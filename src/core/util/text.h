#pragma once

#include <string>
#include <string_view>

namespace busmason::util {

/// ASCII letter case folding; other bytes are left alone.
constexpr char toLowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char toUpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

/// Equal ignoring ASCII letter case.
bool iequals(std::string_view a, std::string_view b);
/// a begins with prefix, ignoring ASCII letter case.
bool istartsWith(std::string_view a, std::string_view prefix);
/// a ends with suffix, ignoring ASCII letter case.
bool iendsWith(std::string_view a, std::string_view suffix);
/// Position of needle in hay ignoring ASCII case, or npos.
std::size_t ifind(std::string_view hay, std::string_view needle);

std::string toUpper(std::string_view s);
std::string toLower(std::string_view s);

/// Blanks (space, tab, CR, LF, vertical tab, form feed) removed from both ends.
std::string_view trim(std::string_view s);

/// True when every character is a hexadecimal digit (and there is at least one).
bool isHexText(std::string_view s);

/// n as upper-case hexadecimal with at least width digits ("0223" for 0x223, width 4).
std::string hexUpper(unsigned long long n, int width = 1);

/// True when the bytes are valid UTF-8.
bool isValidUtf8(std::string_view s);
/// Bytes read as Latin-1, converted to UTF-8.
std::string latin1ToUtf8(std::string_view s);
/// Valid UTF-8 is returned as it is; anything else is read as Latin-1 and converted.
std::string toUtf8(std::string_view s);

/// s cut to at most maxBytes bytes without splitting a UTF-8 character.
std::string_view cutUtf8(std::string_view s, std::size_t maxBytes);

} // namespace busmason::util
