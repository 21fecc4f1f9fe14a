#include "core/coupler/config_codes.h"

#include "core/coupler/terminal_row.h"
#include "core/model/numbers.h"
#include "core/util/text.h"

#include <algorithm>

namespace busmason::coupler {

namespace {

/// Length of the run of codes from 0 on that the table offers for inputs or for outputs.
constexpr std::size_t offeredRun(bool ConfigCode::*offered) {
    std::size_t n = 0;
    while (n < kConfigCodes.size() && kConfigCodes[n].*offered) {
        ++n;
    }
    return n;
}

constexpr std::size_t kInputCodes = offeredRun(&ConfigCode::inputs);
constexpr std::size_t kOutputCodes = offeredRun(&ConfigCode::outputs);

/// The selectors list the offered codes from 0 on without gaps.
constexpr bool offeredWithoutGaps(bool ConfigCode::*offered, std::size_t run) {
    for (std::size_t i = run; i < kConfigCodes.size(); ++i) {
        if (kConfigCodes[i].*offered) {
            return false;
        }
    }
    return true;
}
static_assert(offeredWithoutGaps(&ConfigCode::inputs, kInputCodes));
static_assert(offeredWithoutGaps(&ConfigCode::outputs, kOutputCodes));

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
        return std::span<const ConfigCode>(kConfigCodes).first(kInputCodes);
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
