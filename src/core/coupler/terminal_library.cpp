#include "core/coupler/terminal_library.h"

#include "core/model/node.h"
#include "core/model/numbers.h"
#include "core/util/file_io.h"
#include "core/util/text.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>

namespace busmason::coupler {

using model::Diagnostic;
using model::Severity;

namespace {

/// Line (starting from 1) of a byte offset in text; 0 when the offset is unknown.
int lineAt(std::string_view text, std::ptrdiff_t offset) {
    if (offset < 0) {
        return 0;
    }
    const auto end = text.begin() + std::min<std::ptrdiff_t>(offset, std::ssize(text));
    return static_cast<int>(std::count(text.begin(), end, '\n')) + 1;
}

/// The element's text without surrounding blanks; bytes that are not UTF-8 read as Latin-1.
std::string valueOf(const pugi::xml_node& element) {
    return util::toUtf8(util::trim(element.text().get()));
}

} // namespace

const terminal_type* TerminalLibrary::find(std::string_view name) const {
    for (const auto& t : m_types) {
        if (t.name == name) {
            return &t;
        }
    }
    for (const auto& t : m_types) {
        if (util::iequals(t.name, name)) {
            return &t;
        }
    }
    return nullptr;
}

const terminal_type* TerminalLibrary::byTypeCode(int code) const {
    for (const auto& t : m_types) {
        if (t.ID == code) {
            return &t;
        }
    }
    return nullptr;
}

bool TerminalLibrary::add(terminal_type type) {
    if (m_types.size() >= static_cast<std::size_t>(kMaxTerminalTypes)) {
        return false;
    }
    m_types.push_back(std::move(type));
    return true;
}

std::filesystem::path terminalFolder(const std::filesystem::path& templateFolder) {
    return templateFolder / "CANOpen" / "Terminali";
}

std::optional<terminal_type> parseTerminalDescription(std::string_view bytes,
                                                      const std::string& fileName,
                                                      std::vector<Diagnostic>& diagnostics) {
    const auto reject = [&](int line, std::string element, std::string message) {
        diagnostics.push_back(
            {Severity::Warning, fileName, line, std::move(element), std::move(message)});
        return std::nullopt;
    };
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer(bytes.data(), bytes.size());
    if (!parsed) {
        return reject(lineAt(bytes, parsed.offset), {},
                      std::string("not well-formed XML (") + parsed.description() +
                          "); terminal type not taken");
    }
    const pugi::xml_node root = doc.document_element();
    // Values 1 to 5: type code, display name, unused, channel count, kept.
    std::array<pugi::xml_node, 5> values;
    std::size_t count = 0;
    for (pugi::xml_node child = root.first_child(); child && count < values.size();
         child = child.next_sibling()) {
        if (child.type() == pugi::node_element) {
            values[count++] = child;
        }
    }
    if (count < 4) {
        return reject(lineAt(bytes, root.offset_debug()), root.name(),
                      "holds " + std::to_string(count) +
                          " values where type code, name, an unused value and channel count are "
                          "needed; terminal type not taken");
    }
    terminal_type type;
    const std::string code = valueOf(values[0]);
    const auto id = model::tryReadInteger(code);
    if (!id || *id < kMinTypeCode || *id > kMaxTypeCode) {
        return reject(lineAt(bytes, values[0].offset_debug()), values[0].name(),
                      "type code '" + code + "' is not 1 to 5; terminal type not taken");
    }
    const std::string channels = valueOf(values[3]);
    const auto n = model::tryReadInteger(channels);
    if (!n || *n < 1 || *n > model::kMaxTerminalChannels) {
        return reject(lineAt(bytes, values[3].offset_debug()), values[3].name(),
                      "channel count '" + channels + "' is not 1 to " +
                          std::to_string(model::kMaxTerminalChannels) +
                          "; terminal type not taken");
    }
    type.ID = static_cast<int>(*id);
    type.name = valueOf(values[1]);
    type.channels = static_cast<int>(*n);
    if (count > 4) {
        type.kept = valueOf(values[4]);
    }
    return type;
}

TerminalLibraryResult readTerminalLibrary(const std::filesystem::path& templateFolder) {
    TerminalLibraryResult result;
    const std::filesystem::path folder = terminalFolder(templateFolder);
    std::vector<std::string> names = util::listFilesWithExtension(folder, ".xml");
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::filesystem::path path = folder / name;
        const std::string shown = util::displayPath(path);
        std::string bytes;
        try {
            bytes = util::readFile(path);
        } catch (const model::FileError& e) {
            result.diagnostics.push_back({Severity::Warning, shown, 0, {}, e.what()});
            continue;
        }
        auto type = parseTerminalDescription(bytes, shown, result.diagnostics);
        if (!type) {
            continue;
        }
        type->file = name;
        if (!result.library.add(std::move(*type))) {
            result.diagnostics.push_back({Severity::Warning,
                                          shown,
                                          0,
                                          {},
                                          "only " + std::to_string(kMaxTerminalTypes) +
                                              " terminal types are offered; this one is left out"});
        }
    }
    return result;
}

} // namespace busmason::coupler
