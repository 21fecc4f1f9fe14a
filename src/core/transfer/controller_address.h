#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace busmason::transfer {

/// The four parts of a controller address, most significant first, each 0 to 255.
using Ipv4Parts = std::array<int, 4>;

/// The parts of text when it is an IPv4 address in dotted decimal form: exactly four parts of one
/// to three decimal digits, each 0 to 255, and nothing else (no spaces, signs or host names).
/// Leading zeros are read as decimal ("010" is 10). Empty for anything else.
std::optional<Ipv4Parts> parseIpv4Address(std::string_view text);

/// The parts joined with dots, without leading zeros: {10, 0, 0, 7} gives "10.0.0.7".
std::string formatIpv4Address(const Ipv4Parts& parts);

} // namespace busmason::transfer
