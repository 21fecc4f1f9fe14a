#include "core/nodeconfig/variable_name.h"

#include "core/nodeconfig/refusal.h"

#include <string>

namespace busmason::nodeconfig {

namespace {

constexpr bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

bool isValidVariableName(std::string_view name) {
    if (name.empty() || name.size() > kMaxVariableNameLength) {
        return false;
    }
    if (!isLetter(name.front()) && name.front() != '_') {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '_') {
            // An underscore must be followed by a letter or a digit.
            if (i + 1 == name.size() || name[i + 1] == '_') {
                return false;
            }
        } else if (!isLetter(c) && !isDigit(c)) {
            return false;
        }
    }
    return true;
}

void requireValidVariableName(std::string_view name) {
    if (!isValidVariableName(name)) {
        throw RefusedError(kValueNotAllowed,
                           "'" + std::string(name) +
                               "' is not a valid variable name (a letter or \"_\" first, then "
                               "letters, digits and single \"_\", at most " +
                               std::to_string(kMaxVariableNameLength) + " characters)");
    }
}

} // namespace busmason::nodeconfig
