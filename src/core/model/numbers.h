#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace busmason::model {

/// Reads a text as an integer: decimal with an optional sign, or hexadecimal with the prefix
/// "0x", "0X" or "$" (optionally signed). Values from -2^31 to 2^32-1 are accepted, so that
/// 32-bit unsigned identities such as 0xFFFFFFFF read too. Nothing else, the empty text
/// included, reads: the result is empty.
std::optional<std::int64_t> tryReadInteger(std::string_view text);

/// As tryReadInteger, throwing ConversionError ("'%s' is not a valid integer value").
std::int64_t readInteger(std::string_view text);

/// The text's leading decimal number: after optional blanks and a sign, the digits that follow;
/// 0 when there are none. Never fails ("10ms" is 10, "0x8" is 0). Saturates at the int range.
int leadingDecimal(std::string_view text);

/// An integer in the notations tryReadInteger accepts, else the leading decimal number.
/// Used where a file may write "0x3" or "3" and anything else must not fail the read.
int readIntegerLenient(std::string_view text);

} // namespace busmason::model
