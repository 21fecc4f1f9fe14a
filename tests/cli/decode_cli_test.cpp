#include "core/eds/json_reader.h"
#include "support/cli_run.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace busmason {
namespace {

using test::Json;
using test::JsonReader;
using test::runCli;
using test::shellQuote;

namespace fs = std::filesystem;

Json runJson(const std::string& arguments) {
    const test::CliRun r = runCli(arguments);
    EXPECT_EQ(r.status, 0) << arguments << "\n" << r.err;
    return JsonReader::parse(r.out);
}

/// "2200.1" is 0x2200 sub-index 1, "1017" 0x1017 sub-index 0.
std::pair<int, int> objectOfKey(const std::string& key) {
    const auto dot = key.find('.');
    const int index = std::stoi(key.substr(0, 4), nullptr, 16);
    return {index, dot == std::string::npos ? 0 : std::stoi(key.substr(dot + 1), nullptr, 16)};
}

int bitsOfPlcType(const std::string& plc) {
    static const std::map<std::string, int> bits{
        {"Bit", 1}, {"Byte", 8}, {"Word", 16}, {"Dword", 32}};
    const auto it = bits.find(plc);
    return it == bits.end() ? 0 : it->second;
}

/// Builds project, decodes its network and I/O map files and compares them with what
/// "project show" says of the project.
void expectDecodeAgreesWithShow(const fs::path& project, const std::string& edsOption) {
    const test::CliRun build = runCli("build " + shellQuote(project.string()) + edsOption);
    ASSERT_EQ(build.status, 0) << build.err;
    const Json show =
        runJson("project show " + shellQuote(project.string()) + edsOption + " --json");
    const std::string channel = show["parameters"]["channel"].string;
    const fs::path folder = project.parent_path();
    const Json network = runJson(
        "decode " + shellQuote((folder / ("network" + channel + ".cmg")).string()) + " --json");
    const Json ioMap = runJson(
        "decode " + shellQuote((folder / ("iomap" + channel + ".cmg")).string()) + " --json");

    const Json& p = show["parameters"];
    const Json& h = network["header"];
    EXPECT_EQ(std::to_string(h["cycleTime"].asInt()), p["cycleTime"].string);
    EXPECT_EQ(std::to_string(h["guardTime"].asInt()), p["guardTime"].string);
    EXPECT_EQ(std::to_string(h["lifeTime"].asInt()), p["lifeTime"].string);
    EXPECT_EQ(std::to_string(h["channel"].asInt()), channel);
    EXPECT_EQ(h["enableSync"].boolean, p["enableSync"].boolean);
    EXPECT_EQ(h["toggleBit"].boolean, p["toggleBit"].boolean);
    const std::map<std::string, int> kbits{{"Baud1M", 1000},  {"Baud800k", 800}, {"Baud500k", 500},
                                           {"Baud250k", 250}, {"Baud125k", 125}, {"Baud50k", 50},
                                           {"Baud20k", 20},   {"Baud10k", 10}};
    EXPECT_EQ(h["bitRate"].asInt(), kbits.at(p["baudRate"].string));
    EXPECT_TRUE(network["problems"].array.empty());
    EXPECT_TRUE(ioMap["problems"].array.empty());

    const auto& nodes = show["nodes"].array;
    ASSERT_EQ(network["nodes"].array.size(), nodes.size());
    std::size_t variable = 0;
    const auto& variables = ioMap["variables"].array;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const Json& shown = nodes[i];
        const Json& decoded = network["nodes"].array[i];
        SCOPED_TRACE("node " + std::to_string(shown["address"].asInt()));
        EXPECT_EQ(decoded["address"].asInt(), shown["address"].asInt());
        ASSERT_EQ(decoded["writes"].array.size(), shown["writes"].array.size());
        for (std::size_t w = 0; w < shown["writes"].array.size(); ++w) {
            const Json& sw = shown["writes"].array[w];
            const Json& dw = decoded["writes"].array[w];
            const auto [index, sub] = objectOfKey(sw["object"].string);
            EXPECT_EQ(dw["index"].asInt(), index);
            EXPECT_EQ(dw["sub"].asInt(), sub);
            EXPECT_EQ(dw["value"].number,
                      static_cast<double>(std::stoll(sw["data"].string, nullptr, 0)));
        }
        for (const Json& sv : shown["variables"].array) {
            SCOPED_TRACE(sv["name"].string);
            ASSERT_LT(variable, variables.size());
            const Json& dv = variables[variable++];
            const std::string type = sv["type"].string;
            const std::string plc = type.substr(0, type.find(','));
            EXPECT_EQ(dv["name"].string, sv["name"].string);
            EXPECT_EQ(dv["node"].asInt(), shown["address"].asInt());
            EXPECT_EQ(dv["bits"].asInt(), bitsOfPlcType(plc));
            if (type.find(",Sdo") != std::string::npos) {
                EXPECT_EQ(dv["exchange"].string, "sdo");
                const auto [index, sub] = objectOfKey(sv["key"].string);
                EXPECT_EQ(dv["index"].asInt(), index);
                EXPECT_EQ(dv["sub"].asInt(), sub);
            } else {
                EXPECT_EQ(dv["exchange"].string, "pdo");
                EXPECT_EQ(dv["direction"].string,
                          type.find(",RxPdo") != std::string::npos ? "output" : "input");
                EXPECT_EQ(dv["pdo"].asInt(), sv["pdo"].asInt());
                EXPECT_EQ(dv["position"].asInt(), sv["object"].asInt());
                EXPECT_EQ(dv["shift"].asInt(), sv["shift"].asInt());
            }
        }
    }
    EXPECT_EQ(variable, variables.size());
}

/// A workspace with the check's devices in its EDS folder.
struct Workspace {
    test::TempDir dir;
    fs::path eds = dir / "eds";

    Workspace() {
        fs::create_directories(eds);
        for (const char* name : {"check_io.eds", "check_coupler.eds"}) {
            fs::copy_file(test::testData(std::string("check/") + name), eds / name);
        }
    }
    std::string edsOption() const { return " --eds-folder " + shellQuote(eds.string()); }
};

TEST(DecodeCommand, DecodedBuildsAgreeWithProjectShow) {
    {
        SCOPED_TRACE("the demo project");
        test::TempDir dir;
        fs::copy(test::sourceDir("data/demo/plant1"), dir / "plant1");
        expectDecodeAgreesWithShow(dir / "plant1" / "plant1.bsm", "");
    }
    {
        SCOPED_TRACE("a coupler and an I/O device on channel 1");
        Workspace w;
        const fs::path project = w.dir / "line" / "line.bsm";
        const test::CliRun edit = runCli(
            "edit " + shellQuote(project.string()) + w.edsOption() +
            " add-node check_coupler.eds add-node check_io.eds set channel 1 set sync off"
            " set guard 750 set life 3 set cycle 25 set baud Baud250k"
            " terminal 1 add KM130\\ 4AI terminal 1 add KM130\\ 4AI terminal 1 add KM130\\ 4AI"
            " terminal 1 add KM130\\ 4AI terminal 1 add KM120\\ 16DI coupler-close 1"
            " map 2 6200.1 lamp map 2 6000.9 far_in param 2 1017 3E8 var 2 2001 offset");
        ASSERT_EQ(edit.status, 0) << edit.err;
        expectDecodeAgreesWithShow(project, w.edsOption());
    }
}

TEST(DecodeCommand, ATruncatedFileIsDecodedAsFarAsItGoesWithTheOffsetOfTheRest) {
    test::TempDir dir;
    fs::copy(test::sourceDir("data/demo/plant1"), dir / "plant1");
    ASSERT_EQ(runCli("build " + shellQuote((dir / "plant1" / "plant1.bsm").string())).status, 0);
    const std::string whole = test::readBytes(dir / "plant1" / "network0.cmg");
    const fs::path cut = dir / "network0.cmg";
    test::writeBytes(cut, whole.substr(0, 50));

    const test::CliRun text = runCli("decode " + shellQuote(cut.string()));
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(text.out.find("node 1: device type 0x000F0191"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find(cut.string() + ": offset 40 (0x28): error: the file ends inside node "
                                           "record 2 (16 bytes): 10 bytes not decoded"),
              std::string::npos)
        << text.out;

    const test::CliRun json = runCli("decode " + shellQuote(cut.string()) + " --json");
    EXPECT_EQ(json.status, 1);
    const Json decoded = JsonReader::parse(json.out);
    EXPECT_EQ(decoded["nodes"].array.size(), 1u);
    ASSERT_EQ(decoded["problems"].array.size(), 1u);
    EXPECT_EQ(decoded["problems"].array[0]["offset"].asInt(), 40);
    EXPECT_TRUE(decoded["problems"].array[0]["stopped"].boolean);
}

TEST(DecodeCommand, NamesObjectsFromTheProjectAndTakesOtherFileNamesWithAs) {
    test::TempDir dir;
    fs::copy(test::sourceDir("data/demo/plant1"), dir / "plant1");
    const fs::path project = dir / "plant1" / "plant1.bsm";
    ASSERT_EQ(runCli("build " + shellQuote(project.string())).status, 0);
    const fs::path network = dir / "plant1" / "network0.cmg";
    const test::CliRun named = runCli("decode " + shellQuote(network.string()) + " --project " +
                                      shellQuote(project.string()));
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_NE(named.out.find("  0x1017:00 = 0x01F4 (500), 2 bytes  Producer heartbeat time"),
              std::string::npos)
        << named.out;

    const fs::path fetched = dir / "from_controller.bin";
    fs::copy_file(dir / "plant1" / "iomap0.cmg", fetched);
    EXPECT_EQ(runCli("decode " + shellQuote(fetched.string())).status, 2);
    const Json map = runJson("decode " + shellQuote(fetched.string()) +
                             " --as iomap --json --project " + shellQuote(project.string()));
    ASSERT_FALSE(map["variables"].array.empty());
    EXPECT_EQ(map["variables"].array.back()["name"].string, "drive_position");
    EXPECT_EQ(map["variables"].array.back()["objectName"].string, "0x6064 Position actual value");
    EXPECT_EQ(runCli("decode " + shellQuote(fetched.string()) + " --as table").status, 2);
    EXPECT_EQ(runCli("decode " + shellQuote((dir / "network5.cmg").string())).status, 1);
}

} // namespace
} // namespace busmason
