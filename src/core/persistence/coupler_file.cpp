#include "core/persistence/coupler_file.h"

#include "core/persistence/xml_text.h"

#include <algorithm>
#include <memory>

namespace busmason::persistence {

using model::Diagnostic;

namespace {

void row(std::string& out, std::string_view indent, std::string_view name, std::string_view text) {
    out += indent;
    appendElement(out, name, text);
    out += "\r\n";
}

void writeTerminal(std::string& out, const model::terminal& t) {
    out += "\t<TerminalInfo>\r\n";
    row(out, "\t\t", "ID", std::to_string(t.ID));
    row(out, "\t\t", "Tname", t.Tname);
    row(out, "\t\t", "Varnumb", std::to_string(t.Varnumb));
    row(out, "\t\t", "Pos", std::to_string(t.Pos));
    out += "\t\t<Varinfo>\r\n";
    const std::size_t channels =
        std::min(t.channels.size(), static_cast<std::size_t>(std::max(t.Varnumb, 0)));
    for (std::size_t i = 0; i < channels; ++i) {
        const model::io_mod& c = t.channels[i];
        out += "\t\t\t<Var>\r\n";
        row(out, "\t\t\t\t", "Vname", c.Vname);
        row(out, "\t\t\t\t", "bitnumb", std::to_string(c.bitnumb));
        row(out, "\t\t\t\t", "Config", std::to_string(c.Config));
        row(out, "\t\t\t\t", "dir", std::to_string(c.dir));
        out += "\t\t\t</Var>\r\n";
    }
    out += "\t\t</Varinfo>\r\n";
    out += "\t</TerminalInfo>\r\n";
}

class CouplerReader {
public:
    CouplerReader(const XmlSource& source, model::Network& network,
                  std::vector<Diagnostic>& diagnostics, const UnbuiltNodes& unbuilt)
        : m_src(source), m_network(network), m_diags(diagnostics), m_unbuilt(unbuilt) {}

    void run() {
        const pugi::xml_node root = m_src.document().document_element();
        for (pugi::xml_node block = root.child("CouplerInfo"); block;
             block = block.next_sibling("CouplerInfo")) {
            couplerBlock(block);
        }
    }

private:
    void couplerBlock(pugi::xml_node block) {
        const int address = m_src.integer(block, "NodeID");
        auto coupler = std::make_unique<model::coupler_info>();
        for (pugi::xml_node t = block.child("TerminalInfo"); t;
             t = t.next_sibling("TerminalInfo")) {
            coupler->terminals.push_back(terminal(address, t));
        }
        model::node* n = m_network.at(address);
        if (!n) {
            const auto it = m_unbuilt.find(address);
            m_src.warn(m_diags, block,
                       "coupler of node " + std::to_string(address) +
                           (it != m_unbuilt.end() ? " (" + it->second + ")" : "") +
                           " dropped with its " + std::to_string(coupler->terminalCount()) +
                           " terminals: the project has no node at that address");
            return;
        }
        if (n->coupler) {
            m_src.warn(m_diags, block,
                       "a second coupler block for node " + std::to_string(address) +
                           " replaces the first");
        }
        n->coupler = std::move(coupler);
    }

    model::terminal terminal(int address, pugi::xml_node e) {
        model::terminal t;
        t.ID = m_src.integer(e, "ID");
        t.Tname = XmlSource::text(e, "Tname");
        t.Varnumb = m_src.integer(e, "Varnumb");
        t.Pos = m_src.integer(e, "Pos");
        const std::string label = "node " + std::to_string(address) + " terminal " +
                                  std::to_string(t.Pos) + " (" + t.Tname + ")";
        if (t.Varnumb < 0 || t.Varnumb > model::kMaxTerminalChannels) {
            const int kept = std::clamp(t.Varnumb, 0, model::kMaxTerminalChannels);
            m_src.warn(m_diags, e.child("Varnumb"),
                       label + ": " + std::to_string(t.Varnumb) + " channels is outside 0 to " +
                           std::to_string(model::kMaxTerminalChannels) + "; " +
                           std::to_string(kept) + " kept");
            t.Varnumb = kept;
        }
        t.channels.resize(static_cast<std::size_t>(t.Varnumb));
        std::size_t i = 0;
        int dropped = 0;
        for (pugi::xml_node v = e.child("Varinfo").child("Var"); v; v = v.next_sibling("Var")) {
            model::io_mod c;
            c.Vname = XmlSource::text(v, "Vname");
            c.bitnumb = m_src.integer(v, "bitnumb");
            c.Config = m_src.integer(v, "Config");
            c.dir = m_src.integer(v, "dir");
            if (i < t.channels.size()) {
                t.channels[i++] = std::move(c);
            } else {
                ++dropped;
            }
        }
        if (dropped > 0) {
            m_src.warn(m_diags, e,
                       label + ": " + std::to_string(dropped) + " channels beyond its " +
                           std::to_string(t.Varnumb) + " dropped");
        }
        return t;
    }

    const XmlSource& m_src;
    model::Network& m_network;
    std::vector<Diagnostic>& m_diags;
    const UnbuiltNodes& m_unbuilt;
};

} // namespace

std::string writeCouplerFile(const model::Network& network) {
    std::string out = "<Module>\r\n";
    network.forEachNode([&](const model::node& n) {
        if (!n.coupler) {
            return;
        }
        out += "<CouplerInfo>\r\n";
        row(out, "\t", "NodeID", std::to_string(n.address));
        for (const model::terminal& t : n.coupler->terminals) {
            writeTerminal(out, t);
        }
        out += "</CouplerInfo>\r\n";
    });
    out += "</Module>\r\n";
    return out;
}

bool readCouplerFile(std::string_view bytes, const std::string& fileName, model::Network& network,
                     std::vector<Diagnostic>& diagnostics, const UnbuiltNodes& unbuilt) {
    try {
        const XmlSource source(bytes, fileName);
        CouplerReader(source, network, diagnostics, unbuilt).run();
        return true;
    } catch (const ReadStop& stop) {
        diagnostics.push_back(stop.diagnostic);
        return false;
    }
}

} // namespace busmason::persistence
