#pragma once

#include "core/model/node.h"
#include "core/nodeconfig/pdo_layout.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::nodeconfig {

/// PDOs numbered from here on get a start-up write of their COB-ID.
inline constexpr int kFirstConfiguredPdo = 5;
inline constexpr int kLastPdo = 16;

/// One row of the PDO page: the cells of an entry that may be mapped into a PDO.
struct PdoRow {
    model::EntryId entry = model::kNoEntry;
    /// "Index": the entry's index as written (6200).
    std::string index;
    /// "SubIndex": "0x" and the sub-index for a sub-entry, empty for a main entry.
    std::string subIndex;
    /// "Description": ParameterName.
    std::string description;
    /// "PDO": the PDO the entry is mapped into, 0 when none.
    int pdo = 0;
    /// "BITs": width of the entry's DataType, 0 for a type without a catalogue row.
    int bits = 0;
    /// "Value": always empty.
    std::string value;
    /// "Name": the first variable name.
    std::string name;
    /// "Map": shown "YES" or "NO".
    bool map = false;

    std::string mapText() const { return map ? "YES" : "NO"; }
};

/// An entry is on the PDO page when its PDOMapping is 1 and its AccessType holds an "r" or a
/// "w" (either case), so "const" entries and entries without access type are left out.
bool isOnPdoPage(const model::object_dict& e);

/// The cells of an entry's row.
PdoRow pdoRowOf(const model::node& n, model::EntryId id);

/// The PDO page: one row per entry on it, in list order.
std::vector<PdoRow> pdoRows(const model::node& n);

enum class MapOutcome {
    Renamed,     ///< the entry was mapped already; only its name changed
    Mapped,      ///< the entry was placed by the standard layout
    NotInLayout, ///< no slot of the layout takes the entry: the name is kept, nothing is mapped
    Unmapped,    ///< the entry was taken out of its PDO
};

/// Maps, renames or unmaps the entry of a row from its "Name" and "Map" cells:
/// - "Map" YES on an entry that is mapped: renames it;
/// - "Map" YES otherwise: places it by the first slot of the output layout, else of the input
///   layout, that holds its object and sub-index (a receive or transmit PDO), with varType by
///   its bit width; the first entry in a PDO numbered 5 or more adds the start-up write of the
///   PDO's COB-ID to sub-index 1 of its communication object (0x1400 + n or 0x1800 + n);
/// - "Map" NO: unmaps the entry; the last entry leaving a PDO removes the PDO's COB-ID write.
/// The row's "PDO" and "Name" cells follow. LimitError when the COB-ID write does not fit; then
/// nothing changes.
MapOutcome mapGridRow(model::node& n, PdoRow& row);

/// The name typed into a row: "Name" takes text, "Map" is YES for a text that is not empty,
/// then mapGridRow. A text that is neither empty nor a valid variable name is refused with
/// kValueNotAllowed and changes nothing, the row included.
MapOutcome typeRowName(model::node& n, PdoRow& row, std::string_view text);

/// The name typed into the row of an entry, the row built afresh: typeRowName on it. Refused
/// (RefusedError without key) for an entry that is not on the PDO page.
MapOutcome nameOnPdoPage(model::node& n, model::EntryId id, std::string_view text);

/// Takes an entry out of its PDO: no variable, no PDO; when it was the last entry of a PDO
/// numbered 5 or more, the PDO's COB-ID write is removed.
void unmapEntry(model::node& n, model::EntryId id);

/// How a PDO numbered 5 or more of the node is used.
struct PdoUsage {
    PdoDirection direction = PdoDirection::Receive;
    int pdo = 0;
    /// Entries mapped into the PDO.
    int mappedCount = 0;
    /// Sub-index 1 of the PDO's communication object, or kNoEntry when the device has none.
    model::EntryId communication = model::kNoEntry;
    /// Positions (0-based) of the start-up writes of the PDO's COB-ID.
    std::vector<std::size_t> cobIdWrites;
};

/// The usage of one PDO (5 to 16), derived from the node's mapped entries and start-up writes.
PdoUsage pdoUsage(const model::node& n, PdoDirection direction, int pdo);

/// Derives the usage of every PDO numbered 5 or more from the node's mapped entries and its
/// start-up writes (as after a project is loaded) and stores the counts on the communication
/// entries. Returns the PDOs that hold entries or have a COB-ID write, receive PDOs first.
std::vector<PdoUsage> derivePdoUsage(model::node& n);

/// After the entries of a PDO changed: stores the PDO's count on its communication entry and,
/// when no entry is left in it, removes its COB-ID writes. PDOs below 5 have neither.
void settlePdo(model::node& n, PdoDirection direction, int pdo);

/// The PDO direction of a mapped entry's pdoKind (2 receive, 1 transmit), or none.
std::optional<PdoDirection> directionOfKind(int pdoKind);

} // namespace busmason::nodeconfig
