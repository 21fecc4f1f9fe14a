#pragma once

#include "core/model/node.h"

#include <string>
#include <string_view>
#include <vector>

namespace busmason::nodeconfig {

/// How the object dictionary page takes input for an entry, by its AccessType.
enum class InputMode {
    None,             ///< empty or "const": no input at all
    Variable,         ///< exactly "ro": a variable name only
    Parameter,        ///< anything else: a variable name and one value box of 8 characters
    MappingParameter, ///< a mapping entry: a variable name and boxes of 4, 2 and 2 characters
};

InputMode inputMode(const model::object_dict& e);

/// Widths of the value boxes, in characters.
inline constexpr std::size_t kValueBoxWidth = 8;
inline constexpr std::size_t kMappingIndexBoxWidth = 4;
inline constexpr std::size_t kMappingSubIndexBoxWidth = 2;
inline constexpr std::size_t kMappingDimBoxWidth = 2;

/// The text of an entry in the object tree and the lists: its index, and for a sub-entry "."
/// and its sub-index (1018, 1018.1).
std::string treeText(const model::object_dict& e);

/// An item of the object tree: a main entry with the sub-entries that follow it.
struct TreeItem {
    std::string text;
    model::EntryId entry = model::kNoEntry;
    std::vector<TreeItem> children;
};

/// The object tree: each main entry a top-level item, each sub-entry a child of the main entry
/// before it (a sub-entry before any main entry stands at the top level).
std::vector<TreeItem> objectTree(const model::node& n);

/// The entry a tree text selects: the first whose treeText equals text; kNoEntry when none.
model::EntryId selectEntry(const model::node& n, std::string_view text);

/// One key and value row of the detail, parameter value and denotation lists.
struct NameValueRow {
    std::string key;
    std::string value;

    bool operator==(const NameValueRow&) const = default;
};

/// The details of an entry: Index, Subindex, SubNumber, ParameterName, ObjectType, DataType,
/// LowLimit, HighLimit, AccessType, DefaultValue, PDOMapping, ObjFlags, each when it applies.
std::vector<NameValueRow> detailRows(const model::object_dict& e);

/// "Parameter Value 1", "Parameter Value 2", ...: the start-up writes to an entry of the same
/// index and sub-index texts as the entry, in the order they are sent.
std::vector<NameValueRow> parameterValueRows(const model::node& n, model::EntryId id);

/// One "Denotation" row per variable of the entry.
std::vector<NameValueRow> denotationRows(const model::object_dict& e);

/// The texts of the value boxes. For a plain entry only value is used; for a mapping entry the
/// three boxes are the mapped object's index, its sub-index and its length in bits.
struct ParameterBoxes {
    std::string value;
    std::string subIndex;
    std::string dim;
};

/// The boxes from one text as a command line gives it: "1F4", or "6000,01,08" for a mapping
/// entry (the parts between commas, in order).
ParameterBoxes splitParameterText(std::string_view text);

/// What updateEntry did.
struct UpdateOutcome {
    /// A value and its start-up write were stored.
    bool valueStored = false;
    /// The value text stored ("0x1F4", "0x60000108").
    std::string value;
    /// The object a mapping entry now maps, or kNoEntry.
    model::EntryId linked = model::kNoEntry;
};

/// Stores a value and a variable name on an entry.
/// Value part (an AccessType containing "rw" or "RW" and a value box that is not empty): the
/// value text "0x" + the boxes joined goes into the entry's values and a start-up write to the
/// entry is appended; a mapping entry is first linked to the object its index and sub-index
/// boxes name (compared as texts), and that object is named again with its own first name so
/// that it follows the mapping entry's PDO.
/// Variable part (a name that is not empty): the entry's single variable with varType its
/// DataType; when a mapping entry maps it, also its PDO, direction and position.
/// The entry becomes configured. LimitError when the value or the write does not fit, and
/// RefusedError for a name that is not a valid variable name; then nothing changes.
UpdateOutcome updateEntry(model::node& n, model::EntryId id, std::string_view name,
                          const ParameterBoxes& boxes);

/// Adds a parameter value as typed into the boxes, with the variable name box text (may be
/// empty). Refused (RefusedError) on an entry without value boxes, for texts that do not fit the
/// boxes, for empty boxes and for an invalid name; an entry whose AccessType allows no writing
/// ("wo") takes the value and stores none of it.
UpdateOutcome addParameterValue(model::node& n, model::EntryId id, const ParameterBoxes& boxes,
                                std::string_view name);

/// Sets the entry's variable name. Refused on an entry without input and for an invalid name.
void setVariableName(model::node& n, model::EntryId id, std::string_view name);

/// Deletes the variable of "Denotation" row (1-based). Deleting the last variable of a mapped
/// entry takes it out of its PDO as the PDO page does.
void deleteVariable(model::node& n, model::EntryId id, int row);

/// Deletes the start-up write shown as "Parameter Value" row (1-based) of the entry.
void deleteParameterValue(model::node& n, model::EntryId id, int row);

/// One row of the variable list.
struct VariableListRow {
    /// The node address.
    int address = 0;
    std::string name;
    /// treeText of the entry.
    std::string object;
    /// PLC type of the entry's DataType, empty for a code without a catalogue row.
    std::string type;
    /// "PDO" or "SDO".
    std::string access;
};

/// Every variable of the node: entries in list order, and each entry's variables in order.
std::vector<VariableListRow> variableListRows(const model::node& n);

} // namespace busmason::nodeconfig
