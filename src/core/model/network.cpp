#include "core/model/network.h"

#include "core/model/errors.h"

namespace busmason::model {

int baudRatePosition(std::string_view name) {
    for (std::size_t i = 0; i < kBaudRateNames.size(); ++i) {
        if (name == kBaudRateNames[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

node* Network::at(int address) {
    return address >= 1 && address <= kMaxNodes ? m_nodes[address].get() : nullptr;
}

const node* Network::at(int address) const {
    return address >= 1 && address <= kMaxNodes ? m_nodes[address].get() : nullptr;
}

void Network::put(int address, std::unique_ptr<node> n) {
    if (address < 1 || address > kMaxNodes) {
        throw LimitError("node address " + std::to_string(address) + " is outside 1 to 127");
    }
    if (m_nodes[address]) {
        throw LimitError("node address " + std::to_string(address) + " is taken");
    }
    n->address = address;
    m_nodes[address] = std::move(n);
}

std::unique_ptr<node> Network::take(int address) {
    if (address < 1 || address > kMaxNodes) {
        return nullptr;
    }
    return std::move(m_nodes[address]);
}

void Network::clear() {
    for (auto& n : m_nodes) {
        n.reset();
    }
}

int Network::nodeCount() const {
    int count = 0;
    for (const auto& n : m_nodes) {
        count += n ? 1 : 0;
    }
    return count;
}

int Network::lowestFreeAddress() const {
    for (int a = 1; a <= kMaxNodes; ++a) {
        if (!m_nodes[a]) {
            return a;
        }
    }
    return 0;
}

void Network::forEachNode(const std::function<void(node&)>& f) {
    for (int a = 1; a <= kMaxNodes; ++a) {
        if (m_nodes[a]) {
            f(*m_nodes[a]);
        }
    }
}

void Network::forEachNode(const std::function<void(const node&)>& f) const {
    for (int a = 1; a <= kMaxNodes; ++a) {
        if (m_nodes[a]) {
            f(*m_nodes[a]);
        }
    }
}

} // namespace busmason::model
