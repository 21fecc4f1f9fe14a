#include "core/nodeconfig/pdo_mapping.h"

#include "core/model/data_types.h"
#include "core/model/lookup.h"
#include "core/model/numbers.h"
#include "core/nodeconfig/refusal.h"
#include "core/nodeconfig/variable_name.h"
#include "core/nodeconfig/writes.h"
#include "core/util/text.h"

namespace busmason::nodeconfig {

using model::EntryId;
using model::kNoEntry;
using model::node;
using model::object_dict;

namespace {

constexpr int kindOf(PdoDirection direction) {
    return direction == PdoDirection::Receive ? 2 : 1;
}

/// A slot of the standard layout that takes an entry.
struct Placement {
    PdoDirection direction;
    int row;
    /// Width of the alternative that matched: 16 analogue, 8 digital.
    int bits;
};

/// The entry's object index and sub-index as numbers; none for a main entry or unreadable text.
std::optional<std::pair<unsigned, int>> objectAddress(const object_dict& e) {
    if (!e.isSubEntry() || e.index.size() != 4 || !util::isHexText(e.index)) {
        return std::nullopt;
    }
    std::string_view sub = e.subindex;
    if (util::istartsWith(sub, "0x")) {
        sub.remove_prefix(2);
    }
    if (sub.empty() || sub.size() > 4 || !util::isHexText(sub)) {
        return std::nullopt;
    }
    return std::pair{static_cast<unsigned>(std::stoul(e.index, nullptr, 16)),
                     static_cast<int>(std::stoul(std::string(sub), nullptr, 16))};
}

std::optional<Placement> findPlacement(const object_dict& e) {
    const auto address = objectAddress(e);
    if (!address) {
        return std::nullopt;
    }
    const auto [index, sub] = *address;
    for (const PdoDirection direction : {PdoDirection::Receive, PdoDirection::Transmit}) {
        const PdoLayout& layout = pdoLayout(direction);
        for (int row = 0; row < kPdoLayoutRows; ++row) {
            const PdoSlot& s = layout[row];
            if (s.analogBits > 0 && s.analogIndex == index && s.analogSub == sub) {
                return Placement{direction, row, s.analogBits};
            }
            if (s.digitalBits > 0 && s.digitalIndex == index && s.digitalSub == sub) {
                return Placement{direction, row, s.digitalBits};
            }
        }
    }
    return std::nullopt;
}

/// The PLC type code of a mapped entry: the first code (0 to 0x1A) of the entry's width. A
/// DataType without a width (no catalogue row, 0, DOMAIN) takes the width of its slot, so the
/// variable never ends up without a size.
int mappedVarType(const object_dict& e, int slotBits) {
    int bits = model::bitsOf(e.DataType);
    if (bits == 0) {
        bits = slotBits;
    }
    const int code = model::firstCodeWithBits(bits, 0x1A);
    return code < 0 ? 0x02 : code;
}

EntryId communicationEntry(const node& n, PdoDirection direction, int pdo) {
    const unsigned base = direction == PdoDirection::Receive ? 0x1400 : 0x1800;
    return model::findEntryIdByNumber(n, base + static_cast<unsigned>(pdo - 1), 1);
}

bool inConfiguredRange(int pdo) {
    return pdo >= kFirstConfiguredPdo && pdo <= kLastPdo;
}

std::string cobIdText(const node& n, PdoDirection direction, int pdo) {
    return "0x" + util::hexUpper(pdoCobId(pdo - 1, direction, n.address), 4);
}

} // namespace

std::optional<PdoDirection> directionOfKind(int pdoKind) {
    if (pdoKind == 2) {
        return PdoDirection::Receive;
    }
    if (pdoKind == 1) {
        return PdoDirection::Transmit;
    }
    return std::nullopt;
}

bool isOnPdoPage(const object_dict& e) {
    return e.PDOMapping == 1 && (e.AccessType.find_first_of("rRwW") != std::string::npos);
}

PdoRow pdoRowOf(const node& n, EntryId id) {
    const object_dict& e = n.objects.at(id);
    PdoRow row;
    row.entry = id;
    row.index = e.index;
    row.subIndex = e.isSubEntry() ? "0x" + e.subindex : std::string();
    row.description = e.ParameterName;
    row.pdo = e.pdoNumber;
    row.bits = model::bitsOf(e.DataType);
    row.name = e.varName(0);
    row.map = e.pdoMapped;
    return row;
}

std::vector<PdoRow> pdoRows(const node& n) {
    std::vector<PdoRow> rows;
    for (EntryId id = 0; id < n.objects.size(); ++id) {
        if (isOnPdoPage(n.objects[id])) {
            rows.push_back(pdoRowOf(n, id));
        }
    }
    return rows;
}

PdoUsage pdoUsage(const node& n, PdoDirection direction, int pdo) {
    PdoUsage usage;
    usage.direction = direction;
    usage.pdo = pdo;
    const int kind = kindOf(direction);
    for (const object_dict& e : n.objects) {
        if (e.pdoMapped && e.varCount > 0 && e.pdoKind == kind && e.pdoNumber == pdo) {
            ++usage.mappedCount;
        }
    }
    if (!inConfiguredRange(pdo)) {
        return usage;
    }
    usage.communication = communicationEntry(n, direction, pdo);
    if (usage.communication == kNoEntry) {
        return usage;
    }
    const auto cobId = static_cast<std::int64_t>(pdoCobId(pdo - 1, direction, n.address));
    for (std::size_t i = 0; i < n.sdoRecords.size(); ++i) {
        const model::record& r = n.sdoRecords[i];
        if (r.target == usage.communication && model::tryReadInteger(r.data) == cobId) {
            usage.cobIdWrites.push_back(i);
        }
    }
    return usage;
}

namespace {

/// Keeps the count of a PDO on its communication entry, which carries no variable of its own.
void storeCount(node& n, const PdoUsage& usage) {
    if (usage.communication == kNoEntry) {
        return;
    }
    object_dict& comm = n.entry(usage.communication);
    comm.pdoNumber = usage.mappedCount;
    if (usage.mappedCount > 0) {
        comm.pdoKind = 0;
    }
}

} // namespace

void settlePdo(node& n, PdoDirection direction, int pdo) {
    if (!inConfiguredRange(pdo)) {
        return;
    }
    const PdoUsage usage = pdoUsage(n, direction, pdo);
    storeCount(n, usage);
    if (usage.mappedCount > 0) {
        return;
    }
    for (auto it = usage.cobIdWrites.rbegin(); it != usage.cobIdWrites.rend(); ++it) {
        removeWrite(n, *it);
    }
}

std::vector<PdoUsage> derivePdoUsage(node& n) {
    std::vector<PdoUsage> used;
    for (const PdoDirection direction : {PdoDirection::Receive, PdoDirection::Transmit}) {
        for (int pdo = kFirstConfiguredPdo; pdo <= kLastPdo; ++pdo) {
            PdoUsage usage = pdoUsage(n, direction, pdo);
            storeCount(n, usage);
            if (usage.mappedCount > 0 || !usage.cobIdWrites.empty()) {
                used.push_back(std::move(usage));
            }
        }
    }
    return used;
}

void unmapEntry(node& n, EntryId id) {
    object_dict& e = n.objects.at(id);
    const bool wasMapped = e.pdoMapped;
    const int pdo = e.pdoNumber;
    const auto direction = directionOfKind(e.pdoKind);
    e.pdoNumber = 0;
    e.pdoKind = 0;
    e.varCount = 0;
    e.pdoMapped = false;
    if (!e.varNames.empty()) {
        e.varNames[0].clear();
    }
    if (wasMapped && direction) {
        settlePdo(n, *direction, pdo);
    }
}

MapOutcome mapGridRow(node& n, PdoRow& row) {
    object_dict& e = n.objects.at(row.entry);
    if (!row.map) {
        unmapEntry(n, row.entry);
        row.pdo = 0;
        row.name.clear();
        return MapOutcome::Unmapped;
    }
    if (e.pdoMapped && e.pdoNumber > 0 && e.varCount > 0) {
        e.setVarName(0, row.name);
        return MapOutcome::Renamed;
    }
    const auto placement = findPlacement(e);
    if (!placement) {
        e.setVarName(0, row.name);
        return MapOutcome::NotInLayout;
    }
    const PdoLayout& layout = pdoLayout(placement->direction);
    const int pdo = layout[placement->row].pdo;
    const PdoUsage before = pdoUsage(n, placement->direction, pdo);
    if (before.communication != kNoEntry && before.cobIdWrites.empty()) {
        requireRoomForWrites(n, 1);
    }
    if (e.pdoMapped) {
        // A placement left without variables: release it first (this only removes writes).
        unmapEntry(n, row.entry);
    }
    e.setVarName(0, row.name);
    e.varCount = 1;
    e.varType = mappedVarType(e, placement->bits);
    e.pdoMapped = true;
    e.pdoKind = kindOf(placement->direction);
    e.pdoNumber = pdo;
    e.object = positionInPdo(layout, placement->row);
    e.configured = true;
    row.pdo = pdo;
    if (const PdoUsage usage = pdoUsage(n, placement->direction, pdo);
        usage.communication != kNoEntry) {
        if (usage.cobIdWrites.empty()) {
            n.addRecord(cobIdText(n, placement->direction, pdo), usage.communication);
        }
        settlePdo(n, placement->direction, pdo);
    }
    return MapOutcome::Mapped;
}

MapOutcome typeRowName(node& n, PdoRow& row, std::string_view text) {
    if (!text.empty()) {
        requireValidVariableName(text);
    }
    PdoRow typed = row;
    typed.name = std::string(text);
    typed.map = !text.empty();
    const MapOutcome outcome = mapGridRow(n, typed);
    row = std::move(typed);
    return outcome;
}

MapOutcome nameOnPdoPage(node& n, EntryId id, std::string_view text) {
    if (!isOnPdoPage(n.objects.at(id))) {
        throw RefusedError({}, model::describeEntry(n.entry(id)) + " is not on the PDO page");
    }
    PdoRow row = pdoRowOf(n, id);
    return typeRowName(n, row, text);
}

} // namespace busmason::nodeconfig
