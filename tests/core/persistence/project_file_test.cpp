#include "core/persistence/coupler_file.h"
#include "core/persistence/project_file.h"
#include "core/persistence/project_io.h"
#include "core/util/file_io.h"

#include "core/persistence/sample_project.h"

#include <gtest/gtest.h>

namespace busmason::persistence {
namespace {

using model::Diagnostic;
using model::Severity;
using test::firstDifference;
using test::readBytes;
using test::testData;

std::string golden(const char* name) {
    return readBytes(testData("persistence") / name);
}

TEST(ProjectFile, WritesTheLayoutOfAnEmptyNetwork) {
    const model::Network empty;
    EXPECT_EQ(firstDifference(golden("empty.bsm"), writeProjectFile(empty)), "");
    EXPECT_EQ(firstDifference(golden("empty.pco"), writeCouplerFile(empty)), "");
}

TEST(ProjectFile, WritesNodesWithTheirWritesVariablesAndTerminals) {
    test::TempDir dir;
    const editor::NetworkSession s = test::sampleSession(dir.path());
    EXPECT_EQ(firstDifference(golden("nodes.bsm"), writeProjectFile(s.network())), "");
    EXPECT_EQ(firstDifference(golden("nodes.pco"), writeCouplerFile(s.network())), "");
}

TEST(ProjectFile, MemoryAreasFollowTheChannelText) {
    const struct {
        const char* channel;
        const char* memory;
    } cases[] = {
        {"0", "<memory>100,101,102,103,104,105,106,107</memory>"},
        {"1", "<memory>200,201,202,203,204,205,206,207</memory>"},
        {"", "<memory>200,201,202,203,204,205,206,207</memory>"},
        {"00", "<memory>200,201,202,203,204,205,206,207</memory>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.channel);
        model::Network net;
        net.parameters.channel = c.channel;
        const std::string out = writeProjectFile(net);
        EXPECT_NE(out.find(std::string("\t<channel>") + c.channel + "</channel>\r\n"),
                  std::string::npos);
        EXPECT_NE(out.find(std::string("\t\t") + c.memory + "\r\n"), std::string::npos);
    }
}

/// Loads the file of bytes saved as FOLDER/name.bsm (and name.pco when pco is given).
LoadResult loadBytes(const test::TempDir& dir, std::string_view bsm, std::string_view pco = {},
                     const std::string& name = "plant") {
    test::writeBytes(dir / (name + ".bsm"), bsm);
    if (!pco.empty()) {
        test::writeBytes(dir / (name + ".pco"), pco);
    }
    return loadProject(dir / (name + ".bsm"), test::persistenceEds());
}

/// A project file with the given parameter rows and node blocks.
std::string projectWith(const std::string& parameters, const std::string& nodes = {}) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<networkInfo>\r\n" + parameters +
           "<nodeInfoList>" + nodes + "</nodeInfoList>\r\n</networkInfo>\r\n";
}

/// A node block of io.eds at address with the given inner rows.
std::string ioNode(int address, const std::string& inner, const char* eds = "io.eds") {
    return std::string("<nodeInfo><eds>") + eds + "</eds><address>" + std::to_string(address) +
           "</address>" + inner + "</nodeInfo>";
}

std::string write(const char* isSub, const char* index, const char* sub, const char* data) {
    return std::string("<sdoInfo><isSubindex>") + isSub + "</isSubindex><index>" + index +
           "</index><subindex>" + sub + "</subindex><data>" + data + "</data></sdoInfo>";
}

std::string variable(const char* name, const char* key, const char* type, const char* pdo = "1",
                     const char* object = "1", const char* shift = "0") {
    return std::string("<varInfo><name>") + name + "</name><key>" + key + "</key><type>" + type +
           "</type><pdo>" + pdo + "</pdo><object>" + object + "</object><shift>" + shift +
           "</shift></varInfo>";
}

TEST(ProjectLoad, RestoresTheModel) {
    const LoadResult r = loadProject(testData("persistence/nodes.bsm"), test::persistenceEds());
    ASSERT_TRUE(r.session) << test::allMessages(r.diagnostics);
    EXPECT_TRUE(r.diagnostics.empty()) << test::allMessages(r.diagnostics);
    const editor::NetworkSession& s = *r.session;
    EXPECT_FALSE(s.modified());
    EXPECT_EQ(s.projectName(), "nodes");
    const model::NetworkParameters& p = s.network().parameters;
    EXPECT_EQ(p.cycleTime, "20");
    EXPECT_EQ(p.baudRate, "Baud250k");
    EXPECT_EQ(p.channel, "1");
    EXPECT_TRUE(p.enableSync);
    EXPECT_FALSE(p.toggleBit);
    EXPECT_EQ(s.network().prefix, "ch1_");
    ASSERT_EQ(s.list().size(), 2u);
    EXPECT_EQ(s.list()[0].caption, "5 - io.eds");
    EXPECT_EQ(s.list()[1].caption, "9 - coupler.eds");

    const model::node& io = *s.network().at(5);
    EXPECT_TRUE(io.virtual_);
    EXPECT_FALSE(io.ngDisabled);
    ASSERT_EQ(io.sdoCount(), 4);
    EXPECT_EQ(model::describeEntry(io.entry(io.sdoRecords[1].target)), "0x1800:05");
    EXPECT_EQ(io.sdoRecords[3].data, "R&D <1>");
    const model::object_dict& value = io.entry(io.sdoRecords[3].target);
    EXPECT_EQ(value.values, std::vector<std::string>{"R&D <1>"});
    EXPECT_TRUE(value.configured);
    // SDO variable: the catalogue's first "Word" code, not mapped.
    EXPECT_EQ(value.varName(0), "L\xC3\xBC"
                                "fter");
    EXPECT_EQ(value.varType, 0x03);
    EXPECT_EQ(value.pdoKind, 0);
    EXPECT_FALSE(value.pdoMapped);
    EXPECT_EQ(value.pdoNumber, 99);

    const model::object_dict& in = *model::findEntry(io, "0x6000", "0x1");
    EXPECT_EQ(in.varCount, 2);
    EXPECT_EQ(in.varName(1), "in2");
    EXPECT_EQ(in.shift(1), 1);
    EXPECT_EQ(in.pdoKind, 1);
    EXPECT_TRUE(in.pdoMapped);
    const model::object_dict& out = *model::findEntry(io, "0x6200", "0x1");
    EXPECT_EQ(out.varType, 0x02); // saved as Unsigned8, read back as the first "Byte" code
    EXPECT_EQ(out.pdoKind, 2);
    EXPECT_EQ(out.pdoNumber, 1);
    EXPECT_EQ(out.object, 1);

    const model::node& coupler = *s.network().at(9);
    EXPECT_TRUE(coupler.ngDisabled);
    ASSERT_TRUE(coupler.coupler);
    ASSERT_EQ(coupler.coupler->terminalCount(), 2);
    EXPECT_EQ(coupler.coupler->terminals[0].Tname, "8 DI & diag");
    EXPECT_EQ(coupler.coupler->terminals[1].channels[0].Config, 2);
    EXPECT_EQ(coupler.coupler->terminals[1].channels[0].bitnumb, 16);
    EXPECT_FALSE(io.coupler);
}

TEST(ProjectLoad, SavingWhatWasLoadedKeepsEveryByte) {
    const struct {
        const char* bsm;
        const char* pco;
        const char* expectedBsm;
        const char* expectedPco;
    } cases[] = {
        {"empty.bsm", "empty.pco", "empty.bsm", "empty.pco"},
        {"nodes.bsm", "nodes.pco", "nodes.bsm", "nodes.pco"},
        // Elements in other orders, other whitespace, a comment, "0x05" for "0x5": read by name.
        {"reordered.bsm", "reordered.pco", "nodes.bsm", "nodes.pco"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bsm);
        test::TempDir dir;
        LoadResult r = loadBytes(dir, golden(c.bsm), golden(c.pco));
        ASSERT_TRUE(r.session) << test::allMessages(r.diagnostics);
        EXPECT_TRUE(r.diagnostics.empty()) << test::allMessages(r.diagnostics);
        r.session->markModified();
        saveProject(*r.session);
        EXPECT_FALSE(r.session->modified());
        EXPECT_EQ(firstDifference(golden(c.expectedBsm), readBytes(dir / "plant.bsm")), "");
        EXPECT_EQ(firstDifference(golden(c.expectedPco), readBytes(dir / "plant.pco")), "");
    }
}

TEST(ProjectLoad, ReadsEightBitTextsOfOlderFiles) {
    // Older versions wrote texts unescaped as 8-bit characters; a lone "&" still reads.
    test::TempDir dir;
    const LoadResult r = loadBytes(
        dir, projectWith("<syncTime>R&D</syncTime>", ioNode(1, "<varInfoList>" +
                                                                   variable("L\xFC"
                                                                            "fter",
                                                                            "6000.1", "Bit,TxPdo") +
                                                                   "</varInfoList>")));
    ASSERT_TRUE(r.session) << test::allMessages(r.diagnostics);
    EXPECT_EQ(r.session->network().parameters.cycleTime, "R&D");
    EXPECT_EQ(model::findEntry(*r.session->network().at(1), "0x6000", "0x1")->varName(0),
              "L\xC3\xBC"
              "fter");
}

TEST(ProjectLoad, ReadsTheParameters) {
    struct Case {
        std::string rows;
        model::NetworkParameters expected;
        std::string prefix;
        std::string warning;
    };
    auto params = [](auto change) {
        model::NetworkParameters p;
        change(p);
        return p;
    };
    const Case cases[] = {
        {"<baudRate>Baud10k</baudRate>", params([](auto& p) { p.baudRate = "Baud10k"; }), "ch0_",
         ""},
        {"<baudRate>Baud800k</baudRate>", params([](auto& p) { p.baudRate = "Baud800k"; }), "ch0_",
         ""},
        {"<baudRate>baud500k</baudRate>", params([](auto& p) { p.baudRate = "baud500k"; }), "ch0_",
         "bit rate 'baud500k' is not one of"},
        {"<syncTime>20</syncTime><guardTime>0500</guardTime><lifeTime>0x10</lifeTime>",
         params([](auto& p) {
             p.cycleTime = "20";
             p.lifeTime = "16";
         }),
         "ch0_", ""},
        {"<syncTime> 20ms</syncTime>", params([](auto& p) { p.cycleTime = " 20ms"; }), "ch0_",
         "cycle time ' 20ms' is not a whole number"},
        {"<guardTime>5OO</guardTime>", params([](auto& p) { p.guardTime = "5OO"; }), "ch0_",
         "guard time '5OO' is not a whole number"},
        {"<channel>$1</channel>", params([](auto& p) { p.channel = "1"; }), "ch0_", ""},
        {"<channel>2</channel>", params([](auto& p) { p.channel = "2"; }), "ch0_",
         "CAN channel '2' is neither 0 nor 1"},
        {"<enableSync>True</enableSync><toggleBit>yes</toggleBit>",
         params([](auto& p) { p.toggleBit = false; }), "ch0_", ""},
        {"<plcInfo><memory>1</memory><prefix>my &amp; prefix_</prefix></plcInfo>",
         params([](auto&) {}), "my & prefix_", ""},
        {"<plcInfo><prefix></prefix></plcInfo>", params([](auto&) {}), "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        test::TempDir dir;
        const LoadResult r = loadBytes(dir, projectWith(c.rows));
        ASSERT_TRUE(r.session) << test::allMessages(r.diagnostics);
        EXPECT_TRUE(r.session->network().parameters == c.expected);
        EXPECT_EQ(r.session->network().prefix, c.prefix);
        // Parameters are kept as written; those the controller cannot take are reported apart
        // from what the load left out.
        EXPECT_TRUE(r.diagnostics.empty()) << test::allMessages(r.diagnostics);
        if (c.warning.empty()) {
            EXPECT_TRUE(r.parameterFindings.empty()) << test::allMessages(r.parameterFindings);
        } else {
            ASSERT_EQ(r.parameterFindings.size(), 1u);
            EXPECT_EQ(r.parameterFindings[0].severity, Severity::Warning);
            EXPECT_NE(r.parameterFindings[0].message.find(c.warning), std::string::npos)
                << r.parameterFindings[0].message;
        }
    }
}

TEST(ProjectLoad, AFaultyFileGivesAnErrorAndNoNetwork) {
    const struct {
        const char* what;
        std::string bsm;
        std::string pco;
        const char* file;
        const char* element;
        const char* message;
    } cases[] = {
        {"not XML", "<networkInfo>\r\n<syncTime>10</networkInfo>\r\n", "", "plant.bsm", "",
         "not a well-formed XML file"},
        {"an unescaped less-than of older files", projectWith("<syncTime>a<b</syncTime>"), "",
         "plant.bsm", "", "not a well-formed XML file"},
        {"address", projectWith("", ioNode(1, "") + "<nodeInfo><eds>io.eds</eds></nodeInfo>"), "",
         "plant.bsm", "networkInfo/nodeInfoList/nodeInfo[2]/address",
         "element <address> is missing"},
        {"pdo",
         projectWith("",
                     ioNode(1, "<varInfoList>" + variable("a", "6000.1", "Bit,TxPdo") +
                                   variable("b", "6000.1", "Bit,TxPdo", "") + "</varInfoList>")),
         "", "plant.bsm", "networkInfo/nodeInfoList/nodeInfo/varInfoList/varInfo[2]/pdo",
         "'' is not a valid integer value"},
        {"coupler channel", projectWith("", ioNode(1, "")),
         "<Module><CouplerInfo><NodeID>1</NodeID><TerminalInfo><ID>1</ID><Tname>t</Tname>"
         "<Varnumb>1</Varnumb><Pos>0</Pos><Varinfo><Var><Vname>v</Vname><bitnumb>one</bitnumb>"
         "<Config>0</Config><dir>0</dir></Var></Varinfo></TerminalInfo></CouplerInfo></Module>",
         "plant.pco", "Module/CouplerInfo/TerminalInfo/Varinfo/Var/bitnumb",
         "'one' is not a valid integer value"},
        {"coupler file not XML", projectWith("", ioNode(1, "")), "<Module><CouplerInfo>",
         "plant.pco", "", "not a well-formed XML file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const LoadResult r = loadBytes(dir, c.bsm, c.pco);
        EXPECT_FALSE(r.session);
        ASSERT_FALSE(r.diagnostics.empty());
        const Diagnostic& d = r.diagnostics.back();
        EXPECT_EQ(d.severity, Severity::Error);
        EXPECT_EQ(d.file, util::displayPath(dir / c.file));
        EXPECT_EQ(d.element, c.element);
        EXPECT_GE(d.line, 1);
        EXPECT_NE(d.message.find(c.message), std::string::npos) << d.message;
    }
    test::TempDir dir;
    const LoadResult missing = loadProject(dir / "none.bsm", test::persistenceEds());
    EXPECT_FALSE(missing.session);
    ASSERT_EQ(missing.diagnostics.size(), 1u);
    EXPECT_EQ(missing.diagnostics[0].severity, Severity::Error);
}

TEST(ProjectLoad, LeavesOutWhatCannotBeRestoredAndSaysWhat) {
    const std::string good = write("TRUE", "0x1800", "0x5", "100");
    const std::string goodVar = variable("in1", "6000.1", "Bit,TxPdo");
    const std::string nodes =
        ioNode(3,
               "<sdoInfoList>" + good + good + "</sdoInfoList><varInfoList>" + goodVar +
                   "</varInfoList>",
               "missing.eds") +
        ioNode(4, "", "broken.eds") +
        ioNode(5, "<virtual>TRUE</virtual><sdoInfoList>" + write("FALSE", "0x3000", "0", "1") +
                      "<sdoInfo><index>0x1017</index><data>1</data></sdoInfo>" +
                      write("TRUE", "0x1800", "0x9", "1") + good +
                      "<sdoInfo><isSubindex>FALSE</isSubindex><index>0x1017</index></sdoInfo>" +
                      "</sdoInfoList><varInfoList>" + variable("x", "7000.1", "Bit,TxPdo") +
                      variable("y", "6000.1", "Float,TxPdo") + variable("z", "6000.1", "") +
                      "<varInfo><key>6000.1</key></varInfo>" + goodVar + "</varInfoList>") +
        ioNode(5, "", "coupler.eds") + ioNode(200, "") +
        "<nodeInfo><address>6</address></nodeInfo>";
    const std::string pco = "<Module><CouplerInfo><NodeID>3</NodeID><TerminalInfo><ID>1</ID>"
                            "<Tname>t</Tname><Varnumb>0</Varnumb><Pos>0</Pos></TerminalInfo>"
                            "</CouplerInfo><CouplerInfo><NodeID>8</NodeID></CouplerInfo></Module>";
    test::TempDir dir;
    const LoadResult r = loadBytes(dir, projectWith("", nodes), pco);
    ASSERT_TRUE(r.session) << test::allMessages(r.diagnostics);
    EXPECT_FALSE(r.session->modified());

    const model::Network& net = r.session->network();
    EXPECT_EQ(net.nodeCount(), 1);
    const model::node& n = *net.at(5);
    EXPECT_TRUE(n.virtual_);
    EXPECT_EQ(n.fileInfo.FileName, "io.eds");
    ASSERT_EQ(n.sdoCount(), 1);
    EXPECT_EQ(model::describeEntry(n.entry(n.sdoRecords[0].target)), "0x1800:05");
    const model::object_dict& in = *model::findEntry(n, "0x6000", "0x1");
    EXPECT_EQ(in.varCount, 1);
    EXPECT_EQ(in.varName(0), "in1");

    const std::string all = test::allMessages(r.diagnostics);
    const char* expected[] = {
        "node 3 (missing.eds) dropped: not created: no such file in the EDS library; lost with "
        "it: 2 start-up writes, 1 variables",
        "node 4 (broken.eds) dropped: not created: ",
        "node 5 (io.eds): start-up write to 0x3000 dropped: the EDS has no such object",
        "node 5 (io.eds): start-up write without <isSubindex> dropped",
        "node 5 (io.eds): start-up write to 0x1800:09 dropped: the EDS has no such object",
        "node 5 (io.eds): start-up write to 0x1017 without <data> dropped",
        "node 5 (io.eds): variable 'x' on 7000.1 dropped: the EDS has no such object",
        "node 5 (io.eds): variable 'y' on 6000.1 dropped: the type 'Float,TxPdo' names no data",
        "node 5 (io.eds): variable 'z' on 6000.1 dropped: the type '' names no data type",
        "node 5 (io.eds): variable without <name> dropped",
        "node 5 (coupler.eds) dropped: an earlier node has the same address",
        "node 200 (io.eds) dropped: the address is outside 1 to 127",
        "node element without <eds> skipped",
        "plant.pco:1: Module/CouplerInfo[1]: warning: coupler of node 3 (missing.eds) dropped "
        "with its 1 terminals: the project has no node at that address",
        "coupler of node 8 dropped with its 0 terminals",
    };
    for (const char* e : expected) {
        EXPECT_NE(all.find(e), std::string::npos) << e << "\nin:\n" << all;
    }
    EXPECT_EQ(r.diagnostics.size(), std::size(expected)) << all;
    EXPECT_FALSE(model::hasError(r.diagnostics));
}

TEST(ProjectLoad, StopsAddingAtTheLimits) {
    // Eleven writes to 0x1800:01 (one over the 10 values of an entry), then ten to each of nine
    // other entries (100 writes in all), then one over the node's 100.
    std::string writes;
    for (int k = 0; k < 11; ++k) {
        writes += write("TRUE", "0x1800", "0x1", std::to_string(k).c_str());
    }
    const std::pair<const char*, const char*> others[] = {
        {"0x1000", "0"},   {"0x1017", "0"},   {"0x2000", "0"},
        {"0x2001", "0"},   {"0x1800", "0x0"}, {"0x1800", "0x2"},
        {"0x1800", "0x5"}, {"0x6000", "0x1"}, {"0x6000", "0x2"}};
    for (const auto& [index, sub] : others) {
        for (int k = 0; k < 10; ++k) {
            writes += write(std::string(sub) == "0" ? "FALSE" : "TRUE", index, sub, "1");
        }
    }
    writes += write("TRUE", "0x1018", "0x1", "1");
    std::string vars;
    for (int k = 0; k < 33; ++k) {
        vars += variable(("v" + std::to_string(k)).c_str(), "6401.1", "Word,TxPdo");
    }
    test::TempDir dir;
    const LoadResult r = loadBytes(
        dir, projectWith("", ioNode(1, "<sdoInfoList>" + writes + "</sdoInfoList><varInfoList>" +
                                           vars + "</varInfoList>")));
    ASSERT_TRUE(r.session) << test::allMessages(r.diagnostics);
    const model::node& node = *r.session->network().at(1);
    EXPECT_EQ(node.sdoCount(), 100);
    const model::object_dict& cob = *model::findEntry(node, "0x1800", "0x1");
    EXPECT_EQ(cob.valueCount(), 10);
    EXPECT_EQ(cob.values.back(), "9");
    EXPECT_EQ(model::findEntry(node, "0x1018", "0x1")->valueCount(), 0);
    const model::object_dict& ai = *model::findEntry(node, "0x6401", "0x1");
    EXPECT_EQ(ai.varCount, 32);
    EXPECT_EQ(ai.varName(31), "v31");
    ASSERT_EQ(r.diagnostics.size(), 3u) << test::allMessages(r.diagnostics);
    EXPECT_NE(r.diagnostics[0].message.find(
                  "start-up write to 0x1800:01 dropped: the entry already has 10 values"),
              std::string::npos);
    EXPECT_NE(r.diagnostics[1].message.find(
                  "start-up write to 0x1018:01 dropped: the node already has 100"),
              std::string::npos);
    EXPECT_NE(r.diagnostics[2].message.find(
                  "variable 'v32' on 6401.1 dropped: the entry already has 32 variables"),
              std::string::npos);
}

TEST(ProjectLoad, NodesOfOneEdsAreSeparateAndItsWarningsComeOnce) {
    test::TempDir dir;
    const LoadResult r = loadBytes(
        dir, projectWith("", ioNode(1, "<sdoInfoList>" + write("FALSE", "0x1017", "0", "5") +
                                           "</sdoInfoList>") +
                                 ioNode(2, "") + ioNode(3, "", "nofileinfo.eds") +
                                 ioNode(4, "", "nofileinfo.eds")));
    ASSERT_TRUE(r.session) << test::allMessages(r.diagnostics);
    const model::Network& net = r.session->network();
    EXPECT_EQ(model::findEntry(*net.at(1), "0x1017", "-1")->valueCount(), 1);
    EXPECT_EQ(model::findEntry(*net.at(2), "0x1017", "-1")->valueCount(), 0);
    EXPECT_EQ(net.at(2)->sdoCount(), 0);
    EXPECT_EQ(net.at(3)->address, 3);
    EXPECT_EQ(net.at(4)->address, 4);
    ASSERT_EQ(r.diagnostics.size(), 1u) << test::allMessages(r.diagnostics);
    EXPECT_NE(r.diagnostics[0].file.find("nofileinfo.eds"), std::string::npos);
    EXPECT_EQ(r.session->treeLabels(), (std::vector<std::string>{"1", "2", "3", "4"}));
}

TEST(ProjectLoad, VariablesOfAnEntryKeepTheirSlotsWhenOthersStandBetween) {
    test::TempDir dir;
    const LoadResult r = loadBytes(
        dir, projectWith("", ioNode(1, "<varInfoList>" +
                                           variable("a", "6000.1", "Bit,TxPdo", "1", "1", "0") +
                                           variable("b", "6200.1", "Bit,RxPdo") +
                                           variable("c", "6000.1", "Bit,TxPdo", "1", "1", "1") +
                                           "</varInfoList>")));
    ASSERT_TRUE(r.session) << test::allMessages(r.diagnostics);
    const model::object_dict& in = *model::findEntry(*r.session->network().at(1), "0x6000", "0x1");
    EXPECT_EQ(in.varCount, 2);
    EXPECT_EQ(in.varName(0), "a");
    EXPECT_EQ(in.varName(1), "c");
    EXPECT_EQ(in.shift(1), 1);
}

} // namespace
} // namespace busmason::persistence
