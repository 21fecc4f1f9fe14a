#pragma once

#include "core/model/node.h"

#include <cstddef>
#include <string>
#include <vector>

namespace busmason::nodeconfig {

/// One row of the parameter list: a start-up write as the controller sends it.
struct ParameterListRow {
    /// "Name": ParameterName of the written entry.
    std::string name;
    /// "Object": the entry's index, and "." and its sub-index for a sub-entry (1800.1).
    std::string object;
    /// "Value": the text written.
    std::string value;
};

/// The node's start-up writes in the order they are sent.
std::vector<ParameterListRow> parameterListRows(const model::node& n);

enum class MoveDirection {
    Up,   ///< towards the first write
    Down, ///< towards the last write
};

/// Exchanges start-up write row (1 to sdoCount) with its neighbour and returns the row the write
/// now stands in; moving the first write up or the last one down changes nothing. A row outside
/// 1 to sdoCount is refused.
int moveWrite(model::node& n, int row, MoveDirection direction);

/// Removes the start-up write at position (0-based); later writes move up. The text it wrote is
/// also taken off its entry's values, so the entry's value count follows its writes.
void removeWrite(model::node& n, std::size_t position);

/// LimitError unless count more start-up writes fit into the node.
void requireRoomForWrites(const model::node& n, int count);
/// LimitError unless one more value fits into the entry.
void requireRoomForValue(const model::object_dict& e);

} // namespace busmason::nodeconfig
