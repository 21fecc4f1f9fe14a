#include "core/coupler/config_codes.h"
#include "core/coupler/coupler_session.h"
#include "core/coupler/terminal_library.h"
#include "core/editor/network_session.h"
#include "core/nodeconfig/node_config.h"
#include "core/nodeconfig/pdo_mapping.h"
#include "core/nodeconfig/writes.h"
#include "core/persistence/coupler_file.h"
#include "core/persistence/project_file.h"
#include "support/cli_run.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace busmason {
namespace {

using test::CliRun;
using test::runCli;
using test::shellQuote;

std::string edit(const std::filesystem::path& project, const std::string& actions) {
    return "edit " + shellQuote(project.string()) + " " + actions;
}

/// The same steps through the core operations the windows call.
editor::NetworkSession editedDirectly(const std::filesystem::path& folder) {
    editor::NetworkSession s(folder, "plant");
    const auto eds = test::installData("eds");
    s.addNode(eds, "KM110.eds");
    s.addNode(eds, "KM1100.eds");
    s.addNode(eds, "KD240.eds");
    model::NetworkParameters p = s.network().parameters;
    p.baudRate = "Baud250k";
    p.cycleTime = "20";
    s.setParameters(p);
    s.setPrefix("line1_");

    const auto library = coupler::readTerminalLibrary(test::installData()).library;
    {
        coupler::CouplerSession c(s.network(), 1);
        EXPECT_TRUE(c.addTerminal(*library.find("KM120 16DI")).complete());
    }
    {
        coupler::CouplerSession c(s.network(), 1);
        EXPECT_TRUE(c.addTerminal(*library.find("KM130 4AO")).complete());
    }
    {
        coupler::CouplerSession c(s.network(), 1);
        c.configureChannel(1, 0, *coupler::findConfigCode("V"));
    }
    {
        coupler::CouplerSession c(s.network(), 1);
        EXPECT_TRUE(c.close().complete());
    }

    model::node& io = *s.network().at(2);
    nodeconfig::addParameterValue(io, nodeconfig::selectEntry(io, "1017"), {"1F4", "", ""}, "");
    nodeconfig::addParameterValue(io, nodeconfig::selectEntry(io, "100C"), {"64", "", ""}, "");
    nodeconfig::moveWrite(io, 2, nodeconfig::MoveDirection::Up);
    nodeconfig::nameOnPdoPage(io, nodeconfig::selectEntry(io, "6000.1"), "din_a");
    nodeconfig::nameOnPdoPage(io, nodeconfig::selectEntry(io, "6200.2"), "dout_b");
    io.ngDisabled = true;

    model::node& drive = *s.network().at(3);
    nodeconfig::setVariableName(drive, nodeconfig::selectEntry(drive, "6041"), "drive_status");
    s.moveNode(3, 10);
    return s;
}

TEST(EditCommand, SavesWhatTheOperationsCalledDirectlyGive) {
    test::TempDir dir;
    const auto project = dir / "plant" / "plant.bsm";
    const CliRun r =
        runCli(edit(project, "add-node KM110.eds add-node km1100.EDS add-node KD240.eds "
                             "set baud Baud250k set cycle 20 set prefix line1_ "
                             "terminal 1 add 'KM120 16DI' terminal 1 add 'KM130 4AO' "
                             "terminal 1 config 1 0 V coupler-close 1 "
                             "param 2 1017 1F4 param 2 100C 64 write-move 2 2 up "
                             "map 2 6000.1 din_a map 2 6200.2 dout_b flags 2 ng on "
                             "var 3 6041 drive_status address 3 10"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("node 2: km1100.EDS"), std::string::npos) << r.out;

    const editor::NetworkSession direct = editedDirectly(project.parent_path());
    EXPECT_EQ(test::firstDifference(persistence::writeProjectFile(direct.network()),
                                    test::readBytes(project)),
              "");
    EXPECT_EQ(test::firstDifference(persistence::writeCouplerFile(direct.network()),
                                    test::readBytes(dir / "plant" / "plant.pco")),
              "");
    // The steps did what they say, not merely the same thing twice.
    const model::node& drive = *direct.network().at(10);
    EXPECT_EQ(drive.entry(nodeconfig::selectEntry(drive, "6041")).varName(0), "drive_status");
    EXPECT_EQ(direct.network().at(1)->coupler->terminals.size(), 2u);
    EXPECT_EQ(direct.network().at(2)->sdoRecords.front().data, "0x64");
}

TEST(EditCommand, ARefusedActionSavesNothing) {
    test::TempDir dir;
    const auto project = dir / "p.bsm";
    ASSERT_EQ(runCli(edit(project, "add-node KM1100.eds add-node KD240.eds")).status, 0);
    const std::string before = test::readBytes(project);

    struct Case {
        const char* actions;
        const char* message;
    };
    const Case cases[] = {
        {"param 1 6000.1 5", "takes no parameter value"},          // "ro": no parameter box
        {"param 1 1000 5", "takes no parameter value"},            // "const"
        {"param 1 1017 123456789", "<VALORE NON CONSENTITO>"},     // more than the 8 box places
        {"param 1 1A00.1 6000,001,08", "<VALORE NON CONSENTITO>"}, // mapping boxes 4, 2, 2
        {"param 1 1017 1,2,3", "<VALORE NON CONSENTITO>"},         // one box, not three
        {"param 1 1017 ''", "<VALORE NON CONSENTITO>"},
        {"var 1 1008 x", "takes no variable"},
        {"map 1 1017 speed", "not on the PDO page"},
        {"map 1 6000.1 9lives", "<VALORE NON CONSENTITO>"},
        {"address 2 1", "<ADDRESS PRESENT YET>"},
        {"address 2 128", "node address"},
        {"set baud Baud9k", "bit rate 'Baud9k' is not one of"},
        {"set channel 2", "neither 0 nor 1"},
        {"set guard abc", "guard time 'abc' is not a whole number"},
        {"set life 256", "life time '256' is not a whole number from 0 to 255"},
        {"set cycle 20000", "cycle time '20000'"},
        {"set sync maybe", "neither on nor off"},
        {"flags 1 virtual yes", "neither on nor off"},
        {"delete-node 7", "no node at address 7"},
        {"write-move 1 1 up", "no start-up write"},
        {"param-delete 1 1017 1", "no parameter value 1"},
        {"terminal 1 add 'KM999 2DI'", "no terminal type"},
        {"terminal 1 add 'KM130 4AI'", "<OGGETTO NONESISTE>"}, // KM1100 has no analogue objects
        {"terminal 1 delete 0", "no terminal"},
        {"add-node missing.eds", "missing.eds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.actions);
        // A valid action first: a later refusal must not save it either.
        const CliRun r = runCli(edit(project, std::string("set cycle 99 ") + c.actions));
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("nothing was saved"), std::string::npos) << r.err;
        EXPECT_EQ(test::firstDifference(before, test::readBytes(project)), "");
        test::writeBytes(project, before);
    }
}

TEST(EditCommand, BadCommandLinesAreUsageErrors) {
    test::TempDir dir;
    for (const std::string& args :
         {std::string("edit"), edit(dir / "p.txt", "arrange"), edit(dir / "p.bsm", "jump 3"),
          edit(dir / "p.bsm", "set baud"), edit(dir / "p.bsm", "terminal 1 config 0 1")}) {
        SCOPED_TRACE(args);
        EXPECT_EQ(runCli(args).status, 2);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "p.bsm"));
}

TEST(EditCommand, WarnsAboutCouplersLeftOpenAndAboutPlacementsThatStopAtClose) {
    test::TempDir dir;
    const auto project = dir / "p.bsm";
    const CliRun open = runCli(edit(project, "add-node KM110.eds terminal 1 add 'KM120 8DI'"));
    EXPECT_EQ(open.status, 0) << open.err;
    EXPECT_NE(open.err.find("add coupler-close 1"), std::string::npos) << open.err;

    // A coupler file naming a terminal whose objects the device lacks: the close places what it
    // can, warns, and the project is saved.
    const auto broken = dir / "q.bsm";
    ASSERT_EQ(runCli(edit(broken, "add-node KM1100.eds terminal 1 add 'KM120 8DI'")).status, 0);
    std::string pco = test::readBytes(dir / "q.pco");
    const auto at = pco.find("\t</TerminalInfo>");
    ASSERT_NE(at, std::string::npos);
    pco.insert(at + std::string("\t</TerminalInfo>\r\n").size(),
               "\t<TerminalInfo>\r\n\t\t<ID>4</ID>\r\n\t\t<Tname>KM130 4AI</Tname>\r\n"
               "\t\t<Varnumb>1</Varnumb>\r\n\t\t<Pos>1</Pos>\r\n\t\t<Varinfo>\r\n\t\t\t<Var>\r\n"
               "\t\t\t\t<Vname>ANIN0_TE1_00</Vname>\r\n\t\t\t\t<bitnumb>16</bitnumb>\r\n"
               "\t\t\t\t<Config>1</Config>\r\n\t\t\t\t<dir>0</dir>\r\n\t\t\t</Var>\r\n"
               "\t\t</Varinfo>\r\n\t</TerminalInfo>\r\n");
    test::writeBytes(dir / "q.pco", pco);
    const CliRun closed = runCli(edit(broken, "coupler-close 1"));
    EXPECT_EQ(closed.status, 0) << closed.err;
    EXPECT_NE(closed.err.find("warning: coupler-close 1: <PDO TERMINATI>"), std::string::npos)
        << closed.err;
    EXPECT_NE(test::readBytes(broken).find("DINP0_TE0_07"), std::string::npos);
}

TEST(EditCommand, RefusesToSaveOverAProjectWhoseLoadLostSomething) {
    test::TempDir dir;
    const auto project = dir / "p.bsm";
    ASSERT_EQ(runCli(edit(project, "add-node KM1100.eds")).status, 0);
    test::TempDir emptyLibrary;
    const std::string before = test::readBytes(project);
    const std::string options = "--eds-folder " + shellQuote(emptyLibrary.path().string()) + " ";
    const CliRun refused = runCli("edit " + options + shellQuote(project.string()) + " arrange");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(test::readBytes(project), before);
    EXPECT_EQ(runCli("edit --force " + options + shellQuote(project.string()) + " arrange").status,
              0);
    EXPECT_EQ(test::readBytes(project).find("KM1100.eds"), std::string::npos);
}

} // namespace
} // namespace busmason
