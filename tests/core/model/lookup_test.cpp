#include "core/model/data_types.h"
#include "core/model/lookup.h"

#include <gtest/gtest.h>

namespace busmason::model {
namespace {

object_dict entry(std::string index, std::string sub = "-1", int subNumber = -1) {
    object_dict e;
    e.index = std::move(index);
    e.subindex = std::move(sub);
    e.name = e.isSubEntry() ? e.index + "sub" + e.subindex : e.index;
    e.SubNumber = subNumber;
    return e;
}

/// [1000] [1003] [1003sub0] [1003sub1] [1003Value] [1017] [1018] [1018sub0..4] [1a00] [1a00sub1]
node sampleNode(bool indexed) {
    node n;
    n.objects = {entry("1000"), entry("1003", "-1", 2), entry("1003", "0"), entry("1003", "1"),
                 entry("1003"), entry("1017"), entry("1018", "-1", 5), entry("1018", "0"),
                 entry("1018", "1"), entry("1018", "2"), entry("1018", "3"), entry("1018", "4"),
                 entry("1a00", "-1", 2), entry("1a00", "1"), entry("1A01"), entry("6000", "-1", 2),
                 entry("6000", "0x1"),
                 // A simple variable followed by a stray sub-entry of an object without a main
                 // section: the stray entry belongs to another object.
                 entry("7000"), entry("7001", "1")};
    if (indexed) {
        indexObjects(n);
    }
    return n;
}

class Lookup : public ::testing::TestWithParam<bool> {};

TEST_P(Lookup, FollowsTheLookupRules) {
    const node n = sampleNode(GetParam());
    struct Case {
        const char* index;
        const char* sub;
        EntryId expected;
    };
    const Case cases[] = {
        {"0x1000", "-1", 0},  // main entry
        {"0x1000", "0x0", 0}, // simple variable: sub 0 is the entry itself
        {"0x1000", "0x00", 0},        {"0x1000", "0x1", kNoEntry}, // walks into 0x1003 and stops
        {"0x1003", "-1", 1},  // [1003], not the later [1003Value]
        {"0x1003", "0x0", 2}, // an object with SubNumber has its own sub 0
        {"0x1003", "0x1", 3},         {"0x1018", "0x2", 9},
        {"0x1018", "0x5", kNoEntry}, // sub-entries 0 to 4 only, another object follows
        {"0x1A00", "0x1", 13},       // case of the index is ignored
        {"0X1a00", "-1", 12},         {"0x1a01", "-1", 14},
        {"0x6000", "0x1", 16},        // a sub-index already written with "0x"
        {"0x6000", "0x01", kNoEntry}, // texts are compared, not numbers
        {"0x7000", "0x1", kNoEntry},  // never an entry of the next object
        {"0x2000", "-1", kNoEntry},   {"1000", "-1", kNoEntry},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.index) + " " + c.sub);
        EXPECT_EQ(findEntryId(n, c.index, c.sub), c.expected);
    }
}

TEST_P(Lookup, ByNumberComparesSubIndexValues) {
    const node n = sampleNode(GetParam());
    EXPECT_EQ(findEntryIdByNumber(n, 0x1018, 2), 9u);
    EXPECT_EQ(findEntryIdByNumber(n, 0x1000, 0), 0u);
    EXPECT_EQ(findEntryIdByNumber(n, 0x6000, 1), 16u);
    EXPECT_EQ(findEntryIdByNumber(n, 0x1018, 5), kNoEntry);
    EXPECT_EQ(findEntryIdByNumber(n, 0x1A00, -1), 12u);
    EXPECT_EQ(findEntryIdByNumber(n, 0x7000, 1), kNoEntry);
}

INSTANTIATE_TEST_SUITE_P(IndexedAndLinear, Lookup, ::testing::Bool());

TEST(ObjectKey, FormsIndexDotTwoSubIndexCharacters) {
    EXPECT_EQ(objectKey(entry("1017")), "1017");
    EXPECT_EQ(objectKey(entry("1800", "1")), "1800.1");
    EXPECT_EQ(objectKey(entry("1A00", "1A")), "1A00.1A");
    EXPECT_EQ(objectKey(entry("6000", "0x11")), "6000.11");
    EXPECT_EQ(objectKey(entry("6000", "123")), "6000.12");
    EXPECT_EQ(describeEntry(entry("1600", "1")), "0x1600:01");
    EXPECT_EQ(describeEntry(entry("1a00")), "0x1A00");
}

TEST(DataTypes, CatalogueRowsAndSearchByWidth) {
    EXPECT_EQ(kDataTypes.size(), 0x1Cu);
    EXPECT_EQ(bitsOf(0), 0);
    EXPECT_EQ(dataType(0x06)->name, "Unsigned16");
    EXPECT_EQ(dataType(0x06)->length, "0x2");
    EXPECT_EQ(plcTypeOf(0x08), "Dword");
    EXPECT_EQ(dataType(0x1C), nullptr);
    EXPECT_EQ(dataType(-1), nullptr);
    EXPECT_EQ(bitsOf(0x40), 0);
    EXPECT_EQ(firstCodeWithBits(8), 0x02);
    EXPECT_EQ(firstCodeWithBits(16), 0x03);
    EXPECT_EQ(firstCodeWithBits(32), 0x04);
    EXPECT_EQ(firstCodeWithBits(0), 0x00);
    EXPECT_EQ(firstCodeWithBits(7), -1);
    EXPECT_EQ(codeOfPlcType("word"), 0x03);
    EXPECT_EQ(codeOfPlcType("Bit"), 0x01);
    EXPECT_EQ(codeOfPlcType(""), -1);
    EXPECT_EQ(codeOfPlcType("Float"), -1);
}

} // namespace
} // namespace busmason::model
