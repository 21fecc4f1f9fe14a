#pragma once

#include "core/coupler/terminal_library.h"
#include "core/model/coupler_info.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace busmason::coupler {

/// An action the coupler window does not offer: no terminal at that position, a channel the
/// terminal lacks, a code the channel does not take, a node that is not a coupler. Nothing was
/// changed.
class CouplerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Terminal type codes.
enum TerminalKind : int {
    kDigitalInputs = 1,
    kDigitalOutputs = 2,
    kMixedDigital = 3, ///< channels 0 to 7 outputs, 8 and up inputs
    kAnalogueInputs = 4,
    kAnalogueOutputs = 5,
};

/// A digital type (1 to 3).
constexpr bool isDigital(int id) {
    return id >= kDigitalInputs && id <= kMixedDigital;
}
/// An analogue type (4 or 5).
constexpr bool isAnalogue(int id) {
    return id == kAnalogueInputs || id == kAnalogueOutputs;
}

/// Name of channel (0-based) of a terminal of type id at position on the coupler at address:
/// prefix, address - 1, "_TE", position, "_", channel as two upper-case hexadecimal digits
/// ("DINP1_TE2_0A" for channel 10 of a digital input terminal at position 2 on node 2).
std::string channelName(int id, int channel, int position, int address);

/// Gives every channel of t, at position on the coupler at address, its default name, direction,
/// width and configuration code (1 on analogue channels, 0 on digital ones). Channels of an
/// unknown type keep what they hold.
void nameChannels(model::terminal& t, int position, int address);

/// A new terminal of the type at position on the coupler at address, channels named.
model::terminal makeTerminal(const terminal_type& type, int position, int address);

/// The caption of a terminal in the coupler's list: "TE-" + Pos + line break + Tname.
std::string terminalCaption(const model::terminal& t);

/// Which module manual a terminal caption selects: 1 for "KM120", else 2 for "KM130", else 0.
int helpModel(std::string_view caption);

/// File pattern of the manual in the template folder's "Doc" folder for a help model (1 or 2)
/// and language index (0 or 1), or "" when there is none.
std::string helpDocumentPattern(int helpModel, int languageIndex);

/// Translation keys of the coupler window's messages.
inline constexpr std::string_view kObjectMissingKey = "<OGGETTO NONESISTE>";
inline constexpr std::string_view kOutOfPdosKey = "<PDO TERMINATI>";
inline constexpr std::string_view kDeleteQuestionKey = "<CANCELLARE TERM>";
inline constexpr std::string_view kWarningCaptionKey = "<ATTENZIONE>";

} // namespace busmason::coupler
