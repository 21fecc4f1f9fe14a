#include "core/persistence/project_file.h"

#include "core/editor/network_session.h"
#include "core/eds/eds_parser.h"
#include "core/model/data_types.h"
#include "core/model/lookup.h"
#include "core/model/numbers.h"
#include "core/persistence/xml_text.h"
#include "core/util/text.h"

#include <algorithm>
#include <memory>

namespace busmason::persistence {

using model::Diagnostic;
using model::EntryId;
using model::kNoEntry;
using model::node;
using model::object_dict;

namespace {

constexpr std::string_view kEol = "\r\n";

/// One row: indentation, the element with its escaped text, the line end.
void row(std::string& out, std::string_view indent, std::string_view name, std::string_view text,
         std::string_view tail = kEol) {
    out += indent;
    appendElement(out, name, text);
    out += tail;
}

void writeNode(std::string& out, const node& n) {
    out += " \t\t<nodeInfo>\r\n";
    row(out, " \t\t\t", "eds", n.fileInfo.FileName);
    row(out, "\t\t\t", "address", std::to_string(n.address));
    row(out, "\t\t\t", "virtual", n.virtual_ ? "true" : "false");
    row(out, "\t\t\t", "ngDisabled", n.ngDisabled ? "true" : "false");
    row(out, "\t\t\t", "deviceName", n.deviceInfo.ProductName);
    out += "\t\t\t<sdoInfoList>\r\n";
    for (const model::record& r : n.sdoRecords) {
        if (r.target >= n.objects.size()) {
            continue;
        }
        const object_dict& t = n.entry(r.target);
        const model::DataTypeRow* type = model::dataType(t.DataType);
        out += "\t\t\t\t<sdoInfo>\r\n";
        row(out, "\t\t\t\t\t", "isSubindex", t.isSubEntry() ? "TRUE" : "FALSE");
        row(out, "\t\t\t\t\t", "index", "0x" + t.index);
        row(out, "\t\t\t\t\t", "subindex", t.isSubEntry() ? "0x" + t.subindex : "0");
        row(out, "\t\t\t\t\t", "length", type ? type->length : "");
        row(out, "\t\t\t\t\t", "dataType", type ? type->name : "");
        row(out, "\t\t\t\t\t", "data", r.data);
        out += "\t\t\t\t</sdoInfo>\r\n";
    }
    out += "\t\t\t</sdoInfoList>\r\n";
    out += "\t\t\t<varInfoList>\r\n";
    for (const object_dict& e : n.objects) {
        if (e.varCount <= 0) {
            continue;
        }
        // The rows between name and shift are the same for every variable of the entry.
        std::string shared;
        row(shared, "\t\t\t\t\t", "key", model::objectKey(e));
        row(shared, "\t\t\t\t\t", "type", variableTypeText(e));
        row(shared, "\t\t\t\t\t", "pdo", std::to_string(variablePdo(e)));
        row(shared, "\t\t\t\t\t", "object", std::to_string(e.object));
        for (int i = 0; i < e.varCount; ++i) {
            out += "\t\t\t\t<varInfo>\r\n";
            row(out, "\t\t\t\t\t", "name", e.varName(static_cast<std::size_t>(i)));
            out += shared;
            row(out, "\t\t\t\t\t", "shift", std::to_string(e.shift(static_cast<std::size_t>(i))));
            out += "\t\t\t\t</varInfo>\r\n";
        }
    }
    out += "\t\t\t</varInfoList>\r\n";
    out += "\t\t</nodeInfo>\r\n";
}

/// "node 5 (KM110.eds)" for messages.
std::string nodeLabel(int address, std::string_view eds) {
    return "node " + std::to_string(address) + " (" + std::string(eds) + ")";
}

bool isHexPrefixed(std::string_view t) {
    return util::istartsWith(t, "0x") || (!t.empty() && t[0] == '$');
}

/// The object lookup; when it finds nothing, the same object by number, so that a file written
/// by hand with "0x05" for "0x5" still finds its entry.
EntryId lookup(const node& n, std::string_view index, std::string_view sub) {
    const EntryId id = model::findEntryId(n, index, sub);
    if (id != kNoEntry || !isHexPrefixed(index) || (sub != "-1" && !isHexPrefixed(sub))) {
        return id;
    }
    const auto i = model::tryReadInteger(index);
    const auto s = sub == "-1" ? std::optional<std::int64_t>(-1) : model::tryReadInteger(sub);
    if (!i || !s || *i < 0 || *i > 0xFFFF || *s < -1 || *s > 0xFF) {
        return kNoEntry;
    }
    return model::findEntryIdByNumber(n, static_cast<unsigned>(*i), static_cast<int>(*s));
}

/// How an object named in the file reads in messages: "0x1800:05" when the texts are numbers.
std::string describeObject(std::string_view index, std::string_view sub) {
    const auto i = model::tryReadInteger(index);
    const auto s = model::tryReadInteger(sub);
    if (!i || *i < 0 || *i > 0xFFFF) {
        return "'" + std::string(index) + (sub == "-1" ? "" : "' sub '" + std::string(sub)) + "'";
    }
    std::string out = "0x" + util::hexUpper(static_cast<unsigned long long>(*i), 4);
    if (sub != "-1") {
        out += ":" + (s && *s >= 0 ? util::hexUpper(static_cast<unsigned long long>(*s), 2)
                                   : std::string(sub));
    }
    return out;
}

int countElements(pugi::xml_node list) {
    int count = 0;
    forEachElement(list, [&](pugi::xml_node) { ++count; });
    return count;
}

/// A parsed library EDS, kept for every node of the project that names it.
struct CachedEds {
    std::unique_ptr<node> parsed;
    std::string failure;
};

class ProjectReader {
public:
    ProjectReader(const XmlSource& source, const std::filesystem::path& edsFolder,
                  editor::NetworkSession& session, std::vector<Diagnostic>& diagnostics,
                  UnbuiltNodes& unbuilt)
        : m_src(source), m_edsFolder(edsFolder), m_session(session), m_diags(diagnostics),
          m_unbuilt(unbuilt) {}

    void run() {
        const pugi::xml_node root = m_src.document().document_element();
        parameters(root);
        forEachElement(root.child("nodeInfoList"), [&](pugi::xml_node e) { nodeElement(e); });
    }

private:
    void parameters(pugi::xml_node root) {
        model::Network& net = m_session.network();
        model::NetworkParameters& p = net.parameters;
        // A text that reads as an integer in another spelling ("0x10", "$1") is stored as the
        // decimal number. Any other text is kept as written, also when the controller cannot
        // take it: the load reports it (checkParameters) and the build refuses it, so the user
        // can mend it in the editor instead of losing the project.
        const auto keep = [&](const char* name, std::string& field, bool normalise) {
            if (!root.child(name)) {
                return;
            }
            field = std::string(XmlSource::text(root, name));
            if (normalise) {
                if (const auto v = model::tryReadInteger(field)) {
                    field = std::to_string(*v);
                }
            }
        };
        keep("syncTime", p.cycleTime, false);
        keep("baudRate", p.baudRate, false);
        keep("guardTime", p.guardTime, true);
        keep("lifeTime", p.lifeTime, true);
        keep("channel", p.channel, true);
        if (root.child("enableSync")) {
            p.enableSync = util::iequals(XmlSource::text(root, "enableSync"), "true");
        }
        if (root.child("toggleBit")) {
            p.toggleBit = util::iequals(XmlSource::text(root, "toggleBit"), "true");
        }
        if (const pugi::xml_node prefix = root.child("plcInfo").child("prefix")) {
            net.prefix = prefix.child_value();
        }
    }

    /// The library EDS of that name, parsed on first use.
    CachedEds& eds(const std::string& name) {
        auto [it, added] = m_eds.try_emplace(name);
        if (added) {
            eds::EdsReadResult read = eds::createNodeFromLibrary(m_edsFolder, name, 0);
            for (Diagnostic& d : read.diagnostics) {
                if (read.node) {
                    m_diags.push_back(std::move(d));
                } else if (d.severity == model::Severity::Error) {
                    it->second.failure += (it->second.failure.empty() ? "" : "; ") + d.message;
                }
            }
            if (read.node) {
                it->second.parsed = std::move(read.node);
            } else if (it->second.failure.empty()) {
                it->second.failure = "the EDS cannot be read";
            }
        }
        return it->second;
    }

    void nodeElement(pugi::xml_node e) {
        const pugi::xml_node edsElement = e.child("eds");
        if (!edsElement) {
            m_src.warn(m_diags, e, "node element without <eds> skipped");
            return;
        }
        const std::string edsName = edsElement.child_value();
        const int address = m_src.integer(e, "address");
        const bool isVirtual = util::iequals(XmlSource::text(e, "virtual"), "true");
        const bool ngDisabled = util::iequals(XmlSource::text(e, "ngDisabled"), "true");
        const std::string label = nodeLabel(address, edsName);

        auto drop = [&](const std::string& why) {
            const int writes = countElements(e.child("sdoInfoList"));
            const int variables = countElements(e.child("varInfoList"));
            m_src.warn(m_diags, e,
                       label + " dropped: " + why + "; lost with it: " + std::to_string(writes) +
                           " start-up writes, " + std::to_string(variables) + " variables");
            if (!m_session.network().at(address)) {
                m_unbuilt.emplace(address, edsName);
            }
        };
        if (address < 1 || address > model::kMaxNodes) {
            drop("the address is outside 1 to 127");
            return;
        }
        if (m_session.network().at(address)) {
            drop("an earlier node has the same address");
            return;
        }
        CachedEds& cached = eds(edsName);
        if (!cached.parsed) {
            drop("not created: " + cached.failure);
            return;
        }
        std::unique_ptr<node> n = model::cloneNode(*cached.parsed);
        n->virtual_ = isVirtual;
        n->ngDisabled = ngDisabled;
        node& created = *n;
        m_session.insertNode(std::move(n), address);

        forEachElement(e.child("sdoInfoList"),
                       [&](pugi::xml_node w) { startupWrite(created, label, w); });
        forEachElement(e.child("varInfoList"),
                       [&](pugi::xml_node v) { variable(created, label, v); });
    }

    void startupWrite(node& n, const std::string& label, pugi::xml_node w) {
        const pugi::xml_node isSub = w.child("isSubindex");
        if (!isSub) {
            m_src.warn(m_diags, w, label + ": start-up write without <isSubindex> dropped");
            return;
        }
        const std::string_view index = XmlSource::text(w, "index");
        const std::string_view sub =
            util::iequals(isSub.child_value(), "true") ? XmlSource::text(w, "subindex") : "-1";
        const std::string what = label + ": start-up write to " + describeObject(index, sub);
        const pugi::xml_node data = w.child("data");
        if (!data) {
            m_src.warn(m_diags, w, what + " without <data> dropped");
            return;
        }
        const EntryId id = lookup(n, index, sub);
        if (id == kNoEntry) {
            m_src.warn(m_diags, w, what + " dropped: the EDS has no such object");
            return;
        }
        object_dict& target = n.entry(id);
        if (n.sdoCount() >= model::kMaxSdoRecords) {
            m_src.warn(m_diags, w,
                       what + " dropped: the node already has " +
                           std::to_string(model::kMaxSdoRecords) + " start-up writes");
            return;
        }
        if (target.valueCount() >= model::kMaxValues) {
            m_src.warn(m_diags, w,
                       what + " dropped: the entry already has " +
                           std::to_string(model::kMaxValues) + " values");
            return;
        }
        target.addValue(data.child_value());
        target.configured = true;
        n.addRecord(data.child_value(), id);
    }

    void variable(node& n, const std::string& label, pugi::xml_node v) {
        const pugi::xml_node nameElement = v.child("name");
        if (!nameElement) {
            m_src.warn(m_diags, v, label + ": variable without <name> dropped");
            return;
        }
        const std::string_view key = XmlSource::text(v, "key");
        const std::string_view type = XmlSource::text(v, "type");
        const int pdo = m_src.integer(v, "pdo");
        const int object = m_src.integer(v, "object");
        const int shift = m_src.integer(v, "shift");
        const std::string what = label + ": variable '" + std::string(nameElement.child_value()) +
                                 "' on " + (key.empty() ? "''" : std::string(key));

        // The variables of one entry follow each other: their key is looked up once.
        if (&n != m_keyNode || key != m_key) {
            m_keyNode = &n;
            m_key = key;
            m_keyEntry = kNoEntry;
            if (const std::size_t dot = key.find('.'); dot != std::string_view::npos) {
                m_keyEntry = lookup(n, "0x" + std::string(key.substr(0, 4)),
                                    "0x" + std::string(key.substr(dot + 1, 2)));
            } else if (!key.empty()) {
                m_keyEntry = lookup(n, "0x" + std::string(key), "-1");
            }
        }
        const EntryId id = m_keyEntry;
        if (id == kNoEntry) {
            m_src.warn(m_diags, v, what + " dropped: the EDS has no such object");
            return;
        }
        const int code = model::codeOfPlcType(type.substr(0, type.find(',')));
        if (code < 0) {
            m_src.warn(m_diags, v,
                       what + " dropped: the type '" + std::string(type) + "' names no data type");
            return;
        }
        object_dict& target = n.entry(id);
        if (target.varCount >= model::kMaxVariables) {
            m_src.warn(m_diags, v,
                       what + " dropped: the entry already has " +
                           std::to_string(model::kMaxVariables) + " variables");
            return;
        }
        // Each variable of an entry takes its next slot, also when others stand between them.
        const auto k = static_cast<std::size_t>(target.varCount);
        target.setVarName(k, nameElement.child_value());
        target.setShift(k, shift);
        target.varCount = static_cast<int>(k) + 1;
        target.varType = code;
        if (type.find("TxPdo") != std::string_view::npos) {
            target.pdoKind = 1;
            target.pdoMapped = true;
        } else if (type.find("RxPdo") != std::string_view::npos) {
            target.pdoKind = 2;
            target.pdoMapped = true;
        } else {
            target.pdoKind = 0;
            target.pdoMapped = false;
        }
        target.pdoNumber = pdo;
        target.object = object;
        target.configured = true;
    }

    const XmlSource& m_src;
    const std::filesystem::path& m_edsFolder;
    editor::NetworkSession& m_session;
    std::vector<Diagnostic>& m_diags;
    UnbuiltNodes& m_unbuilt;
    std::map<std::string, CachedEds> m_eds;
    /// The last variable key looked up, on which node, and the entry found.
    const node* m_keyNode = nullptr;
    std::string m_key;
    EntryId m_keyEntry = kNoEntry;
};

} // namespace

std::string variableTypeText(const object_dict& e) {
    std::string out(model::plcTypeOf(e.varType));
    out += e.pdoKind < 1 ? ",Sdo" : (e.pdoKind == 2 ? ",RxPdo" : ",TxPdo");
    return out;
}

int variablePdo(const object_dict& e) {
    return e.pdoKind < 1 ? 99 : e.pdoNumber;
}

std::string writeProjectFile(const model::Network& network) {
    const model::NetworkParameters& p = network.parameters;
    std::string out;
    // About 250 bytes per start-up write, and room for some variables per node.
    std::size_t blocks = 0;
    network.forEachNode([&](const node& n) { blocks += 16 + n.sdoRecords.size(); });
    out.reserve(1024 + blocks * 250);
    out += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
    out += "<!--CAN network configuration-->\r\n";
    out += "<!--Built on 20/10/2008 16.25.52-->\r\n";
    out += "<networkInfo>\r\n";
    row(out, "\t", "syncTime", p.cycleTime);
    row(out, "\t", "baudRate", p.baudRate);
    row(out, "\t", "guardTime", p.guardTime, " \r\n");
    row(out, "\t", "channel", p.channel);
    row(out, "\t", "lifeTime", p.lifeTime);
    row(out, "\t", "enableSync", p.enableSync ? "TRUE" : "FALSE");
    row(out, "\t", "toggleBit", p.toggleBit ? "TRUE" : "FALSE");
    out += "\t<nodeInfoList>\r\n";
    network.forEachNode([&](const node& n) { writeNode(out, n); });
    out += " \t</nodeInfoList>\r\n";
    out += " \t<plcInfo>\r\n";
    row(out, "\t\t", "prefix", network.prefix);
    row(out, "\t\t", "memory",
        p.channel == "0" ? "100,101,102,103,104,105,106,107" : "200,201,202,203,204,205,206,207");
    out += "\t</plcInfo>\r\n";
    out += "</networkInfo>\r\n";
    return out;
}

bool readProjectFile(std::string_view bytes, const std::string& fileName,
                     const std::filesystem::path& edsFolder, editor::NetworkSession& session,
                     std::vector<Diagnostic>& diagnostics, UnbuiltNodes& unbuilt) {
    try {
        const XmlSource source(bytes, fileName);
        ProjectReader(source, edsFolder, session, diagnostics, unbuilt).run();
        return true;
    } catch (const ReadStop& stop) {
        diagnostics.push_back(stop.diagnostic);
        return false;
    }
}

} // namespace busmason::persistence
