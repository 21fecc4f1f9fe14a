#include "core/eds/eds_checker.h"
#include "core/model/errors.h"
#include "core/util/file_io.h"
#include "core/util/text.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <map>

namespace busmason::eds {
namespace {

std::string describe(const std::vector<CheckFinding>& findings) {
    std::string out;
    for (const CheckFinding& f : findings) {
        out += std::to_string(f.line) + ": " + f.message + "\n";
    }
    return out;
}

/// A valid file around the objects of a case: the sections every EDS needs, and an object
/// list naming 0x2000, which the cases describe.
constexpr std::string_view kBase = "[FileInfo]\n"
                                   "FileName=case.eds\n"
                                   "[DeviceInfo]\n"
                                   "VendorName=V\n"
                                   "BaudRate_250=1\n"
                                   "NrOfTXPDO=0x1\n"
                                   "[DummyUsage]\n"
                                   "Dummy0005=1\n"
                                   "Dummy0006=0\n"
                                   "[MandatoryObjects]\n"
                                   "SupportedObjects=3\n"
                                   "1=0x1000\n"
                                   "2=0x1001\n"
                                   "3=0x1018\n"
                                   "[1000]\nParameterName=Device type\nDataType=0x0007\n"
                                   "AccessType=ro\nDefaultValue=0x191\n"
                                   "[1001]\nParameterName=Error register\nDataType=0x0005\n"
                                   "AccessType=ro\nPDOMapping=1\n"
                                   "[1018]\nParameterName=Identity\nObjectType=0x9\nSubNumber=2\n"
                                   "[1018sub0]\nParameterName=Count\nDataType=5\nAccessType=ro\n"
                                   "DefaultValue=1\n"
                                   "[1018sub1]\nParameterName=Vendor\nDataType=7\nAccessType=ro\n"
                                   "[OptionalObjects]\n"
                                   "SupportedObjects=1\n"
                                   "1=0x2000\n";

constexpr int kBaseLines = 40;

/// Mapping object 0x1A00 with one sub-entry mapping value, a mapped object 0x2000 and the
/// list naming 0x1A00.
std::string mappingCase(std::string_view value, std::string_view target) {
    return "[1A00]\nParameterName=M\nObjectType=0x9\nSubNumber=2\n"
           "[1A00sub0]\nParameterName=N\nDataType=5\nAccessType=ro\nDefaultValue=1\n"
           "[1A00sub1]\nParameterName=M1\nDataType=7\nAccessType=rw\nDefaultValue=" +
           std::string(value) + "\n" + std::string(target) +
           "[ManufacturerObjects]\nSupportedObjects=1\n1=0x1A00\n";
}

constexpr std::string_view kMappable8 =
    "[2000]\nParameterName=V\nDataType=0x0005\nAccessType=ro\nPDOMapping=1\n";

std::string variable(std::string_view dataType, std::string_view keys) {
    return "[2000]\nParameterName=V\nDataType=" + std::string(dataType) + "\nAccessType=rw\n" +
           std::string(keys);
}

TEST(EdsChecker, TheBaseAndTheFixturesHaveNoFindings) {
    EXPECT_EQ(std::count(kBase.begin(), kBase.end(), '\n'), kBaseLines);
    EXPECT_EQ(describe(checkEds(std::string(kBase) + std::string(kMappable8))), "");
    for (const char* fixture : {"eds/io_module.eds", "eds/device.dcf"}) {
        SCOPED_TRACE(fixture);
        EXPECT_EQ(describe(checkEdsFile(test::testData(fixture))), "");
    }
}

TEST(EdsChecker, ValidFormsAreAccepted) {
    const std::string cases[] = {
        variable("0x0007", "DefaultValue=$NODEID+0x180\n"),
        variable("0x0007", "DefaultValue=0x180 + $NODEID\n"),
        variable("0x0007", "DefaultValue=$NodeID + 0x200\n"),
        variable("0x0007", "DefaultValue=$NODEID\n"),
        variable("0x0004", "DefaultValue=$NODEID - 1\n"),
        variable("0x0002", "DefaultValue=0xFF\nLowLimit=-128\nHighLimit=127\n"),
        variable("0x0002", "DefaultValue=-128\n"),
        variable("0x0005", "DefaultValue=017\n"),
        variable("0x0008", "DefaultValue=1.5e3\nLowLimit=-10.25\n"),
        variable("0x001B", "DefaultValue=0xFFFFFFFFFFFFFFFF\n"),
        variable("0x0015", "DefaultValue=-9223372036854775808\n"),
        variable("0x0009", "DefaultValue=any text at all\n"),
        variable("0x0005", "DefaultValue=\n"),
        "[2000]\nparametername=V\ndatatype=7\naccesstype=RW\nObjFlags=0x1\n",
        // A data type the file defines itself.
        "[0040]\nParameterName=Pair\nObjectType=0x6\nSubNumber=1\n"
        "[0040sub0]\nParameterName=N\nDataType=5\nAccessType=ro\n" +
            variable("0x0040", ""),
        // Compact arrays: sub-entries taken from the object, also as mapping targets.
        mappingCase("0x20000308", "[2000]\nParameterName=A\nObjectType=0x8\nDataType=5\n"
                                  "AccessType=ro\nPDOMapping=1\nCompactSubObj=4\n"
                                  "[2000Name]\nNrOfEntries=1\n1=First\n"),
        mappingCase("0x20000008", std::string(kMappable8)),
        mappingCase("0x00050008", std::string(kMappable8)),
        // A Boolean may travel in one bit or in a byte.
        mappingCase("0x20000008", "[2000]\nParameterName=B\nDataType=1\nAccessType=ro\n"
                                  "PDOMapping=1\n"),
    };
    for (const std::string& c : cases) {
        SCOPED_TRACE(c);
        EXPECT_EQ(describe(checkEds(std::string(kBase) + c)), "");
    }
}

TEST(EdsChecker, FindsWhatTheFormatForbids) {
    struct Case {
        std::string objects;
        int line; ///< within objects, starting from 1
        const char* message;
    };
    const Case cases[] = {
        {variable("0x000E", ""), 3, "DataType 0x000E is not a known data type"},
        {variable("0x0040", ""), 3, "DataType 0x0040 is not a known data type"},
        {variable("x7", ""), 3, "DataType 'x7' is not a number"},
        {"[2000]\nParameterName=V\nDataType=5\nAccessType=readwrite\n", 4,
         "AccessType 'readwrite' is not one of ro, wo, rw, rwr, rww, const"},
        {variable("5", "PDOMapping=2\n"), 5, "PDOMapping '2' is neither 0 nor 1"},
        {variable("5", "ObjectType=VAR\n"), 5, "ObjectType 'VAR' is not a number"},
        {variable("5", "ObjectType=0x4\n"), 5, "ObjectType 0x4 is not an object code"},
        {"[2000]\nParameterName=V\nAccessType=rw\n", 1, "[2000] has no DataType"},
        {"[2000]\nParameterName=V\nDataType=5\n", 1, "[2000] has no AccessType"},
        {"[2000]\nDataType=5\nAccessType=rw\n", 1, "[2000] has no ParameterName"},
        {"[2000]\nParameterName=R\nObjectType=0x9\n", 1,
         "[2000] has neither SubNumber nor CompactSubObj"},
        {"[2000]\nParameterName=R\nObjectType=0x9\nSubNumber=3\n"
         "[2000sub0]\nParameterName=N\nDataType=5\nAccessType=ro\n"
         "[2000sub1]\nParameterName=A\nDataType=5\nAccessType=ro\n",
         4, "SubNumber is 3 but the object has 2 sub-entries"},
        {"[2000sub1]\nParameterName=A\nDataType=5\nAccessType=ro\n", 1,
         "[2000sub1] has no main section [2000]"},
        {variable("5", "DefaultValue=12abc\n"), 5,
         "DefaultValue '12abc' is not a Unsigned8 number"},
        {variable("5", "DefaultValue=256\n"), 5,
         "DefaultValue '256' is out of the range of Unsigned8"},
        {variable("5", "LowLimit=-1\n"), 5, "LowLimit '-1' is out of the range of Unsigned8"},
        {variable("2", "HighLimit=128\n"), 5, "HighLimit '128' is out of the range of Integer8"},
        {variable("7", "DefaultValue=$NODEID*2\n"), 5, "DefaultValue '$NODEID*2' is not a"},
        {variable("7", "DefaultValue=0x180 + $NODEID + 1\n"), 5, "is not a Unsigned32 number"},
        {variable("7", "DefaultValue=$NODEID+\n"), 5, "is not a Unsigned32 number"},
        {variable("8", "DefaultValue=1.5f\n"), 5, "DefaultValue '1.5f' is not a Real32 number"},
        {variable("5", "LowLimit=10\nHighLimit=5\n"), 5, "LowLimit is above HighLimit"},
        {variable("5", "HighLimit=10\nDefaultValue=20\n"), 6,
         "DefaultValue is outside LowLimit to HighLimit"},
        {variable("5", "DataType=6\n"), 5, "DataType given twice in [2000] (first on line 43)"},
        {mappingCase("0x20000108", ""), 14,
         "mapping 0x1A00:01 points at 0x2000:01, which the file does not have"},
        {mappingCase("0x20000008", "[2000]\nParameterName=V\nDataType=5\nAccessType=ro\n"), 14,
         "points at 0x2000:00, which is not mappable (PDOMapping 0)"},
        {mappingCase("0x20000010", std::string(kMappable8)), 14,
         "mapping 0x1A00:01 maps 16 bits of 0x2000:00, a 8-bit Unsigned8"},
        {mappingCase("0x2000000G", std::string(kMappable8)), 14,
         "mapping 0x1A00:01 DefaultValue '0x2000000G' is not a number"},
        {mappingCase("0x00060010", std::string(kMappable8)), 14,
         "maps dummy object 0x0006, which [DummyUsage] does not enable"},
        {std::string(kMappable8) + "[2000]\nParameterName=W\nDataType=5\nAccessType=ro\n", 6,
         "section [2000] repeats object 0x2000"},
        {std::string(kMappable8) + "a line without a key\n", 6, "neither a section header"},
        {std::string(kMappable8) + "[Comments\nLines=0\n", 6, "section header without \"]\""},
        {std::string(kMappable8) + "[2000Other]\n", 6, "[2000Other] is neither an object"},
        {std::string(kMappable8) + "[2000subZ]\n", 6, "[2000subZ] has no hexadecimal sub-index"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.objects);
        const auto findings = checkEds(std::string(kBase) + c.objects);
        const auto it = std::find_if(findings.begin(), findings.end(), [&](const CheckFinding& f) {
            return f.message.find(c.message) != std::string::npos;
        });
        ASSERT_NE(it, findings.end()) << "not found: " << c.message << "\nin:\n"
                                      << describe(findings);
        EXPECT_EQ(it->line, kBaseLines + c.line);
    }
}

TEST(EdsChecker, FindsFaultsOfTheFileAsAWholeAndOfItsLists) {
    const auto findings = checkEds("[DeviceInfo]\nBaudRate_10=2\nGranularity=eight\n"
                                   "[OptionalObjects]\nSupportedObjects=2\n1=0x2000\n"
                                   "[3000]\nParameterName=X\nDataType=5\nAccessType=ro\n");
    const std::string all = describe(findings);
    for (const char* expected : {
             "0: no [FileInfo] section\n",
             "0: no [MandatoryObjects] section\n",
             "2: BaudRate_10 '2' is neither 0 nor 1\n",
             "3: Granularity 'eight' is not a number\n",
             "5: SupportedObjects is 2 but the list has 1 entries\n",
             "6: listed object 0x2000 has no section\n",
             "7: object 0x3000 is in none of the object lists\n",
         }) {
        EXPECT_NE(all.find(expected), std::string::npos) << expected << "in:\n" << all;
    }
    EXPECT_EQ(findings.front().line, 0) << "file-wide findings come first";

    // Older devices list their identity object as optional.
    std::string identityOptional(kBase);
    identityOptional.replace(identityOptional.find("SupportedObjects=3"), 18, "SupportedObjects=2");
    identityOptional.replace(identityOptional.find("3=0x1018\n"), 9, "");
    identityOptional.replace(identityOptional.find("SupportedObjects=1\n1=0x2000"), 27,
                             "SupportedObjects=2\n1=0x2000\n2=0x1018");
    EXPECT_EQ(describe(checkEds(identityOptional + std::string(kMappable8))), "");
    EXPECT_TRUE(std::is_sorted(findings.begin(), findings.end(),
                               [](const auto& a, const auto& b) { return a.line < b.line; }));
}

TEST(EdsChecker, CorpusFindingsAreRealFaultsOnly) {
    const auto dir = test::edsCorpus();
    if (dir.empty()) {
        GTEST_SKIP() << "the shared EDS corpus is absent";
    }
    // Files of the corpus that break the format, with one of their faults each; every other
    // file must give no finding at all.
    const std::map<std::string, std::string> faulty = {
        {"canopen-robotcontroller__CANopenSocket.eds",
         "5307: DefaultValue '0x1234567890ABCDEFLL' is not a Integer64 number"},
        {"canopennode__IO.eds", "2113: DefaultValue '0x234567890ABCDEF1LL' is not a Unsigned64"},
        {"eds-dcf-net__modular_device.dcf", "67: SubNumber is 4 but the object has 5 sub-entries"},
        {"eyou__YiyouServo_V1.4.eds", "2070: HighLimit '65536' is out of the range of Unsigned16"},
        {"eyou__master.dcf", "0: no [FileInfo] section"},
        {"gocanopen__test_zipped_format.eds", "52: SupportedObjects is 3 but the list has 6"},
        {"heig-canopen-stack__od.eds", "1276: DefaultValue '0.0f' is not a Real32 number"},
        {"kacanopen__cia402.eds", "57: SupportedObjects is 130 but the list has 133 entries"},
        {"kacanopen__cia406.eds", "57: SupportedObjects is 64 but the list has 67 entries"},
        {"lely-core__cocatd.dcf", "0: no [FileInfo] section"},
        {"python-canopen__datatypes.eds", "50: [MandatoryObjects] does not list 0x1000"},
        {"python-canopen__e35.eds", "6775: listed object 0x6505 has no section"},
        {"python-canopen__sample.eds",
         "347: mapping 0x1600:01 points at 0x6040:00, which the file does not have"},
        {"ros_canopen__Elmo.eds", "820: mapping 0x1601:01 maps 32 bits of 0x2012:00"},
        {"ros_canopen__cia402_slave.eds", "0: no [FileInfo] section"},
        {"ros_canopen__prbt_0_1.dcf", "2009: SubNumber is 8 but the object has 1 sub-entries"},
        {"victron-motordrive__curtis_e.eds", "57: SubNumber is 4 but the object has 2"},
    };
    std::size_t seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (!util::iendsWith(name, ".eds") && !util::iendsWith(name, ".dcf")) {
            continue;
        }
        SCOPED_TRACE(name);
        const std::string all = describe(checkEdsFile(entry.path()));
        const auto it = faulty.find(name);
        if (it == faulty.end()) {
            EXPECT_EQ(all, "");
        } else {
            ++seen;
            EXPECT_NE(all.find(it->second), std::string::npos) << all;
        }
    }
    EXPECT_EQ(seen, faulty.size()) << "a file of the list is missing from the corpus";
}

TEST(EdsChecker, AnUnreadableFileThrowsNamingIt) {
    test::TempDir dir;
    EXPECT_THROW(checkEdsFile(dir / "missing.eds"), model::FileError);
}

} // namespace
} // namespace busmason::eds
