#include "command.h"
#include "json.h"
#include "project_args.h"

#include "core/model/lookup.h"
#include "core/output/decode.h"
#include "core/util/file_io.h"
#include "core/util/text.h"

#include <algorithm>
#include <iostream>
#include <optional>

namespace busmason::cli {

namespace {

using output::DecodedIoMap;
using output::DecodedNetworkFile;
using output::DecodedVariable;
using output::DecodeProblem;

/// Names objects from the project's nodes, when a project was given.
class Namer {
public:
    explicit Namer(const model::Network* net) : m_net(net) {}

    /// "Producer heartbeat time" for object index:sub of the node at address; empty when
    /// there is no project, no such node or no such object.
    std::string object(int address, unsigned index, int sub) const {
        const model::node* n = m_net ? m_net->at(address) : nullptr;
        if (!n) {
            return {};
        }
        const model::EntryId id = model::findEntryIdByNumber(*n, index, sub);
        return id == model::kNoEntry ? std::string() : nameOf(n->entry(id));
    }

    /// "0x6000:01 Read input 8 bits 1": the entry of the node holding the variable name.
    std::string variable(int address, const std::string& name) const {
        const model::node* n = m_net ? m_net->at(address) : nullptr;
        if (!n) {
            return {};
        }
        for (const model::object_dict& e : n->objects) {
            for (int i = 0; i < e.varCount; ++i) {
                if (e.varName(static_cast<std::size_t>(i)) == name) {
                    return model::describeEntry(e) + " " + nameOf(e);
                }
            }
        }
        return {};
    }

    bool active() const { return m_net != nullptr; }

private:
    static std::string nameOf(const model::object_dict& e) {
        return e.ParameterName.empty() ? e.name : e.ParameterName;
    }
    const model::Network* m_net;
};

std::string objectText(unsigned index, unsigned sub) {
    return "0x" + util::hexUpper(index, 4) + ":" + util::hexUpper(sub, 2);
}

std::string hex(std::uint32_t v, int digits) {
    return "0x" + util::hexUpper(v, digits);
}

std::string sizeName(int bits) {
    switch (bits) {
    case 1:
        return "bit";
    case 8:
        return "byte";
    case 16:
        return "word";
    case 32:
        return "double word";
    default:
        return "no size";
    }
}

std::string problemsText(const std::vector<DecodeProblem>& problems, const std::string& file) {
    std::string out;
    for (const DecodeProblem& p : problems) {
        out += file + ": offset " + std::to_string(p.offset) + " (" +
               hex(static_cast<std::uint32_t>(p.offset), 1) +
               "): " + (p.stopped ? "error: " : "warning: ") + p.message + "\n";
    }
    return out;
}

void problemsJson(JsonWriter& j, const std::vector<DecodeProblem>& problems) {
    j.key("problems").beginArray();
    for (const DecodeProblem& p : problems) {
        j.beginObject().key("offset").value(static_cast<std::int64_t>(p.offset));
        j.key("stopped").value(p.stopped).key("message").value(p.message).endObject();
    }
    j.endArray();
}

std::string networkText(const DecodedNetworkFile& d, const std::string& file, std::size_t size,
                        const Namer& names) {
    std::string out = "network file " + file + ": " + std::to_string(size) + " bytes, " +
                      std::to_string(d.nodes.size()) + " node records\n";
    if (d.header) {
        const output::BusParameters& h = *d.header;
        out += "header: cycle time " + std::to_string(output::cycleTimeOf(h.cycleWord)) +
               " ms, sync " + ((h.cycleWord & output::kSyncOffFlag) ? "off" : "on") +
               ", toggle bit " +
               ((h.cycleWord & output::kToggleOffFlag) ? "not managed" : "managed") +
               ", bit rate " + std::to_string(h.bitRate) + " kbit/s, channel " +
               std::to_string(h.channel) + ", guard time " + std::to_string(h.guardTime) +
               " ms, life time factor " + std::to_string(h.lifeTime) + "\n";
    }
    for (const output::DecodedNode& n : d.nodes) {
        out += "node " + std::to_string(n.address) + ": device type " + hex(n.deviceType, 8) +
               ", vendor ID " + hex(n.vendorId, 8) + ", product code " + hex(n.productCode, 8) +
               ", " + std::to_string(n.writeCount) + " start-up writes\n";
        for (const output::DecodedWrite& w : n.writes) {
            const int digits = 2 * std::clamp<int>(w.length, 1, 4);
            const std::string name = names.object(n.address, w.index, w.sub);
            out += "  " + objectText(w.index, w.sub) + " = " + hex(w.value, digits) + " (" +
                   std::to_string(w.value) + "), " + std::to_string(w.length) +
                   (w.length == 1 ? " byte" : " bytes") + (name.empty() ? "" : "  " + name) + "\n";
        }
    }
    return out + problemsText(d.problems, file);
}

std::string networkJson(const DecodedNetworkFile& d, const std::string& file, const Namer& names) {
    JsonWriter j;
    j.beginObject().key("file").value(file).key("kind").value("network").key("header");
    if (!d.header) {
        j.null();
    } else {
        const output::BusParameters& h = *d.header;
        j.beginObject().key("cycleTime").value(output::cycleTimeOf(h.cycleWord));
        j.key("enableSync").value((h.cycleWord & output::kSyncOffFlag) == 0);
        j.key("toggleBit").value((h.cycleWord & output::kToggleOffFlag) == 0);
        j.key("bitRate").value(static_cast<int>(h.bitRate)).key("channel").value(h.channel);
        j.key("guardTime").value(static_cast<int>(h.guardTime));
        j.key("lifeTime").value(static_cast<int>(h.lifeTime)).endObject();
    }
    j.key("nodes").beginArray();
    for (const output::DecodedNode& n : d.nodes) {
        j.beginObject().key("offset").value(static_cast<std::int64_t>(n.offset));
        j.key("address").value(n.address).key("reserved").value(n.reserved);
        j.key("deviceType").value(static_cast<std::int64_t>(n.deviceType));
        j.key("vendorId").value(static_cast<std::int64_t>(n.vendorId));
        j.key("productCode").value(static_cast<std::int64_t>(n.productCode));
        j.key("writeCount").value(static_cast<int>(n.writeCount)).key("writes").beginArray();
        for (const output::DecodedWrite& w : n.writes) {
            j.beginObject().key("offset").value(static_cast<std::int64_t>(w.offset));
            j.key("object").value(objectText(w.index, w.sub));
            j.key("index").value(static_cast<int>(w.index)).key("sub").value(w.sub);
            j.key("length").value(w.length).key("value").value(static_cast<std::int64_t>(w.value));
            if (names.active()) {
                j.key("name").value(names.object(n.address, w.index, w.sub));
            }
            j.endObject();
        }
        j.endArray().endObject();
    }
    j.endArray();
    problemsJson(j, d.problems);
    j.endObject();
    return j.str() + "\n";
}

std::string placeText(const DecodedVariable& v) {
    if (!v.isPdo()) {
        return "SDO " + objectText(v.index, v.sub);
    }
    return std::string(v.isOutput() ? "receive" : "transmit") + " PDO " +
           std::to_string(v.pdoNumber) + ", position " + std::to_string(v.position) + ", shift " +
           std::to_string(v.shift);
}

std::string ioMapText(const DecodedIoMap& d, const std::string& file, const Namer& names) {
    std::string out =
        "I/O map file " + file + ": " + std::to_string(d.variables.size()) + " variables\n";
    for (const DecodedVariable& v : d.variables) {
        const std::string direction = v.isPdo() ? (v.isOutput() ? " output" : " input") : "";
        std::string name =
            v.isPdo() ? names.variable(v.address, v.name) : names.object(v.address, v.index, v.sub);
        out += v.name + (v.fillsField ? " (35 bytes, no end)" : "") + ": node " +
               std::to_string(v.address) + ", " + sizeName(v.bits()) + direction + ", " +
               placeText(v) + (name.empty() ? "" : "  " + name) + "\n";
    }
    return out + problemsText(d.problems, file);
}

std::string ioMapJson(const DecodedIoMap& d, const std::string& file, const Namer& names) {
    JsonWriter j;
    j.beginObject().key("file").value(file).key("kind").value("iomap").key("variables");
    j.beginArray();
    for (const DecodedVariable& v : d.variables) {
        j.beginObject().key("offset").value(static_cast<std::int64_t>(v.offset));
        j.key("name").value(v.name).key("fillsField").value(v.fillsField);
        j.key("node").value(v.address).key("kind").value(v.kind).key("bits").value(v.bits());
        if (v.isPdo()) {
            j.key("exchange").value("pdo");
            j.key("direction").value(v.isOutput() ? "output" : "input");
            j.key("pdo").value(v.pdoNumber).key("position").value(v.position);
            j.key("shift").value(v.shift);
        } else {
            j.key("exchange").value("sdo").key("object").value(objectText(v.index, v.sub));
            j.key("index").value(static_cast<int>(v.index)).key("sub").value(v.sub);
        }
        if (names.active()) {
            j.key("objectName")
                .value(v.isPdo() ? names.variable(v.address, v.name)
                                 : names.object(v.address, v.index, v.sub));
        }
        j.endObject();
    }
    j.endArray();
    problemsJson(j, d.problems);
    j.endObject();
    return j.str() + "\n";
}

std::optional<output::ControllerFile> kindOption(Args& args, const std::filesystem::path& file) {
    const std::string as = takeOption(args, "--as");
    if (as == "network") {
        return output::ControllerFile::Network;
    }
    if (as == "iomap") {
        return output::ControllerFile::IoMap;
    }
    if (!as.empty()) {
        throw UsageError("--as takes network or iomap, not '" + as + "'");
    }
    return output::controllerFileOf(util::displayPath(file.filename()));
}

int runDecode(const Args& arguments) {
    Args args = arguments;
    const bool json = takeFlag(args, "--json");
    const std::string projectText = takeOption(args, "--project");
    const std::filesystem::path edsFolder = edsFolderOption(args);
    if (args.empty()) {
        throw UsageError("decode needs a file");
    }
    const std::filesystem::path file = args.front();
    args.erase(args.begin());
    const auto kind = kindOption(args, file);
    rejectExtra(args);
    if (!kind) {
        throw UsageError("'" + util::displayPath(file) +
                         "' is named neither network*.cmg nor iomap*.cmg; say which with --as");
    }
    std::optional<persistence::LoadResult> project;
    if (!projectText.empty()) {
        Args projectArgs{projectText};
        project = loadProjectArgument(projectArgs, edsFolder, "decode");
        if (!project->session) {
            return 1;
        }
    }
    const Namer names(project ? &project->session->network() : nullptr);
    const std::string bytes = util::readFile(file);
    const std::string shown = util::displayPath(file);
    bool stopped = false;
    if (*kind == output::ControllerFile::Network) {
        const DecodedNetworkFile d = output::decodeNetworkFile(bytes);
        std::cout << (json ? networkJson(d, shown, names)
                           : networkText(d, shown, bytes.size(), names));
        stopped = !d.problems.empty() && d.problems.back().stopped;
    } else {
        const DecodedIoMap d = output::decodeIoMap(bytes);
        std::cout << (json ? ioMapJson(d, shown, names) : ioMapText(d, shown, names));
        stopped = !d.problems.empty() && d.problems.back().stopped;
    }
    return stopped ? 1 : 0;
}

const bool registered = registerCommand(
    {"decode",
     "  decode FILE [--project PROJECT.bsm] [--eds-folder DIR] [--as network|iomap] [--json]\n"
     "      a network*.cmg or iomap*.cmg file as text; --project names the objects from the "
     "nodes' EDS\n      (exit 1 when the file does not fit its format)",
     runDecode});

} // namespace

} // namespace busmason::cli
