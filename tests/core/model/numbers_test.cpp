#include "core/model/errors.h"
#include "core/model/numbers.h"

#include <gtest/gtest.h>

namespace busmason::model {
namespace {

TEST(ReadInteger, AcceptsDecimalAndBothHexPrefixes) {
    struct Case {
        const char* text;
        std::int64_t value;
    };
    const Case cases[] = {
        {"0", 0},
        {"42", 42},
        {"-7", -7},
        {"+7", 7},
        {"0x1F4", 0x1F4},
        {"0X1f4", 0x1F4},
        {"$FF", 255},
        {"0x0007", 7},
        {"-0x10", -16},
        {"4294967295", 4294967295LL},
        {"0xFFFFFFFF", 0xFFFFFFFFLL},
        {"-2147483648", -2147483648LL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(readInteger(c.text), c.value);
    }
}

TEST(ReadInteger, RejectsEverythingElseWithTheTextInTheMessage) {
    for (const char* text : {"", " 1", "1 ", "0x", "$", "12a", "0x1G", "$NODEID+0x180", "1.5",
                             "4294967296", "0x100000000", "-2147483649", "--1"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(tryReadInteger(text).has_value());
        try {
            readInteger(text);
            ADD_FAILURE() << "no error";
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.text(), text);
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(text) + "' is not a valid integer value");
        }
    }
}

TEST(LeadingDecimal, TakesTheLeadingDigitsAndNeverFails) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {{"10ms", 10}, {"0x8", 0},  {"", 0},   {"abc", 0},
                          {"  12", 12}, {"-3x", -3}, {"+5", 5}, {"99999999999", 2147483647}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(leadingDecimal(c.text), c.value);
    }
}

TEST(ReadIntegerLenient, ReadsNotationsThenFallsBackToLeadingDigits) {
    EXPECT_EQ(readIntegerLenient("0x3"), 3);
    EXPECT_EQ(readIntegerLenient("3"), 3);
    EXPECT_EQ(readIntegerLenient("0x1"), 1);
    EXPECT_EQ(readIntegerLenient("5 entries"), 5);
    EXPECT_EQ(readIntegerLenient("yes"), 0);
    EXPECT_EQ(readIntegerLenient("0xFFFFFFFF"), -1);
}

} // namespace
} // namespace busmason::model
