#pragma once

#include <array>
#include <string_view>

namespace busmason::model {

/// One row of the CANopen data type catalogue.
struct DataTypeRow {
    int code;
    /// Name written under "dataType" in the project file ("Unsigned16").
    std::string_view name;
    /// Byte length text written under "length" and read by the network file ("0x2").
    std::string_view length;
    /// Width in bits used by the PDO mapping and the I/O map.
    int bits;
    /// PLC type name shown for variables ("Word").
    std::string_view plcType;
};

/// The catalogue, indexed by code 0 to 0x1B. Code 0 has only the width 0.
inline constexpr std::array<DataTypeRow, 0x1C> kDataTypes{{
    {0x00, "", "", 0, ""},
    {0x01, "Boolean", "0x1", 1, "Bit"},
    {0x02, "Integer8", "0x1", 8, "Byte"},
    {0x03, "Integer16", "0x2", 16, "Word"},
    {0x04, "Integer32", "0x4", 32, "Dword"},
    {0x05, "Unsigned8", "0x1", 8, "Byte"},
    {0x06, "Unsigned16", "0x2", 16, "Word"},
    {0x07, "Unsigned32", "0x4", 32, "Dword"},
    {0x08, "Real32", "0x4", 32, "Dword"},
    {0x09, "VISIBLE_STRING", "0x8", 64, "VISIBLE_STRING"},
    {0x0A, "OCTET_STRING", "0x8", 64, "OCTET_STRING"},
    {0x0B, "UNICODE_STRING", "0x8", 64, "UNICODE_STRING"},
    {0x0C, "TIME_OF_DAY", "0x8", 64, "TIME_OF_DAY"},
    {0x0D, "TIME_DIFFERENCE", "0x8", 64, "TIME_DIFFERENCE"},
    {0x0E, "", "", 0, ""},
    {0x0F, "DOMAIN", "0x8", 0, "DOMAIN"},
    {0x10, "Integer24", "0x3", 24, "INTEGER24"},
    {0x11, "Real64", "0x8", 64, "REAL64"},
    {0x12, "Integer40", "0x5", 40, "INTEGER40"},
    {0x13, "Integer48", "0x6", 48, "INTEGER48"},
    {0x14, "Integer56", "0x7", 56, "INTEGER56"},
    {0x15, "Integer64", "0x8", 64, "INTEGER64"},
    {0x16, "Unsigned24", "0x3", 24, "UNSIGNED24"},
    {0x17, "", "", 0, ""},
    {0x18, "Unsigned40", "0x5", 40, "UNSIGNED40"},
    {0x19, "Unsigned48", "0x6", 48, "UNSIGNED48"},
    {0x1A, "Unsigned56", "0x7", 56, "UNSIGNED56"},
    {0x1B, "Unsigned64", "0x8", 64, "UNSIGNED64"},
}};

/// The row of a code, or nullptr for a code outside 0 to 0x1B (the catalogue is never read
/// beyond its last row).
constexpr const DataTypeRow* dataType(int code) {
    return code >= 0 && code < static_cast<int>(kDataTypes.size()) ? &kDataTypes[code] : nullptr;
}

/// Width in bits of a code; 0 for codes without a row.
constexpr int bitsOf(int code) {
    const DataTypeRow* row = dataType(code);
    return row ? row->bits : 0;
}

/// PLC type name of a code; empty for codes without a row.
constexpr std::string_view plcTypeOf(int code) {
    const DataTypeRow* row = dataType(code);
    return row ? row->plcType : std::string_view{};
}

/// The first code from 0 to lastCode (in code order, code 0 included) whose width is bits;
/// -1 when none has it.
constexpr int firstCodeWithBits(int bits, int lastCode = 0x1B) {
    for (int code = 0; code <= lastCode && code < static_cast<int>(kDataTypes.size()); ++code) {
        if (kDataTypes[code].bits == bits) {
            return code;
        }
    }
    return -1;
}

/// The first code whose PLC type equals name ignoring letter case; -1 when none (an empty
/// name matches nothing).
int codeOfPlcType(std::string_view name);

} // namespace busmason::model
