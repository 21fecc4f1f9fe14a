#pragma once

#include "core/model/coupler_info.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace busmason::model {

/// Limits of the model. An add beyond one of them is refused with LimitError.
inline constexpr int kMaxNodes = 127;
inline constexpr int kMaxSdoRecords = 100;
inline constexpr int kMaxValues = 10;
inline constexpr int kMaxVariables = 32;
inline constexpr int kMaxTerminalChannels = 32;

/// Fixed widths of EDS texts, in bytes including the terminator of the original records:
/// a stored text holds at most one byte less.
inline constexpr std::size_t kIndexWidth = 10;
inline constexpr std::size_t kNameWidth = 50;
inline constexpr std::size_t kParameterNameWidth = 248;
inline constexpr std::size_t kLimitWidth = 15;
inline constexpr std::size_t kAccessTypeWidth = 10;

/// Position of an entry in its node's `objects`; links between entries use it.
using EntryId = std::uint32_t;
inline constexpr EntryId kNoEntry = std::numeric_limits<EntryId>::max();

/// The [FileInfo] section. FileName holds the library file name the node was created from.
struct FileInfo {
    std::string FileName;
    std::string FileVersion;
    std::string FileRevision;
    std::string EDSVersion;
    std::string Description;
    std::string CreationTime;
    std::string CreationDate;
    std::string CreatedBy;
    std::string ModificationTime;
    std::string ModificationDate;
    std::string ModifiedBy;
};

/// A FileInfo field and the [FileInfo] key of the same name it is read from.
struct FileInfoField {
    std::string_view key;
    std::string FileInfo::*field;
};

/// The eleven FileInfo fields, in order.
inline constexpr FileInfoField kFileInfoFields[] = {
    {"FileName", &FileInfo::FileName},
    {"FileVersion", &FileInfo::FileVersion},
    {"FileRevision", &FileInfo::FileRevision},
    {"EDSVersion", &FileInfo::EDSVersion},
    {"Description", &FileInfo::Description},
    {"CreationTime", &FileInfo::CreationTime},
    {"CreationDate", &FileInfo::CreationDate},
    {"CreatedBy", &FileInfo::CreatedBy},
    {"ModificationTime", &FileInfo::ModificationTime},
    {"ModificationDate", &FileInfo::ModificationDate},
    {"ModifiedBy", &FileInfo::ModifiedBy},
};

/// The [DeviceInfo] section.
struct DeviceInfo {
    std::string VendorName;
    std::string VendorNumber;
    std::string ProductName;
    std::string ProductNumber;
    std::string RevisionNumber;
    std::string OrderCode;
    bool BaudRate_10 = false;
    bool BaudRate_20 = false;
    bool BaudRate_50 = false;
    bool BaudRate_125 = false;
    bool BaudRate_250 = false;
    bool BaudRate_500 = false;
    bool BaudRate_800 = false;
    bool BaudRate_1000 = false;
    bool SimpleBootUpMaster = false;
    bool SimpleBootUpSlave = false;
    int Granularity = 0;
    bool DynamicChannelsSupported = false;
    bool GroupMessaging = false;
    int NrOfRXPDO = 0;
    int NrOfTXPDO = 0;
    bool LSS_Supported = false;
    int CompactPDO = 0;
};

/// One object dictionary entry: a main entry ([1018]) or a sub-entry ([1018sub1]), with what the
/// user configured on it.
struct object_dict {
    /// The object index: the four hexadecimal characters of the section name, as written.
    std::string index;
    /// The section name without brackets ("1018sub1").
    std::string name;
    /// "-1" for a main entry; for a sub-entry the characters after "sub" ("1", "1A").
    std::string subindex = "-1";
    /// -1 when the section has no SubNumber (a simple variable).
    int SubNumber = -1;
    std::string ParameterName;
    int ObjectType = 0;
    /// CANopen data type code (a row of the data type catalogue when 1 to 0x1B).
    int DataType = 0;
    /// 0 or 1 in a valid file; -1 when absent.
    int PDOMapping = -1;
    std::string LowLimit;
    std::string HighLimit;
    std::string AccessType;
    std::string DefaultValue = "0x0";
    int ObjFlags = 0;

    /// Value texts entered for this entry (at most kMaxValues); valueCount is values.size().
    std::vector<std::string> values;
    /// PLC variable names; the first varCount are in use. Slots beyond varCount may keep old
    /// names (a cleared mapping keeps its slots, as the grids show them).
    std::vector<std::string> varNames;
    int varCount = 0;
    /// PLC type of the variables, as a data type code.
    int varType = 0;
    /// The variables are exchanged by PDO (true) or by SDO (false).
    bool pdoMapped = false;
    /// The entry carries values or variables.
    bool configured = false;
    /// On an entry carrying variables: 2 receive PDO, 1 transmit PDO, below 1 SDO. On a linked
    /// mapping entry: the 1-based PDO number of its mapping object.
    int pdoKind = 0;
    /// On a PDO-mapped entry: the 1-based PDO number. On sub-entry 1 of a PDO communication
    /// object: the count of entries mapped into that PDO.
    int pdoNumber = 0;
    /// Bit offset of each variable within the entry, parallel to varNames.
    std::vector<int> shifts;
    /// Sub-index text of the mapping entry that maps this entry into a PDO.
    std::string mappingSubindex;
    /// On a mapping entry: the application object it maps; on that object: the mapping entry.
    EntryId link = kNoEntry;
    /// Sub-entries 1 to 15 of the mapping objects 0x1600-0x16FF and 0x1A00-0x1AFF.
    bool isMappingEntry = false;
    /// 1-based position of the entry within its PDO, in units of the entry's own size.
    int object = 0;

    bool isSubEntry() const { return subindex != "-1"; }
    int valueCount() const { return static_cast<int>(values.size()); }

    /// The i-th variable name, or "" when the slot was never used.
    const std::string& varName(std::size_t i) const;
    /// Stores name in slot i, growing the slots as needed (i below kMaxVariables).
    void setVarName(std::size_t i, std::string name);
    /// The i-th bit offset, or 0 when the slot was never used.
    int shift(std::size_t i) const;
    void setShift(std::size_t i, int value);
    /// Removes variable i: later names and offsets move up, varCount decreases.
    void removeVariable(std::size_t i);
    /// Appends a value text; LimitError beyond kMaxValues.
    void addValue(std::string value);
};

/// One start-up SDO write: the value text and the entry written.
struct record {
    std::string data;
    EntryId target = kNoEntry;
};

/// One slave device of the network.
struct node {
    FileInfo fileInfo;
    DeviceInfo deviceInfo;
    /// DefaultValue of 0x1018 sub-index 1, or empty.
    std::string vendorId;
    /// DefaultValue of 0x1000, or empty.
    std::string deviceType;
    /// DefaultValue of 0x1018 sub-index 2, or empty.
    std::string productCode;
    /// Node address 1 to 127; equals the node's place in the network.
    int address = 0;
    bool virtual_ = false;
    bool ngDisabled = false;
    /// Every object section of the EDS, in file order. Created once; never reallocated, so
    /// EntryIds stay valid for the node's life.
    std::vector<object_dict> objects;
    /// Start-up SDO writes in the order they are sent (at most kMaxSdoRecords).
    std::vector<record> sdoRecords;
    /// Present only on a node configured as an I/O coupler.
    std::unique_ptr<coupler_info> coupler;

    /// First entry of each object index, sorted by index, for fast lookups; built by
    /// indexObjects() and used while it covers every entry.
    std::vector<std::pair<std::uint16_t, EntryId>> objectIndex;
    std::size_t indexedCount = 0;

    int sdoCount() const { return static_cast<int>(sdoRecords.size()); }
    object_dict& entry(EntryId id) { return objects[id]; }
    const object_dict& entry(EntryId id) const { return objects[id]; }
    EntryId idOf(const object_dict& e) const { return static_cast<EntryId>(&e - objects.data()); }

    /// Appends a start-up write; LimitError beyond kMaxSdoRecords.
    void addRecord(std::string data, EntryId target);
};

/// The sub-index of a sub-entry as a number ("1A" and "0x1A" are 26); -1 for a main entry or a
/// sub-index that is not hexadecimal (at most four digits).
int subIndexNumber(const object_dict& e);

/// Builds the node's lookup index over its current entries.
void indexObjects(node& n);

/// Object key of an entry: its index, and for a sub-entry "." and two characters of its
/// sub-index (the two after its first "x", else its first two): 1017, 1800.1, 1A00.1A.
std::string objectKey(const object_dict& e);

/// "0x1600:01" style address of an entry for messages.
std::string describeEntry(const object_dict& e);

/// A deep copy of a node, its configuration and coupler included.
std::unique_ptr<node> cloneNode(const node& n);

} // namespace busmason::model
