#include "core/model/errors.h"
#include "core/nodeconfig/node_config.h"
#include "core/nodeconfig/pdo_mapping.h"
#include "core/nodeconfig/refusal.h"
#include "core/nodeconfig/writes.h"
#include "nodeconfig_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace busmason::nodeconfig {
namespace {

using model::EntryId;
using testing::entryOf;
using testing::expectRefused;
using testing::ioDevice;
using testing::snapshot;
using testing::writes;
using W = std::vector<std::string>;

/// Types name into the PDO page row of an entry.
MapOutcome type(model::node& n, const char* entry, std::string_view name) {
    return nameOnPdoPage(n, entryOf(n, entry), name);
}

/// A variable as the project file gives it back: placement fields, no communication counts.
void loadVariable(model::node& n, const char* entry, const char* name, int kind, int pdo) {
    model::object_dict& e = n.entry(entryOf(n, entry));
    e.setVarName(0, name);
    e.varCount = 1;
    e.varType = 0x02;
    e.pdoMapped = kind > 0;
    e.pdoKind = kind;
    e.pdoNumber = pdo;
}

void loadWrite(model::node& n, const char* entry, const char* data) {
    const EntryId id = entryOf(n, entry);
    n.entry(id).addValue(data);
    n.addRecord(data, id);
}

TEST(PdoRows, ListMappableEntriesWithTheirCells) {
    auto n = ioDevice();
    const std::vector<PdoRow> rows = pdoRows(*n);
    const auto has = [&](const char* entry) {
        const EntryId id = entryOf(*n, entry);
        return std::any_of(rows.begin(), rows.end(),
                           [&](const PdoRow& r) { return r.entry == id; });
    };
    EXPECT_TRUE(has("2100"));    // "ro", in no layout slot: listed all the same
    EXPECT_FALSE(has("2000"));   // PDOMapping 1 but "const"
    EXPECT_FALSE(has("6200.0")); // PDOMapping 0
    EXPECT_FALSE(has("1600.1"));
    EXPECT_TRUE(has("6411.4A"));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front().entry, entryOf(*n, "2100")); // list order
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(),
                               [](const PdoRow& a, const PdoRow& b) { return a.entry < b.entry; }));

    type(*n, "6200.3", "Out3");
    const PdoRow row = pdoRowOf(*n, entryOf(*n, "6200.3"));
    EXPECT_EQ(row.index, "6200");
    EXPECT_EQ(row.subIndex, "0x3");
    EXPECT_EQ(row.description, "Write output 8 bit 3");
    EXPECT_EQ(row.pdo, 1);
    EXPECT_EQ(row.bits, 8);
    EXPECT_EQ(row.value, "");
    EXPECT_EQ(row.name, "Out3");
    EXPECT_EQ(row.mapText(), "YES");
    const PdoRow main = pdoRowOf(*n, entryOf(*n, "2100"));
    EXPECT_EQ(main.subIndex, "");
    EXPECT_EQ(main.mapText(), "NO");
}

TEST(MapGridRow, PlacesEntriesByTheStandardLayout) {
    struct Case {
        int address;
        const char* entry;
        MapOutcome outcome;
        int pdo;
        int position;
        int kind;
        int varType;
        W writes;
    };
    const Case cases[] = {
        {3, "6200.3", MapOutcome::Mapped, 1, 3, 2, 0x02, {}},
        {3, "6401.5", MapOutcome::Mapped, 3, 1, 1, 0x03, {}}, // 0x6401 sub 5 to 8 fill PDO 3
        {3, "6411.D", MapOutcome::Mapped, 5, 1, 2, 0x03, {"1404.1=0x0223"}},
        {3, "6200.9", MapOutcome::Mapped, 5, 1, 2, 0x02, {"1404.1=0x0223"}},
        {3, "6200.10", MapOutcome::Mapped, 5, 8, 2, 0x02, {"1404.1=0x0223"}},
        {3, "6000.9", MapOutcome::Mapped, 5, 1, 1, 0x02, {"1804.1=0x01A3"}},
        {10, "6401.25", MapOutcome::Mapped, 11, 1, 1, 0x03, {"180A.1=0x03AA"}},
        {3, "6401.3A", MapOutcome::Mapped, 16, 2, 1, 0x03, {"180F.1=0x04E3"}},
        {3, "6411.4A", MapOutcome::Mapped, 16, 2, 2, 0x03, {"140F.1=0x0563"}},
        // The output layout's PDO 16 carries 74 to 76, not 58 to 60.
        {3, "6411.3A", MapOutcome::NotInLayout, 0, 0, 0, 0, {}},
        {3, "2100", MapOutcome::NotInLayout, 0, 0, 0, 0, {}},
        // The device has no 0x1405: mapped without a COB-ID write.
        {3, "6411.11", MapOutcome::Mapped, 6, 1, 2, 0x03, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.entry) + " at node " + std::to_string(c.address));
        auto n = ioDevice(c.address);
        const EntryId id = entryOf(*n, c.entry);
        PdoRow row = pdoRowOf(*n, id);
        EXPECT_EQ(typeRowName(*n, row, "Var"), c.outcome);
        const model::object_dict& e = n->entry(id);
        EXPECT_EQ(e.varName(0), "Var"); // kept also when nothing is mapped
        EXPECT_EQ(row.pdo, c.pdo);
        EXPECT_EQ(e.pdoNumber, c.pdo);
        EXPECT_EQ(e.pdoMapped, c.pdo > 0);
        EXPECT_EQ(e.varCount, c.pdo > 0 ? 1 : 0);
        EXPECT_EQ(e.object, c.position);
        EXPECT_EQ(e.pdoKind, c.kind);
        EXPECT_EQ(e.varType, c.varType);
        EXPECT_EQ(writes(*n), c.writes);
    }
}

TEST(MapGridRow, AnEntryTypeWithoutWidthTakesTheWidthOfItsSlot) {
    struct Case {
        const char* entry;
        int dataType;
        int varType;
    };
    const Case cases[] = {
        {"6200.3", 0x40, 0x02}, // no catalogue row: the 8-bit digital slot
        {"6411.1", 0x00, 0x03}, // no DataType: the 16-bit analogue slot
        {"6411.2", 0x0F, 0x03}, // DOMAIN has no width
        {"6411.3", 0x07, 0x04}, // a width of its own wins: Dword
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        auto n = ioDevice();
        const EntryId id = entryOf(*n, c.entry);
        n->entry(id).DataType = c.dataType;
        type(*n, c.entry, "Var");
        EXPECT_EQ(n->entry(id).varType, c.varType);
    }
}

TEST(MapGridRow, TypingMapsAtTheFirstCharacterAndErasingUnmaps) {
    for (const char* entry : {"6411.D", "6200.3"}) { // PDO 5 with its COB-ID write, and PDO 1
        SCOPED_TRACE(entry);
        auto n = ioDevice();
        const EntryId id = entryOf(*n, entry);
        PdoRow row = pdoRowOf(*n, id);
        EXPECT_EQ(typeRowName(*n, row, "a"), MapOutcome::Mapped);
        const int pdo = row.pdo;
        const W mapped = writes(*n);
        EXPECT_EQ(typeRowName(*n, row, "ab"), MapOutcome::Renamed);
        EXPECT_EQ(n->entry(id).varName(0), "ab");
        EXPECT_EQ(row.pdo, pdo);
        EXPECT_EQ(writes(*n), mapped); // renaming adds no write

        EXPECT_EQ(typeRowName(*n, row, ""), MapOutcome::Unmapped);
        const model::object_dict& e = n->entry(id);
        EXPECT_EQ(row.pdo, 0);
        EXPECT_EQ(row.name, "");
        EXPECT_FALSE(row.map);
        EXPECT_FALSE(e.pdoMapped);
        EXPECT_EQ(e.pdoNumber, 0);
        EXPECT_EQ(e.pdoKind, 0);
        EXPECT_EQ(e.varCount, 0);
        EXPECT_EQ(e.varName(0), "");
        EXPECT_TRUE(writes(*n).empty());

        EXPECT_EQ(typeRowName(*n, row, "c"), MapOutcome::Mapped); // named again, mapped again
        EXPECT_EQ(row.pdo, pdo);
        EXPECT_EQ(writes(*n), mapped);
    }
}

TEST(MapGridRow, OneCobIdWriteWhileThePdoHoldsEntries) {
    auto n = ioDevice();
    n->addRecord("0x1F4", entryOf(*n, "1017")); // an earlier write of the user's
    EXPECT_EQ(type(*n, "6200.9", "o9"), MapOutcome::Mapped);
    EXPECT_EQ(type(*n, "6200.A", "o10"), MapOutcome::Mapped);
    EXPECT_EQ(type(*n, "6411.E", "a14"), MapOutcome::Mapped);
    EXPECT_EQ(writes(*n), (W{"1017=0x1F4", "1404.1=0x0223"}));
    EXPECT_EQ(n->entry(entryOf(*n, "1404.1")).pdoNumber, 3);

    type(*n, "6200.9", "");
    type(*n, "6411.E", "");
    EXPECT_EQ(writes(*n), (W{"1017=0x1F4", "1404.1=0x0223"}));
    EXPECT_EQ(n->entry(entryOf(*n, "1404.1")).pdoNumber, 1);
    type(*n, "6200.A", "");
    EXPECT_EQ(writes(*n), W{"1017=0x1F4"});
    EXPECT_EQ(n->entry(entryOf(*n, "1404.1")).pdoNumber, 0);
}

TEST(MapGridRow, AfterALoadThePdoUsageComesFromTheNode) {
    // Whether or not the usage was derived on opening, the counts never start from nothing.
    for (const bool derived : {true, false}) {
        SCOPED_TRACE(derived ? "derived on opening" : "not derived");
        auto n = ioDevice();
        loadWrite(*n, "1404.1", "0x0223");
        loadWrite(*n, "1017", "0x1F4");
        loadVariable(*n, "6200.9", "o9", 2, 5);
        loadVariable(*n, "6200.A", "o10", 2, 5);
        if (derived) {
            const std::vector<PdoUsage> used = derivePdoUsage(*n);
            ASSERT_EQ(used.size(), 1u);
            EXPECT_EQ(used[0].direction, PdoDirection::Receive);
            EXPECT_EQ(used[0].pdo, 5);
            EXPECT_EQ(used[0].mappedCount, 2);
            EXPECT_EQ(used[0].communication, entryOf(*n, "1404.1"));
            EXPECT_EQ(used[0].cobIdWrites, std::vector<std::size_t>{0});
            EXPECT_EQ(n->entry(entryOf(*n, "1404.1")).pdoNumber, 2);
        }
        type(*n, "6200.9", "");
        EXPECT_EQ(writes(*n), (W{"1404.1=0x0223", "1017=0x1F4"})) << "unmapping one of two";
        type(*n, "6200.B", "o11");
        EXPECT_EQ(writes(*n), (W{"1404.1=0x0223", "1017=0x1F4"})) << "mapping a further entry";
        type(*n, "6200.A", "");
        type(*n, "6200.B", "");
        EXPECT_EQ(writes(*n), W{"1017=0x1F4"});
        EXPECT_TRUE(n->entry(entryOf(*n, "1404.1")).values.empty());
    }
}

TEST(DerivePdoUsage, RecognisesTheCobIdWriteByItsValue) {
    struct Case {
        const char* data;
        bool isCobIdWrite;
    };
    const Case cases[] = {
        {"0x0223", true},      {"0x223", true}, {"547", true},
        {"0x80000223", false}, // a disabled COB-ID the user wrote is the user's own write
        {"0x0224", false},     // the COB-ID of another node
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        auto n = ioDevice();
        loadWrite(*n, "1404.1", c.data);
        loadVariable(*n, "6200.9", "o9", 2, 5);
        const std::vector<PdoUsage> used = derivePdoUsage(*n);
        ASSERT_EQ(used.size(), 1u);
        EXPECT_EQ(used[0].cobIdWrites.size(), c.isCobIdWrite ? 1u : 0u);
        type(*n, "6200.A", "o10");
        EXPECT_EQ(n->sdoCount(), c.isCobIdWrite ? 1 : 2);
    }
}

TEST(MapGridRow, AnSdoVariableOfAMappableEntryIsMappedWhenNamed) {
    auto n = ioDevice();
    loadVariable(*n, "6200.3", "o3", 0, 99); // the project file writes SDO variables with PDO 99
    PdoRow row = pdoRowOf(*n, entryOf(*n, "6200.3"));
    EXPECT_EQ(row.mapText(), "NO");
    EXPECT_EQ(typeRowName(*n, row, "o3x"), MapOutcome::Mapped);
    const model::object_dict& e = n->entry(row.entry);
    EXPECT_TRUE(e.pdoMapped);
    EXPECT_EQ(e.pdoNumber, 1);
    EXPECT_EQ(e.object, 3);
}

TEST(MapGridRow, InvalidNamesAreRefusedWhileTyping) {
    for (const char* name : {"1", "a__", "a b", "x-"}) {
        SCOPED_TRACE(name);
        auto n = ioDevice();
        PdoRow row = pdoRowOf(*n, entryOf(*n, "6411.D"));
        typeRowName(*n, row, "a");
        const PdoRow rowBefore = row;
        expectRefused(*n, kValueNotAllowed, [&] { typeRowName(*n, row, name); });
        EXPECT_EQ(row.name, rowBefore.name);
        EXPECT_EQ(row.pdo, rowBefore.pdo);
    }
}

TEST(NameOnPdoPage, RefusesEntriesThatAreNotOnThePage) {
    auto n = ioDevice();
    for (const char* entry : {"2000", "1017", "6200.0"}) {
        SCOPED_TRACE(entry);
        expectRefused(*n, "", [&] { type(*n, entry, "x"); });
    }
}

TEST(MapGridRow, AFullWriteListRefusesTheMappingThatNeedsAWrite) {
    auto n = ioDevice();
    for (int i = 0; i < model::kMaxSdoRecords; ++i) {
        n->addRecord("0x0", entryOf(*n, "1017"));
    }
    const std::string before = snapshot(*n);
    PdoRow row = pdoRowOf(*n, entryOf(*n, "6411.D"));
    EXPECT_THROW(typeRowName(*n, row, "a"), model::LimitError);
    EXPECT_EQ(snapshot(*n), before);
    EXPECT_EQ(row.name, "");
    EXPECT_EQ(row.pdo, 0);
    EXPECT_EQ(type(*n, "6200.3", "a"), MapOutcome::Mapped); // PDO 1 needs no write
}

TEST(DeleteVariable, TheLastVariableOfAMappedEntryLeavesItsPdo) {
    auto n = ioDevice();
    type(*n, "6200.9", "o9");
    ASSERT_EQ(writes(*n), W{"1404.1=0x0223"});
    const EntryId id = entryOf(*n, "6200.9");
    deleteVariable(*n, id, 1);
    EXPECT_FALSE(n->entry(id).pdoMapped);
    EXPECT_EQ(pdoRowOf(*n, id).mapText(), "NO");
    EXPECT_TRUE(writes(*n).empty());
}

} // namespace
} // namespace busmason::nodeconfig
