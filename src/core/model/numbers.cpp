#include "core/model/numbers.h"

#include "core/model/errors.h"

#include <limits>
#include <string>

namespace busmason::model {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::uint32_t>::max();

} // namespace

std::optional<std::int64_t> tryReadInteger(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int d = base == 16 ? hexDigit(text[i])
                                 : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (d < 0) {
            return std::nullopt;
        }
        value = value * base + d;
        if (value > kMax + 1) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value < kMin || value > kMax) {
        return std::nullopt;
    }
    return value;
}

std::int64_t readInteger(std::string_view text) {
    if (auto v = tryReadInteger(text)) {
        return *v;
    }
    throw ConversionError(std::string(text));
}

int leadingDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > std::numeric_limits<int>::max()) {
            value = std::numeric_limits<int>::max();
        }
    }
    return static_cast<int>(negative ? -value : value);
}

int readIntegerLenient(std::string_view text) {
    if (auto v = tryReadInteger(text)) {
        // 32-bit patterns such as 0xFFFFFFFF keep their bits.
        return static_cast<int>(static_cast<std::uint32_t>(*v));
    }
    return leadingDecimal(text);
}

} // namespace busmason::model
