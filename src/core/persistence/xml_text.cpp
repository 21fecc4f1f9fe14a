#include "core/persistence/xml_text.h"

#include "core/model/numbers.h"
#include "core/util/text.h"

#include <algorithm>
#include <cstring>

namespace busmason::persistence {

using model::Diagnostic;
using model::Severity;

void appendEscaped(std::string& out, std::string_view text) {
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '&' && c != '<' && c != '>') {
            continue;
        }
        out.append(text.data() + from, i - from);
        out += c == '&' ? "&amp;" : (c == '<' ? "&lt;" : "&gt;");
        from = i + 1;
    }
    out.append(text.data() + from, text.size() - from);
}

void appendElement(std::string& out, std::string_view name, std::string_view text) {
    out.push_back('<');
    out += name;
    out.push_back('>');
    appendEscaped(out, text);
    out += "</";
    out += name;
    out.push_back('>');
}

XmlSource::XmlSource(std::string_view bytes, std::string fileName)
    : m_fileName(std::move(fileName)) {
    pugi::xml_encoding encoding = pugi::encoding_auto;
    m_text = bytes;
    if (!util::isValidUtf8(bytes)) {
        // Files of older versions were written as 8-bit text under a UTF-8 declaration.
        m_converted = util::latin1ToUtf8(bytes);
        m_text = m_converted;
        encoding = pugi::encoding_utf8;
    }
    const pugi::xml_parse_result parsed = m_doc.load_buffer(
        m_text.data(), m_text.size(), pugi::parse_default | pugi::parse_ws_pcdata_single, encoding);
    if (!parsed) {
        const auto offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(parsed.offset, 0));
        const auto end =
            m_text.begin() + static_cast<std::ptrdiff_t>(std::min(offset, m_text.size()));
        const int line = 1 + static_cast<int>(std::count(m_text.begin(), end, '\n'));
        throw ReadStop{
            Diagnostic{Severity::Error,
                       m_fileName,
                       line,
                       {},
                       std::string("not a well-formed XML file: ") + parsed.description()}};
    }
}

int XmlSource::lineOf(pugi::xml_node e) const {
    const std::ptrdiff_t offset = e.offset_debug();
    if (offset < 0 || static_cast<std::size_t>(offset) > m_text.size()) {
        return 0;
    }
    return 1 + static_cast<int>(std::count(m_text.begin(), m_text.begin() + offset, '\n'));
}

Diagnostic XmlSource::diagnostic(Severity severity, pugi::xml_node e, std::string message,
                                 std::string_view child) const {
    std::string path = elementPath(e);
    if (!child.empty()) {
        path += "/" + std::string(child);
    }
    return Diagnostic{severity, m_fileName, lineOf(e), std::move(path), std::move(message)};
}

void XmlSource::warn(std::vector<Diagnostic>& out, pugi::xml_node e, std::string message) const {
    out.push_back(diagnostic(Severity::Warning, e, std::move(message)));
}

void XmlSource::stop(pugi::xml_node e, std::string message, std::string_view child) const {
    throw ReadStop{diagnostic(Severity::Error, e, std::move(message), child)};
}

std::string_view XmlSource::text(pugi::xml_node e, const char* name) {
    return e.child(name).child_value();
}

int XmlSource::integer(pugi::xml_node e, const char* name) const {
    const pugi::xml_node c = e.child(name);
    if (!c) {
        stop(e, std::string("element <") + name + "> is missing", name);
    }
    const std::string_view value = c.child_value();
    const auto v = model::tryReadInteger(value);
    if (!v) {
        stop(c, model::ConversionError(std::string(value)).what());
    }
    // 32-bit patterns such as 0xFFFFFFFF keep their bits.
    return static_cast<int>(static_cast<std::uint32_t>(*v));
}

std::string elementPath(pugi::xml_node e) {
    std::vector<std::string> parts;
    for (pugi::xml_node n = e; n && n.type() == pugi::node_element; n = n.parent()) {
        std::string part = n.name();
        const pugi::xml_node parent = n.parent();
        if (parent && parent.type() == pugi::node_element) {
            int position = 0;
            int same = 0;
            for (pugi::xml_node s = parent.child(n.name()); s; s = s.next_sibling(n.name())) {
                ++same;
                if (s == n) {
                    position = same;
                }
            }
            if (same > 1) {
                part += "[" + std::to_string(position) + "]";
            }
        }
        parts.push_back(std::move(part));
    }
    std::string out;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
        out += (out.empty() ? "" : "/") + *it;
    }
    return out;
}

} // namespace busmason::persistence
