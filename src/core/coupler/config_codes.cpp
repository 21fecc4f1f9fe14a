#include "core/coupler/config_codes.h"

#include "core/model/numbers.h"
#include "core/util/text.h"

namespace busmason::coupler {

namespace {

/// Analogue input and output terminals.
constexpr int kAnalogueInputs = 4;
constexpr int kAnalogueOutputs = 5;
/// Codes 0 to 2 are offered on outputs, all eight on inputs.
constexpr std::size_t kOutputCodes = 3;

} // namespace

const ConfigCode* configCode(int code) {
    return code >= 0 && code < static_cast<int>(kConfigCodes.size()) ? &kConfigCodes[code]
                                                                     : nullptr;
}

std::optional<int> findConfigCode(std::string_view numberOrText) {
    const std::string_view wanted = util::trim(numberOrText);
    for (const ConfigCode& c : kConfigCodes) {
        if (util::iequals(c.text, wanted)) {
            return c.code;
        }
    }
    if (const auto n = model::tryReadInteger(wanted); n && configCode(static_cast<int>(*n))) {
        return static_cast<int>(*n);
    }
    return std::nullopt;
}

std::span<const ConfigCode> offeredCodes(const model::terminal& t, int channel) {
    if (channel < 0 || channel >= static_cast<int>(t.channels.size()) ||
        channel >= kConfiguredChannels) {
        return {};
    }
    switch (t.ID) {
    case kAnalogueInputs:
        return kConfigCodes;
    case kAnalogueOutputs:
        return std::span<const ConfigCode>(kConfigCodes).first(kOutputCodes);
    default:
        return {};
    }
}

bool isOffered(const model::terminal& t, int channel, int code) {
    for (const ConfigCode& c : offeredCodes(t, channel)) {
        if (c.code == code) {
            return true;
        }
    }
    return false;
}

std::uint32_t configurationWord(const model::terminal& t) {
    std::uint32_t word = 0;
    const std::size_t n =
        std::min(t.channels.size(), static_cast<std::size_t>(kConfiguredChannels));
    for (std::size_t i = 0; i < n; ++i) {
        word |= (static_cast<std::uint32_t>(t.channels[i].Config) & 0xFu) << (4 * i);
    }
    return word;
}

} // namespace busmason::coupler
