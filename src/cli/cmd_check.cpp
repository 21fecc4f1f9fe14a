#include "check_print.h"
#include "command.h"
#include "json.h"
#include "project_args.h"

#include "core/util/file_io.h"

#include <cstdio>
#include <iostream>

namespace busmason::cli {

namespace {

std::string_view severityName(model::Severity s) {
    switch (s) {
    case model::Severity::Error:
        return "error";
    case model::Severity::Warning:
        return "warning";
    case model::Severity::Note:
        return "note";
    }
    return "error";
}

std::string counted(int n, const char* one, const char* many) {
    return (n == 0 ? std::string("no") : std::to_string(n)) + " " + (n == 1 ? one : many);
}

std::string loadText(const check::CheckResult& result, const model::NetworkParameters& p) {
    if (!result.busLoad) {
        return "bus load: not known (the bit rate '" + p.baudRate + "' or the cycle time '" +
               p.cycleTime + "' is not one the controller takes, or the cycle time is 0)";
    }
    const check::BusLoad& load = *result.busLoad;
    char figure[128];
    std::snprintf(figure, sizeof figure, "bus load: %.1f %% of %s (%.0f of %.0f bits per ",
                  load.percent, p.baudRate.c_str(), load.bitsPerCycle, load.capacityBits);
    return figure + p.cycleTime +
           " ms cycle: " + counted(load.synchronousPdos, "synchronous PDO", "synchronous PDOs") +
           ", " + (load.syncBits > 0 ? "SYNC" : "no SYNC") + ", node guarding of " +
           counted(load.guardedNodes, "node", "nodes") +
           (load.asynchronousPdos > 0
                ? "; " + counted(load.asynchronousPdos, "asynchronous PDO", "asynchronous PDOs") +
                      " not counted)"
                : std::string(")"));
}

std::string checkJson(const check::CheckResult& result, const model::NetworkParameters& p,
                      const std::string& file) {
    JsonWriter j;
    j.beginObject().key("project").value(file).key("findings").beginArray();
    for (const model::Diagnostic& d : result.findings) {
        j.beginObject().key("severity").value(severityName(d.severity));
        j.key("code").value(d.code).key("node").value(d.node);
        j.key("object").value(d.object).key("message").value(d.message).endObject();
    }
    j.endArray().key("busLoad");
    if (!result.busLoad) {
        j.null();
    } else {
        const check::BusLoad& load = *result.busLoad;
        j.beginObject().key("percent").number(load.percent, 2);
        j.key("bitsPerCycle").number(load.bitsPerCycle, 1);
        j.key("capacityBits").number(load.capacityBits, 0);
        j.key("bitRate").value(p.baudRate).key("cycleTime").value(p.cycleTime);
        j.key("synchronousPdos").value(load.synchronousPdos);
        j.key("asynchronousPdos").value(load.asynchronousPdos);
        j.key("syncBits").number(load.syncBits, 1).key("guardingBits").number(load.guardingBits, 1);
        j.key("guardedNodes").value(load.guardedNodes).endObject();
    }
    j.key("summary").beginObject();
    j.key("errors").value(result.count(model::Severity::Error));
    j.key("warnings").value(result.count(model::Severity::Warning));
    j.key("notes").value(result.count(model::Severity::Note)).endObject();
    j.endObject();
    return j.str() + "\n";
}

int runCheck(const Args& arguments) {
    Args args = arguments;
    const bool json = takeFlag(args, "--json");
    const std::filesystem::path edsFolder = edsFolderOption(args);
    persistence::LoadResult loaded = loadProjectArgument(args, edsFolder, "check");
    rejectExtra(args);
    if (!loaded.session) {
        return 1;
    }
    const model::Network& net = loaded.session->network();
    const check::CheckResult result = check::checkNetwork(net);
    const std::string file = util::displayPath(loaded.session->projectFile());
    if (json) {
        std::cout << checkJson(result, net.parameters, file);
    } else {
        printCheck(std::cout, result, net.parameters, file);
    }
    return result.hasErrors() ? 1 : 0;
}

const bool registered = registerCommand(
    {"check",
     "  check PROJECT.bsm [--eds-folder DIR] [--json]   the network's faults before it is sent: "
     "COB-IDs,\n      bit rates, PDOs, start-up writes, declarations, bus load (exit 1 on an "
     "error)",
     runCheck});

} // namespace

std::string checkSummary(const check::CheckResult& result) {
    return counted(result.count(model::Severity::Error), "error", "errors") + ", " +
           counted(result.count(model::Severity::Warning), "warning", "warnings") + ", " +
           counted(result.count(model::Severity::Note), "note", "notes");
}

void printCheck(std::ostream& out, const check::CheckResult& result,
                const model::NetworkParameters& parameters, const std::string& file) {
    for (model::Diagnostic d : result.findings) {
        d.file = file;
        if (d.node > 0) {
            d.element =
                "node " + std::to_string(d.node) + (d.object.empty() ? "" : ", " + d.object);
        }
        out << model::formatDiagnostic(d) << "\n";
    }
    out << loadText(result, parameters) << "\n";
    out << "check: " << checkSummary(result) << "\n";
}

} // namespace busmason::cli
