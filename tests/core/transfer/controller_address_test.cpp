#include "core/transfer/controller_address.h"
#include "core/transfer/ftp_transfer.h"

#include <gtest/gtest.h>

namespace busmason::transfer {
namespace {

TEST(ControllerAddress, OnlyFourDottedDecimalPartsOfZeroTo255AreAnAddress) {
    const struct {
        const char* text;
        std::optional<Ipv4Parts> parts;
    } cases[] = {
        {"10.0.0.7", Ipv4Parts{10, 0, 0, 7}},
        {"255.255.255.255", Ipv4Parts{255, 255, 255, 255}},
        {"0.0.0.0", Ipv4Parts{0, 0, 0, 0}},
        // Leading zeros are decimal, never octal.
        {"010.001.0.08", Ipv4Parts{10, 1, 0, 8}},
        {"256.0.0.1", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1..3.4", std::nullopt},
        {".1.2.3", std::nullopt},
        {"1.2.3.", std::nullopt},
        {"1.2.3.0004", std::nullopt},
        {"1.2.3.-4", std::nullopt},
        {" 1.2.3.4", std::nullopt},
        {"1.2.3.4 ", std::nullopt},
        {"a.b.c.d", std::nullopt},
        {"controller", std::nullopt},
        {"[::1]", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseIpv4Address(c.text), c.parts);
    }
    EXPECT_EQ(formatIpv4Address({10, 1, 0, 8}), "10.1.0.8");
    // The default the windows fall back on is itself an address.
    ASSERT_TRUE(parseIpv4Address(defaultControllerAddress));
    EXPECT_EQ(formatIpv4Address(*parseIpv4Address(defaultControllerAddress)),
              defaultControllerAddress);
}

} // namespace
} // namespace busmason::transfer
