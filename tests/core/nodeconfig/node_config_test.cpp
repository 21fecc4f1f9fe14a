#include "core/model/errors.h"
#include "core/nodeconfig/node_config.h"
#include "core/nodeconfig/refusal.h"
#include "core/nodeconfig/writes.h"
#include "nodeconfig_fixture.h"

#include <gtest/gtest.h>

namespace busmason::nodeconfig {

void PrintTo(const NameValueRow& r, std::ostream* os) {
    *os << r.key << "=" << r.value;
}

namespace {

using model::EntryId;
using model::kNoEntry;
using testing::entryOf;
using testing::expectRefused;
using testing::ioDevice;
using testing::snapshot;
using testing::writes;

TEST(ObjectTree, SubEntriesHangBelowTheirMainEntry) {
    const auto n = ioDevice();
    const std::vector<TreeItem> tree = objectTree(*n);
    ASSERT_GE(tree.size(), 6u);
    EXPECT_EQ(tree[0].text, "1000");
    EXPECT_TRUE(tree[0].children.empty());
    const TreeItem& identity = tree[5];
    ASSERT_EQ(identity.text, "1018");
    ASSERT_EQ(identity.children.size(), 5u);
    EXPECT_EQ(identity.children[1].text, "1018.1");
    EXPECT_EQ(n->entry(identity.children[1].entry).ParameterName, "Vendor-ID");

    // A sub-entry before any main entry has no parent and stands at the top.
    model::node orphan;
    orphan.objects.resize(2);
    orphan.objects[0].index = "2000";
    orphan.objects[0].subindex = "1";
    orphan.objects[1].index = "2001";
    const std::vector<TreeItem> top = objectTree(orphan);
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top[0].text, "2000.1");
}

TEST(SelectEntry, TakesTheFirstEntryOfTheTreeText) {
    model::node n;
    n.objects.resize(4);
    n.objects[0].index = "1003";
    n.objects[1].index = "1003";
    n.objects[1].subindex = "1";
    n.objects[2].index = "1003"; // [1003Value]: a second main entry of the same index
    n.objects[3].index = "1A00";
    n.objects[3].subindex = "1A";
    EXPECT_EQ(selectEntry(n, "1003"), 0u);
    EXPECT_EQ(selectEntry(n, "1003.1"), 1u);
    EXPECT_EQ(selectEntry(n, "1A00.1A"), 3u);
    EXPECT_EQ(selectEntry(n, "1a00.1A"), kNoEntry); // tree texts are compared as they stand
    EXPECT_EQ(selectEntry(n, "1003.2"), kNoEntry);
    EXPECT_EQ(selectEntry(n, ""), kNoEntry);
}

TEST(DetailRows, ShowWhatTheEntryHoldsInItsFormats) {
    const auto n = ioDevice();
    const std::vector<NameValueRow> identity{{"Index", "1018"},
                                             {"SubNumber", "5"},
                                             {"ParameterName", "Identity object"},
                                             {"ObjectType", "0x0009"},
                                             {"DefaultValue", "0x0"}};
    EXPECT_EQ(detailRows(n->entry(entryOf(*n, "1018"))), identity);
    const std::vector<NameValueRow> vendor{{"Index", "1018"},
                                           {"Subindex", "1"},
                                           {"ParameterName", "Vendor-ID"},
                                           {"ObjectType", "0x0007"},
                                           {"DataType", "0x0007"},
                                           {"AccessType", "ro"},
                                           {"DefaultValue", "0x00000ABC"},
                                           {"PDOMapping", "0"}};
    EXPECT_EQ(detailRows(n->entry(entryOf(*n, "1018.1"))), vendor);

    model::object_dict e;
    e.index = "2000sub"; // only the first four characters are the index
    e.ParameterName = "Limits";
    e.DataType = 0x1B;
    e.LowLimit = "-10";
    e.HighLimit = "10";
    e.DefaultValue.clear();
    e.ObjFlags = -1; // shown unsigned
    const std::vector<NameValueRow> limits{{"Index", "2000"},      {"ParameterName", "Limits"},
                                           {"DataType", "0x001B"}, {"LowLimit", "-10"},
                                           {"HighLimit", "10"},    {"ObjFlags", "4294967295"}};
    EXPECT_EQ(detailRows(e), limits);
}

TEST(InputMode, FollowsTheAccessType) {
    const auto n = ioDevice();
    struct Case {
        const char* entry;
        InputMode mode;
    };
    const Case cases[] = {
        {"1018", InputMode::None}, // no AccessType
        {"1008", InputMode::None}, // "const"
        {"1001", InputMode::Variable},
        {"1017", InputMode::Parameter},
        {"1010.1", InputMode::Parameter}, // "wo"
        {"1600.1", InputMode::MappingParameter},
        {"1600.0", InputMode::Parameter}, // sub-index 0 of a mapping object maps nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(inputMode(n->entry(entryOf(*n, c.entry))), c.mode);
    }
    model::object_dict upper;
    upper.AccessType = "RO"; // only exactly "ro" is variable-only
    EXPECT_EQ(inputMode(upper), InputMode::Parameter);
}

TEST(AddParameterValue, StoresTheValueAndItsStartUpWrite) {
    auto n = ioDevice();
    const EntryId heartbeat = entryOf(*n, "1017");
    const UpdateOutcome first = addParameterValue(*n, heartbeat, {"1F4", "", ""}, "");
    EXPECT_TRUE(first.valueStored);
    EXPECT_EQ(first.value, "0x1F4");
    addParameterValue(*n, heartbeat, {"3E8", "", ""}, "");

    const model::object_dict& e = n->entry(heartbeat);
    EXPECT_EQ(e.values, (std::vector<std::string>{"0x1F4", "0x3E8"}));
    EXPECT_TRUE(e.configured);
    EXPECT_EQ(e.varCount, 0);
    ASSERT_EQ(n->sdoCount(), 2);
    EXPECT_EQ(n->sdoRecords[0].target, heartbeat);
    const std::vector<NameValueRow> rows{{"Parameter Value 1", "0x1F4"},
                                         {"Parameter Value 2", "0x3E8"}};
    EXPECT_EQ(parameterValueRows(*n, heartbeat), rows);
    const std::vector<ParameterListRow> list = parameterListRows(*n);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "Producer heartbeat time");
    EXPECT_EQ(list[0].object, "1017");
    EXPECT_EQ(list[0].value, "0x1F4");
    EXPECT_TRUE(parameterValueRows(*n, entryOf(*n, "1000")).empty());
}

TEST(AddParameterValue, ANameInTheNameBoxNamesTheEntryToo) {
    auto n = ioDevice();
    const EntryId cob = entryOf(*n, "1400.1");
    addParameterValue(*n, cob, {"80000203", "", ""}, "RxCobId");
    EXPECT_EQ(writes(*n), (std::vector<std::string>{"1400.1=0x80000203"}));
    EXPECT_EQ(n->entry(cob).varName(0), "RxCobId");
    EXPECT_EQ(n->entry(cob).varType, 0x07);
}

TEST(AddParameterValue, RefusalsChangeNothing) {
    struct Case {
        const char* entry;
        ParameterBoxes boxes;
        const char* name;
        std::string_view key;
    };
    const Case cases[] = {
        {"1001", {"5", "", ""}, "", ""}, // "ro": the window shows no value box
        {"1008", {"5", "", ""}, "", ""}, // "const"
        {"1018", {"5", "", ""}, "", ""}, // no AccessType
        {"1017", {"", "", ""}, "", kValueNotAllowed},
        {"1017", {"123456789", "", ""}, "", kValueNotAllowed}, // the box takes 8 characters
        {"1017", {"1", "2", ""}, "", kValueNotAllowed},        // one box only
        {"1017", {"1F4", "", ""}, "2fast", kValueNotAllowed},  // not a variable name
        {"1600.1", {"6000", "01", ""}, "", kValueNotAllowed},  // all three boxes are needed
        {"1600.1", {"", "01", "08"}, "", kValueNotAllowed},
        {"1600.1", {"60000", "1", "08"}, "", kValueNotAllowed}, // boxes of 4, 2 and 2
        {"1600.1", {"6000", "001", "08"}, "", kValueNotAllowed},
        {"1600.1", {"6000", "1", "008"}, "", kValueNotAllowed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.entry) + " " + c.boxes.value + "," + c.boxes.subIndex + "," +
                     c.boxes.dim + " " + c.name);
        auto n = ioDevice();
        expectRefused(*n, c.key,
                      [&] { addParameterValue(*n, entryOf(*n, c.entry), c.boxes, c.name); });
    }
}

TEST(AddParameterValue, AnEntryWithoutWriteAccessTakesTheValueAndStoresNone) {
    auto n = ioDevice();
    const EntryId save = entryOf(*n, "1010.1"); // "wo"
    const UpdateOutcome out = addParameterValue(*n, save, {"65766173", "", ""}, "");
    EXPECT_FALSE(out.valueStored);
    EXPECT_TRUE(n->entry(save).values.empty());
    EXPECT_EQ(n->sdoCount(), 0);
}

TEST(UpdateEntry, MappingValueLinksOnlyWhenTheSubIndexTextMatches) {
    struct Case {
        ParameterBoxes boxes;
        const char* value;
        const char* linked; // tree text, or nullptr for no link
    };
    const Case cases[] = {
        {{"6000", "01", "08"}, "0x60000108", nullptr}, // [6000sub1]: "0x01" is not "0x1"
        {{"6000", "1", "08"}, "0x6000108", "6000.1"},
        {{"6001", "1", "08"}, "0x6001108", nullptr}, // no such object: stored, not linked
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        auto n = ioDevice();
        const EntryId mapping = entryOf(*n, "1A01.1");
        const UpdateOutcome out = updateEntry(*n, mapping, "", c.boxes);
        EXPECT_EQ(out.value, c.value);
        EXPECT_EQ(n->entry(mapping).values, std::vector<std::string>{c.value});
        EXPECT_EQ(writes(*n), std::vector<std::string>{std::string("1A01.1=") + c.value});
        if (c.linked) {
            const EntryId target = entryOf(*n, c.linked);
            EXPECT_EQ(out.linked, target);
            EXPECT_EQ(n->entry(mapping).link, target);
            EXPECT_EQ(n->entry(target).link, mapping);
        } else {
            EXPECT_EQ(out.linked, kNoEntry);
            EXPECT_EQ(n->entry(mapping).link, kNoEntry);
        }
    }
}

TEST(UpdateEntry, ANamedObjectFollowsItsNewMappingEntry) {
    auto n = ioDevice();
    const EntryId input = entryOf(*n, "6000.2");
    setVariableName(*n, input, "In2");
    EXPECT_FALSE(n->entry(input).pdoMapped); // no mapping entry maps it yet

    addParameterValue(*n, entryOf(*n, "1A01.1"), {"6000", "2", "08"}, "");
    const model::object_dict& e = n->entry(input);
    EXPECT_EQ(e.varName(0), "In2");
    EXPECT_TRUE(e.pdoMapped);
    EXPECT_EQ(e.pdoKind, 1);
    EXPECT_EQ(e.pdoNumber, 2); // 0x1A01
    EXPECT_EQ(e.mappingSubindex, "1");
    EXPECT_EQ(e.object, 1);
}

TEST(SetVariableName, PlacesTheEntryIntoThePdoOfItsMappingEntry) {
    struct Case {
        const char* entry;
        const char* mappingValue; // written into 0x160A sub 1 first, or nullptr
        int kind;
        int pdo;
    };
    const Case cases[] = {
        {"6000.1", nullptr, 1, 1},        // [1A00sub1] = 0x60000108 in the EDS
        {"6200.5", nullptr, 2, 1},        // [1600sub5] = 0x62000508
        {"6200.10", "6200,10,08", 2, 11}, // linked from 0x160A by a written value
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        auto n = ioDevice();
        if (c.mappingValue) {
            addParameterValue(*n, entryOf(*n, "160A.1"), splitParameterText(c.mappingValue), "");
        }
        const EntryId id = entryOf(*n, c.entry);
        setVariableName(*n, id, "Channel");
        const model::object_dict& e = n->entry(id);
        EXPECT_EQ(e.varCount, 1);
        EXPECT_EQ(e.varName(0), "Channel");
        EXPECT_TRUE(e.pdoMapped);
        EXPECT_EQ(e.pdoKind, c.kind);
        EXPECT_EQ(e.pdoNumber, c.pdo);
        EXPECT_EQ(e.varType, 0x05);
        EXPECT_EQ(e.shift(0), 0);
        EXPECT_GE(e.object, 1);
    }
}

TEST(SetVariableName, AnSdoVariableGetsItsTypeFromTheDataType) {
    auto n = ioDevice();
    const EntryId heartbeat = entryOf(*n, "1017");
    setVariableName(*n, heartbeat, "Heartbeat");
    const model::object_dict& e = n->entry(heartbeat);
    EXPECT_EQ(e.varType, 0x06);
    EXPECT_FALSE(e.pdoMapped);
    EXPECT_TRUE(e.configured);
    const std::vector<NameValueRow> denotation{{"Denotation", "Heartbeat"}};
    EXPECT_EQ(denotationRows(e), denotation);
    const std::vector<VariableListRow> vars = variableListRows(*n);
    ASSERT_EQ(vars.size(), 1u);
    EXPECT_EQ(vars[0].address, 3);
    EXPECT_EQ(vars[0].name, "Heartbeat");
    EXPECT_EQ(vars[0].object, "1017");
    EXPECT_EQ(vars[0].type, "Word");
    EXPECT_EQ(vars[0].access, "SDO");
}

TEST(SetVariableName, RefusalsChangeNothing) {
    struct Case {
        const char* entry;
        std::string name;
        std::string_view key;
    };
    const Case cases[] = {
        {"1008", "Name", ""}, // "const": no input area
        {"1018", "Name", ""},
        {"1001", "", kValueNotAllowed},
        {"1001", "a__b", kValueNotAllowed},
        {"1017", std::string(35, 'x'), kValueNotAllowed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.entry) + " " + c.name);
        auto n = ioDevice();
        expectRefused(*n, c.key, [&] { setVariableName(*n, entryOf(*n, c.entry), c.name); });
    }
}

TEST(DeleteVariable, RemovesTheRowsVariable) {
    auto n = ioDevice();
    const EntryId id = entryOf(*n, "1017");
    model::object_dict& e = n->entry(id);
    e.setVarName(0, "a");
    e.setVarName(1, "b");
    e.setVarName(2, "c");
    e.setShift(2, 16);
    e.varCount = 3;
    deleteVariable(*n, id, 2);
    const std::vector<NameValueRow> rows{{"Denotation", "a"}, {"Denotation", "c"}};
    EXPECT_EQ(denotationRows(e), rows);
    EXPECT_EQ(e.shift(1), 16);
    EXPECT_THROW(deleteVariable(*n, id, 3), RefusedError);
    EXPECT_THROW(deleteVariable(*n, id, 0), RefusedError);
    EXPECT_EQ(e.varCount, 2);
}

TEST(DeleteParameterValue, RemovesExactlyTheWriteOfTheRow) {
    auto n = ioDevice();
    const EntryId heartbeat = entryOf(*n, "1017");
    const EntryId cob = entryOf(*n, "1400.1");
    // The same value twice: the second row must remove the second write, not the first.
    addParameterValue(*n, heartbeat, {"64", "", ""}, "");
    addParameterValue(*n, cob, {"203", "", ""}, "");
    addParameterValue(*n, heartbeat, {"C8", "", ""}, "");
    addParameterValue(*n, heartbeat, {"64", "", ""}, "");

    deleteParameterValue(*n, heartbeat, 3);
    EXPECT_EQ(writes(*n), (std::vector<std::string>{"1017=0x64", "1400.1=0x203", "1017=0xC8"}));
    deleteParameterValue(*n, heartbeat, 2);
    EXPECT_EQ(writes(*n), (std::vector<std::string>{"1017=0x64", "1400.1=0x203"}));
    EXPECT_EQ(n->entry(heartbeat).values, std::vector<std::string>{"0x64"});
    const std::string before = snapshot(*n);
    EXPECT_THROW(deleteParameterValue(*n, heartbeat, 2), RefusedError);
    EXPECT_THROW(deleteParameterValue(*n, entryOf(*n, "1000"), 1), RefusedError);
    EXPECT_EQ(snapshot(*n), before);
}

TEST(MoveWrite, ExchangesNeighboursAndStopsAtTheEnds) {
    auto n = ioDevice();
    for (const char* v : {"1", "2", "3"}) {
        addParameterValue(*n, entryOf(*n, "1017"), {v, "", ""}, "");
    }
    using W = std::vector<std::string>;
    EXPECT_EQ(moveWrite(*n, 1, MoveDirection::Down), 2);
    EXPECT_EQ(writes(*n), (W{"1017=0x2", "1017=0x1", "1017=0x3"}));
    EXPECT_EQ(moveWrite(*n, 2, MoveDirection::Down), 3); // the same write again
    EXPECT_EQ(writes(*n), (W{"1017=0x2", "1017=0x3", "1017=0x1"}));
    EXPECT_EQ(moveWrite(*n, 3, MoveDirection::Up), 2);
    EXPECT_EQ(writes(*n), (W{"1017=0x2", "1017=0x1", "1017=0x3"}));
    EXPECT_EQ(moveWrite(*n, 1, MoveDirection::Up), 1);
    EXPECT_EQ(moveWrite(*n, 3, MoveDirection::Down), 3);
    EXPECT_EQ(writes(*n), (W{"1017=0x2", "1017=0x1", "1017=0x3"}));
    EXPECT_THROW(moveWrite(*n, 0, MoveDirection::Down), RefusedError);
    EXPECT_THROW(moveWrite(*n, 4, MoveDirection::Up), RefusedError);
}

TEST(Limits, ValuesPerEntryAreRefusedAndFollowDeletedWrites) {
    auto n = ioDevice();
    const EntryId heartbeat = entryOf(*n, "1017");
    for (int i = 0; i < model::kMaxValues; ++i) {
        addParameterValue(*n, heartbeat, {std::to_string(i), "", ""}, "");
    }
    const std::string full = snapshot(*n);
    EXPECT_THROW(addParameterValue(*n, heartbeat, {"A", "", ""}, ""), model::LimitError);
    EXPECT_EQ(snapshot(*n), full);

    // A deleted write gives its room back.
    deleteParameterValue(*n, heartbeat, 1);
    addParameterValue(*n, heartbeat, {"A", "", ""}, "");
    EXPECT_EQ(n->entry(heartbeat).valueCount(), model::kMaxValues);
}

TEST(Limits, StartUpWritesPerNodeAreRefused) {
    auto n = ioDevice();
    const EntryId cob = entryOf(*n, "1400.1");
    for (int i = 0; i < model::kMaxSdoRecords; ++i) {
        n->addRecord("0x0", cob);
    }
    const std::string full = snapshot(*n);
    // The mapping entry would also have been linked: the refusal comes before any change.
    EXPECT_THROW(addParameterValue(*n, entryOf(*n, "1A01.1"), {"6000", "1", "08"}, ""),
                 model::LimitError);
    EXPECT_THROW(addParameterValue(*n, entryOf(*n, "1017"), {"1", "", ""}, ""), model::LimitError);
    EXPECT_EQ(snapshot(*n), full);
    EXPECT_EQ(n->sdoCount(), model::kMaxSdoRecords);
}

TEST(SplitParameterText, GivesTheBoxesInOrder) {
    const ParameterBoxes plain = splitParameterText("1F4");
    EXPECT_EQ(plain.value, "1F4");
    EXPECT_EQ(plain.subIndex, "");
    const ParameterBoxes mapping = splitParameterText("6000,01,08");
    EXPECT_EQ(mapping.value, "6000");
    EXPECT_EQ(mapping.subIndex, "01");
    EXPECT_EQ(mapping.dim, "08");
    EXPECT_EQ(splitParameterText("1,2,3,4").dim, "3,4"); // too many parts fail the box width
}

} // namespace
} // namespace busmason::nodeconfig
