#pragma once

#include "core/model/node.h"

#include <algorithm>
#include <vector>

namespace busmason::coupler {

/// A copy of what the coupler rules change on a node (its entries and its start-up writes), put
/// back by restore() so that a refused action leaves the node as it was.
class NodeSnapshot {
public:
    explicit NodeSnapshot(model::node& n)
        : m_node(n), m_objects(n.objects), m_records(n.sdoRecords) {}

    /// Puts the copy back. The entries are assigned in place: the list is never reallocated, so
    /// EntryIds and links stay valid.
    void restore() {
        std::copy(m_objects.begin(), m_objects.end(), m_node.objects.begin());
        m_node.sdoRecords = m_records;
    }

private:
    model::node& m_node;
    std::vector<model::object_dict> m_objects;
    std::vector<model::record> m_records;
};

} // namespace busmason::coupler
