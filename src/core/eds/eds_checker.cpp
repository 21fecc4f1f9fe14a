#include "core/eds/eds_checker.h"

#include "core/eds/eds_lines.h"
#include "core/model/data_types.h"
#include "core/util/file_io.h"
#include "core/util/text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <unordered_map>

namespace busmason::eds {

namespace {

using util::iequals;

struct KeyLine {
    std::string_view key;
    std::string_view value;
    int line = 0;
};

struct Section {
    std::string_view name;
    int line = 0;
    std::vector<KeyLine> keys;

    /// The first line of key, ignoring case, or nullptr.
    const KeyLine* find(std::string_view key) const {
        for (const KeyLine& k : keys) {
            if (keyEquals(k.key, key)) {
                return &k;
            }
        }
        return nullptr;
    }
};

/// A number as an EDS writes it: decimal, "0x" hexadecimal or "0" octal with an optional
/// sign, a real number where the data type is one, and "$NODEID" plus or minus such a number.
struct EdsNumber {
    bool negative = false;
    unsigned long long magnitude = 0;
    /// Written in hexadecimal or octal: a bit pattern, so a signed type takes its full width.
    bool pattern = false;
    bool real = false;
    /// "$NODEID" takes part: the value depends on the node address.
    bool relative = false;
};

std::optional<EdsNumber> readPlainInteger(std::string_view t) {
    EdsNumber n;
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
        n.negative = t.front() == '-';
        t.remove_prefix(1);
    }
    unsigned base = 10;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        base = 16;
        t.remove_prefix(2);
    } else if (t.size() > 1 && t[0] == '0') {
        base = 8;
        t.remove_prefix(1);
    }
    if (t.empty()) {
        return std::nullopt;
    }
    n.pattern = base != 10;
    for (const char c : t) {
        unsigned d;
        if (c >= '0' && c <= '9') {
            d = static_cast<unsigned>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            d = static_cast<unsigned>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            d = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        if (d >= base) {
            return std::nullopt;
        }
        if (n.magnitude > (~0ULL - d) / base) {
            return std::nullopt;
        }
        n.magnitude = n.magnitude * base + d;
    }
    return n;
}

std::optional<EdsNumber> readReal(std::string_view t) {
    const std::string text(t);
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || std::isnan(v)) {
        return std::nullopt;
    }
    EdsNumber n;
    n.real = true;
    return n;
}

std::optional<EdsNumber> readEdsNumber(std::string_view text, bool allowReal) {
    text = util::trim(text);
    if (const std::size_t at = util::ifind(text, "$NODEID"); at != std::string_view::npos) {
        // "$NODEID", "$NODEID+0x180", "0x180 + $NODEID", "$NodeID - 1".
        std::string_view before = util::trim(text.substr(0, at));
        std::string_view after = util::trim(text.substr(at + 7));
        std::string_view other;
        bool minus = false;
        if (before.empty() && after.empty()) {
            EdsNumber n;
            n.relative = true;
            return n;
        }
        if (before.empty() && (after.front() == '+' || after.front() == '-')) {
            minus = after.front() == '-';
            other = util::trim(after.substr(1));
        } else if (after.empty() && before.back() == '+') {
            other = util::trim(before.substr(0, before.size() - 1));
        } else {
            return std::nullopt;
        }
        if (other.empty() || other.front() == '+' || other.front() == '-') {
            return std::nullopt;
        }
        auto n = readPlainInteger(other);
        if (n) {
            n->relative = true;
            n->negative = minus;
        }
        return n;
    }
    if (auto n = readPlainInteger(text)) {
        return n;
    }
    return allowReal ? readReal(text) : std::nullopt;
}

/// An integer key value (ObjectType, DataType, SubNumber, ...), or none.
std::optional<long long> readKeyInteger(std::string_view text) {
    const auto n = readEdsNumber(text, false);
    if (!n || n->relative || n->magnitude > 0xFFFFFFFFULL) {
        return std::nullopt;
    }
    const auto v = static_cast<long long>(n->magnitude);
    return n->negative ? -v : v;
}

std::string hex(long long v, int width) {
    return "0x" + util::hexUpper(static_cast<unsigned long long>(v), width);
}

/// A value for a message: cut so that a finding stays one readable line.
std::string quoted(std::string_view v) {
    constexpr std::size_t kMax = 60;
    return "'" + std::string(util::cutUtf8(v, kMax)) + (v.size() > kMax ? "...'" : "'");
}

enum class NumberKind { None, Boolean, Signed, Unsigned, Real };

NumberKind numberKindOf(int dataType) {
    switch (dataType) {
    case 0x01:
        return NumberKind::Boolean;
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x10:
    case 0x12:
    case 0x13:
    case 0x14:
    case 0x15:
        return NumberKind::Signed;
    case 0x05:
    case 0x06:
    case 0x07:
    case 0x16:
    case 0x18:
    case 0x19:
    case 0x1A:
    case 0x1B:
        return NumberKind::Unsigned;
    case 0x08:
    case 0x11:
        return NumberKind::Real;
    default:
        return NumberKind::None;
    }
}

/// The value fits the data type: a bit pattern may take the type's full width.
bool inRange(const EdsNumber& n, int dataType) {
    const NumberKind kind = numberKindOf(dataType);
    if (n.real || n.relative || kind == NumberKind::Real || kind == NumberKind::None) {
        return true;
    }
    const int bits = model::bitsOf(dataType);
    const unsigned long long full = bits >= 64 ? ~0ULL : (1ULL << bits) - 1;
    if (kind == NumberKind::Signed) {
        const unsigned long long half = 1ULL << (bits - 1);
        if (n.negative) {
            return n.magnitude <= half;
        }
        return n.magnitude <= (n.pattern ? full : half - 1);
    }
    return !n.negative || n.magnitude == 0 ? n.magnitude <= full : false;
}

/// Where an object section sits: its index and sub-index (-1 for the main entry).
struct ObjectName {
    int index = -1;
    int sub = -1;
    /// [xxxxName], [xxxxValue], [xxxxDenotation]: sections that describe an object's entries.
    bool auxiliary = false;
};

/// ObjectName::sub of a section named "XXXXsub" without a hexadecimal sub-index, and of one
/// whose name goes on with anything else.
constexpr int kBadSubIndex = -2;
constexpr int kUnknownSuffix = -3;

std::optional<ObjectName> objectNameOf(std::string_view name) {
    if (name.size() < 4) {
        return std::nullopt;
    }
    const int index = hexIndex(name.substr(0, 4));
    if (index < 0) {
        return std::nullopt;
    }
    ObjectName o;
    o.index = index;
    const std::string_view rest = name.substr(4);
    if (rest.empty()) {
        return o;
    }
    if (util::istartsWith(rest, "sub")) {
        const std::string_view digits = rest.substr(3);
        if (digits.empty() || digits.size() > 2 || !util::isHexText(digits)) {
            o.sub = kBadSubIndex;
            return o;
        }
        o.sub = static_cast<int>(std::strtol(std::string(digits).c_str(), nullptr, 16));
        return o;
    }
    if (iequals(rest, "Name") || iequals(rest, "Value") || iequals(rest, "Denotation")) {
        o.auxiliary = true;
        return o;
    }
    o.sub = kUnknownSuffix;
    return o;
}

/// What the checks need to know of one object entry.
struct Entry {
    const Section* section = nullptr;
    int objectType = 7;
    int dataType = -1;
    int pdoMapping = 0;
    long long subNumber = -1;
    long long compact = 0;
};

class Checker {
public:
    std::vector<CheckFinding> run(std::string_view bytes);

private:
    void add(int line, std::string message) { m_findings.push_back({line, std::move(message)}); }
    const Section* section(std::string_view name) const;
    void checkObject(const Section& s, const ObjectName& o);
    void checkNumbers(const Section& s, const Entry& e);
    void checkSubNumbers();
    void checkMappings();
    void checkObjectLists();
    void checkDeviceInfo();
    bool dataTypeKnown(int code) const;

    std::vector<Section> m_sections;
    std::unordered_map<std::string, std::size_t> m_byName;
    /// Object entries by (index, sub-index), the first section of each.
    std::map<std::pair<int, int>, Entry> m_entries;
    std::vector<CheckFinding> m_findings;
};

const Section* Checker::section(std::string_view name) const {
    const auto it = m_byName.find(util::toLower(name));
    return it == m_byName.end() ? nullptr : &m_sections[it->second];
}

bool Checker::dataTypeKnown(int code) const {
    if (const model::DataTypeRow* row = model::dataType(code); row && !row->name.empty()) {
        return true;
    }
    // A type the file defines itself (a DEFTYPE or DEFSTRUCT section at that index).
    return code > 0 && code < 0x1000 && m_entries.count({code, -1}) != 0;
}

void Checker::checkObject(const Section& s, const ObjectName& o) {
    Entry e;
    e.section = &s;
    std::map<std::string, int> seen;
    bool hasDataType = false;
    bool hasAccessType = false;
    for (const KeyLine& k : s.keys) {
        const std::string lower = util::toLower(k.key);
        if (auto [it, fresh] = seen.emplace(lower, k.line); !fresh) {
            add(k.line, std::string(k.key) + " given twice in [" + std::string(s.name) +
                            "] (first on line " + std::to_string(it->second) + ")");
        }
        const auto number = [&]() {
            auto v = readKeyInteger(k.value);
            if (!v) {
                add(k.line, std::string(k.key) + " " + quoted(k.value) + " is not a number");
            }
            return v;
        };
        if (keyEquals(k.key, "ObjectType")) {
            if (auto v = number()) {
                e.objectType = static_cast<int>(*v);
                if (*v != 0 && *v != 2 && (*v < 5 || *v > 9)) {
                    add(k.line, "ObjectType " + hex(*v, 1) +
                                    " is not an object code (0x0, 0x2, 0x5 to 0x9)");
                }
            }
        } else if (keyEquals(k.key, "DataType")) {
            hasDataType = true;
            if (auto v = number()) {
                e.dataType = static_cast<int>(*v);
            }
        } else if (keyEquals(k.key, "AccessType")) {
            hasAccessType = true;
            static constexpr std::string_view kAccess[] = {"ro", "wo", "rw", "rwr", "rww", "const"};
            if (std::none_of(std::begin(kAccess), std::end(kAccess),
                             [&](std::string_view a) { return iequals(k.value, a); })) {
                add(k.line,
                    "AccessType " + quoted(k.value) + " is not one of ro, wo, rw, rwr, rww, const");
            }
        } else if (keyEquals(k.key, "PDOMapping")) {
            if (auto v = number()) {
                e.pdoMapping = static_cast<int>(*v);
                if (*v != 0 && *v != 1) {
                    add(k.line, "PDOMapping " + quoted(k.value) + " is neither 0 nor 1");
                }
            }
        } else if (keyEquals(k.key, "SubNumber")) {
            if (auto v = number()) {
                e.subNumber = *v;
            }
        } else if (keyEquals(k.key, "CompactSubObj")) {
            if (auto v = number()) {
                e.compact = *v;
                if (*v < 0 || *v > 0xFE) {
                    add(k.line, "CompactSubObj " + quoted(k.value) + " is not 0 to 254");
                }
            }
        } else if (keyEquals(k.key, "ObjFlags")) {
            number();
        }
    }
    if (o.sub == -1 && m_entries.count({o.index, -1}) != 0) {
        add(s.line, "section [" + std::string(s.name) + "] repeats object " + hex(o.index, 4));
    }
    if (!s.find("ParameterName")) {
        add(s.line, "[" + std::string(s.name) + "] has no ParameterName");
    }
    // Entries that hold data: simple variables, sub-entries and compact arrays.
    const bool holdsData = o.sub >= 0 || e.compact > 0 || (e.objectType == 7 && e.subNumber < 0);
    if (holdsData) {
        if (!hasDataType) {
            add(s.line, "[" + std::string(s.name) + "] has no DataType");
        } else if (e.dataType >= 0 && !dataTypeKnown(e.dataType)) {
            add(s.find("DataType")->line,
                "DataType " + hex(e.dataType, 4) + " is not a known data type");
        }
        if (!hasAccessType) {
            add(s.line, "[" + std::string(s.name) + "] has no AccessType");
        }
        checkNumbers(s, e);
    } else if (o.sub == -1 && (e.objectType == 8 || e.objectType == 9) && e.subNumber < 0) {
        add(s.line, "[" + std::string(s.name) + "] has neither SubNumber nor CompactSubObj");
    }
    m_entries.emplace(std::pair{o.index, o.sub}, e);
}

void Checker::checkNumbers(const Section& s, const Entry& e) {
    const NumberKind kind = numberKindOf(e.dataType);
    if (kind == NumberKind::None) {
        return;
    }
    const std::string_view typeName = model::dataType(e.dataType)->name;
    std::optional<EdsNumber> low, high, value;
    for (const char* key : {"LowLimit", "HighLimit", "DefaultValue"}) {
        const KeyLine* k = s.find(key);
        if (!k || k->value.empty()) {
            continue;
        }
        auto n = readEdsNumber(k->value, kind == NumberKind::Real);
        if (!n) {
            add(k->line, std::string(key) + " " + quoted(k->value) + " is not a " +
                             std::string(typeName) + " number");
            continue;
        }
        if (!inRange(*n, e.dataType)) {
            add(k->line, std::string(key) + " " + quoted(k->value) + " is out of the range of " +
                             std::string(typeName));
            continue;
        }
        (key[0] == 'L' ? low : key[0] == 'H' ? high : value) = n;
    }
    // Limits and value compared where all are plain integers of the same notation family.
    const auto asSigned = [](const EdsNumber& n) -> std::optional<long double> {
        if (n.real || n.relative) {
            return std::nullopt;
        }
        const auto m = static_cast<long double>(n.magnitude);
        return n.negative ? -m : m;
    };
    const bool patterns = kind == NumberKind::Signed;
    const auto comparable = [&](const std::optional<EdsNumber>& n) {
        return n && asSigned(*n) && !(patterns && n->pattern);
    };
    if (comparable(low) && comparable(high) && *asSigned(*low) > *asSigned(*high)) {
        add(s.find("LowLimit")->line, "LowLimit is above HighLimit");
    }
    if (comparable(value) && ((comparable(low) && *asSigned(*value) < *asSigned(*low)) ||
                              (comparable(high) && *asSigned(*value) > *asSigned(*high)))) {
        add(s.find("DefaultValue")->line, "DefaultValue is outside LowLimit to HighLimit");
    }
}

void Checker::checkSubNumbers() {
    for (const auto& [key, e] : m_entries) {
        if (key.second != -1 || e.subNumber < 0 || e.compact > 0) {
            continue;
        }
        const auto first = m_entries.lower_bound({key.first, 0});
        const auto last = m_entries.lower_bound({key.first + 1, -1});
        const auto present = std::distance(first, last);
        if (present != e.subNumber) {
            add(e.section->find("SubNumber")->line, "SubNumber is " + std::to_string(e.subNumber) +
                                                        " but the object has " +
                                                        std::to_string(present) + " sub-entries");
        }
    }
    for (const auto& [key, e] : m_entries) {
        if (key.second >= 0 && m_entries.count({key.first, -1}) == 0) {
            add(e.section->line, "[" + std::string(e.section->name) + "] has no main section [" +
                                     util::hexUpper(static_cast<unsigned>(key.first), 4) + "]");
        }
    }
}

void Checker::checkMappings() {
    const Section* dummies = section("DummyUsage");
    for (const auto& [key, e] : m_entries) {
        const auto [index, sub] = key;
        const bool mapping =
            (index >= 0x1600 && index <= 0x17FF) || (index >= 0x1A00 && index <= 0x1BFF);
        if (!mapping || sub < 1 || sub > 0x40) {
            continue;
        }
        const KeyLine* k = e.section->find("DefaultValue");
        if (!k || k->value.empty()) {
            continue;
        }
        const std::string where =
            "mapping " + hex(index, 4) + ":" + util::hexUpper(static_cast<unsigned>(sub), 2);
        const auto v = readKeyInteger(k->value);
        if (!v || *v < 0) {
            add(k->line, where + " DefaultValue " + quoted(k->value) + " is not a number");
            continue;
        }
        if (*v == 0) {
            continue;
        }
        const auto value = static_cast<std::uint32_t>(*v);
        const int targetIndex = static_cast<int>(value >> 16);
        const int targetSub = static_cast<int>((value >> 8) & 0xFF);
        const int length = static_cast<int>(value & 0xFF);
        const std::string target =
            hex(targetIndex, 4) + ":" + util::hexUpper(static_cast<unsigned>(targetSub), 2);
        if (targetIndex >= 1 && targetIndex <= 7) {
            const std::string name =
                "Dummy" + util::hexUpper(static_cast<unsigned>(targetIndex), 4);
            const KeyLine* enabled = dummies ? dummies->find(name) : nullptr;
            if (!enabled || readKeyInteger(enabled->value).value_or(0) != 1) {
                add(k->line, where + " maps dummy object " + hex(targetIndex, 4) +
                                 ", which [DummyUsage] does not enable");
            }
            continue;
        }
        auto it = m_entries.find({targetIndex, targetSub});
        if (it == m_entries.end()) {
            // Sub-index 0 of a simple variable is the variable itself; the sub-entries 1 to n
            // of a CompactSubObj object take the object's description.
            if (auto main = m_entries.find({targetIndex, -1}); main != m_entries.end()) {
                const Entry& m = main->second;
                if ((targetSub == 0 && m.subNumber < 0 && m.compact == 0) ||
                    (targetSub >= 1 && targetSub <= m.compact)) {
                    it = main;
                }
            }
        }
        if (it == m_entries.end()) {
            add(k->line, where + " points at " + target + ", which the file does not have");
            continue;
        }
        if (it->second.pdoMapping != 1) {
            add(k->line, where + " points at " + target + ", which is not mappable (PDOMapping " +
                             std::to_string(it->second.pdoMapping) + ")");
            continue;
        }
        // A Boolean travels in a whole byte as often as in one bit: both lengths are used.
        const int type = it->second.dataType;
        const NumberKind kind = numberKindOf(type);
        const int bits =
            kind == NumberKind::None || kind == NumberKind::Boolean ? 0 : model::bitsOf(type);
        if (bits > 0 && length != bits) {
            add(k->line, where + " maps " + std::to_string(length) + " bits of " + target + ", a " +
                             std::to_string(bits) + "-bit " +
                             std::string(model::dataType(type)->name));
        }
    }
}

void Checker::checkObjectLists() {
    std::map<int, int> listed;
    for (const char* name : {"MandatoryObjects", "OptionalObjects", "ManufacturerObjects"}) {
        const Section* s = section(name);
        if (!s) {
            continue;
        }
        const KeyLine* count = s->find("SupportedObjects");
        std::optional<long long> expected;
        if (!count) {
            add(s->line, "[" + std::string(s->name) + "] has no SupportedObjects");
        } else if (!(expected = readKeyInteger(count->value))) {
            add(count->line, "SupportedObjects " + quoted(count->value) + " is not a number");
        }
        long long entries = 0;
        for (const KeyLine& k : s->keys) {
            if (keyEquals(k.key, "SupportedObjects")) {
                continue;
            }
            const auto position = readKeyInteger(k.key);
            if (!position || *position < 1) {
                add(k.line, "key " + quoted(k.key) + " is not a list position");
                continue;
            }
            ++entries;
            if (expected && *position > *expected) {
                add(k.line, "list position " + std::to_string(*position) +
                                " is beyond SupportedObjects " + std::to_string(*expected));
            }
            const auto index = readKeyInteger(k.value);
            if (!index || *index < 1 || *index > 0xFFFF) {
                add(k.line, "object " + quoted(k.value) + " is not an object index");
                continue;
            }
            listed.emplace(static_cast<int>(*index), k.line);
            if (m_entries.count({static_cast<int>(*index), -1}) == 0) {
                add(k.line, "listed object " + hex(*index, 4) + " has no section");
            }
        }
        if (expected && *expected != entries) {
            add(count->line, "SupportedObjects is " + std::to_string(*expected) +
                                 " but the list has " + std::to_string(entries) + " entries");
        }
    }
    if (const Section* mandatory = section("MandatoryObjects")) {
        // Device type and error register are mandatory everywhere; an identity object listed
        // as optional (as older devices do) is accepted.
        std::map<int, int> inMandatory;
        for (const KeyLine& k : mandatory->keys) {
            if (auto index = readKeyInteger(k.value);
                index && !keyEquals(k.key, "SupportedObjects")) {
                inMandatory.emplace(static_cast<int>(*index), k.line);
            }
        }
        for (const int index : {0x1000, 0x1001, 0x1018}) {
            const bool found =
                index == 0x1018 ? listed.count(index) != 0 : inMandatory.count(index) != 0;
            if (!found) {
                add(mandatory->line, "[MandatoryObjects] does not list " + hex(index, 4));
            }
        }
    }
    for (const auto& [key, e] : m_entries) {
        if (key.second == -1 && key.first >= 0x1000 && listed.count(key.first) == 0) {
            add(e.section->line, "object " + hex(key.first, 4) + " is in none of the object lists");
        }
    }
}

void Checker::checkDeviceInfo() {
    const Section* s = section("DeviceInfo");
    if (!s) {
        return;
    }
    static constexpr std::string_view kFlags[] = {"BaudRate_10",
                                                  "BaudRate_20",
                                                  "BaudRate_50",
                                                  "BaudRate_125",
                                                  "BaudRate_250",
                                                  "BaudRate_500",
                                                  "BaudRate_800",
                                                  "BaudRate_1000",
                                                  "SimpleBootUpMaster",
                                                  "SimpleBootUpSlave",
                                                  "DynamicChannelsSupported",
                                                  "GroupMessaging",
                                                  "LSS_Supported"};
    static constexpr std::string_view kNumbers[] = {
        "VendorNumber", "ProductNumber", "RevisionNumber", "Granularity",
        "NrOfRXPDO",    "NrOfTXPDO",     "CompactPDO"};
    for (const KeyLine& k : s->keys) {
        const auto isAny = [&](const auto& names) {
            return std::any_of(std::begin(names), std::end(names),
                               [&](std::string_view n) { return keyEquals(k.key, n); });
        };
        if (isAny(kFlags)) {
            const auto v = readKeyInteger(k.value);
            if (!v || (*v != 0 && *v != 1)) {
                add(k.line, std::string(k.key) + " " + quoted(k.value) + " is neither 0 nor 1");
            }
        } else if (isAny(kNumbers) && !k.value.empty() && !readKeyInteger(k.value)) {
            add(k.line, std::string(k.key) + " " + quoted(k.value) + " is not a number");
        }
    }
}

std::vector<CheckFinding> Checker::run(std::string_view bytes) {
    std::string converted;
    bytes = edsText(bytes, converted);
    EdsLineReader reader(bytes);
    EdsLine line;
    while (reader.next(line)) {
        switch (line.kind) {
        case EdsLine::Kind::Header:
            if (!line.closed) {
                add(line.number, "section header without \"]\"");
            }
            m_sections.push_back({line.section, line.number, {}});
            break;
        case EdsLine::Kind::KeyValue:
            if (m_sections.empty()) {
                add(line.number, "key " + quoted(line.key) + " stands before the first section");
            } else {
                m_sections.back().keys.push_back({line.key, line.value, line.number});
            }
            break;
        case EdsLine::Kind::Other:
            add(line.number, "line is neither a section header, a key=value line nor a comment");
            break;
        case EdsLine::Kind::Blank:
        case EdsLine::Kind::Comment:
            break;
        }
    }
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        const Section& s = m_sections[i];
        const auto [it, fresh] = m_byName.emplace(util::toLower(s.name), i);
        if (!fresh && !objectNameOf(s.name)) {
            add(s.line, "section [" + std::string(s.name) + "] repeats the one on line " +
                            std::to_string(m_sections[it->second].line));
        }
    }
    for (const char* name : {"FileInfo", "DeviceInfo", "MandatoryObjects"}) {
        if (!section(name)) {
            add(0, "no [" + std::string(name) + "] section");
        }
    }
    // Type definitions first, so that entries using them find them.
    for (const bool definitions : {true, false}) {
        for (const Section& s : m_sections) {
            const auto o = objectNameOf(s.name);
            if (!o || o->auxiliary || (o->index < 0x1000) != definitions) {
                continue;
            }
            if (o->sub == kBadSubIndex) {
                add(s.line, "[" + std::string(s.name) + "] has no hexadecimal sub-index");
                continue;
            }
            if (o->sub == kUnknownSuffix) {
                add(s.line, "section [" + std::string(s.name) +
                                "] is neither an object, a sub-entry nor a name or value list");
                continue;
            }
            checkObject(s, *o);
        }
    }
    checkSubNumbers();
    checkMappings();
    checkObjectLists();
    checkDeviceInfo();
    std::stable_sort(m_findings.begin(), m_findings.end(),
                     [](const CheckFinding& a, const CheckFinding& b) { return a.line < b.line; });
    return std::move(m_findings);
}

} // namespace

std::vector<CheckFinding> checkEds(std::string_view bytes) {
    return Checker().run(bytes);
}

std::vector<CheckFinding> checkEdsFile(const std::filesystem::path& path) {
    return checkEds(util::readFile(path));
}

} // namespace busmason::eds
