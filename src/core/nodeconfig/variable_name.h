#pragma once

#include <cstddef>
#include <string_view>

namespace busmason::nodeconfig {

/// Longest variable name: the I/O map's 35-byte name field keeps its terminating zero.
inline constexpr std::size_t kMaxVariableNameLength = 34;

/// True when name is an IEC 61131-3 identifier of at most kMaxVariableNameLength characters:
/// an ASCII letter or "_" first, then letters and digits, each "_" followed by a letter or a
/// digit (so neither "__" nor a trailing "_"). The empty name is not one.
bool isValidVariableName(std::string_view name);

/// Throws RefusedError with kValueNotAllowed when name is not a valid variable name.
void requireValidVariableName(std::string_view name);

} // namespace busmason::nodeconfig
