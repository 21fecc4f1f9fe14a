#pragma once

#include "core/model/errors.h"
#include "core/model/network.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::network {

/// One entry of the network list: the node it shows and the text shown under its icon.
struct NetworkListEntry {
    /// Address of the node the entry shows.
    int address = 0;
    /// The library entry the node was created from ("KM110.eds").
    std::string edsName;
    /// "3 - KM110.eds" when added, "3-" + line break + "KM110.eds" after arranging.
    std::string caption;
};

/// What adding a node gives: its address and what the EDS reader found while creating it.
struct AddedNode {
    int address = 0;
    std::vector<model::Diagnostic> warnings;
};

/// Caption of a new network list entry: address + " - " + EDS name.
std::string listCaption(int address, std::string_view edsName);
/// Caption after arranging: address + "-" + line break + EDS name.
std::string arrangedCaption(int address, std::string_view edsName);
/// Caption after the node moved to newAddress: the new address + "-" + what followed the first
/// "-" of the old caption ("3 - KM110.eds" becomes "5- KM110.eds").
std::string movedCaption(int newAddress, std::string_view oldCaption);

/// A deep copy of a node, its configuration and coupler included.
std::unique_ptr<model::node> cloneNode(const model::node& n);

/// The network of one open project: its folder and name, the Network, and the network list in
/// the order the nodes were added, with the captions and node-tree labels the windows show.
class NetworkSession {
public:
    /// A new project: default parameters ("Baud1M", channel "0", "10", "500", "4", sync and
    /// toggle bit on), prefix "ch0_", crosstable row "0", no node, not modified.
    NetworkSession(std::filesystem::path projectFolder, std::string projectName);

    const std::filesystem::path& projectFolder() const { return m_folder; }
    const std::string& projectName() const { return m_name; }
    /// projectFolder / projectName + ".bsm".
    std::filesystem::path projectFile() const;
    /// projectFolder / projectName + ".pco".
    std::filesystem::path couplerFile() const;
    /// "KOVA Busmason -" + project file path, and "*" while modified.
    std::string windowCaption() const;

    model::Network& network() { return m_network; }
    const model::Network& network() const { return m_network; }

    /// The network list, in the order the nodes were added.
    const std::vector<NetworkListEntry>& list() const { return m_list; }
    /// Labels of the node-tree children, parallel to list(): the node count when the node was
    /// added, after arranging the position 1..N.
    const std::vector<std::string>& treeLabels() const { return m_treeLabels; }

    /// The project changed since it was last loaded or saved.
    bool modified() const { return m_network.modified; }
    /// Records a change made elsewhere (node or coupler configuration).
    void markModified() { m_network.modified = true; }
    /// Called after a successful load or save.
    void clearModified() { m_network.modified = false; }

    /// Replaces the network parameters; modified when they differ from the current ones.
    void setParameters(const model::NetworkParameters& parameters);
    /// Replaces the variable prefix; modified when it differs.
    void setPrefix(std::string prefix);
    /// Replaces the crosstable row; modified when it differs.
    void setCrosstableRow(std::string row);

    /// Creates a node from the library file edsName of edsFolder at the lowest free address and
    /// appends it to the list. Throws LimitError when all 127 addresses are used and FileError
    /// when the EDS cannot be read or is rejected; the session is unchanged then.
    AddedNode addNode(const std::filesystem::path& edsFolder, std::string_view edsName);
    /// Stores a node created elsewhere at address (free, 1 to 127) and appends its list entry
    /// and tree label as adding does. Throws LimitError otherwise.
    void insertNode(std::unique_ptr<model::node> n, int address);
    /// Removes the node at address with its list entry and tree label; false when there is none.
    bool deleteNode(int address);
    /// Renumbers the nodes 1..N in address order; every caption takes the arranged form and the
    /// tree labels read 1..N in list order. The list order does not change. Modified when a node
    /// moved.
    void arrange();
    /// Moves the node at oldAddress to the free newAddress (nodeconfig::changeNodeAddress: its
    /// COB-ID writes follow) and relabels its list entry (movedCaption) and tree label (the new
    /// address). Throws nodeconfig::RefusedError when newAddress is taken ("<ADDRESS PRESENT
    /// YET>") or outside 1 to 127, LimitError when there is no node at oldAddress.
    void moveNode(int oldAddress, int newAddress);

private:
    /// Position of the list entry showing address, or -1.
    int listPosition(int address) const;

    std::filesystem::path m_folder;
    std::string m_name;
    model::Network m_network;
    std::vector<NetworkListEntry> m_list;
    std::vector<std::string> m_treeLabels;
};

} // namespace busmason::network
