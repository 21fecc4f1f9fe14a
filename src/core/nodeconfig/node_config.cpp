#include "core/nodeconfig/node_config.h"

#include "core/model/data_types.h"
#include "core/model/lookup.h"
#include "core/model/numbers.h"
#include "core/nodeconfig/pdo_mapping.h"
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

bool allowsWriting(const object_dict& e) {
    return e.AccessType.find("rw") != std::string::npos ||
           e.AccessType.find("RW") != std::string::npos;
}

std::string hex4(int value) {
    return "0x" + util::hexUpper(static_cast<std::uint32_t>(value), 4);
}

/// Mapping entry m now maps target; the object it mapped before no longer points back to it.
void link(node& n, EntryId m, EntryId target) {
    object_dict& mapping = n.entry(m);
    if (mapping.link != kNoEntry && mapping.link != target && n.entry(mapping.link).link == m) {
        n.entry(mapping.link).link = kNoEntry;
    }
    mapping.link = target;
    n.entry(target).link = m;
    // As the EDS reader does for the links it makes: the 1-based PDO number of the object.
    const auto index = static_cast<int>(std::stoul(mapping.index, nullptr, 16));
    mapping.pdoKind = index - (util::istartsWith(mapping.index, "16") ? 0x1600 : 0x1A00) + 1;
}

/// The mapping entry that maps entry id: the first mapping entry of the list linked to it.
EntryId mappingEntryOf(const node& n, EntryId id) {
    for (EntryId m = 0; m < n.objects.size(); ++m) {
        if (n.objects[m].isMappingEntry && n.objects[m].link == id) {
            return m;
        }
    }
    return kNoEntry;
}

/// The variable part: the entry's single variable, placed into the PDO of its mapping entry.
void nameVariable(node& n, EntryId id, std::string name) {
    object_dict& e = n.entry(id);
    e.setVarName(0, std::move(name));
    e.varCount = 1;
    // Also for an entry exchanged by SDO: the I/O map takes the variable's size from it.
    e.varType = e.DataType;
    if (e.PDOMapping != 1) {
        return;
    }
    const EntryId m = mappingEntryOf(n, id);
    if (m == kNoEntry) {
        return;
    }
    const object_dict& mapping = n.entry(m);
    const bool receive = util::istartsWith(mapping.index, "16");
    if (!receive && !util::istartsWith(mapping.index, "1A")) {
        return;
    }
    const bool wasMapped = e.pdoMapped;
    const auto oldDirection = directionOfKind(e.pdoKind);
    const int oldPdo = e.pdoNumber;
    const auto index = static_cast<int>(std::stoul(mapping.index, nullptr, 16));
    e.pdoKind = receive ? 2 : 1;
    e.pdoNumber = index - (receive ? 0x1600 : 0x1A00) + 1;
    e.mappingSubindex = mapping.subindex;
    e.pdoMapped = true;
    e.setShift(0, 0);
    // The mapping entry's sub-index is the entry's place in the PDO.
    if (const auto position = model::tryReadInteger("0x" + mapping.subindex)) {
        e.object = static_cast<int>(*position);
    }
    if (wasMapped && oldDirection &&
        (*oldDirection != *directionOfKind(e.pdoKind) || oldPdo != e.pdoNumber)) {
        settlePdo(n, *oldDirection, oldPdo);
    }
}

UpdateOutcome update(node& n, EntryId id, std::string_view name, const ParameterBoxes& boxes) {
    UpdateOutcome out;
    if (allowsWriting(n.entry(id)) && !boxes.value.empty()) {
        const bool mapping = n.entry(id).isMappingEntry;
        const std::string value =
            "0x" + boxes.value + (mapping ? boxes.subIndex + boxes.dim : std::string());
        requireRoomForValue(n.entry(id));
        requireRoomForWrites(n, 1);
        n.entry(id).addValue(value);
        if (mapping) {
            const EntryId target = model::findEntryId(n, "0x" + boxes.value, "0x" + boxes.subIndex);
            if (target != kNoEntry && target != id) {
                link(n, id, target);
                out.linked = target;
                // An object already named follows the PDO of its new mapping entry.
                const object_dict& t = n.entry(target);
                update(n, target, t.varCount > 0 ? std::string(t.varName(0)) : std::string(), {});
            }
        }
        n.addRecord(value, id);
        out.valueStored = true;
        out.value = value;
    }
    if (!name.empty()) {
        nameVariable(n, id, std::string(name));
    }
    n.entry(id).configured = true;
    return out;
}

void refuseUnless(bool ok, std::string_view key, const std::string& message) {
    if (!ok) {
        throw RefusedError(key, message);
    }
}

void requireBox(std::string_view text, std::size_t width, const char* box) {
    refuseUnless(text.size() <= width, kValueNotAllowed,
                 std::string(box) + " '" + std::string(text) + "' is longer than " +
                     std::to_string(width) + " characters");
}

} // namespace

InputMode inputMode(const object_dict& e) {
    if (e.AccessType.empty() || e.AccessType == "const") {
        return InputMode::None;
    }
    if (e.AccessType == "ro") {
        return InputMode::Variable;
    }
    return e.isMappingEntry ? InputMode::MappingParameter : InputMode::Parameter;
}

std::string treeText(const object_dict& e) {
    return e.isSubEntry() ? e.index + "." + e.subindex : e.index;
}

std::vector<TreeItem> objectTree(const node& n) {
    std::vector<TreeItem> items;
    for (EntryId id = 0; id < n.objects.size(); ++id) {
        const object_dict& e = n.objects[id];
        TreeItem item{treeText(e), id, {}};
        if (e.isSubEntry() && !items.empty()) {
            items.back().children.push_back(std::move(item));
        } else {
            items.push_back(std::move(item));
        }
    }
    return items;
}

EntryId selectEntry(const node& n, std::string_view text) {
    for (EntryId id = 0; id < n.objects.size(); ++id) {
        if (treeText(n.objects[id]) == text) {
            return id;
        }
    }
    return kNoEntry;
}

std::vector<NameValueRow> detailRows(const object_dict& e) {
    std::vector<NameValueRow> rows;
    rows.push_back({"Index", e.index.substr(0, 4)});
    if (e.isSubEntry()) {
        rows.push_back({"Subindex", e.subindex});
    }
    if (e.SubNumber > 0) {
        rows.push_back({"SubNumber", std::to_string(e.SubNumber)});
    }
    rows.push_back({"ParameterName", e.ParameterName});
    if (e.ObjectType != 0) {
        rows.push_back({"ObjectType", hex4(e.ObjectType)});
    }
    if (e.DataType != 0) {
        rows.push_back({"DataType", hex4(e.DataType)});
    }
    const std::pair<const char*, const std::string*> texts[] = {
        {"LowLimit", &e.LowLimit},
        {"HighLimit", &e.HighLimit},
        {"AccessType", &e.AccessType},
        {"DefaultValue", &e.DefaultValue},
    };
    for (const auto& [key, text] : texts) {
        if (!text->empty()) {
            rows.push_back({key, *text});
        }
    }
    if (e.PDOMapping != -1) {
        rows.push_back({"PDOMapping", std::to_string(e.PDOMapping)});
    }
    if (e.ObjFlags != 0) {
        rows.push_back({"ObjFlags", std::to_string(static_cast<std::uint32_t>(e.ObjFlags))});
    }
    return rows;
}

namespace {

/// Positions of the start-up writes listed as the entry's "Parameter Value" rows.
std::vector<std::size_t> parameterValuePositions(const node& n, const object_dict& e) {
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < n.sdoRecords.size(); ++i) {
        const EntryId target = n.sdoRecords[i].target;
        if (target < n.objects.size() && n.entry(target).index == e.index &&
            n.entry(target).subindex == e.subindex) {
            positions.push_back(i);
        }
    }
    return positions;
}

} // namespace

std::vector<NameValueRow> parameterValueRows(const node& n, EntryId id) {
    std::vector<NameValueRow> rows;
    int ordinal = 0;
    for (const std::size_t i : parameterValuePositions(n, n.objects.at(id))) {
        rows.push_back({"Parameter Value " + std::to_string(++ordinal), n.sdoRecords[i].data});
    }
    return rows;
}

std::vector<NameValueRow> denotationRows(const object_dict& e) {
    std::vector<NameValueRow> rows;
    for (int i = 0; i < e.varCount; ++i) {
        rows.push_back({"Denotation", e.varName(static_cast<std::size_t>(i))});
    }
    return rows;
}

ParameterBoxes splitParameterText(std::string_view text) {
    ParameterBoxes boxes;
    std::string* parts[] = {&boxes.value, &boxes.subIndex, &boxes.dim};
    std::size_t part = 0;
    for (const char c : text) {
        if (c == ',' && part + 1 < std::size(parts)) {
            ++part;
        } else {
            parts[part]->push_back(c);
        }
    }
    return boxes;
}

UpdateOutcome updateEntry(node& n, EntryId id, std::string_view name, const ParameterBoxes& boxes) {
    n.objects.at(id);
    if (!name.empty()) {
        requireValidVariableName(name);
    }
    return update(n, id, name, boxes);
}

UpdateOutcome addParameterValue(node& n, EntryId id, const ParameterBoxes& boxes,
                                std::string_view name) {
    const object_dict& e = n.objects.at(id);
    const InputMode mode = inputMode(e);
    refuseUnless(mode == InputMode::Parameter || mode == InputMode::MappingParameter, {},
                 model::describeEntry(e) + " takes no parameter value (AccessType '" +
                     e.AccessType + "')");
    if (mode == InputMode::MappingParameter) {
        requireBox(boxes.value, kMappingIndexBoxWidth, "index");
        requireBox(boxes.subIndex, kMappingSubIndexBoxWidth, "sub-index");
        requireBox(boxes.dim, kMappingDimBoxWidth, "length");
        refuseUnless(!boxes.value.empty() && !boxes.subIndex.empty() && !boxes.dim.empty(),
                     kValueNotAllowed,
                     "a mapping value of " + model::describeEntry(e) +
                         " needs its index, sub-index and length");
    } else {
        requireBox(boxes.value, kValueBoxWidth, "value");
        refuseUnless(boxes.subIndex.empty() && boxes.dim.empty(), kValueNotAllowed,
                     model::describeEntry(e) + " takes one value, not a mapping");
        refuseUnless(!boxes.value.empty(), kValueNotAllowed,
                     "no value given for " + model::describeEntry(e));
    }
    return updateEntry(n, id, name, boxes);
}

void setVariableName(node& n, EntryId id, std::string_view name) {
    const object_dict& e = n.objects.at(id);
    refuseUnless(inputMode(e) != InputMode::None, {},
                 model::describeEntry(e) + " takes no variable (AccessType '" + e.AccessType +
                     "')");
    requireValidVariableName(name);
    update(n, id, name, {});
}

void deleteVariable(node& n, EntryId id, int row) {
    object_dict& e = n.objects.at(id);
    refuseUnless(row >= 1 && row <= e.varCount, {},
                 model::describeEntry(e) + " has no variable " + std::to_string(row));
    const bool wasMapped = e.pdoMapped;
    e.removeVariable(static_cast<std::size_t>(row - 1));
    if (e.varCount == 0 && wasMapped) {
        unmapEntry(n, id);
    }
}

void deleteParameterValue(node& n, EntryId id, int row) {
    const object_dict& e = n.objects.at(id);
    const std::vector<std::size_t> positions = parameterValuePositions(n, e);
    refuseUnless(row >= 1 && static_cast<std::size_t>(row) <= positions.size(), {},
                 model::describeEntry(e) + " has no parameter value " + std::to_string(row));
    removeWrite(n, positions[static_cast<std::size_t>(row - 1)]);
}

std::vector<VariableListRow> variableListRows(const node& n) {
    std::vector<VariableListRow> rows;
    for (const object_dict& e : n.objects) {
        for (int i = 0; i < e.varCount; ++i) {
            rows.push_back({n.address, e.varName(static_cast<std::size_t>(i)), treeText(e),
                            std::string(model::plcTypeOf(e.DataType)),
                            e.pdoMapped ? "PDO" : "SDO"});
        }
    }
    return rows;
}

} // namespace busmason::nodeconfig
