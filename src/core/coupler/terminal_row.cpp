#include "core/coupler/terminal_row.h"

#include "core/coupler/config_codes.h"
#include "core/util/text.h"

#include <algorithm>

namespace busmason::coupler {

namespace {

/// Defaults of one channel by terminal type.
struct ChannelDefaults {
    const char* prefix;
    int dir;
    int bitnumb;
    int Config;
};

constexpr ChannelDefaults kDigitalIn{"DINP", 0, 1, 0};
constexpr ChannelDefaults kDigitalOut{"DOUT", 1, 1, 0};
constexpr ChannelDefaults kAnalogueIn{"ANIN", 0, 16, kDefaultAnalogueCode};
constexpr ChannelDefaults kAnalogueOut{"ANOUT", 1, 16, kDefaultAnalogueCode};

/// Channels 0 to 7 of a mixed terminal are outputs, the others inputs.
constexpr int kMixedOutputs = 8;

const ChannelDefaults* defaultsOf(int id, int channel) {
    switch (id) {
    case kDigitalInputs:
        return &kDigitalIn;
    case kDigitalOutputs:
        return &kDigitalOut;
    case kMixedDigital:
        return channel < kMixedOutputs ? &kDigitalOut : &kDigitalIn;
    case kAnalogueInputs:
        return &kAnalogueIn;
    case kAnalogueOutputs:
        return &kAnalogueOut;
    default:
        return nullptr;
    }
}

std::string nameWith(const char* prefix, int channel, int position, int address) {
    return std::string(prefix) + std::to_string(address - 1) + "_TE" + std::to_string(position) +
           "_" + util::hexUpper(static_cast<unsigned>(channel), 2);
}

} // namespace

std::string channelName(int id, int channel, int position, int address) {
    const ChannelDefaults* d = defaultsOf(id, channel);
    return d ? nameWith(d->prefix, channel, position, address) : std::string();
}

void nameChannels(model::terminal& t, int position, int address) {
    t.channels.resize(static_cast<std::size_t>(std::max(t.Varnumb, 0)));
    for (std::size_t i = 0; i < t.channels.size(); ++i) {
        const int channel = static_cast<int>(i);
        if (const ChannelDefaults* d = defaultsOf(t.ID, channel)) {
            t.channels[i] = {nameWith(d->prefix, channel, position, address), d->bitnumb, d->dir,
                             d->Config};
        }
    }
}

model::terminal makeTerminal(const terminal_type& type, int position, int address) {
    model::terminal t;
    t.ID = type.ID;
    t.Tname = type.name;
    t.Varnumb = type.channels;
    t.Pos = position;
    nameChannels(t, position, address);
    return t;
}

std::string terminalCaption(const model::terminal& t) {
    return "TE-" + std::to_string(t.Pos) + "\n" + t.Tname;
}

int helpModel(std::string_view caption) {
    if (caption.find("KM120") != std::string_view::npos) {
        return 1;
    }
    if (caption.find("KM130") != std::string_view::npos) {
        return 2;
    }
    return 0;
}

std::string helpDocumentPattern(int model, int languageIndex) {
    const char* family = model == 1 ? "km120" : model == 2 ? "km130" : nullptr;
    if (!family || (languageIndex != 0 && languageIndex != 1)) {
        return {};
    }
    return std::string(languageIndex == 0 ? "DX*" : "D*") + family + "_01_A5.pdf";
}

} // namespace busmason::coupler
