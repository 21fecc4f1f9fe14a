#include "core/editor/overview.h"
#include "core/persistence/project_io.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

namespace busmason::editor {
namespace {

model::Network& demoNetwork(std::optional<NetworkSession>& holder) {
    persistence::LoadResult r = persistence::loadProject(
        test::sourceDir("data/demo/plant1/plant1.bsm"), test::installData("eds"));
    EXPECT_TRUE(r.session.has_value());
    holder = std::move(r.session);
    return holder->network();
}

TEST(Overview, ParameterRowsNumberEachNodesWritesInAddressOrder) {
    std::optional<NetworkSession> s;
    const std::vector<ParameterGridRow> rows = parameterGridRows(demoNetwork(s));
    std::vector<std::string> seen;
    for (const ParameterGridRow& r : rows) {
        seen.push_back(std::to_string(r.address) + "#" + std::to_string(r.number) + " " + r.object +
                       "=" + r.value);
    }
    EXPECT_EQ(seen,
              (std::vector<std::string>{"1#1 2200.1=0x1142", "1#2 2200.2=0x0111", "2#1 1017=0x1F4",
                                        "2#2 100C=0x64", "2#3 100D=0x3", "3#1 6060=0x1"}));
    EXPECT_FALSE(rows[2].name.empty()); // the ParameterName of 0x1017
}

TEST(Overview, VariableRowsFollowTheControllerOrderWithTypeAndAccess) {
    std::optional<NetworkSession> s;
    model::Network& net = demoNetwork(s);
    std::vector<VariableGridRow> rows = variableGridRows(net);
    ASSERT_EQ(rows.size(), 38u);
    const VariableGridRow& pump = rows[34];
    EXPECT_EQ(pump.address, 2);
    EXPECT_EQ(pump.name, "pump_on");
    EXPECT_EQ(pump.object, "6200.1");
    EXPECT_EQ(pump.type, "Byte");
    EXPECT_EQ(pump.access, "Write");
    EXPECT_EQ(rows[32].access, "Read");
    EXPECT_EQ(rows.back().object, "6064");
    EXPECT_EQ(rows.back().type, "Dword");
    EXPECT_TRUE(parameterGridRows(model::Network{}).empty());
    EXPECT_TRUE(variableGridRows(model::Network{}).empty());
}

TEST(Overview, AccessOfAnEntry) {
    struct Case {
        bool mapped;
        int kind;
        std::string_view access;
    };
    for (const Case& c : {Case{true, 2, "Write"}, Case{true, 1, "Read"}, Case{false, 2, "SDO"},
                          Case{false, 0, "SDO"}}) {
        SCOPED_TRACE(std::to_string(c.mapped) + "/" + std::to_string(c.kind));
        model::object_dict e;
        e.pdoMapped = c.mapped;
        e.pdoKind = c.kind;
        EXPECT_EQ(variableAccess(e), c.access);
    }
}

TEST(Overview, DeviceKindsOfTheLibraryAndOfNodes) {
    test::TempDir dir;
    test::writeBytes(dir / "servo.eds", "[FileInfo]\r\nFileName=servo.eds\r\n[1000]\r\n"
                                        "ParameterName=Device Type\r\ndefaultvalue=0x20192\r\n");
    test::writeBytes(dir / "io.eds", "[1000]\nDefaultValue=0x000F0191 ; digital\n[1001]\n");
    test::writeBytes(dir / "plain.eds", "[1000]\nParameterName=x\n[1001]\nDefaultValue=0x191\n");
    test::writeBytes(dir / "KM1101.eds", "[1000]\nDefaultValue=0x191\n");
    struct Case {
        std::filesystem::path folder;
        std::string name;
        DeviceKind kind;
    };
    for (const Case& c : {Case{test::installData("eds"), "KM110.eds", DeviceKind::Coupler},
                          Case{test::installData("eds"), "KM1100.eds", DeviceKind::IoModule},
                          Case{test::installData("eds"), "KD240.eds", DeviceKind::Drive},
                          Case{dir.path(), "servo.eds", DeviceKind::Drive},
                          Case{dir.path(), "io.eds", DeviceKind::IoModule},
                          Case{dir.path(), "plain.eds", DeviceKind::Other},
                          Case{dir.path(), "KM1101.eds", DeviceKind::IoModule},
                          Case{dir.path(), "missing.eds", DeviceKind::Other}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(libraryEntryKind(c.folder, c.name), c.kind);
    }
    std::optional<NetworkSession> s;
    model::Network& net = demoNetwork(s);
    EXPECT_EQ(deviceKind(*net.at(1)), DeviceKind::Coupler);
    EXPECT_EQ(deviceKind(*net.at(2)), DeviceKind::IoModule);
    EXPECT_EQ(deviceKind(*net.at(3)), DeviceKind::Drive);
    EXPECT_EQ(deviceKind("x.eds", "not a number"), DeviceKind::Other);
}

} // namespace
} // namespace busmason::editor
