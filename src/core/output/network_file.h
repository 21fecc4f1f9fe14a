#pragma once

#include "core/model/errors.h"
#include "core/model/network.h"
#include "core/output/generated_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::output {

/// Sizes of the network file's parts, in bytes: the header, the fixed part of a node record and
/// one start-up write entry.
inline constexpr std::size_t kNetworkHeaderSize = 8;
inline constexpr std::size_t kNodeRecordSize = 16;
inline constexpr std::size_t kWriteEntrySize = 8;
/// Flags in the header's cycle time word.
inline constexpr std::uint16_t kSyncOffFlag = 0x8000;
inline constexpr std::uint16_t kToggleOffFlag = 0x4000;

/// The network parameters as the controller's header stores them.
struct BusParameters {
    /// Cycle time in ms (0 to 16383), with 0x8000 when sync is off and 0x4000 when the
    /// node-guarding toggle bit is not managed.
    std::uint16_t cycleWord = 0;
    /// Bit rate in kbit/s (1000 down to 10).
    std::uint16_t bitRate = 0;
    /// CAN channel (0 to 255).
    std::uint8_t channel = 0;
    /// Guard time in ms.
    std::uint16_t guardTime = 0;
    /// Life time factor.
    std::uint8_t lifeTime = 0;
};

/// What checking the network's parameters gives: the header values, valid only when there is
/// no error, and one error per field whose text does not fit.
struct BusParameterCheck {
    BusParameters parameters;
    std::vector<model::Diagnostic> errors;
};

/// Converts the typed parameters. Every field the controller cannot take (see
/// editor::checkParameters) is an error naming the field, as is a node address outside 1 to 127.
BusParameterCheck checkBusParameters(const model::Network& net);

/// "network" + channel text + ".cmg".
std::string networkFileName(std::string_view channel);

/// The network configuration file: the 8-byte header, then per node in increasing address its
/// address, identity (device type, vendor ID, product code), the count of its start-up writes
/// and one 8-byte entry per write (index, sub-index, data length, value), all little-endian and
/// packed. A text that is not an integer is an error naming the node, the object and the text.
GeneratedFile networkFile(const model::Network& net, const BusParameters& bus);

} // namespace busmason::output
