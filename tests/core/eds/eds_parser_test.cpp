#include "core/eds/eds_parser.h"
#include "core/model/lookup.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace busmason::eds {
namespace {

using model::object_dict;

EdsReadResult parse(std::string_view text) {
    return parseEds(text, "t.eds", "Lib.eds", 5);
}

/// The node of text, failing the test when the text is rejected.
std::unique_ptr<model::node> nodeOf(std::string_view text) {
    EdsReadResult r = parse(text);
    EXPECT_TRUE(r.node) << (r.diagnostics.empty() ? "" : r.diagnostics.back().message);
    EXPECT_FALSE(model::hasError(r.diagnostics));
    return std::move(r.node);
}

const object_dict& at(const model::node& n, unsigned index, int sub) {
    const model::EntryId id = model::findEntryIdByNumber(n, index, sub);
    EXPECT_NE(id, model::kNoEntry) << std::hex << index << " sub " << sub;
    static const object_dict none;
    return id == model::kNoEntry ? none : n.entry(id);
}

TEST(EdsParser, KeysAreWholeNamesComparedIgnoringCase) {
    const auto n = nodeOf("[DeviceInfo]\n"
                          "BaudRate_1000=1\n"
                          "BaudRate_10=0\n"
                          "baudrate_250 = 1\n"
                          "NrOfRXPDO=0x4\n"
                          "Granularity=8\n"
                          "[1000]\n"
                          "ParameterName=Number of SubNumber entries\n"
                          "DataType=0x0007\n"
                          "DefaultValue=0x191 ; device type\n"
                          "[1001]\n"
                          "ParameterName=DataType=5 written in a name\n"
                          "datatype = 5\n"
                          "LowLimit=a;b\n");
    ASSERT_TRUE(n);
    EXPECT_FALSE(n->deviceInfo.BaudRate_10);
    EXPECT_TRUE(n->deviceInfo.BaudRate_1000);
    EXPECT_TRUE(n->deviceInfo.BaudRate_250);
    EXPECT_EQ(n->deviceInfo.NrOfRXPDO, 4);
    EXPECT_EQ(n->deviceInfo.Granularity, 8);
    const object_dict& devType = at(*n, 0x1000, -1);
    EXPECT_EQ(devType.ParameterName, "Number of SubNumber entries");
    EXPECT_EQ(devType.SubNumber, -1);
    EXPECT_EQ(devType.DefaultValue, "0x191");
    EXPECT_EQ(n->deviceType, "0x191");
    const object_dict& err = at(*n, 0x1001, -1);
    EXPECT_EQ(err.ParameterName, "DataType=5 written in a name");
    EXPECT_EQ(err.DataType, 5);
    EXPECT_EQ(err.LowLimit, "a;b");
}

TEST(EdsParser, InfoSectionsAreFoundIgnoringCaseAndReadWhole) {
    std::string text = "[fileinfo]  \n";
    for (int i = 0; i < 20; ++i) {
        text += "; a comment line before the keys\n";
    }
    text += "Description=Far below its header\n"
            "FileName=written.eds\n"
            "[DEVICEINFO]\n"
            "ProductName=P\n"
            "ProductName=second line of the same key\n";
    for (int i = 0; i < 30; ++i) {
        text += "OrderCode" + std::to_string(i) + "=x\n";
    }
    text += "LSS_Supported=1\n";
    const auto n = nodeOf(text);
    ASSERT_TRUE(n);
    EXPECT_EQ(n->fileInfo.Description, "Far below its header");
    EXPECT_EQ(n->fileInfo.FileName, "Lib.eds") << "the node links to its library file";
    EXPECT_EQ(n->deviceInfo.ProductName, "P");
    EXPECT_TRUE(n->deviceInfo.LSS_Supported);
}

TEST(EdsParser, SectionsOtherThanObjectsDoNotFeedObjects) {
    const auto n = nodeOf("[1000]\n"
                          "DefaultValue=1\n"
                          "[Comments]\n"
                          "DefaultValue=9\n"
                          "ParameterName=from a comment section\n"
                          "[FileInfo]\n"
                          "DataType=7\n");
    ASSERT_TRUE(n);
    ASSERT_EQ(n->objects.size(), 1u);
    EXPECT_EQ(n->objects[0].DefaultValue, "1");
    EXPECT_EQ(n->objects[0].ParameterName, "");
    EXPECT_EQ(n->objects[0].DataType, 0);
}

TEST(EdsParser, SectionNamesGiveIndexNameAndSubIndex) {
    struct Case {
        const char* header;
        const char* index;
        const char* name;
        const char* subindex;
    };
    const Case cases[] = {
        {"[1018sub1]", "1018", "1018sub1", "1"},       {"[1600sub1A]", "1600", "1600sub1A", "1A"},
        {"[1a00sub2]", "1a00", "1a00sub2", "2"},       {"[3010Sub0]", "3010", "3010Sub0", "0"},
        {"[1003Value]", "1003", "1003Value", "-1"},    {"[2000", "2000", "2000", "-1"},
        {"[6000]trailing text", "6000", "6000", "-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header);
        const auto n = nodeOf(std::string(c.header) + "\nParameterName=x\n");
        ASSERT_TRUE(n);
        ASSERT_EQ(n->objects.size(), 1u);
        EXPECT_EQ(n->objects[0].index, c.index);
        EXPECT_EQ(n->objects[0].name, c.name);
        EXPECT_EQ(n->objects[0].subindex, c.subindex);
        EXPECT_EQ(n->objects[0].ParameterName, "x");
    }
}

TEST(EdsParser, ValueSectionAfterItsObjectIsASecondMainEntry) {
    const auto n = nodeOf("[1003]\nParameterName=Error field\nSubNumber=1\n"
                          "[1003sub0]\nParameterName=Count\n"
                          "[1003Value]\nNrOfEntries=1\n1=0x5\n");
    ASSERT_TRUE(n);
    ASSERT_EQ(n->objects.size(), 3u);
    EXPECT_EQ(n->objects[2].index, "1003");
    EXPECT_FALSE(n->objects[2].isSubEntry());
    const object_dict* main = model::findEntry(*n, "0x1003", "-1");
    ASSERT_TRUE(main);
    EXPECT_EQ(main->name, "1003");
    EXPECT_EQ(model::findEntry(*n, "0x1003", "0x0")->ParameterName, "Count");
}

TEST(EdsParser, NumbersReadInEveryNotation) {
    struct Case {
        const char* line;
        int object_dict::*field;
        int expected;
    };
    const Case cases[] = {
        {"SubNumber=3", &object_dict::SubNumber, 3},
        {"SubNumber=0x3", &object_dict::SubNumber, 3},
        {"SubNumber=3 entries", &object_dict::SubNumber, 3},
        {"SubNumber=many", &object_dict::SubNumber, 0},
        {"PDOMapping=0x1", &object_dict::PDOMapping, 1},
        {"PDOMapping=1", &object_dict::PDOMapping, 1},
        {"PDOMapping=0", &object_dict::PDOMapping, 0},
        {"ObjFlags=0x2", &object_dict::ObjFlags, 2},
        {"DataType=0x0007", &object_dict::DataType, 7},
        {"DataType=7", &object_dict::DataType, 7},
        {"DataType=$1B", &object_dict::DataType, 0x1B},
        {"ObjectType=0x9", &object_dict::ObjectType, 9},
        {"ObjectType=8", &object_dict::ObjectType, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const auto n = nodeOf(std::string("[2000]\n") + c.line + "\n");
        ASSERT_TRUE(n);
        EXPECT_EQ(n->objects[0].*c.field, c.expected);
    }
}

TEST(EdsParser, UnreadableTypeOrMappingValueRejectsTheFile) {
    struct Case {
        const char* text;
        int line;
        const char* value;
    };
    const Case cases[] = {
        {"[1000]\nParameterName=x\nDataType=\n", 3, "''"},
        {"[1000]\nDataType=0x7G\n", 2, "'0x7G'"},
        {"[1000]\nObjectType=VAR\n", 2, "'VAR'"},
        {"[1600]\n[1600sub1]\nParameterName=m\nDefaultValue=0x6000010G\n[6000]\n", 4,
         "'0x6000010G'"},
        {"[1A00]\n[1A00sub1]\nDefaultValue=$NODEID+1\n", 3, "'$NODEID+1'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const EdsReadResult r = parse(c.text);
        EXPECT_FALSE(r.node);
        ASSERT_TRUE(model::hasError(r.diagnostics));
        const model::Diagnostic& d = r.diagnostics.back();
        EXPECT_EQ(d.file, "t.eds");
        EXPECT_EQ(d.line, c.line);
        EXPECT_NE(d.message.find(std::string(c.value) + " is not a valid integer value"),
                  std::string::npos)
            << d.message;
    }
}

constexpr const char* kMappings = "[1600]\nSubNumber=5\n"
                                  "[1600sub0]\nDefaultValue=4\n"
                                  "[1600sub1]\nDefaultValue=0x60000108\n"
                                  "[1600sub2]\nDefaultValue=0\n"
                                  "[1600sub4]\nDefaultValue=0x60000208\n"
                                  "[1601]\nSubNumber=4\n"
                                  "[1601sub1]\nDefaultValue=0x60001108\n"
                                  "[1601sub2]\nDefaultValue=1610613256\n"
                                  "[1601sub3]\nDefaultValue=0x70000108\n"
                                  "[1a01]\nSubNumber=2\n"
                                  "[1a01sub1]\nDefaultValue=0x62000108\n"
                                  "[6000]\nSubNumber=4\n"
                                  "[6000sub0]\n[6000sub1]\n[6000sub2]\n[6000sub11]\n"
                                  "[6200]\nSubNumber=2\n"
                                  "[6200sub0]\n[6200sub1]\n";

TEST(EdsParser, MappingEntriesLinkToTheObjectTheirNumberNames) {
    const auto n = nodeOf(kMappings);
    ASSERT_TRUE(n);
    struct Case {
        unsigned index;
        int sub;
        bool mapping;
        const char* linkName; ///< nullptr: unlinked
        int pdoKind;
    };
    const Case cases[] = {
        {0x1600, 0, false, nullptr, 0},    // sub-index 0 counts, it does not map
        {0x1600, 1, true, "6000sub1", 1},  //
        {0x1600, 2, true, nullptr, 0},     // a zero value maps nothing
        {0x1600, 4, false, nullptr, 0},    // after the missing sub-index 3
        {0x1601, 1, true, "6000sub11", 2}, // sub-index field 0x11, not its low digit
        {0x1601, 2, true, "6000sub2", 2},  // a decimal value
        {0x1601, 3, true, nullptr, 0},     // an object the file does not have
        {0x1A01, 1, true, "6200sub1", 2},  // lower-case section names
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.index) + " sub " + std::to_string(c.sub));
        const object_dict& e = at(*n, c.index, c.sub);
        EXPECT_EQ(e.isMappingEntry, c.mapping);
        EXPECT_EQ(e.pdoKind, c.pdoKind);
        if (!c.linkName) {
            EXPECT_EQ(e.link, model::kNoEntry);
            continue;
        }
        ASSERT_NE(e.link, model::kNoEntry);
        const object_dict& target = n->entry(e.link);
        EXPECT_EQ(target.name, c.linkName);
        EXPECT_EQ(target.link, n->idOf(e)) << "the mapped object links back";
    }
}

TEST(EdsParser, OnlySubIndexesOneToFifteenAreMappingEntries) {
    std::string text = "[1A00]\nSubNumber=17\n";
    for (int s = 0; s <= 16; ++s) {
        text += "[1A00sub" + std::to_string(s) + "]\nDefaultValue=0\n";
    }
    const auto n = nodeOf(text);
    ASSERT_TRUE(n);
    for (const object_dict& e : n->objects) {
        const int sub = e.isSubEntry() ? std::stoi(e.subindex, nullptr, 16) : -1;
        EXPECT_EQ(e.isMappingEntry, sub >= 1 && sub <= 15) << e.name;
    }
}

TEST(EdsParser, IdentityValuesAndANewNodesInitialState) {
    const auto n = nodeOf("[1000]\nDefaultValue=0x00030191\n"
                          "[1018]\nSubNumber=3\n"
                          "[1018sub0]\nDefaultValue=2\n"
                          "[1018sub1]\nDefaultValue=0x123\n"
                          "[1018sub2]\nDefaultValue=0x4\n");
    ASSERT_TRUE(n);
    EXPECT_EQ(n->deviceType, "0x00030191");
    EXPECT_EQ(n->vendorId, "0x123");
    EXPECT_EQ(n->productCode, "0x4");
    EXPECT_EQ(n->address, 5);
    EXPECT_FALSE(n->virtual_);
    EXPECT_FALSE(n->ngDisabled);
    EXPECT_EQ(n->sdoCount(), 0);
    EXPECT_FALSE(n->coupler);

    const auto bare = nodeOf("[2000]\nParameterName=x\n");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->deviceType, "");
    EXPECT_EQ(bare->vendorId, "");
    EXPECT_EQ(bare->productCode, "");
}

TEST(EdsParser, CompactSubObjCreatesTheSubEntries) {
    const auto n = nodeOf("[1003]\nParameterName=Error field\nObjectType=0x8\nDataType=0x0007\n"
                          "AccessType=ro\nPDOMapping=0\nCompactSubObj=3\n"
                          "[3004]\nParameterName=Status\nObjectType=0x8\nDataType=0x0006\n"
                          "AccessType=rw\nPDOMapping=1\nDefaultValue=0x5\nCompactSubObj=2\n"
                          "[3004Name]\nNrOfEntries=2\n1=First status\n2=\n"
                          "[1A00]\nSubNumber=2\n[1A00sub0]\nDefaultValue=1\n"
                          "[1A00sub1]\nDefaultValue=0x30040210\n");
    ASSERT_TRUE(n);
    const object_dict& errors = at(*n, 0x1003, -1);
    EXPECT_EQ(errors.SubNumber, 4);
    const object_dict& count = at(*n, 0x1003, 0);
    EXPECT_EQ(count.ParameterName, "Number of entries");
    EXPECT_EQ(count.DataType, 0x05);
    EXPECT_EQ(count.AccessType, "ro");
    EXPECT_EQ(count.DefaultValue, "3");
    for (int s = 1; s <= 3; ++s) {
        const object_dict& e = at(*n, 0x1003, s);
        EXPECT_EQ(e.name, "1003sub" + std::to_string(s));
        EXPECT_EQ(e.ParameterName, "Error field" + std::to_string(s));
        EXPECT_EQ(e.DataType, 0x07);
        EXPECT_EQ(e.AccessType, "ro");
        EXPECT_EQ(e.PDOMapping, 0);
        EXPECT_EQ(e.DefaultValue, "0x0");
    }
    EXPECT_EQ(model::findEntryIdByNumber(*n, 0x1003, 4), model::kNoEntry);

    // Names from [xxxxName]; an empty one falls back to the object's name and sub-index.
    EXPECT_EQ(at(*n, 0x3004, 1).ParameterName, "First status");
    const object_dict& second = at(*n, 0x3004, 2);
    EXPECT_EQ(second.ParameterName, "Status2");
    EXPECT_EQ(second.PDOMapping, 1);
    EXPECT_EQ(second.AccessType, "rw");
    EXPECT_EQ(second.DefaultValue, "0x5");
    // The created sub-entries can be mapped.
    const object_dict& mapping = at(*n, 0x1A00, 1);
    ASSERT_NE(mapping.link, model::kNoEntry);
    EXPECT_EQ(&n->entry(mapping.link), &second);
}

TEST(EdsParser, CompactSubObjKeepsListedSubEntriesAndItsLimit) {
    const auto listed = nodeOf("[2000]\nParameterName=A\nDataType=7\nCompactSubObj=2\n"
                               "[2000sub0]\nParameterName=own count\n"
                               "[2000sub1]\nParameterName=own first\n");
    ASSERT_TRUE(listed);
    ASSERT_EQ(listed->objects.size(), 3u);
    EXPECT_EQ(at(*listed, 0x2000, 1).ParameterName, "own first");

    const EdsReadResult big = parse("[2000]\nParameterName=A\nDataType=7\nCompactSubObj=300\n");
    ASSERT_TRUE(big.node);
    EXPECT_EQ(big.node->objects.size(), 1u + 1u + 254u);
    EXPECT_EQ(big.node->objects.back().subindex, "FE");
    ASSERT_FALSE(big.diagnostics.empty());
    EXPECT_EQ(big.diagnostics[0].line, 4);
}

TEST(EdsParser, LineEndsAndEncodings) {
    struct Case {
        const char* what;
        std::string text;
        const char* name;
    };
    const Case cases[] = {
        {"LF", "[2000]\nParameterName=Temp\nDataType=7\n", "Temp"},
        {"CR LF", "[2000]\r\nParameterName=Temp\r\nDataType=7\r\n", "Temp"},
        {"CR", "[2000]\rParameterName=Temp\rDataType=7\r", "Temp"},
        {"mixed", "[2000]\r\nParameterName=Temp\nDataType=7\r", "Temp"},
        {"no final line end", "[2000]\nParameterName=Temp\nDataType=7", "Temp"},
        {"Latin-1", "[2000]\nParameterName=Temp\xE9rature\nDataType=7\n", "Temp\xC3\xA9rature"},
        {"UTF-8", "[2000]\nParameterName=Temp\xC3\xA9rature\nDataType=7\n", "Temp\xC3\xA9rature"},
        {"byte order mark", "\xEF\xBB\xBF[2000]\nParameterName=Temp\nDataType=7\n", "Temp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto n = nodeOf(c.text);
        ASSERT_TRUE(n);
        ASSERT_EQ(n->objects.size(), 1u);
        EXPECT_EQ(n->objects[0].ParameterName, c.name);
        EXPECT_EQ(n->objects[0].DataType, 7);
    }
}

TEST(EdsParser, LongLinesAreReadWholeAndFixedTextsCut) {
    const std::string longName(300, 'n');
    const std::string longValue(1000, '7');
    const EdsReadResult r =
        parse("[2000]\nParameterName=" + longName + "\nDefaultValue=" + longValue +
              "\nDataType=0x0007\nAccessType=readwrite-all\n");
    ASSERT_TRUE(r.node);
    const object_dict& e = r.node->objects[0];
    EXPECT_EQ(e.ParameterName, longName.substr(0, 247));
    EXPECT_EQ(e.DefaultValue, longValue);
    EXPECT_EQ(e.DataType, 7);
    EXPECT_EQ(e.AccessType, "readwrite");
    std::vector<int> cutLines;
    for (const model::Diagnostic& d : r.diagnostics) {
        EXPECT_EQ(d.severity, model::Severity::Warning);
        if (d.message.find(" cut to ") != std::string::npos) {
            cutLines.push_back(d.line);
        }
    }
    EXPECT_EQ(cutLines, (std::vector<int>{2, 5}));
}

TEST(EdsParser, ReadsADcf) {
    const EdsReadResult r = readEdsFile(test::testData("eds/device.dcf"), "device.dcf", 3);
    ASSERT_TRUE(r.node);
    EXPECT_FALSE(model::hasError(r.diagnostics));
    const model::node& n = *r.node;
    EXPECT_EQ(n.fileInfo.FileName, "device.dcf");
    EXPECT_EQ(n.deviceInfo.ProductName, "Valve block");
    EXPECT_EQ(n.vendorId, "0x2A");
    // ParameterValue is the configured value; DefaultValue stays what the device defines.
    EXPECT_EQ(at(n, 0x1017, -1).DefaultValue, "0");
    const object_dict& mapping = at(n, 0x1A00, 1);
    ASSERT_NE(mapping.link, model::kNoEntry);
    EXPECT_EQ(n.entry(mapping.link).name, "6000sub1");
    EXPECT_EQ(at(n, 0x6000, 2).ParameterName, "Valve 2");
}

TEST(EdsParser, CreateNodeFromLibraryFindsTheNameIgnoringCase) {
    test::TempDir dir;
    test::writeBytes(dir / "Dev.EDS", "[2000]\nParameterName=x\n");
    test::writeBytes(dir / "other.txt", "[2000]\n");
    const EdsReadResult r = createNodeFromLibrary(dir.path(), "dev.eds", 7);
    ASSERT_TRUE(r.node);
    EXPECT_EQ(r.node->fileInfo.FileName, "Dev.EDS");
    EXPECT_EQ(r.node->address, 7);

    for (const char* name : {"other.txt", "missing.eds"}) {
        SCOPED_TRACE(name);
        const EdsReadResult none = createNodeFromLibrary(dir.path(), name, 7);
        EXPECT_FALSE(none.node);
        EXPECT_TRUE(model::hasError(none.diagnostics));
    }
    const EdsReadResult unreadable = readEdsFile(dir / "missing.eds", "missing.eds", 1);
    EXPECT_FALSE(unreadable.node);
    ASSERT_TRUE(model::hasError(unreadable.diagnostics));
    EXPECT_EQ(unreadable.diagnostics[0].file, (dir / "missing.eds").string());
}

} // namespace
} // namespace busmason::eds
