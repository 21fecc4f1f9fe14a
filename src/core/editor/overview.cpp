#include "core/editor/overview.h"

#include "core/eds/eds_lines.h"
#include "core/model/data_types.h"
#include "core/model/numbers.h"
#include "core/output/variables.h"
#include "core/util/file_io.h"

#include <system_error>

namespace busmason::editor {

std::vector<ParameterGridRow> parameterGridRows(const model::Network& net) {
    std::vector<ParameterGridRow> rows;
    net.forEachNode([&](const model::node& n) {
        int number = 0;
        for (const model::record& r : n.sdoRecords) {
            ParameterGridRow row{n.address, ++number, {}, {}, r.data};
            if (r.target < n.objects.size()) {
                const model::object_dict& target = n.entry(r.target);
                row.name = target.ParameterName;
                row.object = model::objectKey(target);
            }
            rows.push_back(std::move(row));
        }
    });
    return rows;
}

std::vector<VariableGridRow> variableGridRows(const model::Network& net) {
    const std::vector<output::Variable> variables = output::collectVariables(net);
    std::vector<VariableGridRow> rows;
    rows.reserve(variables.size());
    for (const output::Variable& v : variables) {
        rows.push_back(VariableGridRow{v.owner->address, v.name(), model::objectKey(*v.entry),
                                       model::plcTypeOf(v.entry->varType),
                                       variableAccess(*v.entry)});
    }
    return rows;
}

std::string_view variableAccess(const model::object_dict& e) {
    if (!e.pdoMapped) {
        return "SDO";
    }
    return e.pdoKind == 2 ? "Write" : "Read";
}

bool isCouplerEds(std::string_view edsName) {
    return edsName.find("KM110.") != std::string_view::npos;
}

int deviceProfile(std::string_view deviceType) {
    const auto value = model::tryReadInteger(deviceType);
    return value ? static_cast<int>(*value & 0xFFFF) : 0;
}

DeviceKind deviceKind(std::string_view edsName, std::string_view deviceType) {
    if (isCouplerEds(edsName)) {
        return DeviceKind::Coupler;
    }
    switch (deviceProfile(deviceType)) {
    case 401:
        return DeviceKind::IoModule;
    case 402:
        return DeviceKind::Drive;
    default:
        return DeviceKind::Other;
    }
}

DeviceKind deviceKind(const model::node& n) {
    return deviceKind(n.fileInfo.FileName, n.deviceType);
}

DeviceKind libraryEntryKind(const std::filesystem::path& edsFolder, std::string_view name) {
    if (isCouplerEds(name)) {
        return DeviceKind::Coupler;
    }
    std::string bytes;
    try {
        bytes = util::readFile(edsFolder / std::string(name));
    } catch (const std::exception&) {
        return DeviceKind::Other;
    }
    eds::EdsLineReader reader(bytes);
    eds::EdsLine line;
    bool inDeviceType = false;
    while (reader.next(line)) {
        if (line.kind == eds::EdsLine::Kind::Header) {
            if (inDeviceType) {
                break;
            }
            inDeviceType = eds::hexIndex(line.section) == 0x1000;
        } else if (inDeviceType && line.kind == eds::EdsLine::Kind::KeyValue &&
                   eds::keyEquals(line.key, "defaultvalue")) {
            return deviceKind(name, line.value);
        }
    }
    return DeviceKind::Other;
}

} // namespace busmason::editor
