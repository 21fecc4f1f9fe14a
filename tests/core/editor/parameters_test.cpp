#include "core/editor/parameters.h"

#include <gtest/gtest.h>

namespace busmason::editor {
namespace {

TEST(NetworkParameterCheck, AcceptsWhatTheControllerTakes) {
    struct Case {
        ParameterField field;
        const char* text;
        std::optional<std::uint32_t> value;
    };
    const Case cases[] = {
        {ParameterField::BaudRate, "Baud1M", 1000},
        {ParameterField::BaudRate, "Baud10k", 10},
        {ParameterField::BaudRate, "baud1m", {}},
        {ParameterField::BaudRate, "", {}},
        {ParameterField::Channel, "0", 0},
        {ParameterField::Channel, "1", 1},
        {ParameterField::Channel, "2", {}},
        {ParameterField::Channel, "0/..", {}},
        {ParameterField::CycleTime, "0", 0},
        {ParameterField::CycleTime, "16383", 16383},
        {ParameterField::CycleTime, "16384", {}},
        {ParameterField::CycleTime, "10ms", {}},
        {ParameterField::CycleTime, "", {}},
        {ParameterField::CycleTime, "-1", {}},
        {ParameterField::GuardTime, "65535", 65535},
        {ParameterField::GuardTime, "65536", {}},
        {ParameterField::GuardTime, "abc", {}},
        {ParameterField::GuardTime, "0x1F4", {}},
        {ParameterField::GuardTime, "99999999999", {}},
        {ParameterField::LifeTime, "255", 255},
        {ParameterField::LifeTime, "0004", 4},
        {ParameterField::LifeTime, " 4", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(fieldLabel(c.field)) + " '" + c.text + "'");
        EXPECT_EQ(parameterValue(c.field, c.text), c.value);
        EXPECT_EQ(parameterProblem(c.field, c.text).has_value(), !c.value.has_value());
    }
}

TEST(NetworkParameterCheck, ListsEveryFieldTheControllerCannotTakeInOrder) {
    EXPECT_TRUE(checkParameters({}).empty());
    const model::NetworkParameters bad{"Baud2M", "3", "x", "500", "300", true, true};
    const std::vector<ParameterProblem> problems = checkParameters(bad);
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_EQ(problems[0].field, ParameterField::BaudRate);
    EXPECT_EQ(problems[1].message, "CAN channel '3' is neither 0 nor 1");
    EXPECT_EQ(problems[2].field, ParameterField::CycleTime);
    EXPECT_EQ(problems[3].message, "life time '300' is not a whole number from 0 to 255");
}

} // namespace
} // namespace busmason::editor
