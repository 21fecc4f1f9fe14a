#pragma once

#include "core/coupler/coupler_session.h"
#include "core/editor/parameters.h"
#include "core/model/errors.h"
#include "core/model/network.h"
#include "core/nodeconfig/administration.h"

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace busmason::editor {

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

/// What closing a coupler's configuration gives: the rebuild's outcome and, when a channel could
/// not be placed, the translation key the coupler window shows ("<PDO TERMINATI>").
struct CouplerClose {
    coupler::PlacementOutcome outcome;
    std::string_view messageKey;
};

/// The network of one open project: its folder and name, the Network, and the network list in
/// the order the nodes were added, with the captions and node-tree labels the windows show.
///
/// Every operation that changes the network goes through the session and marks the project
/// modified itself, so the windows and the command line cannot forget it.
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
    /// ParameterError for the first field the controller cannot take; then nothing changes.
    void setParameters(const model::NetworkParameters& parameters);
    /// Sets one parameter from its text, as the editor's field or the command line gives it.
    /// ParameterError when the controller cannot take it; then nothing changes.
    void setParameter(ParameterField field, std::string_view text);
    /// Sync enabled and the node-guarding toggle bit.
    void setSync(bool on);
    void setToggleBit(bool on);
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

    /// Stores the node configuration's administration page for the node at address (see
    /// nodeconfig::storeAdministration): the address text and the "Virtual" and "Disable NG"
    /// flags. A moved node's list entry and tree label follow as with moveNode. LimitError when
    /// there is no node at address.
    nodeconfig::AdministrationOutcome storeAdministration(int address, std::string_view addressText,
                                                          bool isVirtual, bool ngDisabled);

    /// The node at address; LimitError when there is none.
    model::node& nodeAt(int address);

    /// Runs f(node) on the node at address (a node configuration operation) and marks the
    /// project modified when f returns; a refusal f throws passes through and marks nothing.
    /// LimitError when there is no node at address.
    template <class F> decltype(auto) editNode(int address, F&& f) {
        model::node& n = nodeAt(address);
        if constexpr (std::is_void_v<std::invoke_result_t<F, model::node&>>) {
            std::forward<F>(f)(n);
            markModified();
        } else {
            decltype(auto) result = std::forward<F>(f)(n);
            markModified();
            return result;
        }
    }

    /// The coupler configuration of the node at address, activated when it is not active: the
    /// node gets its coupler part and its row is placed again (coupler::CouplerSession).
    coupler::CouplerSession& coupler(int address);
    /// Activates the coupler configuration of the node at address afresh, as the coupler window
    /// does each time it opens.
    coupler::CouplerSession& activateCoupler(int address);
    /// Runs f(coupler(address)) (a terminal operation), marks the project modified and records
    /// that the coupler's writes and variables need the rebuild of closeCoupler.
    template <class F> decltype(auto) editCoupler(int address, F&& f) {
        coupler::CouplerSession& c = coupler(address);
        m_couplersChanged.insert(&c.node());
        markModified();
        return std::forward<F>(f)(c);
    }
    /// Closes the coupler configuration of the node at address: rebuilds its variables and
    /// start-up writes from its terminal row. Modified when its row changed since its last close.
    CouplerClose closeCoupler(int address);
    /// Couplers whose terminal row changed after their last close, in address order: their
    /// writes and variables are not rebuilt yet.
    std::vector<int> couplersNeedingClose() const;

private:
    /// Position of the list entry showing address, or -1.
    int listPosition(int address) const;
    /// Relabels the list entry and tree label of a node moved from oldAddress.
    void relabelMoved(int oldAddress, int newAddress);

    std::filesystem::path m_folder;
    std::string m_name;
    model::Network m_network;
    std::vector<NetworkListEntry> m_list;
    std::vector<std::string> m_treeLabels;
    /// Active coupler configurations by node address; dropped when nodes move or go.
    std::map<int, std::unique_ptr<coupler::CouplerSession>> m_couplers;
    /// Couplers whose row changed since their last close.
    std::set<const model::node*> m_couplersChanged;
};

} // namespace busmason::editor
