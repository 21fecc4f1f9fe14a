#pragma once

#include "core/model/network.h"
#include "core/output/generated_file.h"
#include "core/output/variables.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::output {

/// Size of one I/O map record and of its name field, in bytes.
inline constexpr std::size_t kIoMapRecordSize = 40;
inline constexpr std::size_t kIoMapNameSize = 35;

/// Bits of a record's kind byte: the variable's size, and how it is exchanged.
inline constexpr std::uint8_t kKindBit = 0x01;
inline constexpr std::uint8_t kKindByte = 0x02;
inline constexpr std::uint8_t kKindWord = 0x04;
inline constexpr std::uint8_t kKindDword = 0x08;
inline constexpr std::uint8_t kKindReceivePdo = 0x10;  ///< an output of the controller
inline constexpr std::uint8_t kKindTransmitPdo = 0x20; ///< an input of the controller
inline constexpr std::uint8_t kKindSdo = 0x80;

/// The size bit of a width in bits (kKindBit for 1, ... kKindDword for 32); 0 for widths the
/// controller has no size for.
std::uint8_t sizeBit(int bits);

/// The readable dump written beside the I/O map.
inline constexpr std::string_view kIoMapDumpName = "ASCIIcmg.txt";

/// "iomap" + channel text + ".cmg".
std::string ioMapFileName(std::string_view channel);

/// The I/O map file: one 40-byte record per variable (every variable, PDO or SDO): the name
/// padded with zeros to 35 bytes, the node address, the kind byte (size 0x01/0x02/0x04/0x08,
/// receive PDO 0x10, transmit PDO 0x20, SDO 0x80) and either PDO number, mapping position and
/// bit offset or object index and sub-index. A name longer than 35 bytes is cut (never inside
/// a UTF-8 character) and reported.
GeneratedFile ioMapFile(const model::Network& net);
/// The same over variables already collected from net.
GeneratedFile ioMapFile(const model::Network& net, const std::vector<Variable>& variables);

/// "ASCIIcmg.txt": one block of lines per variable, in the I/O map's order, CR LF line ends.
GeneratedFile ioMapDump(const model::Network& net);
GeneratedFile ioMapDump(const std::vector<Variable>& variables);

} // namespace busmason::output
