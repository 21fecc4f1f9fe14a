#include "core/coupler/coupler_session.h"
#include "core/coupler/terminal_library.h"
#include "core/coupler/terminal_row.h"
#include "coupler_fixture.h"

#include <gtest/gtest.h>

namespace busmason::coupler {
namespace {

/// A description with the five values in this program's element names.
std::string description(std::string_view type, std::string_view name, std::string_view channels) {
    return "<Terminal><Type>" + std::string(type) + "</Type><Name>" + std::string(name) +
           "</Name><Description>test</Description><Channels>" + std::string(channels) +
           "</Channels><Module>TEST</Module></Terminal>";
}

void writeDescription(const busmason::test::TempDir& dir, const std::string& file,
                      std::string_view bytes) {
    busmason::test::writeBytes(terminalFolder(dir.path()) / file, bytes);
}

TEST(TerminalLibrary, BundledDescriptionsAreAllTakenAndPlaceOnTheCoupler) {
    const TerminalLibraryResult read = readTerminalLibrary(busmason::test::installData());
    for (const auto& d : read.diagnostics) {
        ADD_FAILURE() << model::formatDiagnostic(d);
    }
    const struct {
        int id;
        const char* name;
        int channels;
    } expected[] = {
        {1, "KM120 8DI", 8},   {2, "KM120 8DO", 8}, {1, "KM120 16DI", 16}, {3, "KM120 8DO 8DI", 16},
        {2, "KM120 16DO", 16}, {4, "KM130 4AI", 4}, {5, "KM130 4AO", 4},   {4, "KM130 8AI", 8},
    };
    const auto& types = read.library.types();
    ASSERT_EQ(types.size(), std::size(expected));
    model::Network network = test::couplerNetwork(test::kFullCoupler);
    CouplerSession session(network, 2);
    for (std::size_t i = 0; i < types.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(types[i].ID, expected[i].id);
        EXPECT_EQ(types[i].name, expected[i].name);
        EXPECT_EQ(types[i].channels, expected[i].channels);
        EXPECT_EQ(helpModel(types[i].name), isDigital(types[i].ID) ? 1 : 2);
        EXPECT_EQ(read.library.find(expected[i].name), &types[i]);
        EXPECT_TRUE(session.addTerminal(types[i]).complete());
    }
    EXPECT_TRUE(session.close().complete());
    EXPECT_EQ(read.library.byTypeCode(3)->name, "KM120 8DO 8DI");
    EXPECT_EQ(read.library.find("km130 4ai"), read.library.byTypeCode(4));
    EXPECT_EQ(read.library.find("KM140"), nullptr);
}

TEST(TerminalLibrary, DescriptionsThatCannotBeTakenAreReportedOnce) {
    const struct {
        const char* what;
        std::string bytes;
        const char* finding; ///< "" when the description is taken
        const char* name = "";
    } cases[] = {
        {"plain", description("4", "KM130 4AI", "4"), "", "KM130 4AI"},
        {"a Latin-1 name without declaration", description("1", "Eing\xE4nge 8", "8"), "",
         "Eing\xC3\xA4nge 8"},
        {"blanks, comments and an XML declaration",
         "<?xml version=\"1.0\"?>\r\n<T>\r\n\t<!-- code -->\r\n\t<A> 2 </A>\r\n\t<B>Out 8</B>"
         "\r\n\t<C/>\r\n\t<D>\r\n8\r\n</D>\r\n</T>\r\n",
         "", "Out 8"},
        {"the kept value may be missing", "<T><A>1</A><B>In</B><C/><D>32</D></T>", "", "In"},
        {"type code 0", description("0", "X", "8"), "type code '0' is not 1 to 5"},
        {"type code 6", description("6", "X", "8"), "type code '6' is not 1 to 5"},
        {"type code not a number", description("one", "X", "8"), "type code 'one' is not"},
        {"no channels", description("1", "X", "0"), "channel count '0' is not 1 to 32"},
        {"33 channels", description("1", "X", "33"), "channel count '33' is not 1 to 32"},
        {"channel count not a number", description("1", "X", "8 inputs"), "channel count '8"},
        {"three values", "<T><A>1</A><B>X</B><C/></T>", "holds 3 values"},
        {"not well-formed", "<Terminal><Type>1</Type>", "not well-formed XML"},
        {"empty file", "", "not well-formed XML"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        busmason::test::TempDir dir;
        writeDescription(dir, "terminal.xml", c.bytes);
        const TerminalLibraryResult read = readTerminalLibrary(dir.path());
        if (*c.finding == '\0') {
            EXPECT_TRUE(read.diagnostics.empty());
            ASSERT_EQ(read.library.types().size(), 1u);
            EXPECT_EQ(read.library.types()[0].name, c.name);
            continue;
        }
        EXPECT_TRUE(read.library.empty());
        ASSERT_EQ(read.diagnostics.size(), 1u);
        const model::Diagnostic& d = read.diagnostics[0];
        EXPECT_EQ(d.severity, model::Severity::Warning);
        EXPECT_NE(d.file.find("terminal.xml"), std::string::npos) << d.file;
        EXPECT_NE(d.message.find(c.finding), std::string::npos) << d.message;
    }
}

TEST(TerminalLibrary, TwentySlotsFilledInNameOrderByTheFilesThatAreTaken) {
    busmason::test::TempDir dir;
    // Written in reverse so the file system's own order is unlikely to be the name order.
    for (int i = 22; i >= 0; --i) {
        const std::string stem = "T" + std::string(i < 10 ? "0" : "") + std::to_string(i);
        writeDescription(dir, stem + (i == 5 ? ".XML" : ".xml"),
                         description(i == 3 ? "9" : "1", "Type " + stem, "8"));
    }
    writeDescription(dir, "notes.txt", description("1", "not a description", "8"));

    const TerminalLibraryResult read = readTerminalLibrary(dir.path());
    const auto& types = read.library.types();
    ASSERT_EQ(types.size(), 20u);
    EXPECT_EQ(types[0].name, "Type T00");
    EXPECT_EQ(types[3].name, "Type T04");
    EXPECT_EQ(types[4].file, "T05.XML");
    EXPECT_EQ(types[19].name, "Type T20");
    ASSERT_EQ(read.diagnostics.size(), 3u);
    EXPECT_NE(read.diagnostics[0].file.find("T03.xml"), std::string::npos);
    EXPECT_NE(read.diagnostics[1].file.find("T21.xml"), std::string::npos);
    EXPECT_NE(read.diagnostics[1].message.find("only 20 terminal types"), std::string::npos);
    EXPECT_NE(read.diagnostics[2].file.find("T22.xml"), std::string::npos);
}

TEST(TerminalLibrary, MissingFolderGivesAnEmptyLibrary) {
    busmason::test::TempDir dir;
    const TerminalLibraryResult read = readTerminalLibrary(dir.path() / "absent");
    EXPECT_TRUE(read.library.empty());
    EXPECT_TRUE(read.diagnostics.empty());
}

} // namespace
} // namespace busmason::coupler
