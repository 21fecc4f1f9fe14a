#include "core/coupler/placement.h"

#include "core/coupler/config_codes.h"
#include "core/coupler/node_snapshot.h"
#include "core/coupler/terminal_row.h"
#include "core/model/errors.h"
#include "core/model/lookup.h"
#include "core/util/text.h"

#include <algorithm>

namespace busmason::coupler {

using model::EntryId;
using model::kNoEntry;
using model::object_dict;
using nodeconfig::PdoLayout;

namespace {

/// The analogue configuration words: sub-index k for the k-th analogue terminal.
constexpr unsigned kConfigurationObject = 0x2200;
/// Communication parameters of receive and transmit PDO n + 1 are 0x1400 + n and 0x1800 + n;
/// their sub-index 1 holds the COB-ID.
constexpr unsigned kReceiveCommunication = 0x1400;
constexpr unsigned kTransmitCommunication = 0x1800;
constexpr int kCobIdSub = 1;
/// PDOs 1 to 4 use the predefined COB-IDs; the others need a start-up write.
constexpr int kFirstConfiguredPdo = 5;
constexpr int kLastPdo = 16;
/// Widths of a digital group and an analogue channel in bits.
constexpr int kGroupBits = 8;
constexpr int kAnalogueBits = 16;
/// varType of digital and analogue channel variables: "Bit" and "Word".
constexpr int kBitType = 0x01;
constexpr int kWordType = 0x03;
/// pdoKind of input (transmit PDO) and output (receive PDO) variables.
constexpr int kTransmitKind = 1;
constexpr int kReceiveKind = 2;

enum class ChannelKind { Digital, Analogue, None };

/// How a channel is placed: digital or analogue, and in which direction; None for a channel
/// whose direction does not fit its terminal type or whose width is not positive.
ChannelKind kindOf(const model::io_mod& channel, const model::terminal& t) {
    if (channel.bitnumb <= 0 || (channel.dir != 0 && channel.dir != 1)) {
        return ChannelKind::None;
    }
    const bool input = channel.dir == 0;
    switch (t.ID) {
    case kDigitalInputs:
        return input ? ChannelKind::Digital : ChannelKind::None;
    case kDigitalOutputs:
        return input ? ChannelKind::None : ChannelKind::Digital;
    case kMixedDigital:
        return ChannelKind::Digital;
    case kAnalogueInputs:
        return input ? ChannelKind::Analogue : ChannelKind::None;
    case kAnalogueOutputs:
        return input ? ChannelKind::None : ChannelKind::Analogue;
    default:
        return ChannelKind::None;
    }
}

/// The layout and counters of one direction.
struct Side {
    PdoLayout& free;
    int& pdo;
    int& cobPdo;
    int& position;
};

Side sideOf(PlacementState& s, IoDirection d) {
    if (d == IoDirection::Input) {
        return {s.freeInputs, s.inputPdo, s.inputCobPdo, s.inputPosition};
    }
    return {s.freeOutputs, s.outputPdo, s.outputCobPdo, s.outputPosition};
}

nodeconfig::PdoDirection pdoDirectionOf(IoDirection d) {
    return d == IoDirection::Input ? nodeconfig::PdoDirection::Transmit
                                   : nodeconfig::PdoDirection::Receive;
}

/// "0x6000:09"
std::string objectText(unsigned index, int sub) {
    return model::indexText(index) + ":" + util::hexUpper(static_cast<unsigned>(sub), 2);
}

/// Appends a value text the coupler derives; at the 10 values of an entry the oldest text gives
/// way, since every close of the coupler window adds its texts again.
void appendDerivedValue(object_dict& e, std::string text) {
    if (e.values.size() >= static_cast<std::size_t>(model::kMaxValues)) {
        e.values.erase(e.values.begin());
    }
    e.values.push_back(std::move(text));
}

bool hasWriteTo(const model::node& n, EntryId target) {
    return std::any_of(n.sdoRecords.begin(), n.sdoRecords.end(),
                       [&](const model::record& r) { return r.target == target; });
}

/// The digital or the analogue alternative of the layout's slots.
struct Alternative {
    bool digital;
    int nodeconfig::PdoSlot::*freeBits;
    unsigned nodeconfig::PdoSlot::*index;
    int nodeconfig::PdoSlot::*sub;
    /// Width of the slot in bits, and the varType of its variables.
    int width;
    int varType;
};

constexpr Alternative kDigital{true,
                               &nodeconfig::PdoSlot::digitalBits,
                               &nodeconfig::PdoSlot::digitalIndex,
                               &nodeconfig::PdoSlot::digitalSub,
                               kGroupBits,
                               kBitType};
constexpr Alternative kAnalogue{false,
                                &nodeconfig::PdoSlot::analogBits,
                                &nodeconfig::PdoSlot::analogIndex,
                                &nodeconfig::PdoSlot::analogSub,
                                kAnalogueBits,
                                kWordType};

Allocation place(model::node& n, Side side, IoDirection d, const model::io_mod& channel,
                 const Alternative& alt) {
    Allocation a{PlaceResult::Placed, d};
    int row = 0;
    while (row < nodeconfig::kPdoLayoutRows && side.free[row].*alt.freeBits < channel.bitnumb) {
        ++row;
    }
    if (row == nodeconfig::kPdoLayoutRows) {
        a.result = PlaceResult::OutOfPdos;
        return a;
    }
    nodeconfig::PdoSlot& slot = side.free[row];
    const EntryId id = model::findEntryIdByNumber(n, slot.*alt.index, slot.*alt.sub);
    if (id == kNoEntry) {
        return {PlaceResult::ObjectMissing, d, slot.*alt.index, slot.*alt.sub};
    }
    object_dict& e = n.entry(id);
    const bool newPdo = slot.pdo != side.pdo;
    // An analogue channel opening a PDO starts its entry's variables afresh.
    const auto k = newPdo && !alt.digital ? std::size_t{0} : static_cast<std::size_t>(e.varCount);
    // The name first: beyond 32 variables it throws before anything changed.
    e.setVarName(k, channel.Vname);
    e.setShift(k, alt.width - slot.*alt.freeBits);
    if (newPdo) {
        side.pdo = slot.pdo;
        side.position = 1;
        if (slot.pdo >= kFirstConfiguredPdo) {
            a.result = PlaceResult::NewPdo;
        }
    }
    e.pdoNumber = slot.pdo;
    slot.*alt.freeBits -= channel.bitnumb;
    if (alt.digital && slot.digitalBits == 0) {
        // A full group leaves no room for an analogue channel in its slot.
        slot.analogBits = 0;
    } else if (!alt.digital && slot.pdo >= kFirstConfiguredPdo) {
        // From PDO 5 on an analogue channel takes the digital groups of its slot and the one
        // before.
        slot.digitalBits = 0;
        if (row > 0) {
            side.free[row - 1].digitalBits = 0;
        }
    }
    e.pdoKind = d == IoDirection::Input ? kTransmitKind : kReceiveKind;
    e.varType = alt.varType;
    e.varCount = static_cast<int>(k) + 1;
    // Digital variables count in groups of eight, analogue ones one by one.
    e.object = alt.digital ? (side.position - 1) / kGroupBits + 1 : side.position;
    ++side.position;
    e.pdoMapped = true;
    e.configured = true;
    return a;
}

} // namespace

void resetPlacement(model::node& coupler, PlacementState& state) {
    state = PlacementState{};
    for (const PdoLayout* layout : {&nodeconfig::outputLayout(), &nodeconfig::inputLayout()}) {
        for (const nodeconfig::PdoSlot& slot : *layout) {
            if (slot.digitalBits > 0) {
                if (const EntryId id =
                        model::findEntryIdByNumber(coupler, slot.digitalIndex, slot.digitalSub);
                    id != kNoEntry) {
                    coupler.entry(id).varCount = 0;
                }
            }
            if (slot.analogBits > 0) {
                if (const EntryId id =
                        model::findEntryIdByNumber(coupler, slot.analogIndex, slot.analogSub);
                    id != kNoEntry) {
                    coupler.entry(id).varCount = 0;
                }
            }
        }
    }
}

Allocation allocateChannel(model::node& coupler, PlacementState& state,
                           const model::io_mod& channel, const model::terminal& t) {
    const IoDirection d = channel.dir == 1 ? IoDirection::Output : IoDirection::Input;
    switch (kindOf(channel, t)) {
    case ChannelKind::Digital:
        return place(coupler, sideOf(state, d), d, channel, kDigital);
    case ChannelKind::Analogue:
        return place(coupler, sideOf(state, d), d, channel, kAnalogue);
    case ChannelKind::None:
        break;
    }
    return Allocation{PlaceResult::Skipped, d};
}

void addCobIdWrite(model::node& coupler, PlacementState& state, IoDirection direction) {
    Side side = sideOf(state, direction);
    const int pdo = side.pdo;
    if (pdo < kFirstConfiguredPdo || pdo > kLastPdo) {
        return;
    }
    const unsigned base =
        direction == IoDirection::Input ? kTransmitCommunication : kReceiveCommunication;
    const EntryId id =
        model::findEntryIdByNumber(coupler, base + static_cast<unsigned>(pdo - 1), kCobIdSub);
    if (id != kNoEntry && !hasWriteTo(coupler, id)) {
        const std::string text = util::hexUpper(
            nodeconfig::pdoCobId(pdo - 1, pdoDirectionOf(direction), coupler.address), 4);
        coupler.addRecord("0x" + text, id);
        appendDerivedValue(coupler.entry(id), text);
    }
    side.cobPdo = pdo;
}

std::string describeFailure(const PlacementFailure& failure) {
    std::string out = "TE-" + std::to_string(failure.position) + " channel " +
                      std::to_string(failure.channel) + ": ";
    if (failure.result == PlaceResult::ObjectMissing) {
        return out + "object " + failure.object + " is missing in the coupler";
    }
    return out + "no free " + (failure.direction == IoDirection::Input ? "input" : "output") +
           " slot is left in the PDOs";
}

std::optional<PlacementFailure> placeTerminal(model::node& coupler, PlacementState& state,
                                              const model::terminal& t, int position) {
    for (std::size_t c = 0; c < t.channels.size(); ++c) {
        const Allocation a = allocateChannel(coupler, state, t.channels[c], t);
        if (a.result == PlaceResult::NewPdo) {
            addCobIdWrite(coupler, state, a.direction);
        } else if (failed(a.result)) {
            PlacementFailure f{a.result, position, static_cast<int>(c), a.direction, {}};
            if (a.result == PlaceResult::ObjectMissing) {
                f.object = objectText(a.index, a.sub);
            }
            return f;
        }
    }
    return std::nullopt;
}

PlacementOutcome rebuildCoupler(model::node& coupler) {
    PlacementState state;
    return rebuildCoupler(coupler, state);
}

PlacementOutcome rebuildCoupler(model::node& coupler, PlacementState& state) {
    if (!coupler.coupler) {
        throw CouplerError("node " + std::to_string(coupler.address) +
                           " is not configured as a coupler");
    }
    NodeSnapshot snapshot(coupler);
    const PlacementState savedState = state;
    PlacementOutcome outcome;
    try {
        coupler.sdoRecords.clear();
        unsigned k = 0;
        for (const model::terminal& t : coupler.coupler->terminals) {
            if (!isAnalogue(t.ID)) {
                continue;
            }
            const EntryId id =
                model::findEntryIdByNumber(coupler, kConfigurationObject, static_cast<int>(++k));
            if (id == kNoEntry || coupler.entry(id).AccessType != "rw") {
                continue;
            }
            const std::string text = "0x" + util::hexUpper(configurationWord(t), 4);
            coupler.addRecord(text, id);
            appendDerivedValue(coupler.entry(id), text);
        }
        resetPlacement(coupler, state);
        const auto& row = coupler.coupler->terminals;
        for (std::size_t p = 0; p < row.size() && !outcome.failure; ++p) {
            outcome.failure = placeTerminal(coupler, state, row[p], static_cast<int>(p));
        }
    } catch (...) {
        snapshot.restore();
        state = savedState;
        throw;
    }
    return outcome;
}

} // namespace busmason::coupler
