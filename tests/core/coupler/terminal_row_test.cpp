#include "core/coupler/config_codes.h"
#include "core/coupler/terminal_row.h"

#include <gtest/gtest.h>

namespace busmason::coupler {
namespace {

TEST(ChannelNaming, PrefixDirectionWidthAndCodeFollowTheTerminalType) {
    const struct {
        int id;
        int channel;
        int position;
        int address;
        const char* name;
        int dir;
        int bitnumb;
        int Config;
    } cases[] = {
        {1, 10, 2, 2, "DINP1_TE2_0A", 0, 1, 0},       {2, 0, 0, 1, "DOUT0_TE0_00", 1, 1, 0},
        {3, 7, 1, 5, "DOUT4_TE1_07", 1, 1, 0},        {3, 8, 1, 5, "DINP4_TE1_08", 0, 1, 0},
        {4, 3, 12, 127, "ANIN126_TE12_03", 0, 16, 1}, {5, 31, 3, 10, "ANOUT9_TE3_1F", 1, 16, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(channelName(c.id, c.channel, c.position, c.address), c.name);
        const terminal_type type{c.id, "T", 32, {}, {}};
        const model::terminal t = makeTerminal(type, c.position, c.address);
        ASSERT_EQ(t.channels.size(), 32u);
        EXPECT_EQ(t.Pos, c.position);
        const model::io_mod& m = t.channels[c.channel];
        EXPECT_EQ(m.Vname, c.name);
        EXPECT_EQ(m.dir, c.dir);
        EXPECT_EQ(m.bitnumb, c.bitnumb);
        EXPECT_EQ(m.Config, c.Config);
    }
}

TEST(ConfigCodes, LookupByNumberOrText) {
    const struct {
        const char* text;
        std::optional<int> code;
    } cases[] = {
        {"--", 0},
        {"I", 1},
        {"v", 2},
        {"TC_J", 3},
        {"tc_k", 4},
        {"TC_T", 5},
        {"PT100E", 6},
        {"PT100R", 7},
        {"0", 0},
        {"7", 7},
        {"0x2", 2},
        {"8", std::nullopt},
        {"-1", std::nullopt},
        {"X", std::nullopt},
        {"", std::nullopt},
        {"PT100", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(findConfigCode(c.text), c.code);
    }
}

TEST(ConfigCodes, OfferedCodesAndTheConfigurationWord) {
    const auto analogue = [](int id, int channels, std::vector<int> codes) {
        model::terminal t = makeTerminal({id, "T", channels, {}, {}}, 0, 1);
        for (std::size_t i = 0; i < codes.size(); ++i) {
            t.channels[i].Config = codes[i];
        }
        return t;
    };
    const model::terminal inputs = analogue(4, 4, {});
    const model::terminal outputs = analogue(5, 4, {1, 2, 0, 2});
    const model::terminal digital = analogue(1, 8, {});
    const model::terminal wide = analogue(4, 10, {7, 6, 5, 4, 3, 2, 1, 0, 7, 7});

    EXPECT_EQ(offeredCodes(inputs, 0).size(), 8u);
    EXPECT_EQ(offeredCodes(outputs, 3).size(), 3u);
    EXPECT_EQ(offeredCodes(outputs, 3).back().text, "V");
    EXPECT_TRUE(offeredCodes(outputs, 4).empty());
    EXPECT_TRUE(offeredCodes(digital, 0).empty());
    EXPECT_TRUE(offeredCodes(wide, 8).empty());
    EXPECT_FALSE(offeredCodes(wide, 7).empty());

    EXPECT_EQ(configurationWord(inputs), 0x1111u);
    EXPECT_EQ(configurationWord(outputs), 0x2021u);
    EXPECT_EQ(configurationWord(wide), 0x01234567u);
}

TEST(TerminalRow, CaptionAndHelpDocument) {
    const model::terminal t = makeTerminal({4, "KM130 8AI", 8, {}, {}}, 3, 2);
    EXPECT_EQ(terminalCaption(t), "TE-3\nKM130 8AI");
    const struct {
        const char* caption;
        int model;
        const char* language0;
        const char* language1;
    } cases[] = {
        {"TE-0\nKM120 16DI", 1, "DX*km120_01_A5.pdf", "D*km120_01_A5.pdf"},
        {"TE-3\nKM130 8AI", 2, "DX*km130_01_A5.pdf", "D*km130_01_A5.pdf"},
        {"TE-1\nOther 4DI", 0, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(helpModel(c.caption), c.model);
        EXPECT_EQ(helpDocumentPattern(c.model, 0), c.language0);
        EXPECT_EQ(helpDocumentPattern(c.model, 1), c.language1);
    }
}

} // namespace
} // namespace busmason::coupler
