#include "core/output/io_map.h"

#include "core/model/data_types.h"
#include "core/output/fields.h"
#include "core/output/variables.h"
#include "core/util/text.h"

namespace busmason::output {

namespace {

/// The dump's name of a width, with its trailing space; empty for other widths.
std::string_view dumpTypeName(int bits) {
    switch (bits) {
    case 1:
        return "BIT ";
    case 8:
        return "Byte ";
    case 16:
        return "WORD ";
    case 32:
        return "Dword ";
    default:
        return {};
    }
}

} // namespace

std::uint8_t sizeBit(int bits) {
    switch (bits) {
    case 1:
        return kKindBit;
    case 8:
        return kKindByte;
    case 16:
        return kKindWord;
    case 32:
        return kKindDword;
    default:
        return 0;
    }
}

std::string ioMapFileName(std::string_view channel) {
    return "iomap" + std::string(channel) + ".cmg";
}

GeneratedFile ioMapFile(const model::Network& net) {
    return ioMapFile(net, collectVariables(net));
}

GeneratedFile ioMapFile(const model::Network& net, const std::vector<Variable>& variables) {
    GeneratedFile file;
    file.name = ioMapFileName(net.parameters.channel);
    std::string& out = file.bytes;
    out.reserve(variables.size() * kIoMapRecordSize);
    for (const Variable& v : variables) {
        const std::string_view name = util::cutUtf8(v.name(), kIoMapNameSize);
        if (name.size() != v.name().size()) {
            file.warning(where(*v.owner, *v.entry) + ": variable name '" + v.name() + "' cut to " +
                         std::to_string(name.size()) + " bytes: '" + std::string(name) + "'");
        }
        out += name;
        out.append(kIoMapNameSize - name.size(), '\0');
        appendLittleEndian(out, static_cast<std::uint64_t>(v.owner->address), 1);

        std::uint8_t kind = sizeBit(model::bitsOf(v.entry->varType));
        if (v.isPdo()) {
            kind |= v.isOutput() ? kKindReceivePdo : kKindTransmitPdo;
            appendLittleEndian(out, kind, 1);
            appendLittleEndian(out, static_cast<std::uint64_t>(v.entry->pdoNumber), 1);
            appendLittleEndian(out, static_cast<std::uint64_t>(v.entry->object), 1);
            appendLittleEndian(out, static_cast<std::uint64_t>(v.shift()), 1);
        } else {
            kind |= kKindSdo;
            appendLittleEndian(out, kind, 1);
            const auto index = objectIndexOf(*v.owner, *v.entry, file);
            const auto sub = subIndexOf(*v.owner, *v.entry, file);
            appendLittleEndian(out, index.value_or(0), 2);
            appendLittleEndian(out, sub.value_or(0), 1);
        }
    }
    return file;
}

GeneratedFile ioMapDump(const model::Network& net) {
    return ioMapDump(collectVariables(net));
}

GeneratedFile ioMapDump(const std::vector<Variable>& variables) {
    GeneratedFile file;
    file.name = std::string(kIoMapDumpName);
    std::string& out = file.bytes;
    for (const Variable& v : variables) {
        appendLine(out, "");
        appendLine(out, "NOME variabile = " + v.name());
        appendLine(out, "Indirizzo nodo = " + std::to_string(v.owner->address));
        // Widths without a name still end their line, so every block keeps its shape.
        appendLine(out,
                   "Data type = " + std::string(dumpTypeName(model::bitsOf(v.entry->varType))));
        if (!v.isPdo()) {
            appendLine(out, "TIPO DI VARIABILE = SDO");
            continue;
        }
        appendLine(out, "TIPO DI VARIABILE = PDO");
        appendLine(out, v.isOutput() ? "TIPO DI PDO = RX" : "TIPO DI PDO = TX");
        appendLine(out, "NUMERO DI PDO = " + std::to_string(v.entry->pdoNumber));
        appendLine(out, "NUMERO DI OGGETTO = " + std::to_string(v.entry->object));
        appendLine(out, "NUMERO DI SHIFT = " + std::to_string(v.shift()));
    }
    return file;
}

} // namespace busmason::output
