#pragma once

#include <array>
#include <cstdint>

namespace busmason::nodeconfig {

/// One slot of a PDO in the standard layout: a 16-bit analogue channel or an 8-bit digital group.
struct PdoSlot {
    /// PDO number 1 to 16.
    int pdo;
    /// 16, or 0 when the slot has no analogue alternative.
    int analogBits;
    unsigned analogIndex;
    int analogSub;
    /// 8, or 0 when the slot has no digital alternative.
    int digitalBits;
    unsigned digitalIndex;
    int digitalSub;
};

inline constexpr int kPdoLayoutRows = 116;
using PdoLayout = std::array<PdoSlot, kPdoLayoutRows>;

enum class PdoDirection {
    Transmit, ///< the device sends (input layout: 0x6000, 0x6401; COB-IDs from 0x180)
    Receive,  ///< the device receives (output layout: 0x6200, 0x6411; COB-IDs from 0x200)
};

/// The standard layout of sixteen PDOs per direction over 0x6000/0x6200 (digital groups) and
/// 0x6401/0x6411 (analogue channels): PDO 1 eight digital groups, PDOs 2 to 4 four analogue
/// channels each, PDOs 5 to 16 four analogue channels or eight digital groups or a mix. The
/// output layout's PDO 16 carries the analogue sub-indexes 57, 74, 75 and 76.
const PdoLayout& outputLayout();
const PdoLayout& inputLayout();
const PdoLayout& pdoLayout(PdoDirection direction);

/// First row of a PDO (1 to 16) in the layout; the rows of one PDO are contiguous.
int firstRowOfPdo(const PdoLayout& layout, int pdo);
/// 1-based position of a row inside its PDO.
int positionInPdo(const PdoLayout& layout, int row);

/// COB-ID of PDO n + 1 (n 0 to 15) of the node at address, kept to 16 bits. PDOs 1 to 4 use
/// the predefined COB-IDs; 5 to 16 the offsets 0x1A0, 0x1C0, 0x1E0, 0x2A0, ... (transmit) and
/// 0x220, 0x240, 0x260, 0x320, ... (receive).
std::uint16_t pdoCobId(int n, PdoDirection direction, int address);

} // namespace busmason::nodeconfig
