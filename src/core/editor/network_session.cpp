#include "core/editor/network_session.h"

#include "core/nodeconfig/administration.h"

#include "core/coupler/terminal_row.h"
#include "core/eds/eds_parser.h"
#include "core/util/file_io.h"

#include <algorithm>

namespace busmason::editor {

using model::LimitError;

std::string listCaption(int address, std::string_view edsName) {
    return std::to_string(address) + " - " + std::string(edsName);
}

std::string arrangedCaption(int address, std::string_view edsName) {
    return std::to_string(address) + "-\n" + std::string(edsName);
}

std::string movedCaption(int newAddress, std::string_view oldCaption) {
    const std::size_t dash = oldCaption.find('-');
    const std::string_view rest =
        dash == std::string_view::npos ? oldCaption : oldCaption.substr(dash + 1);
    return std::to_string(newAddress) + "-" + std::string(rest);
}

NetworkSession::NetworkSession(std::filesystem::path projectFolder, std::string projectName)
    : m_folder(std::move(projectFolder)), m_name(std::move(projectName)) {}

std::filesystem::path NetworkSession::projectFile() const {
    return m_folder / (m_name + ".bsm");
}

std::filesystem::path NetworkSession::couplerFile() const {
    return m_folder / (m_name + ".pco");
}

std::string NetworkSession::windowCaption() const {
    return "KOVA Busmason -" + util::displayPath(projectFile()) + (modified() ? "*" : "");
}

void NetworkSession::setParameters(const model::NetworkParameters& parameters) {
    if (const auto problems = checkParameters(parameters); !problems.empty()) {
        throw ParameterError(problems.front().field, problems.front().message);
    }
    if (parameters != m_network.parameters) {
        m_network.parameters = parameters;
        markModified();
    }
}

void NetworkSession::setParameter(ParameterField field, std::string_view text) {
    if (auto problem = parameterProblem(field, text)) {
        throw ParameterError(field, *problem);
    }
    std::string& current = fieldText(m_network.parameters, field);
    if (current != text) {
        current = std::string(text);
        markModified();
    }
}

void NetworkSession::setSync(bool on) {
    if (m_network.parameters.enableSync != on) {
        m_network.parameters.enableSync = on;
        markModified();
    }
}

void NetworkSession::setToggleBit(bool on) {
    if (m_network.parameters.toggleBit != on) {
        m_network.parameters.toggleBit = on;
        markModified();
    }
}

void NetworkSession::setPrefix(std::string prefix) {
    if (prefix != m_network.prefix) {
        m_network.prefix = std::move(prefix);
        markModified();
    }
}

void NetworkSession::setCrosstableRow(std::string row) {
    if (row != m_network.crosstableRow) {
        m_network.crosstableRow = std::move(row);
        markModified();
    }
}

AddedNode NetworkSession::addNode(const std::filesystem::path& edsFolder,
                                  std::string_view edsName) {
    const int address = m_network.lowestFreeAddress();
    if (address == 0) {
        throw LimitError("all " + std::to_string(model::kMaxNodes) + " node addresses are in use");
    }
    eds::EdsReadResult read = eds::createNodeFromLibrary(edsFolder, edsName, address);
    if (!read.node) {
        std::string why;
        for (const model::Diagnostic& d : read.diagnostics) {
            if (d.severity == model::Severity::Error) {
                why += (why.empty() ? "" : "; ") + formatDiagnostic(d);
            }
        }
        throw model::FileError(util::displayPath(edsFolder / std::string(edsName)),
                               "no node created: " + (why.empty() ? "unreadable EDS" : why));
    }
    insertNode(std::move(read.node), address);
    return AddedNode{address, std::move(read.diagnostics)};
}

void NetworkSession::insertNode(std::unique_ptr<model::node> n, int address) {
    std::string edsName = n->fileInfo.FileName;
    m_network.put(address, std::move(n));
    m_list.push_back(NetworkListEntry{address, edsName, listCaption(address, edsName)});
    m_treeLabels.push_back(std::to_string(m_list.size()));
    markModified();
}

int NetworkSession::listPosition(int address) const {
    for (std::size_t i = 0; i < m_list.size(); ++i) {
        if (m_list[i].address == address) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool NetworkSession::deleteNode(int address) {
    model::node* n = m_network.at(address);
    if (!n) {
        return false;
    }
    m_couplers.erase(address);
    m_couplersChanged.erase(n);
    m_network.take(address);
    const int pos = listPosition(address);
    if (pos >= 0) {
        m_list.erase(m_list.begin() + pos);
        m_treeLabels.erase(m_treeLabels.begin() + pos);
    }
    markModified();
    return true;
}

void NetworkSession::arrange() {
    m_couplers.clear();
    std::vector<int> old;
    m_network.forEachNode([&](const model::node& n) { old.push_back(n.address); });
    std::vector<std::unique_ptr<model::node>> nodes;
    for (int a : old) {
        nodes.push_back(m_network.take(a));
    }
    bool moved = false;
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        const int address = static_cast<int>(k) + 1;
        moved = moved || old[k] != address;
        m_network.put(address, std::move(nodes[k]));
    }
    for (NetworkListEntry& e : m_list) {
        const auto it = std::find(old.begin(), old.end(), e.address);
        if (it != old.end()) {
            e.address = static_cast<int>(it - old.begin()) + 1;
        }
        e.caption = arrangedCaption(e.address, e.edsName);
    }
    for (std::size_t k = 0; k < m_treeLabels.size(); ++k) {
        m_treeLabels[k] = std::to_string(k + 1);
    }
    if (moved) {
        markModified();
    }
}

void NetworkSession::moveNode(int oldAddress, int newAddress) {
    if (!m_network.at(oldAddress)) {
        throw LimitError("there is no node " + std::to_string(oldAddress));
    }
    if (newAddress == oldAddress) {
        return;
    }
    // The move itself (with the COB-ID writes that follow the address) is the node
    // configuration's rule; the session keeps its list and tree labels in step.
    nodeconfig::changeNodeAddress(m_network, oldAddress, newAddress);
    relabelMoved(oldAddress, newAddress);
    markModified();
}

void NetworkSession::relabelMoved(int oldAddress, int newAddress) {
    m_couplers.clear();
    const int pos = listPosition(oldAddress);
    if (pos >= 0) {
        NetworkListEntry& e = m_list[static_cast<std::size_t>(pos)];
        e.address = newAddress;
        e.caption = movedCaption(newAddress, e.caption);
        m_treeLabels[static_cast<std::size_t>(pos)] = std::to_string(newAddress);
    }
}

model::node& NetworkSession::nodeAt(int address) {
    model::node* n = m_network.at(address);
    if (!n) {
        throw LimitError("there is no node at address " + std::to_string(address));
    }
    return *n;
}

nodeconfig::AdministrationOutcome NetworkSession::storeAdministration(int address,
                                                                      std::string_view addressText,
                                                                      bool isVirtual,
                                                                      bool ngDisabled) {
    nodeAt(address);
    nodeconfig::AdministrationOutcome outcome =
        nodeconfig::storeAdministration(m_network, address, addressText, isVirtual, ngDisabled);
    if (outcome.address != address) {
        relabelMoved(address, outcome.address);
    }
    markModified();
    return outcome;
}

coupler::CouplerSession& NetworkSession::coupler(int address) {
    const auto it = m_couplers.find(address);
    if (it != m_couplers.end()) {
        return *it->second;
    }
    return activateCoupler(address);
}

coupler::CouplerSession& NetworkSession::activateCoupler(int address) {
    nodeAt(address);
    auto session = std::make_unique<coupler::CouplerSession>(m_network, address);
    coupler::CouplerSession& c = *session;
    m_couplers[address] = std::move(session);
    return c;
}

CouplerClose NetworkSession::closeCoupler(int address) {
    coupler::CouplerSession& c = coupler(address);
    CouplerClose result{c.close(), {}};
    if (result.outcome.failure) {
        // Every channel the rebuild cannot place shows as the PDOs running out.
        result.messageKey = coupler::kOutOfPdosKey;
    }
    if (m_couplersChanged.erase(&c.node()) > 0) {
        markModified();
    }
    m_couplers.erase(address);
    return result;
}

std::vector<int> NetworkSession::couplersNeedingClose() const {
    std::vector<int> addresses;
    m_network.forEachNode([&](const model::node& n) {
        if (m_couplersChanged.count(&n) > 0) {
            addresses.push_back(n.address);
        }
    });
    return addresses;
}

} // namespace busmason::editor
