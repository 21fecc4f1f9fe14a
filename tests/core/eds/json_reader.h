#pragma once

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace busmason::test {

/// A JSON value, enough to read the reference parses: null, bool, number, string, array and
/// object (keys kept in order of first appearance is not needed, so a map).
struct Json {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    double number = 0;
    std::string string;
    std::vector<Json> array;
    std::map<std::string, Json> object;

    bool isNull() const { return type == Type::Null; }
    bool has(const std::string& key) const { return object.count(key) != 0; }
    /// The member key; a null value when absent.
    const Json& operator[](const std::string& key) const {
        static const Json null;
        const auto it = object.find(key);
        return it == object.end() ? null : it->second;
    }
    int asInt() const { return static_cast<int>(number); }
};

/// Reads JSON text; throws std::runtime_error with the offset of the first fault.
class JsonReader {
public:
    static Json parse(std::string_view text) {
        JsonReader r(text);
        Json v = r.value();
        r.blanks();
        if (r.m_pos != text.size()) {
            r.fail("text after the value");
        }
        return v;
    }

private:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(m_pos));
    }
    void blanks() {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\n' ||
                                         m_text[m_pos] == '\r' || m_text[m_pos] == '\t')) {
            ++m_pos;
        }
    }
    bool take(std::string_view word) {
        if (m_text.substr(m_pos, word.size()) == word) {
            m_pos += word.size();
            return true;
        }
        return false;
    }
    void expect(char c) {
        blanks();
        if (m_pos >= m_text.size() || m_text[m_pos] != c) {
            fail(std::string("expected '") + c + "'");
        }
        ++m_pos;
    }

    Json value() {
        blanks();
        if (m_pos >= m_text.size()) {
            fail("unexpected end");
        }
        Json v;
        const char c = m_text[m_pos];
        if (c == '{') {
            v.type = Json::Type::Object;
            ++m_pos;
            blanks();
            if (take("}")) {
                return v;
            }
            do {
                blanks();
                std::string key = stringLiteral();
                expect(':');
                v.object[key] = value();
                blanks();
            } while (take(","));
            expect('}');
        } else if (c == '[') {
            v.type = Json::Type::Array;
            ++m_pos;
            blanks();
            if (take("]")) {
                return v;
            }
            do {
                v.array.push_back(value());
                blanks();
            } while (take(","));
            expect(']');
        } else if (c == '"') {
            v.type = Json::Type::String;
            v.string = stringLiteral();
        } else if (take("true")) {
            v.type = Json::Type::Bool;
            v.boolean = true;
        } else if (take("false")) {
            v.type = Json::Type::Bool;
        } else if (take("null")) {
            v.type = Json::Type::Null;
        } else {
            const std::string rest(m_text.substr(m_pos, 40));
            char* end = nullptr;
            v.type = Json::Type::Number;
            v.number = std::strtod(rest.c_str(), &end);
            if (end == rest.c_str()) {
                fail("not a value");
            }
            m_pos += static_cast<std::size_t>(end - rest.c_str());
        }
        return v;
    }

    unsigned hex4() {
        if (m_pos + 4 > m_text.size()) {
            fail("short \\u escape");
        }
        const std::string digits(m_text.substr(m_pos, 4));
        m_pos += 4;
        return static_cast<unsigned>(std::strtoul(digits.c_str(), nullptr, 16));
    }

    static void appendUtf8(std::string& out, std::uint32_t cp) {
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }

    std::string stringLiteral() {
        expect('"');
        std::string out;
        while (m_pos < m_text.size() && m_text[m_pos] != '"') {
            char c = m_text[m_pos++];
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (m_pos >= m_text.size()) {
                fail("unfinished escape");
            }
            c = m_text[m_pos++];
            switch (c) {
            case 'n':
                out.push_back('\n');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 'b':
                out.push_back('\b');
                break;
            case 'f':
                out.push_back('\f');
                break;
            case 'u': {
                std::uint32_t cp = hex4();
                if (cp >= 0xD800 && cp <= 0xDBFF && take("\\u")) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (hex4() - 0xDC00);
                }
                appendUtf8(out, cp);
                break;
            }
            default:
                out.push_back(c);
            }
        }
        expect('"');
        return out;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace busmason::test
