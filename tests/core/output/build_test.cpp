#include "core/output/build.h"

#include "core/eds/eds_parser.h"
#include "core/model/lookup.h"
#include "core/util/file_io.h"
#include "output_fixtures.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

namespace busmason::output {
namespace {

using fixtures::addVariable;
using fixtures::bytes;
using fixtures::mapEntry;

/// The node of the I/O module fixture at address 5: two start-up writes, an input byte of
/// transmit PDO 1 and an output byte of receive PDO 1.
model::node& addIoModule(model::Network& net) {
    const std::string text = test::readBytes(test::testData("output/io_module.eds"));
    eds::EdsReadResult read = eds::parseEds(text, "io_module.eds", "io_module.eds", 5);
    EXPECT_FALSE(model::hasError(read.diagnostics));
    net.put(5, std::move(read.node));
    model::node& n = *net.at(5);
    n.addRecord("1000", model::findEntryId(n, "0x1017", "-1"));
    n.addRecord("100", model::findEntryId(n, "0x1800", "0x5"));
    model::object_dict* in = model::findEntry(n, "0x6000", "0x1");
    model::object_dict* out = model::findEntry(n, "0x6200", "0x1");
    mapEntry(*in, 0x02, 1, 1, 1);
    addVariable(*in, "inputs");
    mapEntry(*out, 0x02, 2, 1, 1);
    addVariable(*out, "outputs");
    return n;
}

std::set<std::string> filesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        names.insert(e.path().filename().string());
    }
    return names;
}

const std::vector<std::string> kFileNames = {"network0.cmg", "ASCIIcmg.txt", "iomap0.cmg",
                                             "plant.gvl", "var.exp"};

TEST(Build, WritesEveryFileIntoTheProjectFolder) {
    test::TempDir dir;
    model::Network net;
    addIoModule(net);
    const BuildReport report = build(net, dir.path(), "plant");
    ASSERT_TRUE(report.succeeded());
    EXPECT_TRUE(report.errors.empty());
    EXPECT_TRUE(report.warnings.empty());

    std::vector<std::filesystem::path> expected;
    for (const std::string& name : kFileNames) {
        expected.push_back(dir / name);
    }
    EXPECT_EQ(report.written, expected);
    // Nothing else is left in the folder, and nothing goes to the current folder.
    EXPECT_EQ(filesIn(dir.path()), std::set<std::string>(kFileNames.begin(), kFileNames.end()));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / "plant.gvl"));

    const std::string network = bytes({0x0A, 0x00, 0xE8, 0x03, 0x00, 0xF4, 0x01, 0x04}) +
                                bytes({0x05, 0x00, 0x91, 0x01, 0x02, 0x00, 0x4C, 0x00, 0x00, 0x00,
                                       0x34, 0x12, 0x00, 0x00, 0x02, 0x00}) +
                                bytes({0x17, 0x10, 0x00, 0x02, 0xE8, 0x03, 0x00, 0x00}) +
                                bytes({0x00, 0x18, 0x05, 0x02, 0x64, 0x00, 0x00, 0x00});
    EXPECT_EQ(test::firstDifference(network, test::readBytes(dir / "network0.cmg")), "");

    const std::string iomap = test::readBytes(dir / "iomap0.cmg");
    ASSERT_EQ(iomap.size(), 80u);
    EXPECT_EQ(iomap.substr(0, 7), std::string("inputs\0", 7));
    EXPECT_EQ(iomap.substr(35, 5), bytes({0x05, 0x22, 0x01, 0x01, 0x00}));
    EXPECT_EQ(iomap.substr(75, 5), bytes({0x05, 0x12, 0x01, 0x01, 0x00}));

    // Every file holds what the in-memory build gives.
    const std::vector<GeneratedFile> files = generateControllerFiles(net, "plant");
    ASSERT_EQ(files.size(), kFileNames.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(kFileNames[i]);
        EXPECT_EQ(files[i].name, kFileNames[i]);
        EXPECT_EQ(test::firstDifference(files[i].bytes, test::readBytes(dir / kFileNames[i])), "");
    }
}

TEST(Build, ChannelOneNamesTheBinaryFiles) {
    test::TempDir dir;
    model::Network net;
    net.parameters.channel = "1";
    addIoModule(net);
    const BuildReport report = build(net, dir.path(), "plant");
    ASSERT_TRUE(report.succeeded());
    EXPECT_EQ(report.written[0], dir / "network1.cmg");
    EXPECT_EQ(report.written[2], dir / "iomap1.cmg");
    EXPECT_EQ(test::readBytes(dir / "network1.cmg")[4], 1);
}

TEST(Build, AnyErrorWritesNothingAndKeepsTheFilesOfTheLastBuild) {
    struct Case {
        const char* what;
        std::function<void(model::Network&)> spoil;
        std::string projectName;
        std::string message;
    };
    const Case cases[] = {
        {"cycle time into the flag bits",
         [](model::Network& net) { net.parameters.cycleTime = "20000"; }, "plant",
         "cycle time '20000' is not a whole number"},
        {"baud rate not in the list",
         [](model::Network& net) { net.parameters.baudRate = "1000k"; }, "plant",
         "bit rate '1000k' is not one of"},
        {"guard time", [](model::Network& net) { net.parameters.guardTime = "100000"; }, "plant",
         "guard time '100000' is not a whole number"},
        {"start-up write still holding $NODEID",
         [](model::Network& net) { net.at(5)->sdoRecords[1].data = "$NODEID+0x180"; }, "plant",
         "node 5, 0x1800:05 (start-up write value): '$NODEID+0x180' is not a valid integer value"},
        {"SDO variable on an entry that is not hexadecimal",
         [](model::Network& net) {
             model::object_dict& e = net.at(5)->objects.back();
             e.pdoKind = 0;
             e.subindex = "x1";
         },
         "plant", "(sub-index): '0xx1' is not a valid integer value"},
        {"project name that leaves the folder", [](model::Network&) {}, "../plant",
         "the project name '../plant' cannot name a file"},
        {"empty project name", [](model::Network&) {}, "",
         "the project name '' cannot name a file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        std::map<std::string, std::string> before;
        for (const std::string& name : kFileNames) {
            before[name] = "last build of " + name;
            test::writeBytes(dir / name, before[name]);
        }
        model::Network net;
        addIoModule(net);
        c.spoil(net);

        const BuildReport report = build(net, dir.path(), c.projectName);
        EXPECT_FALSE(report.succeeded());
        EXPECT_TRUE(report.written.empty());
        ASSERT_EQ(report.errors.size(), 1u);
        EXPECT_EQ(report.errors[0].severity, model::Severity::Error);
        EXPECT_NE(report.errors[0].message.find(c.message), std::string::npos)
            << report.errors[0].message;
        for (const std::string& name : kFileNames) {
            EXPECT_EQ(test::readBytes(dir / name), before[name]) << name;
        }
        EXPECT_EQ(filesIn(dir.path()).size(), kFileNames.size());
    }
}

TEST(Build, ErrorsAndWarningsNameTheFileWithItsFolder) {
    test::TempDir dir;
    model::Network net;
    model::node& n = addIoModule(net);
    n.deviceType = "unknown";
    addVariable(*model::findEntry(n, "0x6000", "0x1"), std::string(40, 'v'));
    const BuildReport report = build(net, dir.path(), "plant");
    ASSERT_EQ(report.errors.size(), 1u);
    EXPECT_EQ(report.errors[0].file, util::displayPath(dir / "network0.cmg"));
    EXPECT_EQ(model::formatDiagnostic(report.errors[0]),
              util::displayPath(dir / "network0.cmg") +
                  ": error: node 5, 0x1000 (device type): 'unknown' is not a valid integer value");
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_EQ(report.warnings[0].file, util::displayPath(dir / "iomap0.cmg"));
    EXPECT_TRUE(filesIn(dir.path()).empty());
}

TEST(Build, FileThatCannotBeWrittenIsAFailureAndTheOthersAreWritten) {
    test::TempDir dir;
    // A folder in the way of var.exp: it cannot be replaced by a file.
    std::filesystem::create_directory(dir / "var.exp");
    model::Network net;
    addIoModule(net);
    const BuildReport report = build(net, dir.path(), "plant");
    EXPECT_FALSE(report.succeeded());
    ASSERT_EQ(report.errors.size(), 1u);
    EXPECT_EQ(report.errors[0].file, util::displayPath(dir / "var.exp"));
    EXPECT_NE(report.errors[0].message.find("cannot be written"), std::string::npos);
    EXPECT_EQ(report.written.size(), 4u);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "var.exp"));
    EXPECT_EQ(filesIn(dir.path()).size(), 5u);
}

TEST(Build, MissingProjectFolderIsAnError) {
    test::TempDir dir;
    test::writeBytes(dir / "file", "x");
    model::Network net;
    // An empty path is not taken as the current folder.
    for (const std::filesystem::path& folder :
         {dir / "absent", dir / "file", std::filesystem::path()}) {
        SCOPED_TRACE(folder);
        const BuildReport report = build(net, folder, "plant");
        EXPECT_FALSE(report.succeeded());
        EXPECT_TRUE(report.written.empty());
        ASSERT_EQ(report.errors.size(), 1u);
        EXPECT_EQ(report.errors[0].message, "the project folder does not exist");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "absent"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / "plant.gvl"));
}

} // namespace
} // namespace busmason::output
