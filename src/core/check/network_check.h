#pragma once

#include "core/model/errors.h"
#include "core/model/network.h"

#include <optional>
#include <string_view>
#include <vector>

namespace busmason::check {

/// The stable codes of the network check's findings.
inline constexpr std::string_view kCobIdCollision = "BM101";     ///< error
inline constexpr std::string_view kBitRate = "BM102";            ///< error
inline constexpr std::string_view kPdoLength = "BM103";          ///< error
inline constexpr std::string_view kDeviceMapping = "BM104";      ///< warning
inline constexpr std::string_view kNoDefaultMapping = "BM105";   ///< note
inline constexpr std::string_view kMissingPdo = "BM106";         ///< error
inline constexpr std::string_view kDisabledPdo = "BM107";        ///< warning
inline constexpr std::string_view kNotWritable = "BM108";        ///< error
inline constexpr std::string_view kValueDoesNotFit = "BM109";    ///< error
inline constexpr std::string_view kValueOutsideLimits = "BM110"; ///< warning
inline constexpr std::string_view kValueNotInteger = "BM111";    ///< error
inline constexpr std::string_view kSharedAddress = "BM112";      ///< warning
inline constexpr std::string_view kNameLeftOut = "BM113";        ///< warning
inline constexpr std::string_view kBusLoad = "BM114";  ///< warning above 70 %, error above 100 %
inline constexpr std::string_view kGuarding = "BM115"; ///< warning

/// Bus load above these percentages of the bit rate is a warning, and an error.
inline constexpr double kLoadWarning = 70.0;
inline constexpr double kLoadError = 100.0;

/// The load of one cycle on the bus.
struct BusLoad {
    /// Bits sent in one cycle (worst-case bit stuffing) and what the bit rate carries in it.
    double bitsPerCycle = 0;
    double capacityBits = 0;
    /// bitsPerCycle as a percentage of capacityBits.
    double percent = 0;
    /// Synchronous PDOs counted (both directions), and PDOs left out as asynchronous.
    int synchronousPdos = 0;
    int asynchronousPdos = 0;
    /// The SYNC frame's bits (0 when sync is off) and the guarding frames' bits per cycle.
    double syncBits = 0;
    double guardingBits = 0;
    /// Nodes guarded (node guarding not disabled, guard time above 0).
    int guardedNodes = 0;
};

/// What the check of a network found.
struct CheckResult {
    /// The findings, network-wide ones first, then by node address; each with its code, its
    /// severity, the node (or 0) and the object where there is one. file is left empty.
    std::vector<model::Diagnostic> findings;
    /// The bus load, or none when the bit rate or the cycle time is not one the controller
    /// takes (the load is then not known).
    std::optional<BusLoad> busLoad;

    int count(model::Severity severity) const;
    bool hasErrors() const { return count(model::Severity::Error) > 0; }
};

/// Checks the whole network as the controller will run it: COB-ID collisions, bit rates, PDO
/// lengths, the devices' own mappings, PDOs the devices do not have, start-up writes, the
/// declarations' addresses and names, the bus load and node guarding.
CheckResult checkNetwork(const model::Network& net);

/// Bits of a CAN data frame with an 11-bit identifier and dataBytes (0 to 8) data bytes,
/// with the largest number of stuff bits such a frame can have.
int frameBits(int dataBytes);

} // namespace busmason::check
