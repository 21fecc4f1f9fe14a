#pragma once

#include "core/output/network_file.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::output {

/// Something in a controller file that does not fit its format, at a byte offset.
struct DecodeProblem {
    std::size_t offset = 0;
    /// The decoding stopped here: the bytes from offset on were not decoded.
    bool stopped = false;
    std::string message;
};

/// One start-up write entry of the network file.
struct DecodedWrite {
    std::size_t offset = 0;
    std::uint16_t index = 0;
    std::uint8_t sub = 0;
    /// Data length in bytes.
    std::uint8_t length = 0;
    std::uint32_t value = 0;
};

/// One node record of the network file.
struct DecodedNode {
    std::size_t offset = 0;
    std::uint8_t address = 0;
    /// The byte after the address, 0 in files the build writes.
    std::uint8_t reserved = 0;
    std::uint32_t deviceType = 0;
    std::uint32_t vendorId = 0;
    std::uint32_t productCode = 0;
    /// The count the record announces; writes holds fewer when the file ends early.
    std::uint16_t writeCount = 0;
    std::vector<DecodedWrite> writes;
};

/// A network configuration file read back.
struct DecodedNetworkFile {
    /// The header, or none when the file is shorter than it.
    std::optional<BusParameters> header;
    std::vector<DecodedNode> nodes;
    std::vector<DecodeProblem> problems;
};

/// The cycle time in ms held in the header's first word, without its flags.
constexpr int cycleTimeOf(std::uint16_t cycleWord) {
    return cycleWord & ~(kSyncOffFlag | kToggleOffFlag);
}

/// Reads a network file ("network0.cmg") as the build writes it: the header, then node records
/// until the end. A file that ends inside a record is decoded as far as it goes: the complete
/// writes of the last node are kept, and a stopping problem gives the offset and the bytes
/// left. Records that do not look like the build's (a reserved byte that is not 0, addresses
/// outside 1 to 127 or not increasing) are decoded all the same and reported.
DecodedNetworkFile decodeNetworkFile(std::string_view bytes);

/// One record of the I/O map file.
struct DecodedVariable {
    std::size_t offset = 0;
    /// The name field up to its first zero byte (all 35 bytes when it has none).
    std::string name;
    /// The name field has no terminating zero: the name may have been cut.
    bool fillsField = false;
    std::uint8_t address = 0;
    std::uint8_t kind = 0;
    /// PDO variables: PDO number, mapping position, bit offset.
    std::uint8_t pdoNumber = 0;
    std::uint8_t position = 0;
    std::uint8_t shift = 0;
    /// SDO variables: object index and sub-index.
    std::uint16_t index = 0;
    std::uint8_t sub = 0;

    /// Exchanged by PDO (the kind byte has no SDO bit).
    bool isPdo() const;
    /// A controller output (receive PDO).
    bool isOutput() const;
    /// The width the kind byte gives (1, 8, 16, 32), or 0 when it gives none.
    int bits() const;
};

/// An I/O map file read back.
struct DecodedIoMap {
    std::vector<DecodedVariable> variables;
    std::vector<DecodeProblem> problems;
};

/// Reads an I/O map file ("iomap0.cmg"): one 40-byte record per variable. Bytes after the last
/// complete record are reported as a stopping problem with their offset; kind bytes the build
/// does not write are decoded and reported.
DecodedIoMap decodeIoMap(std::string_view bytes);

enum class ControllerFile {
    Network, ///< "network*.cmg"
    IoMap,   ///< "iomap*.cmg"
};

/// Which controller file a file name ("network0.cmg", "IOMAP1.CMG") names, by its beginning and
/// its extension ignoring letter case; none for any other name.
std::optional<ControllerFile> controllerFileOf(std::string_view fileName);

} // namespace busmason::output
