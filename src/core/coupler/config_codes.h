#pragma once

#include "core/model/coupler_info.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace busmason::coupler {

/// One configuration code of an analogue channel (the `Config` of its `io_mod`).
struct ConfigCode {
    /// The code, 0 to 7: its place in the selector and its nibble in the configuration word.
    int code;
    /// The selector's text.
    std::string_view text;
    /// Offered for channels of analogue input terminals.
    bool inputs;
    /// Offered for channels of analogue output terminals.
    bool outputs;
};

/// Every configuration code, by code. A new analogue channel starts at 1 ("I").
inline constexpr std::array<ConfigCode, 8> kConfigCodes{{
    {0, "--", true, true},
    {1, "I", true, true},
    {2, "V", true, true},
    {3, "TC_J", true, false},
    {4, "TC_K", true, false},
    {5, "TC_T", true, false},
    {6, "PT100E", true, false},
    {7, "PT100R", true, false},
}};

/// The code an analogue channel gets when its terminal is added or renumbered.
inline constexpr int kDefaultAnalogueCode = 1;
/// The configuration word holds the codes of channels 0 to 7 only, four bits each.
inline constexpr int kConfiguredChannels = 8;

/// The row of a code (0 to 7), or nullptr.
const ConfigCode* configCode(int code);

/// The code named by text: its number ("2", "0x2") or its text ("V", ignoring letter case).
std::optional<int> findConfigCode(std::string_view numberOrText);

/// The codes offered for channel (0-based) of terminal t: 0 to 7 on analogue inputs, 0 to 2 on
/// analogue outputs, none on digital terminals and on channels the configuration word cannot
/// hold (8 and up) or the terminal lacks.
std::span<const ConfigCode> offeredCodes(const model::terminal& t, int channel);

/// True when code is offered for the channel.
bool isOffered(const model::terminal& t, int channel, int code);

/// The configuration word of an analogue terminal: the code of channel i in bits 4i to 4i + 3.
std::uint32_t configurationWord(const model::terminal& t);

} // namespace busmason::coupler
