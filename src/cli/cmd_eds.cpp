#include "command.h"
#include "json.h"

#include "core/eds/eds_checker.h"
#include "core/eds/eds_parser.h"
#include "core/model/errors.h"

#include <iostream>

namespace busmason::cli {

namespace {

const char* const kUsage = "  eds dump FILE [--json]   the node read from an EDS file (address 1)\n"
                           "  eds check FILE           the EDS file's faults, one per line";

void writeNodeJson(const model::node& n, std::ostream& out) {
    JsonWriter w;
    w.beginObject();
    const model::FileInfo& f = n.fileInfo;
    w.key("fileInfo").beginObject();
    w.key("FileName").value(f.FileName);
    w.key("FileVersion").value(f.FileVersion);
    w.key("FileRevision").value(f.FileRevision);
    w.key("EDSVersion").value(f.EDSVersion);
    w.key("Description").value(f.Description);
    w.key("CreationTime").value(f.CreationTime);
    w.key("CreationDate").value(f.CreationDate);
    w.key("CreatedBy").value(f.CreatedBy);
    w.key("ModificationTime").value(f.ModificationTime);
    w.key("ModificationDate").value(f.ModificationDate);
    w.key("ModifiedBy").value(f.ModifiedBy);
    w.endObject();
    const model::DeviceInfo& d = n.deviceInfo;
    w.key("deviceInfo").beginObject();
    w.key("VendorName").value(d.VendorName);
    w.key("VendorNumber").value(d.VendorNumber);
    w.key("ProductName").value(d.ProductName);
    w.key("ProductNumber").value(d.ProductNumber);
    w.key("RevisionNumber").value(d.RevisionNumber);
    w.key("OrderCode").value(d.OrderCode);
    w.key("BaudRate_10").value(d.BaudRate_10);
    w.key("BaudRate_20").value(d.BaudRate_20);
    w.key("BaudRate_50").value(d.BaudRate_50);
    w.key("BaudRate_125").value(d.BaudRate_125);
    w.key("BaudRate_250").value(d.BaudRate_250);
    w.key("BaudRate_500").value(d.BaudRate_500);
    w.key("BaudRate_800").value(d.BaudRate_800);
    w.key("BaudRate_1000").value(d.BaudRate_1000);
    w.key("SimpleBootUpMaster").value(d.SimpleBootUpMaster);
    w.key("SimpleBootUpSlave").value(d.SimpleBootUpSlave);
    w.key("Granularity").value(d.Granularity);
    w.key("DynamicChannelsSupported").value(d.DynamicChannelsSupported);
    w.key("GroupMessaging").value(d.GroupMessaging);
    w.key("NrOfRXPDO").value(d.NrOfRXPDO);
    w.key("NrOfTXPDO").value(d.NrOfTXPDO);
    w.key("LSS_Supported").value(d.LSS_Supported);
    w.key("CompactPDO").value(d.CompactPDO);
    w.endObject();
    w.key("vendorId").value(n.vendorId);
    w.key("deviceType").value(n.deviceType);
    w.key("productCode").value(n.productCode);
    w.key("objects").beginArray();
    for (const model::object_dict& e : n.objects) {
        w.beginObject();
        w.key("index").value(e.index);
        w.key("name").value(e.name);
        w.key("subindex").value(e.subindex);
        w.key("SubNumber").value(e.SubNumber);
        w.key("ParameterName").value(e.ParameterName);
        w.key("ObjectType").value(e.ObjectType);
        w.key("DataType").value(e.DataType);
        w.key("PDOMapping").value(e.PDOMapping);
        w.key("LowLimit").value(e.LowLimit);
        w.key("HighLimit").value(e.HighLimit);
        w.key("AccessType").value(e.AccessType);
        w.key("DefaultValue").value(e.DefaultValue);
        w.key("ObjFlags").value(e.ObjFlags);
        w.key("isMappingEntry").value(e.isMappingEntry);
        w.key("pdoKind").value(e.pdoKind);
        w.key("link");
        if (e.link == model::kNoEntry) {
            w.null();
        } else {
            const model::object_dict& t = n.entry(e.link);
            w.beginObject().key("index").value(t.index).key("subindex").value(t.subindex);
            w.endObject();
        }
        w.endObject();
    }
    w.endArray();
    w.endObject();
    out << w.str() << '\n';
}

void writeSummary(const std::string& file, const model::node& n, std::ostream& out) {
    std::size_t subs = 0;
    std::size_t mappings = 0;
    std::size_t linked = 0;
    for (const model::object_dict& e : n.objects) {
        subs += e.isSubEntry() ? 1 : 0;
        mappings += e.isMappingEntry ? 1 : 0;
        linked += e.isMappingEntry && e.link != model::kNoEntry ? 1 : 0;
    }
    const auto orNone = [](const std::string& s) { return s.empty() ? std::string("-") : s; };
    out << file << ": " << orNone(n.deviceInfo.ProductName) << " ("
        << orNone(n.deviceInfo.VendorName) << ")\n"
        << "  device type " << orNone(n.deviceType) << ", vendor id " << orNone(n.vendorId)
        << ", product code " << orNone(n.productCode) << '\n'
        << "  " << n.objects.size() << " entries (" << n.objects.size() - subs << " main entries, "
        << subs << " sub-entries)\n"
        << "  " << mappings << " PDO mapping entries, " << linked << " linked\n";
}

int dump(Args args) {
    const bool json = takeFlag(args, "--json");
    if (args.size() != 1) {
        throw UsageError("eds dump takes one FILE");
    }
    const std::filesystem::path path = args[0];
    const eds::EdsReadResult r = eds::readEdsFile(path, path.filename().string(), 1);
    for (const model::Diagnostic& d : r.diagnostics) {
        std::cerr << model::formatDiagnostic(d) << '\n';
    }
    if (!r.node) {
        return 1;
    }
    if (json) {
        writeNodeJson(*r.node, std::cout);
    } else {
        writeSummary(args[0], *r.node, std::cout);
    }
    return 0;
}

int check(const Args& args) {
    if (args.size() != 1) {
        throw UsageError("eds check takes one FILE");
    }
    std::vector<eds::CheckFinding> findings;
    try {
        findings = eds::checkEdsFile(args[0]);
    } catch (const model::FileError& e) {
        std::cerr << "busmason-cli eds check: " << e.what() << '\n';
        return 2;
    }
    // One finding per line, every line ended: a reader of the list examines complete lines.
    for (const eds::CheckFinding& f : findings) {
        std::cout << args[0];
        if (f.line > 0) {
            std::cout << ':' << f.line;
        }
        std::cout << ": " << f.message << '\n';
    }
    std::cout.flush();
    return findings.empty() ? 0 : 1;
}

int run(const Args& args) {
    if (args.empty()) {
        throw UsageError("eds needs dump or check");
    }
    const Args rest(args.begin() + 1, args.end());
    if (args[0] == "dump") {
        return dump(rest);
    }
    if (args[0] == "check") {
        return check(rest);
    }
    throw UsageError("unknown eds command '" + args[0] + "'");
}

const bool registered = registerCommand({"eds", kUsage, run});

} // namespace

} // namespace busmason::cli
