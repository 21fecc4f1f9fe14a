#include "json.h"

#include <cmath>
#include <cstdio>

namespace busmason::cli {

std::string jsonEscape(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 2);
    out.push_back('"');
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                static constexpr char hex[] = "0123456789abcdef";
                out += "\\u00";
                out.push_back(hex[c >> 4]);
                out.push_back(hex[c & 0xF]);
            } else {
                out.push_back(ch);
            }
        }
    }
    out.push_back('"');
    return out;
}

void JsonWriter::newline() {
    m_out.push_back('\n');
    m_out.append(static_cast<std::size_t>(m_depth) * 2, ' ');
}

void JsonWriter::separate() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_first) {
        m_out.push_back(',');
    }
    if (m_depth > 0) {
        newline();
    }
    m_first = false;
}

JsonWriter& JsonWriter::beginObject() {
    separate();
    m_out.push_back('{');
    ++m_depth;
    m_first = true;
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    --m_depth;
    if (!m_first) {
        newline();
    }
    m_out.push_back('}');
    m_first = false;
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    separate();
    m_out.push_back('[');
    ++m_depth;
    m_first = true;
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    --m_depth;
    if (!m_first) {
        newline();
    }
    m_out.push_back(']');
    m_first = false;
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view k) {
    separate();
    m_out += jsonEscape(k);
    m_out += ": ";
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view s) {
    separate();
    m_out += jsonEscape(s);
    return *this;
}

JsonWriter& JsonWriter::value(std::int64_t n) {
    separate();
    m_out += std::to_string(n);
    return *this;
}

JsonWriter& JsonWriter::value(bool b) {
    separate();
    m_out += b ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::number(double d, int digits) {
    separate();
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits, std::isfinite(d) ? d : 0.0);
    m_out += text;
    return *this;
}

JsonWriter& JsonWriter::null() {
    separate();
    m_out += "null";
    return *this;
}

} // namespace busmason::cli
