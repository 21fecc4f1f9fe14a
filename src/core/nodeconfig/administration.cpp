#include "core/nodeconfig/administration.h"

#include "core/model/numbers.h"
#include "core/nodeconfig/pdo_mapping.h"
#include "core/nodeconfig/refusal.h"
#include "core/util/text.h"

namespace busmason::nodeconfig {

using model::node;

namespace {

node& nodeAt(model::Network& network, int address) {
    node* n = network.at(address);
    if (!n) {
        throw RefusedError({}, "there is no node at address " + std::to_string(address));
    }
    return *n;
}

void requireAddressRange(std::int64_t address) {
    if (address < 1 || address > model::kMaxNodes) {
        throw RefusedError(kValueNotAllowed, "node address " + std::to_string(address) +
                                                 " is outside 1 to " +
                                                 std::to_string(model::kMaxNodes));
    }
}

/// Rewrites the COB-ID writes made for the node's present address with the COB-IDs of the new one.
void moveCobIdWrites(node& n, int newAddress) {
    std::vector<std::pair<std::size_t, std::string>> rewrites;
    for (const PdoDirection direction : {PdoDirection::Receive, PdoDirection::Transmit}) {
        for (int pdo = kFirstConfiguredPdo; pdo <= kLastPdo; ++pdo) {
            const std::string text =
                "0x" + util::hexUpper(pdoCobId(pdo - 1, direction, newAddress), 4);
            for (const std::size_t i : pdoUsage(n, direction, pdo).cobIdWrites) {
                rewrites.emplace_back(i, text);
            }
        }
    }
    for (auto& [i, text] : rewrites) {
        n.sdoRecords[i].data = std::move(text);
    }
}

} // namespace

void changeNodeAddress(model::Network& network, int address, int newAddress) {
    node& n = nodeAt(network, address);
    requireAddressRange(newAddress);
    if (newAddress == address) {
        return;
    }
    if (network.at(newAddress)) {
        throw RefusedError(kAddressPresent, "node address " + std::to_string(newAddress) +
                                                " is taken by another node");
    }
    moveCobIdWrites(n, newAddress);
    network.put(newAddress, network.take(address));
}

AdministrationOutcome storeAdministration(model::Network& network, int address,
                                          std::string_view addressText, bool isVirtual,
                                          bool ngDisabled) {
    node& n = nodeAt(network, address);
    const std::int64_t wanted = model::readInteger(addressText);
    requireAddressRange(wanted);
    n.virtual_ = isVirtual;
    n.ngDisabled = ngDisabled;
    AdministrationOutcome outcome{address, {}};
    try {
        changeNodeAddress(network, address, static_cast<int>(wanted));
        outcome.address = static_cast<int>(wanted);
    } catch (const RefusedError& refused) {
        outcome.refusal = refused.key();
    }
    return outcome;
}

} // namespace busmason::nodeconfig
