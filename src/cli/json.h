#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace busmason::cli {

/// A small JSON writer: the caller emits keys and values in order; commas and indentation are
/// handled here. Strings are UTF-8 and escaped as JSON requires.
class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view k);
    JsonWriter& value(std::string_view s);
    JsonWriter& value(const char* s) { return value(std::string_view(s)); }
    JsonWriter& value(const std::string& s) { return value(std::string_view(s)); }
    JsonWriter& value(std::int64_t n);
    JsonWriter& value(int n) { return value(static_cast<std::int64_t>(n)); }
    JsonWriter& value(bool b);
    /// A number with up to digits decimals (trailing zeros kept), such as 12.5 or 0.125.
    JsonWriter& number(double d, int digits);
    JsonWriter& null();

    const std::string& str() const { return m_out; }

private:
    void separate();
    void newline();
    std::string m_out;
    int m_depth = 0;
    bool m_first = true;
    bool m_afterKey = false;
};

std::string jsonEscape(std::string_view s);

} // namespace busmason::cli
