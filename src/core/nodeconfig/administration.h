#pragma once

#include "core/model/network.h"

#include <string>
#include <string_view>

namespace busmason::nodeconfig {

/// Moves the node at address to newAddress (1 to 127). The COB-ID writes of its PDOs numbered
/// 5 or more follow the new address. Refused with kAddressPresent when another node has
/// newAddress, and with kValueNotAllowed for an address outside 1 to 127; then nothing changes.
void changeNodeAddress(model::Network& network, int address, int newAddress);

/// What storing the administration page did.
struct AdministrationOutcome {
    /// The node's address afterwards.
    int address = 0;
    /// The translation key of the refused address change (kAddressPresent), or empty.
    std::string refusal;
};

/// Stores the administration page of the node at address: the address box text (read as an
/// integer) and the "Virtual" and "Disable NG" flags. A text that is not an integer throws
/// ConversionError and an address outside 1 to 127 is refused; in both cases nothing is stored.
/// When the new address is taken the flags are stored all the same and the outcome carries the
/// refusal.
AdministrationOutcome storeAdministration(model::Network& network, int address,
                                          std::string_view addressText, bool isVirtual,
                                          bool ngDisabled);

} // namespace busmason::nodeconfig
