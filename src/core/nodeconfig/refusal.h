#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace busmason::nodeconfig {

/// Translation key of the message shown when a typed value or name is not accepted.
inline constexpr std::string_view kValueNotAllowed = "<VALORE NON CONSENTITO>";
/// Translation key of the message shown when a node address is already taken.
inline constexpr std::string_view kAddressPresent = "<ADDRESS PRESENT YET>";

/// An action the node configuration does not take; the model is left exactly as it was.
class RefusedError : public std::runtime_error {
public:
    /// key is the translation key the window shows, or empty for an action the window does not
    /// offer at all; message says in plain words what was refused.
    RefusedError(std::string_view key, const std::string& message)
        : std::runtime_error(message), m_key(key) {}
    const std::string& key() const noexcept { return m_key; }

private:
    std::string m_key;
};

} // namespace busmason::nodeconfig
