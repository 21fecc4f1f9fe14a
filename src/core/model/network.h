#pragma once

#include "core/model/node.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

namespace busmason::model {

/// The network parameters as the user typed them; the build checks and converts them.
struct NetworkParameters {
    /// One of "Baud1M", "Baud800k", "Baud500k", "Baud250k", "Baud125k", "Baud50k", "Baud20k",
    /// "Baud10k".
    std::string baudRate = "Baud1M";
    /// CAN channel, "0" or "1".
    std::string channel = "0";
    /// Cycle time in ms.
    std::string cycleTime = "10";
    /// Guard time in ms.
    std::string guardTime = "500";
    /// Life time factor.
    std::string lifeTime = "4";
    bool enableSync = true;
    /// The node-guarding toggle bit is managed.
    bool toggleBit = true;

    bool operator==(const NetworkParameters&) const = default;
};

/// The eight bit rate names in list order; position k is the k-th entry of the editor's list.
inline constexpr std::array<const char*, 8> kBaudRateNames{
    "Baud1M", "Baud800k", "Baud500k", "Baud250k", "Baud125k", "Baud50k", "Baud20k", "Baud10k"};
/// Bit rate in kbit/s by list position.
inline constexpr std::array<int, 8> kBaudRateKbits{1000, 800, 500, 250, 125, 50, 20, 10};

/// Position of a bit rate name in kBaudRateNames (exact, case-sensitive), or -1.
int baudRatePosition(std::string_view name);

/// One CANopen network: the node table by address 1 to 127, the parameters and the PLC texts.
class Network {
public:
    Network() = default;
    Network(const Network&) = delete;
    Network& operator=(const Network&) = delete;
    Network(Network&&) = default;
    Network& operator=(Network&&) = default;

    NetworkParameters parameters;
    /// Variable name prefix of the global variable list ("ch0_").
    std::string prefix = "ch0_";
    /// Crosstable row of the controller ("0").
    std::string crosstableRow = "0";
    /// The network changed since it was last loaded or saved.
    bool modified = false;

    /// The node at address (1 to 127), or nullptr.
    node* at(int address);
    const node* at(int address) const;
    /// Stores n at address (1 to 127, which must be free) and sets its address.
    void put(int address, std::unique_ptr<node> n);
    /// Removes and returns the node at address (nullptr when there is none).
    std::unique_ptr<node> take(int address);
    /// Releases every node.
    void clear();
    /// Number of nodes.
    int nodeCount() const;
    /// The lowest free address, or 0 when all 127 are taken.
    int lowestFreeAddress() const;

    /// Calls f for every node in increasing address.
    void forEachNode(const std::function<void(node&)>& f);
    void forEachNode(const std::function<void(const node&)>& f) const;

private:
    std::array<std::unique_ptr<node>, kMaxNodes + 1> m_nodes;
};

} // namespace busmason::model
