#include "core/coupler/coupler_session.h"

#include "core/coupler/config_codes.h"
#include "core/coupler/node_snapshot.h"
#include "core/coupler/terminal_row.h"
#include "core/model/lookup.h"

#include <algorithm>

namespace busmason::coupler {

namespace {

/// The communication parameters of the sixteen receive and transmit PDOs; sub-index 1 is the
/// COB-ID.
constexpr unsigned kReceiveCommunication = 0x1400;
constexpr unsigned kTransmitCommunication = 0x1800;
constexpr unsigned kPdoCount = 16;

model::node& nodeAt(model::Network& network, int address) {
    model::node* n = network.at(address);
    if (!n) {
        throw CouplerError("there is no node at address " + std::to_string(address));
    }
    if (!n->coupler) {
        n->coupler = std::make_unique<model::coupler_info>();
    }
    return *n;
}

/// Puts the node, its row and the placement back as they were unless the action committed.
class Rollback {
public:
    Rollback(model::node& n, PlacementState& state)
        : m_node(n), m_state(state), m_savedNode(n), m_savedRow(n.coupler->terminals),
          m_savedState(state) {}
    Rollback(const Rollback&) = delete;
    Rollback& operator=(const Rollback&) = delete;
    ~Rollback() {
        if (!m_committed) {
            m_savedNode.restore();
            m_node.coupler->terminals = std::move(m_savedRow);
            m_state = m_savedState;
        }
    }
    void commit() { m_committed = true; }

private:
    model::node& m_node;
    PlacementState& m_state;
    NodeSnapshot m_savedNode;
    std::vector<model::terminal> m_savedRow;
    PlacementState m_savedState;
    bool m_committed = false;
};

/// Why a configuration the window does not offer is refused.
std::string refusal(const model::terminal& t, int position, int channel, int code) {
    const std::string te = "TE-" + std::to_string(position);
    if (!isAnalogue(t.ID)) {
        return te + " is a digital terminal: its channels take no configuration code";
    }
    if (channel < 0 || channel >= static_cast<int>(t.channels.size())) {
        return te + " has no channel " + std::to_string(channel);
    }
    if (channel >= kConfiguredChannels) {
        return "channel " + std::to_string(channel) + " of " + te +
               " cannot be configured: the configuration word holds channels 0 to 7";
    }
    return "code " + std::to_string(code) + " is not offered for the analogue " +
           (t.ID == kAnalogueInputs ? "inputs" : "outputs") + " of " + te;
}

} // namespace

CouplerSession::CouplerSession(model::Network& network, int address)
    : m_network(network), m_node(nodeAt(network, address)) {
    Rollback rollback(m_node, m_state);
    placeRowSilently();
    rollback.commit();
}

model::terminal& CouplerSession::terminalAt(int position) {
    auto& terminals = m_node.coupler->terminals;
    if (position < 0 || position >= static_cast<int>(terminals.size())) {
        throw CouplerError("there is no terminal TE-" + std::to_string(position) + " on node " +
                           std::to_string(m_node.address));
    }
    return terminals[static_cast<std::size_t>(position)];
}

void CouplerSession::placeRowSilently() {
    resetPlacement(m_node, m_state);
    for (const model::terminal& t : row()) {
        for (const model::io_mod& channel : t.channels) {
            allocateChannel(m_node, m_state, channel, t);
        }
    }
}

PlacementOutcome CouplerSession::addTerminal(const terminal_type& type) {
    if (type.ID < kMinTypeCode || type.ID > kMaxTypeCode) {
        throw CouplerError("terminal type '" + type.name + "' has the type code " +
                           std::to_string(type.ID) + ", not 1 to 5");
    }
    if (type.channels < 1 || type.channels > model::kMaxTerminalChannels) {
        throw CouplerError("terminal type '" + type.name + "' has " +
                           std::to_string(type.channels) + " channels, not 1 to 32");
    }
    Rollback rollback(m_node, m_state);
    const int position = m_node.coupler->terminalCount();
    model::terminal t = makeTerminal(type, position, m_node.address);
    PlacementOutcome outcome;
    outcome.failure = placeTerminal(m_node, m_state, t, position);
    if (outcome.failure) {
        // The rollback takes back the variables of the channels placed before the failure.
        return outcome;
    }
    m_node.coupler->terminals.push_back(std::move(t));
    rollback.commit();
    m_network.modified = true;
    return outcome;
}

void CouplerSession::deleteTerminal(int position) {
    terminalAt(position);
    Rollback rollback(m_node, m_state);
    auto& terminals = m_node.coupler->terminals;
    terminals.erase(terminals.begin() + position);
    resetPlacement(m_node, m_state);
    std::vector<model::EntryId> cobIdEntries;
    for (unsigned n = 0; n < kPdoCount; ++n) {
        for (const unsigned base : {kReceiveCommunication, kTransmitCommunication}) {
            if (const auto id = model::findEntryIdByNumber(m_node, base + n, 1);
                id != model::kNoEntry) {
                cobIdEntries.push_back(id);
            }
        }
    }
    std::erase_if(m_node.sdoRecords, [&](const model::record& r) {
        return std::find(cobIdEntries.begin(), cobIdEntries.end(), r.target) != cobIdEntries.end();
    });
    for (std::size_t p = 0; p < terminals.size(); ++p) {
        terminals[p].Pos = static_cast<int>(p);
        nameChannels(terminals[p], static_cast<int>(p), m_node.address);
    }
    // The window places the row again when it next becomes active; doing it here keeps the
    // placement true for the actions that follow.
    placeRowSilently();
    rollback.commit();
    m_network.modified = true;
}

void CouplerSession::configureChannel(int position, int channel, int code) {
    model::terminal& t = terminalAt(position);
    if (!isOffered(t, channel, code)) {
        throw CouplerError(refusal(t, position, channel, code));
    }
    t.channels[static_cast<std::size_t>(channel)].Config = code;
    m_network.modified = true;
}

void CouplerSession::configureTerminal(int position, std::span<const int> codes) {
    model::terminal& t = terminalAt(position);
    for (std::size_t c = 0; c < codes.size(); ++c) {
        if (!isOffered(t, static_cast<int>(c), codes[c])) {
            throw CouplerError(refusal(t, position, static_cast<int>(c), codes[c]));
        }
    }
    for (std::size_t c = 0; c < codes.size(); ++c) {
        t.channels[c].Config = codes[c];
    }
    m_network.modified = true;
}

PlacementOutcome CouplerSession::close() {
    return rebuildCoupler(m_node, m_state);
}

std::string_view addFailureKey(PlaceResult result) {
    return result == PlaceResult::ObjectMissing ? kObjectMissingKey : kOutOfPdosKey;
}

} // namespace busmason::coupler
