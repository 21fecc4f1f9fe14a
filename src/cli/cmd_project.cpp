#include "command.h"
#include "json.h"
#include "project_args.h"

#include "core/persistence/project_file.h"
#include "core/persistence/project_io.h"
#include "core/util/file_io.h"

#include <iostream>

namespace busmason::cli {

namespace {

using persistence::LoadResult;

std::string showJson(const model::Network& net) {
    const model::NetworkParameters& p = net.parameters;
    JsonWriter j;
    j.beginObject().key("parameters").beginObject();
    j.key("baudRate").value(p.baudRate).key("channel").value(p.channel);
    j.key("cycleTime").value(p.cycleTime).key("guardTime").value(p.guardTime);
    j.key("lifeTime").value(p.lifeTime).key("enableSync").value(p.enableSync);
    j.key("toggleBit").value(p.toggleBit).key("prefix").value(net.prefix);
    j.key("crosstableRow").value(net.crosstableRow).endObject();
    j.key("nodes").beginArray();
    net.forEachNode([&](const model::node& n) {
        j.beginObject();
        j.key("address").value(n.address).key("eds").value(n.fileInfo.FileName);
        j.key("virtual").value(n.virtual_).key("ngDisabled").value(n.ngDisabled);
        j.key("writes").beginArray();
        for (const model::record& r : n.sdoRecords) {
            j.beginObject().key("object").value(model::objectKey(n.entry(r.target)));
            j.key("data").value(r.data).endObject();
        }
        j.endArray().key("variables").beginArray();
        for (const model::object_dict& e : n.objects) {
            for (int i = 0; i < e.varCount; ++i) {
                const auto k = static_cast<std::size_t>(i);
                j.beginObject().key("name").value(e.varName(k));
                j.key("key").value(model::objectKey(e));
                j.key("type").value(persistence::variableTypeText(e));
                j.key("pdo").value(persistence::variablePdo(e)).key("object").value(e.object);
                j.key("shift").value(e.shift(k)).endObject();
            }
        }
        j.endArray().key("coupler");
        if (!n.coupler) {
            j.null();
        } else {
            j.beginObject().key("terminals").beginArray();
            for (const model::terminal& t : n.coupler->terminals) {
                j.beginObject().key("ID").value(t.ID).key("Tname").value(t.Tname);
                j.key("Varnumb").value(t.Varnumb).key("Pos").value(t.Pos);
                j.key("channels").beginArray();
                for (const model::io_mod& c : t.channels) {
                    j.beginObject().key("Vname").value(c.Vname).key("bitnumb").value(c.bitnumb);
                    j.key("Config").value(c.Config).key("dir").value(c.dir).endObject();
                }
                j.endArray().endObject();
            }
            j.endArray().endObject();
        }
        j.endObject();
    });
    j.endArray().endObject();
    return j.str() + "\n";
}

std::string showText(const model::Network& net) {
    const model::NetworkParameters& p = net.parameters;
    std::string out = "bit rate " + p.baudRate + ", channel " + p.channel + ", cycle time " +
                      p.cycleTime + " ms, guard time " + p.guardTime + " ms, life time " +
                      p.lifeTime + ", sync " + (p.enableSync ? "on" : "off") + ", toggle bit " +
                      (p.toggleBit ? "on" : "off") + "\n";
    out += "variable prefix " + net.prefix + ", crosstable row " + net.crosstableRow + "\n";
    out += std::to_string(net.nodeCount()) + " nodes\n";
    net.forEachNode([&](const model::node& n) {
        out += "\nnode " + std::to_string(n.address) + ": " + n.fileInfo.FileName +
               (n.virtual_ ? ", virtual" : "") + (n.ngDisabled ? ", node guarding off" : "") + "\n";
        for (const model::record& r : n.sdoRecords) {
            out += "  write " + model::describeEntry(n.entry(r.target)) + " = " + r.data + "\n";
        }
        for (const model::object_dict& e : n.objects) {
            for (int i = 0; i < e.varCount; ++i) {
                const auto k = static_cast<std::size_t>(i);
                out += "  variable " + e.varName(k) + ": " + model::objectKey(e) + " " +
                       persistence::variableTypeText(e) + ", pdo " +
                       std::to_string(persistence::variablePdo(e)) + ", object " +
                       std::to_string(e.object) + ", shift " + std::to_string(e.shift(k)) + "\n";
            }
        }
        if (n.coupler) {
            out += "  coupler with " + std::to_string(n.coupler->terminalCount()) + " terminals\n";
            for (const model::terminal& t : n.coupler->terminals) {
                out += "    terminal " + std::to_string(t.Pos) + ": " + t.Tname + " (ID " +
                       std::to_string(t.ID) + ", " + std::to_string(t.Varnumb) + " channels)\n";
                for (const model::io_mod& c : t.channels) {
                    out += "      " + c.Vname + ": " + std::to_string(c.bitnumb) + " bits, " +
                           (c.dir == 0 ? "input" : "output") + ", config " +
                           std::to_string(c.Config) + "\n";
                }
            }
        }
    });
    return out;
}

int show(Args args) {
    const bool json = takeFlag(args, "--json");
    LoadResult loaded = loadProjectArgument(args, edsFolderOption(args), "project show");
    rejectExtra(args);
    if (!loaded.session) {
        return 1;
    }
    const model::Network& net = loaded.session->network();
    std::cout << (json ? showJson(net) : showText(net));
    return 0;
}

int save(Args args) {
    std::string to = takeOption(args, "--to");
    const bool force = takeFlag(args, "--force");
    LoadResult loaded = loadProjectArgument(args, edsFolderOption(args), "project save");
    rejectExtra(args);
    if (!loaded.session) {
        return 1;
    }
    editor::NetworkSession& session = *loaded.session;
    const std::filesystem::path projectFile =
        to.empty() ? session.projectFile() : projectFilePath(to);
    std::filesystem::path couplerFile = projectFile;
    couplerFile.replace_extension(".pco");
    std::error_code ec;
    const bool overwrites = std::filesystem::equivalent(projectFile, session.projectFile(), ec);
    if (overwrites && loadLeftSomethingOut(loaded.diagnostics, session) && !force) {
        std::cerr << "busmason-cli project save: not overwriting " << util::displayPath(projectFile)
                  << ": the load left out or changed what is listed above; use --to OUT.bsm "
                     "or --force\n";
        return 1;
    }
    persistence::writeProjectFiles(session.network(), projectFile, couplerFile);
    std::cout << "wrote " << util::displayPath(projectFile) << "\n"
              << "wrote " << util::displayPath(couplerFile) << "\n";
    return 0;
}

const bool registered =
    registerCommand({"project",
                     "  project show PROJECT.bsm [--eds-folder DIR] [--json]\n"
                     "  project save PROJECT.bsm [--to OUT.bsm] [--eds-folder DIR] [--force]",
                     [](const Args& args) {
                         if (args.empty()) {
                             throw UsageError("project needs a subcommand: show or save");
                         }
                         const Args rest(args.begin() + 1, args.end());
                         if (args.front() == "show") {
                             return show(rest);
                         }
                         if (args.front() == "save") {
                             return save(rest);
                         }
                         throw UsageError("unknown project subcommand '" + args.front() + "'");
                     }});

} // namespace

} // namespace busmason::cli
