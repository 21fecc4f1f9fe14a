#pragma once

#include "core/coupler/placement.h"
#include "core/coupler/terminal_library.h"
#include "core/model/network.h"

#include <span>
#include <string_view>

namespace busmason::coupler {

/// The work of the coupler window on one coupler node, from activation to close. Every action
/// either completes or changes nothing: a refused one throws CouplerError (an action the window
/// does not offer) or model::LimitError (a model limit), or returns the placement failure.
class CouplerSession {
public:
    /// Activation on the node at address: the node gets an empty coupler_info when it has none,
    /// the placement is reset and every channel of the row is placed again (its results are not
    /// reported). CouplerError when there is no node at address.
    CouplerSession(model::Network& network, int address);

    model::node& node() { return m_node; }
    const model::node& node() const { return m_node; }
    const std::vector<model::terminal>& row() const { return m_node.coupler->terminals; }
    const PlacementState& state() const { return m_state; }

    /// Appends a terminal of type to the row, named for its position, and places its channels;
    /// a new PDO numbered 5 or more gets its COB-ID write. When a channel cannot be placed the
    /// terminal is not added and nothing changes; the outcome says where it stopped. Sets the
    /// network's modified when the terminal is added. CouplerError for a type code that is not
    /// 1 to 5 or a channel count that is not 1 to 32.
    PlacementOutcome addTerminal(const terminal_type& type);

    /// Removes the terminal at position (0-based) and the coupler's COB-ID writes, then gives the
    /// remaining terminals the positions 0, 1, ... and their channels default names, directions,
    /// widths and codes, and places them again. Sets modified. CouplerError when there is no
    /// terminal at position.
    void deleteTerminal(int position);

    /// Sets the configuration code of one channel of the terminal at position, as the terminal
    /// I/O settings window confirms it. Sets modified. CouplerError when the terminal, the
    /// channel or the code is not one the window offers (see offeredCodes).
    void configureChannel(int position, int channel, int code);
    /// The same for channels 0 to codes.size() - 1 at once; nothing is set when one is refused.
    void configureTerminal(int position, std::span<const int> codes);

    /// Close: rebuildCoupler; the session's placement becomes the one the rebuild made. Does not
    /// set modified, as the window does not.
    PlacementOutcome close();

private:
    model::terminal& terminalAt(int position);
    /// Places every channel of the row on a fresh placement, ignoring the results.
    void placeRowSilently();

    model::Network& m_network;
    model::node& m_node;
    PlacementState m_state;
};

/// The translation key the coupler window shows when adding a terminal fails:
/// "<OGGETTO NONESISTE>" for a missing object, "<PDO TERMINATI>" when the PDOs are full. On close
/// every failure shows "<PDO TERMINATI>".
std::string_view addFailureKey(PlaceResult result);

} // namespace busmason::coupler
