#pragma once

#include "core/model/coupler_info.h"
#include "core/model/node.h"
#include "core/nodeconfig/pdo_layout.h"

#include <optional>
#include <string>

namespace busmason::coupler {

/// Direction of a coupler channel as the controller sees it.
enum class IoDirection {
    Input,  ///< the coupler sends it (transmit PDOs, 0x6000 and 0x6401)
    Output, ///< the coupler receives it (receive PDOs, 0x6200 and 0x6411)
};

/// What the coupler window holds between activation and close: the slots still free and the
/// PDO being filled in each direction.
struct PlacementState {
    /// Working copies of the output and input layouts; analogBits and digitalBits are the bits
    /// still free in each slot's analogue and digital alternative.
    nodeconfig::PdoLayout freeOutputs = nodeconfig::outputLayout();
    nodeconfig::PdoLayout freeInputs = nodeconfig::inputLayout();
    /// PDO being filled by output and by input channels, 1 to 16 (0 = none yet).
    int outputPdo = 0;
    int inputPdo = 0;
    /// Last output and input PDO for which a COB-ID write was added (0 = none).
    int outputCobPdo = 0;
    int inputCobPdo = 0;
    /// Channel counters inside the current output and input PDO, restarting at 1 with each PDO.
    int outputPosition = 0;
    int inputPosition = 0;
};

/// Outcome of placing one channel.
enum class PlaceResult {
    Placed,        ///< the channel has its entry and bits
    NewPdo,        ///< placed, and it opened a PDO numbered 5 or more that needs its COB-ID
    OutOfPdos,     ///< no free slot is left in the layout
    ObjectMissing, ///< the slot's object is not in the coupler's object dictionary
    Skipped,       ///< direction or width does not fit the terminal type; the channel takes no slot
};

/// One channel's placement: the result and, for ObjectMissing, the object that was wanted.
struct Allocation {
    PlaceResult result = PlaceResult::Placed;
    IoDirection direction = IoDirection::Input;
    unsigned index = 0;
    int sub = 0;
};

/// True for the results that stop a terminal's placement.
constexpr bool failed(PlaceResult r) {
    return r == PlaceResult::OutOfPdos || r == PlaceResult::ObjectMissing;
}

/// Starts the placement afresh: both layouts free, no PDO opened, and every entry of the coupler
/// that a layout slot designates without variables.
void resetPlacement(model::node& coupler, PlacementState& state);

/// Places channel of terminal t into the next free slot of its direction and stores its variable
/// on the slot's entry (name, bit offset, PDO, position, type). Throws model::LimitError when the
/// entry already holds 32 variables.
Allocation allocateChannel(model::node& coupler, PlacementState& state,
                           const model::io_mod& channel, const model::terminal& t);

/// After a NewPdo result: the COB-ID write of the current PDO of direction ("0x01A2" on 0x1804:01
/// for transmit PDO 5 of node 2), made once per PDO: a PDO the placement returns to, or one whose
/// write the node already holds, gets none. The COB-ID text ("01A2") is appended to the
/// communication entry's values, replacing the oldest at 10. A missing communication entry
/// gives no write. Throws model::LimitError when the node already holds 100 writes.
void addCobIdWrite(model::node& coupler, PlacementState& state, IoDirection direction);

/// Where a placement stopped.
struct PlacementFailure {
    PlaceResult result = PlaceResult::OutOfPdos;
    /// Position of the terminal in the row and the channel (0-based) that could not be placed.
    int position = 0;
    int channel = 0;
    IoDirection direction = IoDirection::Input;
    /// For ObjectMissing: the object wanted, "0x6000:09".
    std::string object;
};

/// A readable account of a failure: "TE-1 channel 10: object 0x6000:09 is missing in the
/// coupler".
std::string describeFailure(const PlacementFailure& failure);

/// Places every channel of terminal t, at position in the row, in order, adding the COB-ID write
/// after each NewPdo. Stops at the first channel that cannot be placed and says where; what was
/// placed before it stays.
std::optional<PlacementFailure> placeTerminal(model::node& coupler, PlacementState& state,
                                              const model::terminal& t, int position);

/// What adding a terminal or closing the coupler window gives: complete, or where the placement
/// stopped.
struct PlacementOutcome {
    std::optional<PlacementFailure> failure;

    bool complete() const { return !failure; }
};

/// Rebuilds what the coupler's row yields, as the coupler window does when it closes: every
/// start-up write of the node is replaced by the configuration word of each analogue terminal
/// (0x2200, sub-index k for the k-th analogue terminal, when that entry exists with AccessType
/// "rw"), then the COB-ID writes of the PDOs numbered 5 or more in the order the placement opens
/// them; every channel is placed again in row order. The placement stops at the first channel
/// that cannot be placed, keeping what was placed before it. A value text that would exceed the
/// 10 values of an entry replaces the entry's oldest one. Beyond 100 writes model::LimitError is
/// thrown and the node is left as it was. A node without coupler_info throws CouplerError.
PlacementOutcome rebuildCoupler(model::node& coupler);
/// The same, leaving the placement it made in state.
PlacementOutcome rebuildCoupler(model::node& coupler, PlacementState& state);

} // namespace busmason::coupler
