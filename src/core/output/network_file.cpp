#include "core/output/network_file.h"

#include "core/editor/parameters.h"
#include "core/model/data_types.h"
#include "core/model/numbers.h"
#include "core/output/fields.h"

#include <optional>

namespace busmason::output {

namespace {

model::Diagnostic parameterError(std::string message) {
    return {model::Severity::Error, {}, 0, "network parameters", std::move(message)};
}

void appendIdentity(std::string& out, const std::string& text, bool emptyIsZero,
                    const model::node& n, const char* entryIndex, const char* entrySub,
                    const char* what, GeneratedFile& file) {
    std::int64_t value = 0;
    if (!(emptyIsZero && text.empty())) {
        model::object_dict named;
        named.index = entryIndex;
        named.subindex = entrySub;
        value = readField(text, n, named, what, file).value_or(0);
    }
    appendLittleEndian(out, static_cast<std::uint64_t>(value), 4);
}

void appendWrite(std::string& out, const model::node& n, std::size_t position,
                 GeneratedFile& file) {
    const model::record& r = n.sdoRecords[position];
    if (r.target >= n.objects.size()) {
        file.error("node " + std::to_string(n.address) + ": start-up write " +
                   std::to_string(position + 1) + " names no object of the node");
        return;
    }
    const model::object_dict& e = n.entry(r.target);
    const auto index = objectIndexOf(n, e, file);
    const auto sub = subIndexOf(n, e, file);
    const model::DataTypeRow* type = model::dataType(e.DataType);
    const std::string length = type ? std::string(type->length) : std::string();
    const auto size =
        readField(length, n, e, "data length of data type " + std::to_string(e.DataType), file);
    const auto value = readField(r.data, n, e, "start-up write value", file);
    appendLittleEndian(out, index.value_or(0), 2);
    appendLittleEndian(out, sub.value_or(0), 1);
    appendLittleEndian(out, static_cast<std::uint64_t>(size.value_or(0)), 1);
    appendLittleEndian(out, static_cast<std::uint64_t>(value.value_or(0)), 4);
}

} // namespace

BusParameterCheck checkBusParameters(const model::Network& net) {
    const model::NetworkParameters& p = net.parameters;
    BusParameterCheck check;
    auto& errors = check.errors;
    BusParameters& bus = check.parameters;

    for (const editor::ParameterProblem& problem : editor::checkParameters(p)) {
        errors.push_back(parameterError(problem.message));
    }
    using editor::ParameterField;
    const auto value = [&](ParameterField field) {
        return editor::parameterValue(field, editor::fieldText(p, field)).value_or(0);
    };
    bus.bitRate = static_cast<std::uint16_t>(value(ParameterField::BaudRate));
    bus.cycleWord = static_cast<std::uint16_t>(value(ParameterField::CycleTime));
    bus.cycleWord |= p.enableSync ? 0 : kSyncOffFlag;
    bus.cycleWord |= p.toggleBit ? 0 : kToggleOffFlag;
    bus.guardTime = static_cast<std::uint16_t>(value(ParameterField::GuardTime));
    bus.lifeTime = static_cast<std::uint8_t>(value(ParameterField::LifeTime));
    bus.channel = static_cast<std::uint8_t>(value(ParameterField::Channel));

    net.forEachNode([&](const model::node& n) {
        if (n.address < 1 || n.address > model::kMaxNodes) {
            errors.push_back(parameterError("node address " + std::to_string(n.address) +
                                            " does not fit: 1 to 127"));
        }
    });
    return check;
}

std::string networkFileName(std::string_view channel) {
    return "network" + std::string(channel) + ".cmg";
}

GeneratedFile networkFile(const model::Network& net, const BusParameters& bus) {
    GeneratedFile file;
    file.name = networkFileName(net.parameters.channel);
    std::string& out = file.bytes;
    std::size_t size = kNetworkHeaderSize;
    net.forEachNode([&](const model::node& n) {
        size += kNodeRecordSize + kWriteEntrySize * n.sdoRecords.size();
    });
    out.reserve(size);
    appendLittleEndian(out, bus.cycleWord, 2);
    appendLittleEndian(out, bus.bitRate, 2);
    appendLittleEndian(out, bus.channel, 1);
    appendLittleEndian(out, bus.guardTime, 2);
    appendLittleEndian(out, bus.lifeTime, 1);

    net.forEachNode([&](const model::node& n) {
        appendLittleEndian(out, static_cast<std::uint64_t>(n.address), 1);
        appendLittleEndian(out, 0, 1);
        appendIdentity(out, n.deviceType, false, n, "1000", "-1", "device type", file);
        appendIdentity(out, n.vendorId, false, n, "1018", "1", "vendor ID", file);
        appendIdentity(out, n.productCode, true, n, "1018", "2", "product code", file);
        appendLittleEndian(out, n.sdoRecords.size(), 2);
        for (std::size_t i = 0; i < n.sdoRecords.size(); ++i) {
            appendWrite(out, n, i, file);
        }
    });
    return file;
}

} // namespace busmason::output
