#include "core/nodeconfig/writes.h"

#include "core/model/errors.h"
#include "core/nodeconfig/node_config.h"
#include "core/nodeconfig/refusal.h"

#include <algorithm>
#include <utility>

namespace busmason::nodeconfig {

using model::node;
using model::object_dict;

std::vector<ParameterListRow> parameterListRows(const node& n) {
    std::vector<ParameterListRow> rows;
    rows.reserve(n.sdoRecords.size());
    for (const model::record& r : n.sdoRecords) {
        if (r.target < n.objects.size()) {
            const object_dict& target = n.entry(r.target);
            rows.push_back({target.ParameterName, treeText(target), r.data});
        } else {
            rows.push_back({{}, {}, r.data});
        }
    }
    return rows;
}

int moveWrite(node& n, int row, MoveDirection direction) {
    if (row < 1 || row > n.sdoCount()) {
        throw RefusedError({}, "there is no start-up write " + std::to_string(row) + " (node " +
                                   std::to_string(n.address) + " has " +
                                   std::to_string(n.sdoCount()) + ")");
    }
    const int other = direction == MoveDirection::Up ? row - 1 : row + 1;
    if (other < 1 || other > n.sdoCount()) {
        return row;
    }
    std::swap(n.sdoRecords[static_cast<std::size_t>(row - 1)],
              n.sdoRecords[static_cast<std::size_t>(other - 1)]);
    return other;
}

void removeWrite(node& n, std::size_t position) {
    const model::record r = n.sdoRecords.at(position);
    n.sdoRecords.erase(n.sdoRecords.begin() + static_cast<std::ptrdiff_t>(position));
    if (r.target < n.objects.size()) {
        auto& values = n.entry(r.target).values;
        if (auto it = std::find(values.begin(), values.end(), r.data); it != values.end()) {
            values.erase(it);
        }
    }
}

void requireRoomForWrites(const node& n, int count) {
    if (n.sdoCount() + count > model::kMaxSdoRecords) {
        throw model::LimitError("at most " + std::to_string(model::kMaxSdoRecords) +
                                " start-up writes per node (node " + std::to_string(n.address) +
                                " has " + std::to_string(n.sdoCount()) + ")");
    }
}

void requireRoomForValue(const object_dict& e) {
    if (e.valueCount() >= model::kMaxValues) {
        throw model::LimitError("at most " + std::to_string(model::kMaxValues) +
                                " values per entry (" + model::describeEntry(e) + ")");
    }
}

} // namespace busmason::nodeconfig
