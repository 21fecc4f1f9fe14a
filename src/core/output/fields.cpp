#include "core/output/fields.h"

#include "core/model/numbers.h"
#include "core/util/text.h"

namespace busmason::output {

void appendLittleEndian(std::string& out, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

void appendLine(std::string& out, std::string_view text) {
    out += text;
    out += "\r\n";
}

std::string where(const model::node& n, const model::object_dict& e) {
    return "node " + std::to_string(n.address) + ", " + model::describeEntry(e);
}

std::optional<std::int64_t> readField(std::string_view text, const model::node& n,
                                      const model::object_dict& e, std::string_view what,
                                      GeneratedFile& file) {
    if (auto v = model::tryReadInteger(text)) {
        return v;
    }
    file.error(where(n, e) + " (" + std::string(what) +
               "): " + model::ConversionError(std::string(text)).what());
    return std::nullopt;
}

std::optional<std::uint16_t> objectIndexOf(const model::node& n, const model::object_dict& e,
                                           GeneratedFile& file) {
    const auto v = readField("0x" + e.index, n, e, "object index", file);
    if (!v) {
        return std::nullopt;
    }
    if (*v < 0 || *v > 0xFFFF) {
        file.error(where(n, e) + ": object index " + e.index + " does not fit in 16 bits");
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*v);
}

std::optional<std::uint8_t> subIndexOf(const model::node& n, const model::object_dict& e,
                                       GeneratedFile& file) {
    if (!e.isSubEntry()) {
        return 0;
    }
    // A sub-index written with its "0x" already is not prefixed twice.
    const std::string text = util::istartsWith(e.subindex, "0x") ? e.subindex : "0x" + e.subindex;
    const auto v = readField(text, n, e, "sub-index", file);
    if (!v) {
        return std::nullopt;
    }
    if (*v < 0 || *v > 0xFF) {
        file.error(where(n, e) + ": sub-index " + e.subindex + " does not fit in one byte");
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(*v);
}

} // namespace busmason::output
