#include "core/eds/eds_library.h"
#include "core/eds/eds_lines.h"
#include "core/eds/eds_parser.h"
#include "core/model/data_types.h"
#include "core/model/lookup.h"
#include "core/model/numbers.h"
#include "core/nodeconfig/pdo_layout.h"
#include "core/util/text.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace busmason::eds {
namespace {

using model::EntryId;
using model::kNoEntry;
using model::node;
using model::object_dict;

constexpr const char* kSampleFiles[] = {"KM110.eds", "KM1100.eds", "KD240.eds"};

std::string messages(const std::vector<model::Diagnostic>& diagnostics) {
    std::string out;
    for (const auto& d : diagnostics) {
        out += model::formatDiagnostic(d) + "\n";
    }
    return out;
}

std::unique_ptr<node> loadSample(std::string_view name) {
    EdsReadResult r = createNodeFromLibrary(test::installData("eds"), name, 1);
    EXPECT_TRUE(r.diagnostics.empty()) << messages(r.diagnostics);
    return std::move(r.node);
}

/// The sections of the raw file: name to its key lines, keys upper-cased.
using Sections = std::map<std::string, std::map<std::string, std::string>>;

Sections readSections(std::string_view bytes) {
    Sections sections;
    std::map<std::string, std::string>* current = nullptr;
    EdsLineReader reader(bytes);
    EdsLine line;
    while (reader.next(line)) {
        if (line.kind == EdsLine::Kind::Header) {
            current = &sections[util::toUpper(line.section)];
        } else if (line.kind == EdsLine::Kind::KeyValue && current) {
            (*current)[util::toUpper(line.key)] = std::string(line.value);
        }
    }
    return sections;
}

const object_dict& entryAt(const node& n, unsigned index, int sub) {
    const EntryId id = model::findEntryIdByNumber(n, index, sub);
    if (id == kNoEntry) {
        ADD_FAILURE() << "no object " << model::indexText(index) << " sub " << sub;
        static const object_dict none;
        return none;
    }
    return n.entry(id);
}

std::int64_t number(std::string_view text) {
    const auto v = model::tryReadInteger(text);
    EXPECT_TRUE(v.has_value()) << "'" << text << "'";
    return v.value_or(-1);
}

TEST(SampleEds, LibraryHoldsTheSampleDevices) {
    std::vector<std::string> names = listLibrary(test::installData("eds"));
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected(std::begin(kSampleFiles), std::end(kSampleFiles));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
}

TEST(SampleEds, EachFileParsesCleanlyAndDescribesItself) {
    for (const char* name : kSampleFiles) {
        SCOPED_TRACE(name);
        const std::string bytes = test::readBytes(test::installData("eds/") / name);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            ASSERT_EQ(bytes[i] == '\n', i > 0 && bytes[i - 1] == '\r') << "bare line end at " << i;
        }
        ASSERT_TRUE(bytes.ends_with("\r\n"));
        const Sections raw = readSections(bytes);
        ASSERT_TRUE(raw.count("FILEINFO"));
        EXPECT_EQ(raw.at("FILEINFO").at("FILENAME"), name);

        const auto n = loadSample(name);
        ASSERT_TRUE(n);
        const model::FileInfo& f = n->fileInfo;
        for (const std::string* field :
             {&f.FileVersion, &f.FileRevision, &f.EDSVersion, &f.Description, &f.CreationTime,
              &f.CreationDate, &f.CreatedBy, &f.ModificationTime, &f.ModificationDate,
              &f.ModifiedBy}) {
            EXPECT_FALSE(field->empty());
        }
        EXPECT_EQ(f.EDSVersion, "4.0");
        const model::DeviceInfo& d = n->deviceInfo;
        EXPECT_EQ(d.VendorName, "KOVA");
        EXPECT_TRUE(d.BaudRate_20 && d.BaudRate_125 && d.BaudRate_250 && d.BaudRate_500 &&
                    d.BaudRate_1000);
        EXPECT_TRUE(d.SimpleBootUpSlave);
        EXPECT_GT(d.NrOfRXPDO, 0);
        EXPECT_GT(d.NrOfTXPDO, 0);
        // The identity objects agree with [DeviceInfo].
        EXPECT_EQ(number(n->vendorId), number(d.VendorNumber));
        EXPECT_EQ(number(n->productCode), number(d.ProductNumber));
        EXPECT_EQ(number(entryAt(*n, 0x1018, 3).DefaultValue), number(d.RevisionNumber));
        EXPECT_FALSE(n->deviceType.empty());
        // Node guarding and heartbeat can be configured.
        for (const unsigned index : {0x100Cu, 0x100Du, 0x1017u}) {
            EXPECT_EQ(entryAt(*n, index, -1).AccessType, "rw");
        }
        // One communication and one mapping object per announced PDO.
        for (int p = 0; p < 0x200; ++p) {
            const bool rx = p < d.NrOfRXPDO;
            const bool tx = p < d.NrOfTXPDO;
            EXPECT_EQ(model::findEntryIdByNumber(*n, 0x1400 + p, -1) != kNoEntry, rx) << p;
            EXPECT_EQ(model::findEntryIdByNumber(*n, 0x1600 + p, -1) != kNoEntry, rx) << p;
            EXPECT_EQ(model::findEntryIdByNumber(*n, 0x1800 + p, -1) != kNoEntry, tx) << p;
            EXPECT_EQ(model::findEntryIdByNumber(*n, 0x1A00 + p, -1) != kNoEntry, tx) << p;
        }
    }
}

bool isNumericType(int code) {
    return model::bitsOf(code) > 0 && (code < 0x09 || code > 0x0D);
}

TEST(SampleEds, ObjectsFollowTheEdsFormat) {
    const std::set<std::string> accessTypes = {"ro", "wo", "rw", "rwr", "rww", "const"};
    for (const char* name : kSampleFiles) {
        SCOPED_TRACE(name);
        const auto n = loadSample(name);
        ASSERT_TRUE(n);

        // The object lists name every object section exactly once, in the right list.
        const Sections raw = readSections(test::readBytes(test::installData("eds/") / name));
        std::set<unsigned> listed;
        for (const char* list : {"MANDATORYOBJECTS", "OPTIONALOBJECTS", "MANUFACTUREROBJECTS"}) {
            SCOPED_TRACE(list);
            ASSERT_TRUE(raw.count(list));
            const auto& keys = raw.at(list);
            const auto count = number(keys.at("SUPPORTEDOBJECTS"));
            EXPECT_EQ(static_cast<std::int64_t>(keys.size()) - 1, count);
            for (std::int64_t i = 1; i <= count; ++i) {
                ASSERT_TRUE(keys.count(std::to_string(i))) << i;
                const auto index = static_cast<unsigned>(number(keys.at(std::to_string(i))));
                EXPECT_TRUE(listed.insert(index).second) << std::hex << index;
                const bool manufacturer = index >= 0x2000 && index <= 0x5FFF;
                const bool mandatory = index == 0x1000 || index == 0x1001 || index == 0x1018;
                EXPECT_EQ(manufacturer, std::string_view(list) == "MANUFACTUREROBJECTS");
                EXPECT_EQ(mandatory, std::string_view(list) == "MANDATORYOBJECTS");
            }
        }
        std::set<unsigned> sections;
        for (const object_dict& e : n->objects) {
            if (!e.isSubEntry()) {
                sections.insert(static_cast<unsigned>(number("0x" + e.index)));
            }
        }
        EXPECT_EQ(listed, sections);

        for (const object_dict& e : n->objects) {
            SCOPED_TRACE(e.name);
            EXPECT_FALSE(e.ParameterName.empty());
            if (e.SubNumber != -1) {
                // An array or a record: SubNumber counts the sub-entries that follow it.
                EXPECT_TRUE(e.ObjectType == 0x8 || e.ObjectType == 0x9);
                const auto subs =
                    std::count_if(n->objects.begin(), n->objects.end(), [&](const object_dict& s) {
                        return s.isSubEntry() && s.index == e.index;
                    });
                EXPECT_EQ(subs, e.SubNumber);
                continue;
            }
            EXPECT_EQ(e.ObjectType, 0x7);
            EXPECT_NE(model::dataType(e.DataType), nullptr);
            EXPECT_GT(model::bitsOf(e.DataType), 0);
            EXPECT_TRUE(accessTypes.count(e.AccessType)) << e.AccessType;
            EXPECT_TRUE(e.PDOMapping == 0 || e.PDOMapping == 1);
            if (isNumericType(e.DataType)) {
                std::string_view value = e.DefaultValue;
                if (value.starts_with("$NODEID+")) {
                    value.remove_prefix(8);
                }
                EXPECT_TRUE(model::tryReadInteger(value)) << e.DefaultValue;
                for (const std::string* limit : {&e.LowLimit, &e.HighLimit}) {
                    EXPECT_TRUE(limit->empty() || model::tryReadInteger(*limit)) << *limit;
                }
            }
        }

        // Sub-index 0 holds the highest sub-index (a mapping object's holds its mapped count).
        for (const object_dict& e : n->objects) {
            const unsigned index = static_cast<unsigned>(number("0x" + e.index));
            const bool mapping =
                (index >= 0x1600 && index <= 0x17FF) || (index >= 0x1A00 && index <= 0x1BFF);
            if (e.SubNumber == -1 || mapping) {
                continue;
            }
            SCOPED_TRACE(e.name);
            std::int64_t highest = -1;
            for (const object_dict& s : n->objects) {
                if (s.isSubEntry() && s.index == e.index) {
                    highest = std::max(highest, number("0x" + s.subindex));
                }
            }
            EXPECT_EQ(number(entryAt(*n, index, 0).DefaultValue), highest);
        }
    }
}

TEST(SampleEds, MappingDefaultsPointAtMappableObjectsOfTheirWidth) {
    for (const char* name : kSampleFiles) {
        SCOPED_TRACE(name);
        const auto n = loadSample(name);
        ASSERT_TRUE(n);
        for (const unsigned base : {0x1600u, 0x1A00u}) {
            for (unsigned m = base; m <= base + 0xFF; ++m) {
                if (model::findEntryIdByNumber(*n, m, -1) == kNoEntry) {
                    continue;
                }
                SCOPED_TRACE(model::indexText(m));
                // Sub-index 0 counts the non-zero mapping values, which come first.
                const auto mapped = number(entryAt(*n, m, 0).DefaultValue);
                for (int s = 1; s <= 15; ++s) {
                    const EntryId id = model::findEntryIdByNumber(*n, m, s);
                    if (id == kNoEntry) {
                        break;
                    }
                    const object_dict& e = n->entry(id);
                    SCOPED_TRACE(e.name);
                    EXPECT_TRUE(e.isMappingEntry);
                    const auto value = static_cast<std::uint32_t>(number(e.DefaultValue));
                    EXPECT_EQ(value != 0, s <= mapped);
                    if (value == 0) {
                        EXPECT_EQ(e.link, kNoEntry);
                        continue;
                    }
                    ASSERT_NE(e.link, kNoEntry);
                    const object_dict& target = n->entry(e.link);
                    // An object mapped by several PDOs points back at one of them.
                    ASSERT_NE(target.link, kNoEntry);
                    EXPECT_EQ(n->entry(target.link).link, e.link);
                    EXPECT_EQ(e.pdoKind, static_cast<int>(m - base + 1));
                    EXPECT_EQ(target.PDOMapping, 1);
                    EXPECT_EQ(model::bitsOf(target.DataType), static_cast<int>(value & 0xFF));
                    // Receive PDOs carry what the master writes, transmit PDOs what it reads.
                    const char needed = base == 0x1600 ? 'w' : 'r';
                    EXPECT_NE(target.AccessType.find(needed), std::string::npos)
                        << target.AccessType;
                }
            }
        }
    }
}

TEST(SampleEds, CouplerCarriesEveryObjectOfThePdoLayoutAndItsTerminals) {
    const auto n = loadSample("KM110.eds");
    ASSERT_TRUE(n);
    struct Layout {
        nodeconfig::PdoDirection direction;
        const char* access;
    };
    // Look the objects up with the texts the coupler and PDO placement use.
    const auto find = [&](unsigned index, int sub) {
        return model::findEntry(*n, model::indexText(index), model::subText(sub));
    };
    for (const Layout& l : {Layout{nodeconfig::PdoDirection::Receive, "rw"},
                            Layout{nodeconfig::PdoDirection::Transmit, "ro"}}) {
        for (const nodeconfig::PdoSlot& row : nodeconfig::pdoLayout(l.direction)) {
            SCOPED_TRACE("PDO " + std::to_string(row.pdo));
            if (row.digitalBits) {
                const object_dict* e = find(row.digitalIndex, row.digitalSub);
                ASSERT_NE(e, nullptr) << std::hex << row.digitalIndex << " " << row.digitalSub;
                EXPECT_EQ(model::bitsOf(e->DataType), 8);
                EXPECT_EQ(e->DataType, 0x05);
                EXPECT_EQ(e->PDOMapping, 1);
                EXPECT_EQ(e->AccessType, l.access);
            }
            if (row.analogBits) {
                const object_dict* e = find(row.analogIndex, row.analogSub);
                ASSERT_NE(e, nullptr) << std::hex << row.analogIndex << " " << row.analogSub;
                EXPECT_EQ(e->DataType, 0x03);
                EXPECT_EQ(e->PDOMapping, 1);
                EXPECT_EQ(e->AccessType, l.access);
            }
        }
    }
    struct Range {
        unsigned index;
        int last;
    };
    for (const Range& r : {Range{0x6000, 104}, Range{0x6200, 104}, Range{0x6401, 76},
                           Range{0x6411, 76}, Range{0x2200, 32}}) {
        SCOPED_TRACE(model::indexText(r.index));
        for (int s = 0; s <= r.last; ++s) {
            EXPECT_NE(find(r.index, s), nullptr) << s;
        }
        EXPECT_EQ(find(r.index, r.last + 1), nullptr);
    }
    // One configuration word per analogue terminal, written at start-up.
    for (int k = 1; k <= 32; ++k) {
        const object_dict* e = find(0x2200, k);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->AccessType, "rw");
        EXPECT_EQ(e->DataType, 0x07);
    }
    // COB-IDs of PDOs 1 to 16 can be written; lookups ask "0x140" + one hexadecimal digit.
    for (int p = 0; p < 16; ++p) {
        for (const char* base : {"0x140", "0x180"}) {
            const std::string index = base + util::hexUpper(static_cast<unsigned>(p));
            SCOPED_TRACE(index);
            const object_dict* cob = model::findEntry(*n, index, "0x1");
            ASSERT_NE(cob, nullptr);
            EXPECT_EQ(cob->DataType, 0x07);
            EXPECT_EQ(cob->AccessType, "rw");
            EXPECT_NE(model::findEntry(*n, index, "0x2"), nullptr);
        }
    }
    EXPECT_EQ(number(n->deviceType) & 0xFFFF, 401);
}

TEST(SampleEds, CompactModuleMapsItsSixteenInputsAndOutputs) {
    const auto n = loadSample("KM1100.eds");
    ASSERT_TRUE(n);
    struct Mapping {
        unsigned mapping;
        int sub;
        unsigned object;
        int objectSub;
    };
    const Mapping mappings[] = {
        {0x1600, 1, 0x6200, 1},
        {0x1600, 2, 0x6200, 2},
        {0x1A00, 1, 0x6000, 1},
        {0x1A00, 2, 0x6000, 2},
    };
    for (const Mapping& m : mappings) {
        SCOPED_TRACE(model::indexText(m.mapping) + " " + std::to_string(m.sub));
        const EntryId mappingId = model::findEntryIdByNumber(*n, m.mapping, m.sub);
        const EntryId objectId = model::findEntryIdByNumber(*n, m.object, m.objectSub);
        ASSERT_NE(mappingId, kNoEntry);
        ASSERT_NE(objectId, kNoEntry);
        EXPECT_EQ(n->entry(mappingId).link, objectId);
        EXPECT_EQ(n->entry(objectId).link, mappingId);
        EXPECT_EQ(n->entry(mappingId).pdoKind, 1);
    }
    EXPECT_EQ(model::findEntryIdByNumber(*n, 0x6000, 3), kNoEntry);
    EXPECT_EQ(model::findEntryIdByNumber(*n, 0x6200, 3), kNoEntry);
    EXPECT_EQ(n->deviceInfo.NrOfRXPDO, 1);
    EXPECT_EQ(n->deviceInfo.NrOfTXPDO, 1);
    EXPECT_EQ(number(n->deviceType), 0x00030191);
}

TEST(SampleEds, DriveMapsControlAndStatusWords) {
    const auto n = loadSample("KD240.eds");
    ASSERT_TRUE(n);
    EXPECT_EQ(number(n->deviceType) & 0xFFFF, 402);
    for (int p = 0; p < 4; ++p) {
        SCOPED_TRACE(p + 1);
        const object_dict& rx = entryAt(*n, 0x1600 + p, 1);
        const object_dict& tx = entryAt(*n, 0x1A00 + p, 1);
        ASSERT_NE(rx.link, kNoEntry);
        ASSERT_NE(tx.link, kNoEntry);
        EXPECT_EQ(n->entry(rx.link).ParameterName, "Controlword");
        EXPECT_EQ(n->entry(tx.link).ParameterName, "Statusword");
    }
    EXPECT_EQ(n->entry(entryAt(*n, 0x1602, 2).link).ParameterName, "Target position");
    EXPECT_EQ(n->entry(entryAt(*n, 0x1A02, 2).link).ParameterName, "Position actual value");
}

} // namespace
} // namespace busmason::eds
