#include "core/transfer/controller_address.h"

namespace busmason::transfer {

std::optional<Ipv4Parts> parseIpv4Address(std::string_view text) {
    Ipv4Parts parts{};
    std::size_t part = 0;
    int digits = 0;
    int value = 0;
    for (const char c : text) {
        if (c == '.') {
            if (digits == 0 || part == parts.size() - 1) {
                return std::nullopt;
            }
            parts[part++] = value;
            digits = 0;
            value = 0;
            continue;
        }
        if (c < '0' || c > '9' || digits == 3) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        ++digits;
    }
    if (digits == 0 || part != parts.size() - 1) {
        return std::nullopt;
    }
    parts[part] = value;
    for (const int p : parts) {
        if (p > 255) {
            return std::nullopt;
        }
    }
    return parts;
}

std::string formatIpv4Address(const Ipv4Parts& parts) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            text += '.';
        }
        text += std::to_string(parts[i]);
    }
    return text;
}

} // namespace busmason::transfer
