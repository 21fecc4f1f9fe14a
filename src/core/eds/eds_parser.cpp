#include "core/eds/eds_parser.h"

#include "core/eds/eds_library.h"
#include "core/eds/eds_lines.h"
#include "core/model/lookup.h"
#include "core/model/numbers.h"
#include "core/util/file_io.h"
#include "core/util/text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>

namespace busmason::eds {

using model::Diagnostic;
using model::EntryId;
using model::object_dict;
using model::Severity;
using util::iequals;

namespace {

enum class Section { None, FileInfo, DeviceInfo, Object, Other };

/// Object-section keys, compared ignoring case.
enum class ObjectKey {
    None,
    SubNumber,
    ParameterName,
    ObjectType,
    DataType,
    LowLimit,
    HighLimit,
    AccessType,
    DefaultValue,
    PDOMapping,
    ObjFlags,
    CompactSubObj,
};

/// The key of an object-section line; the length and the first letter pick the one candidate
/// to compare, since object sections hold most of a file's lines.
ObjectKey objectKeyOf(std::string_view key) {
    if (key.size() < 8) {
        return ObjectKey::None;
    }
    const auto is = [&](std::string_view name, ObjectKey k) {
        return keyEquals(key, name) ? k : ObjectKey::None;
    };
    const char first = util::toLowerAscii(key.front());
    switch (key.size()) {
    case 8:
        return first == 'd'   ? is("DataType", ObjectKey::DataType)
               : first == 'l' ? is("LowLimit", ObjectKey::LowLimit)
               : first == 'o' ? is("ObjFlags", ObjectKey::ObjFlags)
                              : ObjectKey::None;
    case 9:
        return first == 's'   ? is("SubNumber", ObjectKey::SubNumber)
               : first == 'h' ? is("HighLimit", ObjectKey::HighLimit)
                              : ObjectKey::None;
    case 10:
        return first == 'o'   ? is("ObjectType", ObjectKey::ObjectType)
               : first == 'a' ? is("AccessType", ObjectKey::AccessType)
               : first == 'p' ? is("PDOMapping", ObjectKey::PDOMapping)
                              : ObjectKey::None;
    case 12:
        return is("DefaultValue", ObjectKey::DefaultValue);
    case 13:
        return first == 'p'   ? is("ParameterName", ObjectKey::ParameterName)
               : first == 'c' ? is("CompactSubObj", ObjectKey::CompactSubObj)
                              : ObjectKey::None;
    default:
        return ObjectKey::None;
    }
}

/// One [DeviceInfo] key and the field it fills: exactly one of the three members is set.
struct DeviceKey {
    std::string_view key;
    std::string model::DeviceInfo::*text = nullptr;
    bool model::DeviceInfo::*flag = nullptr;
    int model::DeviceInfo::*number = nullptr;
};

using DI = model::DeviceInfo;
const DeviceKey kDeviceKeys[] = {
    {"VendorName", &DI::VendorName},
    {"VendorNumber", &DI::VendorNumber},
    {"ProductName", &DI::ProductName},
    {"ProductNumber", &DI::ProductNumber},
    {"RevisionNumber", &DI::RevisionNumber},
    {"OrderCode", &DI::OrderCode},
    {"BaudRate_10", nullptr, &DI::BaudRate_10},
    {"BaudRate_20", nullptr, &DI::BaudRate_20},
    {"BaudRate_50", nullptr, &DI::BaudRate_50},
    {"BaudRate_125", nullptr, &DI::BaudRate_125},
    {"BaudRate_250", nullptr, &DI::BaudRate_250},
    {"BaudRate_500", nullptr, &DI::BaudRate_500},
    {"BaudRate_800", nullptr, &DI::BaudRate_800},
    {"BaudRate_1000", nullptr, &DI::BaudRate_1000},
    {"SimpleBootUpMaster", nullptr, &DI::SimpleBootUpMaster},
    {"SimpleBootUpSlave", nullptr, &DI::SimpleBootUpSlave},
    {"Granularity", nullptr, nullptr, &DI::Granularity},
    {"DynamicChannelsSupported", nullptr, &DI::DynamicChannelsSupported},
    {"GroupMessaging", nullptr, &DI::GroupMessaging},
    {"NrOfRXPDO", nullptr, nullptr, &DI::NrOfRXPDO},
    {"NrOfTXPDO", nullptr, nullptr, &DI::NrOfTXPDO},
    {"LSS_Supported", nullptr, &DI::LSS_Supported},
    {"CompactPDO", nullptr, nullptr, &DI::CompactPDO},
};
static_assert(std::size(kDeviceKeys) <= 32, "one bit per key in Parser::m_deviceSeen");

/// How often c occurs in text.
std::size_t countChar(std::string_view text, char c) {
    std::size_t n = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while ((p = static_cast<const char*>(std::memchr(p, c, static_cast<std::size_t>(end - p))))) {
        ++n;
        ++p;
    }
    return n;
}

/// Sub-entry names of a CompactSubObj object, from its [xxxxName] section.
using CompactNames = std::map<int, std::string>;

/// Highest sub-index a CompactSubObj object can have.
constexpr int kMaxCompactSub = 0xFE;

class Parser {
public:
    Parser(const std::string& fileName, const std::string& libraryName, int address)
        : m_file(fileName), m_node(std::make_unique<model::node>()) {
        m_node->address = address;
        m_node->fileInfo.FileName = libraryName;
    }

    EdsReadResult run(std::string_view bytes);

private:
    void header(const EdsLine& line);
    void objectHeader(const EdsLine& line);
    void fileInfoKey(const EdsLine& line);
    void deviceInfoKey(const EdsLine& line);
    bool objectKey(const EdsLine& line);
    void expandCompactObjects();
    void identity();
    bool mappingLinks();

    /// Stores value in field cut to its fixed width, warning when it had to be cut.
    void storeFixed(std::string& field, std::string_view value, std::size_t width,
                    std::string_view key, int line);
    void warn(int line, std::string message) {
        m_diagnostics.push_back({Severity::Warning, m_file, line, {}, std::move(message)});
    }
    void error(int line, std::string message) {
        m_diagnostics.push_back({Severity::Error, m_file, line, {}, std::move(message)});
    }

    std::string m_file;
    std::unique_ptr<model::node> m_node;
    std::vector<Diagnostic> m_diagnostics;
    Section m_section = Section::None;
    /// Which [FileInfo]/[DeviceInfo] keys were already taken (the first line of a key wins).
    std::uint32_t m_fileInfoSeen = 0;
    std::uint32_t m_deviceSeen = 0;
    bool m_sawFileInfo = false;
    bool m_sawDeviceInfo = false;
    /// Per entry, parallel to the node's objects: the line of its DefaultValue (its header line
    /// while it has none), so that a mapping value is reported where it stands.
    std::vector<int> m_defaultLine;
    /// CompactSubObj count by entry, in file order, and the [xxxxName] names by object index.
    std::vector<std::pair<EntryId, int>> m_compact;
    std::map<int, CompactNames> m_compactNames;
    /// The [xxxxName] section being read, when the current section is one.
    CompactNames* m_namesSection = nullptr;
};

void Parser::storeFixed(std::string& field, std::string_view value, std::size_t width,
                        std::string_view key, int line) {
    const std::string_view cut = util::cutUtf8(value, width - 1);
    if (cut.size() != value.size()) {
        warn(line, std::string(key) + " cut to " + std::to_string(cut.size()) + " characters");
    }
    field.assign(cut);
}

void Parser::header(const EdsLine& line) {
    const std::string_view name = line.section;
    m_namesSection = nullptr;
    // Object sections are by far the most common: four hexadecimal digits decide at once.
    if (name.size() >= 4 && hexIndex(name.substr(0, 4)) >= 0) {
        objectHeader(line);
    } else if (iequals(name, "FileInfo")) {
        m_section = Section::FileInfo;
        m_sawFileInfo = true;
    } else if (iequals(name, "DeviceInfo")) {
        m_section = Section::DeviceInfo;
        m_sawDeviceInfo = true;
    } else {
        m_section = Section::Other;
    }
}

void Parser::objectHeader(const EdsLine& line) {
    const std::string_view name = line.section;
    m_section = Section::Object;
    object_dict& e = m_node->objects.emplace_back();
    e.index.assign(name.substr(0, 4));
    storeFixed(e.name, name, model::kNameWidth, "section name", line.number);
    const std::string_view rest = name.substr(4);
    if (util::istartsWith(rest, "sub")) {
        e.subindex.assign(rest.substr(3));
    } else if (iequals(rest, "Name")) {
        m_namesSection = &m_compactNames[hexIndex(e.index)];
    }
    m_defaultLine.push_back(line.number);
}

void Parser::fileInfoKey(const EdsLine& line) {
    for (std::size_t i = 0; i < std::size(model::kFileInfoFields); ++i) {
        if (keyEquals(line.key, model::kFileInfoFields[i].key)) {
            if (!(m_fileInfoSeen & (1u << i))) {
                m_fileInfoSeen |= 1u << i;
                // FileName keeps the library file name: it is the node's link to its EDS.
                if (i != 0) {
                    m_node->fileInfo.*model::kFileInfoFields[i].field = std::string(line.value);
                }
            }
            return;
        }
    }
}

void Parser::deviceInfoKey(const EdsLine& line) {
    for (std::size_t i = 0; i < std::size(kDeviceKeys); ++i) {
        const DeviceKey& k = kDeviceKeys[i];
        if (!keyEquals(line.key, k.key)) {
            continue;
        }
        if (m_deviceSeen & (1u << i)) {
            return;
        }
        m_deviceSeen |= 1u << i;
        model::DeviceInfo& d = m_node->deviceInfo;
        // Numbers may be written in hexadecimal as well ("NrOfRXPDO=0x4").
        if (k.text) {
            d.*k.text = std::string(line.value);
        } else if (k.flag) {
            d.*k.flag = model::readIntegerLenient(line.value) != 0;
        } else {
            d.*k.number = model::readIntegerLenient(line.value);
        }
        return;
    }
}

bool Parser::objectKey(const EdsLine& line) {
    if (m_namesSection) {
        // [xxxxName]: "n=name" lines name the compact sub-entries.
        if (auto sub = model::tryReadInteger(line.key);
            sub && *sub >= 1 && *sub <= kMaxCompactSub) {
            (*m_namesSection)[static_cast<int>(*sub)] = std::string(line.value);
        }
        return true;
    }
    object_dict& e = m_node->objects.back();
    const auto readStrict = [&](int& field) {
        if (auto v = model::tryReadInteger(line.value)) {
            field = static_cast<int>(static_cast<std::uint32_t>(*v));
            return true;
        }
        error(line.number, std::string(line.key) + " '" + std::string(line.value) +
                               "' is not a valid integer value");
        return false;
    };
    switch (objectKeyOf(line.key)) {
    case ObjectKey::SubNumber:
        e.SubNumber = model::readIntegerLenient(line.value);
        break;
    case ObjectKey::ParameterName:
        storeFixed(e.ParameterName, line.value, model::kParameterNameWidth, "ParameterName",
                   line.number);
        break;
    case ObjectKey::ObjectType:
        return readStrict(e.ObjectType);
    case ObjectKey::DataType:
        return readStrict(e.DataType);
    case ObjectKey::LowLimit:
        storeFixed(e.LowLimit, line.value, model::kLimitWidth, "LowLimit", line.number);
        break;
    case ObjectKey::HighLimit:
        storeFixed(e.HighLimit, line.value, model::kLimitWidth, "HighLimit", line.number);
        break;
    case ObjectKey::AccessType:
        storeFixed(e.AccessType, line.value, model::kAccessTypeWidth, "AccessType", line.number);
        break;
    case ObjectKey::DefaultValue:
        e.DefaultValue.assign(line.value);
        m_defaultLine.back() = line.number;
        break;
    case ObjectKey::PDOMapping:
        e.PDOMapping = model::readIntegerLenient(line.value);
        break;
    case ObjectKey::ObjFlags:
        e.ObjFlags = model::readIntegerLenient(line.value);
        break;
    case ObjectKey::CompactSubObj: {
        int n = model::readIntegerLenient(line.value);
        if (n > kMaxCompactSub) {
            warn(line.number, "CompactSubObj " + std::string(line.value) + " cut to " +
                                  std::to_string(kMaxCompactSub));
            n = kMaxCompactSub;
        }
        const auto id = static_cast<EntryId>(m_node->objects.size() - 1);
        if (!m_compact.empty() && m_compact.back().first == id) {
            m_compact.pop_back();
        }
        if (n > 0) {
            m_compact.emplace_back(id, n);
        }
        break;
    }
    case ObjectKey::None:
        break;
    }
    return true;
}

void Parser::expandCompactObjects() {
    if (m_compact.empty()) {
        return;
    }
    auto& objects = m_node->objects;
    // An object that lists its sub-entries itself keeps them.
    std::vector<int> listed;
    for (const object_dict& e : objects) {
        if (e.isSubEntry()) {
            listed.push_back(hexIndex(e.index));
        }
    }
    std::sort(listed.begin(), listed.end());
    std::vector<std::pair<EntryId, int>> expand;
    std::size_t added = 0;
    for (const auto& [id, count] : m_compact) {
        if (!objects[id].isSubEntry() &&
            !std::binary_search(listed.begin(), listed.end(), hexIndex(objects[id].index))) {
            expand.emplace_back(id, count);
            added += static_cast<std::size_t>(count) + 1;
        }
    }
    if (expand.empty()) {
        return;
    }
    std::vector<object_dict> out;
    std::vector<int> lines;
    out.reserve(objects.size() + added);
    lines.reserve(objects.size() + added);
    std::size_t next = 0;
    for (EntryId id = 0; id < objects.size(); ++id) {
        out.push_back(std::move(objects[id]));
        lines.push_back(m_defaultLine[id]);
        if (next >= expand.size() || expand[next].first != id) {
            continue;
        }
        const int count = expand[next++].second;
        out.back().SubNumber = count + 1;
        const object_dict& main = out.back();
        const CompactNames* names = nullptr;
        if (auto it = m_compactNames.find(hexIndex(main.index)); it != m_compactNames.end()) {
            names = &it->second;
        }
        object_dict sub0;
        sub0.index = main.index;
        sub0.name = main.index + "sub0";
        sub0.subindex = "0";
        sub0.ParameterName = "Number of entries";
        sub0.ObjectType = 7;
        sub0.DataType = 0x05;
        sub0.AccessType = "ro";
        sub0.DefaultValue = std::to_string(count);
        sub0.PDOMapping = 0;
        // The sub-entries copy from the main entry, which stays in place: out has its room.
        const int mainLine = lines.back();
        out.push_back(std::move(sub0));
        lines.push_back(mainLine);
        const object_dict& owner = out[out.size() - 2];
        for (int k = 1; k <= count; ++k) {
            object_dict s;
            s.index = owner.index;
            s.subindex = util::hexUpper(static_cast<unsigned>(k));
            s.name = owner.index + "sub" + s.subindex;
            const std::string* given = nullptr;
            if (names) {
                if (auto it = names->find(k); it != names->end() && !it->second.empty()) {
                    given = &it->second;
                }
            }
            const std::string name = given ? *given : owner.ParameterName + std::to_string(k);
            s.ParameterName.assign(util::cutUtf8(name, model::kParameterNameWidth - 1));
            s.ObjectType = 7;
            s.DataType = owner.DataType;
            s.AccessType = owner.AccessType;
            s.PDOMapping = owner.PDOMapping;
            s.DefaultValue = owner.DefaultValue;
            s.LowLimit = owner.LowLimit;
            s.HighLimit = owner.HighLimit;
            out.push_back(std::move(s));
            lines.push_back(mainLine);
        }
    }
    objects = std::move(out);
    m_defaultLine = std::move(lines);
}

void Parser::identity() {
    const model::node& n = *m_node;
    auto defaultOf = [&](unsigned index, int sub) {
        const EntryId id = model::findEntryIdByNumber(n, index, sub);
        return id == model::kNoEntry ? std::string() : n.objects[id].DefaultValue;
    };
    m_node->deviceType = defaultOf(0x1000, -1);
    m_node->vendorId = defaultOf(0x1018, 1);
    m_node->productCode = defaultOf(0x1018, 2);
}

bool Parser::mappingLinks() {
    model::node& n = *m_node;
    const auto& index = n.objectIndex;
    for (const int base : {0x1600, 0x1A00}) {
        // Only the mapping objects the file has: an absent one has no sub-entry 1 either.
        auto it = std::lower_bound(index.begin(), index.end(), base,
                                   [](const auto& p, int v) { return p.first < v; });
        for (; it != index.end() && it->first <= base + 0xFF; ++it) {
            // Sub-entries 1 to 15 of this object, as the walk from its main entry meets them.
            std::array<EntryId, 16> subs;
            subs.fill(model::kNoEntry);
            for (EntryId id = it->second + 1;
                 id < n.objects.size() && hexIndex(n.objects[id].index) == it->first; ++id) {
                const int s = model::subIndexNumber(n.objects[id]);
                if (s >= 1 && s <= 15 && subs[static_cast<std::size_t>(s)] == model::kNoEntry) {
                    subs[static_cast<std::size_t>(s)] = id;
                }
            }
            for (std::size_t s = 1; s <= 15 && subs[s] != model::kNoEntry; ++s) {
                const EntryId id = subs[s];
                object_dict& e = n.objects[id];
                e.isMappingEntry = true;
                if (e.DefaultValue.empty()) {
                    continue;
                }
                const auto value = model::tryReadInteger(e.DefaultValue);
                if (!value) {
                    error(m_defaultLine[id], "mapping " + model::describeEntry(e) +
                                                 " DefaultValue '" + e.DefaultValue +
                                                 "' is not a valid integer value");
                    return false;
                }
                if (*value == 0) {
                    continue;
                }
                // The mapped object from the value's number: index in bits 16-31, sub-index in
                // bits 8-15, so that 0x60001108 designates sub-index 0x11.
                const auto v = static_cast<std::uint32_t>(*value);
                const EntryId target =
                    model::findEntryIdByNumber(n, v >> 16, static_cast<int>((v >> 8) & 0xFF));
                if (target == model::kNoEntry || target == id) {
                    continue;
                }
                e.link = target;
                n.objects[target].link = id;
                e.pdoKind = it->first - base + 1;
            }
        }
    }
    return true;
}

EdsReadResult Parser::run(std::string_view bytes) {
    std::string converted;
    bytes = edsText(bytes, converted);
    // Every section header holds a "[": room for all entries at once, so they never move.
    const std::size_t sections = countChar(bytes, '[');
    m_node->objects.reserve(sections);
    m_defaultLine.reserve(sections);

    EdsLineReader reader(bytes);
    EdsLine line;
    bool ok = true;
    while (ok && reader.next(line)) {
        switch (line.kind) {
        case EdsLine::Kind::Header:
            header(line);
            break;
        case EdsLine::Kind::KeyValue:
            switch (m_section) {
            case Section::FileInfo:
                fileInfoKey(line);
                break;
            case Section::DeviceInfo:
                deviceInfoKey(line);
                break;
            case Section::Object:
                ok = objectKey(line);
                break;
            case Section::None:
            case Section::Other:
                break;
            }
            break;
        case EdsLine::Kind::Other:
            if (m_section == Section::Object || m_section == Section::FileInfo ||
                m_section == Section::DeviceInfo) {
                warn(line.number, "line without \"=\" ignored");
            }
            break;
        case EdsLine::Kind::Blank:
        case EdsLine::Kind::Comment:
            break;
        }
    }
    if (ok) {
        if (!m_sawFileInfo) {
            warn(0, "no [FileInfo] section");
        }
        if (!m_sawDeviceInfo) {
            warn(0, "no [DeviceInfo] section");
        }
        expandCompactObjects();
        model::indexObjects(*m_node);
        identity();
        ok = mappingLinks();
    }
    EdsReadResult result;
    result.diagnostics = std::move(m_diagnostics);
    if (ok) {
        result.node = std::move(m_node);
    }
    return result;
}

/// What went wrong with a file, without the file name that the diagnostic carries anyway.
std::string fileErrorReason(const model::FileError& e) {
    std::string_view what = e.what();
    if (what.starts_with(e.path() + ": ")) {
        what.remove_prefix(e.path().size() + 2);
    }
    return std::string(what);
}

} // namespace

EdsReadResult parseEds(std::string_view bytes, const std::string& fileName,
                       const std::string& libraryName, int address) {
    return Parser(fileName, libraryName, address).run(bytes);
}

EdsReadResult readEdsFile(const std::filesystem::path& path, const std::string& libraryName,
                          int address) {
    std::string bytes;
    try {
        bytes = util::readFile(path);
    } catch (const model::FileError& e) {
        EdsReadResult r;
        r.diagnostics.push_back({Severity::Error, e.path(), 0, {}, fileErrorReason(e)});
        return r;
    }
    return parseEds(bytes, util::displayPath(path), libraryName, address);
}

EdsReadResult createNodeFromLibrary(const std::filesystem::path& edsFolder, std::string_view name,
                                    int address) {
    const auto found = findLibraryFile(edsFolder, name);
    if (!found) {
        EdsReadResult r;
        r.diagnostics.push_back({Severity::Error,
                                 util::displayPath(edsFolder / std::string(name)),
                                 0,
                                 {},
                                 "no such file in the EDS library"});
        return r;
    }
    return readEdsFile(edsFolder / *found, *found, address);
}

} // namespace busmason::eds
