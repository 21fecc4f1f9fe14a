#pragma once

#include "core/model/errors.h"

#include <pugixml.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::persistence {

/// Appends text with "&", "<" and ">" written as entities, so that any text reads back as it
/// was written.
void appendEscaped(std::string& out, std::string_view text);

/// Appends "<name>" + escaped text + "</name>".
void appendElement(std::string& out, std::string_view name, std::string_view text);

/// The read stopped at a fault of the file; carries the error diagnostic.
struct ReadStop {
    model::Diagnostic diagnostic;
};

/// A parsed XML file and what its readers need to report findings in it.
class XmlSource {
public:
    /// Parses bytes (UTF-8; bytes that are not UTF-8 are read as Latin-1), which must outlive
    /// the source. A file that is not well-formed XML throws ReadStop naming the line and the
    /// parser's message.
    XmlSource(std::string_view bytes, std::string fileName);
    XmlSource(const XmlSource&) = delete;
    XmlSource& operator=(const XmlSource&) = delete;

    const pugi::xml_document& document() const { return m_doc; }
    const std::string& fileName() const { return m_fileName; }

    /// A finding about element e (its line and path), or about the child named child of e when
    /// child is given and e has none of that name.
    model::Diagnostic diagnostic(model::Severity severity, pugi::xml_node e, std::string message,
                                 std::string_view child = {}) const;
    void warn(std::vector<model::Diagnostic>& out, pugi::xml_node e, std::string message) const;
    [[noreturn]] void stop(pugi::xml_node e, std::string message,
                           std::string_view child = {}) const;

    /// The text of e's first child element named name; empty when there is none.
    static std::string_view text(pugi::xml_node e, const char* name);
    /// The text of e's first child element named name, read as an integer (decimal, "0x" or "$"
    /// hexadecimal, within the int range). An absent child or a text that is not such an integer
    /// stops the read, naming the element and the text.
    int integer(pugi::xml_node e, const char* name) const;

private:
    int lineOf(pugi::xml_node e) const;

    /// The parsed text, for line numbers: bytes, or their conversion held in m_converted.
    std::string_view m_text;
    std::string m_converted;
    std::string m_fileName;
    pugi::xml_document m_doc;
};

/// "networkInfo/nodeInfoList/nodeInfo[2]/address": the element's path from the document
/// element, with the 1-based position among same-named siblings where there are several.
std::string elementPath(pugi::xml_node e);

/// Element children of e, in order (text and comments left out).
template <typename F> void forEachElement(pugi::xml_node e, F&& f) {
    for (pugi::xml_node c = e.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_element) {
            f(c);
        }
    }
}

} // namespace busmason::persistence
