#include "core/nodeconfig/refusal.h"
#include "core/nodeconfig/variable_name.h"

#include <gtest/gtest.h>

#include <string>

namespace busmason::nodeconfig {
namespace {

TEST(VariableName, AcceptsIecIdentifiersOnly) {
    struct Case {
        std::string name;
        bool valid;
    };
    const Case cases[] = {
        {"Motor1", true},
        {"x", true},
        {"_start", true},
        {"_1", true},
        {"in_1_a", true},
        {std::string(34, 'a'), true},
        {"", false},
        {std::string(35, 'a'), false}, // the I/O map would lose the terminating zero
        {"1st", false},
        {"a__b", false},
        {"__a", false},
        {"a_", false},
        {"_", false},
        {"two words", false},
        {"a-b", false},
        {"a.b", false},
        {"<x>", false},
        {"caf\xC3\xA9", false}, // letters are ASCII letters
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isValidVariableName(c.name), c.valid);
    }
}

TEST(VariableName, RefusalCarriesTheMessageKey) {
    try {
        requireValidVariableName("9lives");
        FAIL() << "no refusal";
    } catch (const RefusedError& e) {
        EXPECT_EQ(e.key(), kValueNotAllowed);
        EXPECT_NE(std::string(e.what()).find("'9lives'"), std::string::npos) << e.what();
    }
    EXPECT_NO_THROW(requireValidVariableName("lives9"));
}

} // namespace
} // namespace busmason::nodeconfig
