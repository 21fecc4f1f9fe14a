#include "core/eds/eds_parser.h"

#include "core/eds/eds_library.h"
#include "core/eds/eds_lines.h"
#include "core/model/lookup.h"
#include "core/model/numbers.h"
#include "core/util/file_io.h"
#include "core/util/text.h"

#include <algorithm>
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

ObjectKey objectKeyOf(std::string_view key) {
    switch (key.size()) {
    case 8:
        return iequals(key, "DataType")   ? ObjectKey::DataType
               : iequals(key, "LowLimit") ? ObjectKey::LowLimit
               : iequals(key, "ObjFlags") ? ObjectKey::ObjFlags
                                          : ObjectKey::None;
    case 9:
        return iequals(key, "SubNumber")   ? ObjectKey::SubNumber
               : iequals(key, "HighLimit") ? ObjectKey::HighLimit
                                           : ObjectKey::None;
    case 10:
        return iequals(key, "ObjectType")   ? ObjectKey::ObjectType
               : iequals(key, "AccessType") ? ObjectKey::AccessType
               : iequals(key, "PDOMapping") ? ObjectKey::PDOMapping
                                            : ObjectKey::None;
    case 12:
        return iequals(key, "DefaultValue") ? ObjectKey::DefaultValue : ObjectKey::None;
    case 13:
        return iequals(key, "ParameterName")   ? ObjectKey::ParameterName
               : iequals(key, "CompactSubObj") ? ObjectKey::CompactSubObj
                                               : ObjectKey::None;
    default:
        return ObjectKey::None;
    }
}

struct FileInfoKey {
    std::string_view key;
    std::string model::FileInfo::*field;
};

constexpr FileInfoKey kFileInfoKeys[] = {
    {"FileName", &model::FileInfo::FileName},
    {"FileVersion", &model::FileInfo::FileVersion},
    {"FileRevision", &model::FileInfo::FileRevision},
    {"EDSVersion", &model::FileInfo::EDSVersion},
    {"Description", &model::FileInfo::Description},
    {"CreationTime", &model::FileInfo::CreationTime},
    {"CreationDate", &model::FileInfo::CreationDate},
    {"CreatedBy", &model::FileInfo::CreatedBy},
    {"ModificationTime", &model::FileInfo::ModificationTime},
    {"ModificationDate", &model::FileInfo::ModificationDate},
    {"ModifiedBy", &model::FileInfo::ModifiedBy},
};

struct DeviceTextKey {
    std::string_view key;
    std::string model::DeviceInfo::*field;
};
struct DeviceFlagKey {
    std::string_view key;
    bool model::DeviceInfo::*field;
};
struct DeviceIntKey {
    std::string_view key;
    int model::DeviceInfo::*field;
};

constexpr DeviceTextKey kDeviceTextKeys[] = {
    {"VendorName", &model::DeviceInfo::VendorName},
    {"VendorNumber", &model::DeviceInfo::VendorNumber},
    {"ProductName", &model::DeviceInfo::ProductName},
    {"ProductNumber", &model::DeviceInfo::ProductNumber},
    {"RevisionNumber", &model::DeviceInfo::RevisionNumber},
    {"OrderCode", &model::DeviceInfo::OrderCode},
};
constexpr DeviceFlagKey kDeviceFlagKeys[] = {
    {"BaudRate_10", &model::DeviceInfo::BaudRate_10},
    {"BaudRate_20", &model::DeviceInfo::BaudRate_20},
    {"BaudRate_50", &model::DeviceInfo::BaudRate_50},
    {"BaudRate_125", &model::DeviceInfo::BaudRate_125},
    {"BaudRate_250", &model::DeviceInfo::BaudRate_250},
    {"BaudRate_500", &model::DeviceInfo::BaudRate_500},
    {"BaudRate_800", &model::DeviceInfo::BaudRate_800},
    {"BaudRate_1000", &model::DeviceInfo::BaudRate_1000},
    {"SimpleBootUpMaster", &model::DeviceInfo::SimpleBootUpMaster},
    {"SimpleBootUpSlave", &model::DeviceInfo::SimpleBootUpSlave},
    {"DynamicChannelsSupported", &model::DeviceInfo::DynamicChannelsSupported},
    {"GroupMessaging", &model::DeviceInfo::GroupMessaging},
    {"LSS_Supported", &model::DeviceInfo::LSS_Supported},
};
constexpr DeviceIntKey kDeviceIntKeys[] = {
    {"Granularity", &model::DeviceInfo::Granularity},
    {"NrOfRXPDO", &model::DeviceInfo::NrOfRXPDO},
    {"NrOfTXPDO", &model::DeviceInfo::NrOfTXPDO},
    {"CompactPDO", &model::DeviceInfo::CompactPDO},
};

/// Sub-entry names of a CompactSubObj object, from its [xxxxName] section.
using CompactNames = std::map<int, std::string>;

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
    /// CompactSubObj count by entry, and the [xxxxName] names by object index.
    std::vector<std::pair<EntryId, int>> m_compact;
    std::map<std::string, CompactNames> m_compactNames;
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
    if (iequals(name, "FileInfo")) {
        m_section = Section::FileInfo;
        m_sawFileInfo = true;
        return;
    }
    if (iequals(name, "DeviceInfo")) {
        m_section = Section::DeviceInfo;
        m_sawDeviceInfo = true;
        return;
    }
    if (name.size() < 4 || !util::isHexText(name.substr(0, 4))) {
        m_section = Section::Other;
        return;
    }
    m_section = Section::Object;
    object_dict e;
    e.index.assign(name.substr(0, 4));
    storeFixed(e.name, name, model::kNameWidth, "section name", line.number);
    const std::string_view rest = name.substr(4);
    if (util::istartsWith(rest, "sub")) {
        e.subindex.assign(rest.substr(3));
    } else if (iequals(rest, "Name")) {
        m_namesSection = &m_compactNames[util::toUpper(e.index)];
    }
    m_node->objects.push_back(std::move(e));
}

void Parser::fileInfoKey(const EdsLine& line) {
    for (std::size_t i = 0; i < std::size(kFileInfoKeys); ++i) {
        if (iequals(line.key, kFileInfoKeys[i].key)) {
            if (!(m_fileInfoSeen & (1u << i))) {
                m_fileInfoSeen |= 1u << i;
                // FileName keeps the library file name: it is the node's link to its EDS.
                if (i != 0) {
                    m_node->fileInfo.*kFileInfoKeys[i].field = std::string(line.value);
                }
            }
            return;
        }
    }
}

void Parser::deviceInfoKey(const EdsLine& line) {
    std::size_t bit = 0;
    for (const auto& k : kDeviceTextKeys) {
        if (iequals(line.key, k.key)) {
            if (!(m_deviceSeen & (1u << bit))) {
                m_node->deviceInfo.*k.field = std::string(line.value);
            }
            m_deviceSeen |= 1u << bit;
            return;
        }
        ++bit;
    }
    for (const auto& k : kDeviceFlagKeys) {
        if (iequals(line.key, k.key)) {
            if (!(m_deviceSeen & (1u << bit))) {
                m_node->deviceInfo.*k.field = model::leadingDecimal(line.value) != 0;
            }
            m_deviceSeen |= 1u << bit;
            return;
        }
        ++bit;
    }
    for (const auto& k : kDeviceIntKeys) {
        if (iequals(line.key, k.key)) {
            if (!(m_deviceSeen & (1u << bit))) {
                m_node->deviceInfo.*k.field = model::leadingDecimal(line.value);
            }
            m_deviceSeen |= 1u << bit;
            return;
        }
        ++bit;
    }
}

bool Parser::objectKey(const EdsLine& line) {
    if (m_namesSection) {
        // [xxxxName]: "n=name" lines name the compact sub-entries.
        if (auto sub = model::tryReadInteger(line.key); sub && *sub >= 1 && *sub <= 0xFE) {
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
        break;
    case ObjectKey::PDOMapping:
        e.PDOMapping = model::readIntegerLenient(line.value);
        break;
    case ObjectKey::ObjFlags:
        e.ObjFlags = model::readIntegerLenient(line.value);
        break;
    case ObjectKey::CompactSubObj:
        if (const int n = model::readIntegerLenient(line.value); n > 0) {
            m_compact.emplace_back(static_cast<EntryId>(m_node->objects.size() - 1),
                                   std::min(n, 0xFE));
        }
        break;
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
    std::vector<std::pair<EntryId, int>> expand;
    for (const auto& [id, count] : m_compact) {
        const std::string& idx = objects[id].index;
        const bool hasSubs = std::any_of(objects.begin(), objects.end(), [&](const object_dict& e) {
            return e.isSubEntry() && iequals(e.index, idx);
        });
        if (!objects[id].isSubEntry() && !hasSubs) {
            expand.emplace_back(id, count);
        }
    }
    if (expand.empty()) {
        return;
    }
    std::vector<object_dict> out;
    out.reserve(objects.size() + 64);
    std::size_t next = 0;
    for (EntryId id = 0; id < objects.size(); ++id) {
        out.push_back(std::move(objects[id]));
        if (next >= expand.size() || expand[next].first != id) {
            continue;
        }
        const int count = expand[next++].second;
        object_dict& main = out.back();
        main.SubNumber = count + 1;
        const CompactNames* names = nullptr;
        if (auto it = m_compactNames.find(util::toUpper(main.index)); it != m_compactNames.end()) {
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
        const object_dict mainCopy = main;
        out.push_back(std::move(sub0));
        for (int k = 1; k <= count; ++k) {
            object_dict s;
            s.index = mainCopy.index;
            s.subindex = util::hexUpper(static_cast<unsigned>(k));
            s.name = mainCopy.index + "sub" + s.subindex;
            std::string name;
            if (names) {
                if (auto it = names->find(k); it != names->end()) {
                    name = it->second;
                }
            }
            if (name.empty()) {
                name = mainCopy.ParameterName + std::to_string(k);
            }
            s.ParameterName.assign(util::cutUtf8(name, model::kParameterNameWidth - 1));
            s.ObjectType = 7;
            s.DataType = mainCopy.DataType;
            s.AccessType = mainCopy.AccessType;
            s.PDOMapping = mainCopy.PDOMapping;
            s.DefaultValue = mainCopy.DefaultValue;
            s.LowLimit = mainCopy.LowLimit;
            s.HighLimit = mainCopy.HighLimit;
            out.push_back(std::move(s));
        }
    }
    objects = std::move(out);
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
    for (const unsigned base : {0x1600u, 0x1A00u}) {
        for (unsigned m = base; m <= base + 0xFF; ++m) {
            for (int s = 1; s <= 15; ++s) {
                const EntryId id = model::findEntryIdByNumber(n, m, s);
                if (id == model::kNoEntry) {
                    break;
                }
                object_dict& e = n.objects[id];
                e.isMappingEntry = true;
                if (e.DefaultValue.empty()) {
                    continue;
                }
                const auto value = model::tryReadInteger(e.DefaultValue);
                if (!value) {
                    error(0, "mapping " + model::describeEntry(e) + " DefaultValue '" +
                                 e.DefaultValue + "' is not a valid integer value");
                    return false;
                }
                if (*value == 0) {
                    continue;
                }
                const auto v = static_cast<std::uint32_t>(*value);
                const EntryId target =
                    model::findEntryIdByNumber(n, v >> 16, static_cast<int>((v >> 8) & 0xFF));
                if (target == model::kNoEntry || target == id) {
                    continue;
                }
                e.link = target;
                n.objects[target].link = id;
                e.pdoKind = static_cast<int>(m - base + 1);
            }
        }
    }
    return true;
}

EdsReadResult Parser::run(std::string_view bytes) {
    std::string converted;
    if (!util::isValidUtf8(bytes)) {
        converted = util::latin1ToUtf8(bytes);
        bytes = converted;
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    m_node->objects.reserve(bytes.size() / 120 + 16);

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
        r.diagnostics.push_back({Severity::Error, util::displayPath(path), 0, {}, e.what()});
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
