#include "core/nodeconfig/pdo_layout.h"

#include <gtest/gtest.h>

namespace busmason::nodeconfig {
namespace {

TEST(PdoCobId, OffsetsOfAllSixteenPdos) {
    const int transmit[] = {0x180, 0x280, 0x380, 0x480, 0x1A0, 0x1C0, 0x1E0, 0x2A0,
                            0x2C0, 0x2E0, 0x3A0, 0x3C0, 0x3E0, 0x4A0, 0x4C0, 0x4E0};
    const int receive[] = {0x200, 0x300, 0x400, 0x500, 0x220, 0x240, 0x260, 0x320,
                           0x340, 0x360, 0x420, 0x440, 0x460, 0x520, 0x540, 0x560};
    for (int n = 0; n < 16; ++n) {
        SCOPED_TRACE(n + 1);
        EXPECT_EQ(pdoCobId(n, PdoDirection::Transmit, 0), transmit[n]);
        EXPECT_EQ(pdoCobId(n, PdoDirection::Receive, 0), receive[n]);
    }
    EXPECT_EQ(pdoCobId(4, PdoDirection::Receive, 3), 0x223);
    EXPECT_EQ(pdoCobId(10, PdoDirection::Transmit, 10), 0x3AA);
}

TEST(PdoLayout, RowsFollowTheStandardLayout) {
    const PdoLayout& in = inputLayout();
    const PdoLayout& out = outputLayout();
    // PDO 1: eight digital groups.
    EXPECT_EQ(in[0].pdo, 1);
    EXPECT_EQ(in[7].digitalSub, 8);
    EXPECT_EQ(in[7].analogBits, 0);
    // PDOs 2 to 4: four analogue channels each.
    EXPECT_EQ(in[8].pdo, 2);
    EXPECT_EQ(in[12].pdo, 3);
    EXPECT_EQ(in[12].analogSub, 5);
    EXPECT_EQ(in[12].analogIndex, 0x6401u);
    EXPECT_EQ(in[19].pdo, 4);
    EXPECT_EQ(in[19].digitalBits, 0);
    // PDO 5: analogue 13 to 16 or digital 9 to 12 in its first four slots, digital 13 to 16 after.
    EXPECT_EQ(out[20].pdo, 5);
    EXPECT_EQ(out[20].analogSub, 13);
    EXPECT_EQ(out[20].digitalSub, 9);
    EXPECT_EQ(out[20].digitalIndex, 0x6200u);
    EXPECT_EQ(out[27].digitalSub, 16);
    EXPECT_EQ(out[27].analogBits, 0);
    EXPECT_EQ(positionInPdo(out, 27), 8);
    // PDO 16: the output layout carries 74, 75, 76; the input layout follows the rule.
    EXPECT_EQ(out[108].analogSub, 57);
    EXPECT_EQ(out[109].analogSub, 74);
    EXPECT_EQ(out[111].analogSub, 76);
    EXPECT_EQ(in[109].analogSub, 58);
    EXPECT_EQ(in[115].pdo, 16);
    EXPECT_EQ(in[115].digitalSub, 104);
    EXPECT_EQ(firstRowOfPdo(in, 16), 108);
    EXPECT_EQ(positionInPdo(in, 109), 2);
}

} // namespace
} // namespace busmason::nodeconfig
