#include "core/coupler/config_codes.h"
#include "core/coupler/coupler_session.h"
#include "core/coupler/terminal_row.h"
#include "core/model/errors.h"
#include "coupler_fixture.h"

#include <gtest/gtest.h>

namespace busmason::coupler {
namespace {

using test::entryOf;
using test::stateOf;
using test::writesOf;
using Writes = std::vector<std::pair<std::string, std::string>>;

constexpr int kAddress = 2;

TEST(CouplerSession, ActivationGivesANodeAnEmptyCouplerAndRefusesAMissingNode) {
    model::Network network = test::couplerNetwork(test::kFullCoupler, kAddress);
    ASSERT_EQ(network.at(kAddress)->coupler, nullptr);
    CouplerSession session(network, kAddress);
    ASSERT_NE(network.at(kAddress)->coupler, nullptr);
    EXPECT_EQ(network.at(kAddress)->coupler->terminalCount(), 0);
    EXPECT_FALSE(network.modified);
    EXPECT_THROW(CouplerSession(network, 3), CouplerError);
}

TEST(CouplerSession, AddThatCannotBePlacedChangesNothing) {
    const struct {
        const char* what;
        const char* fixture;
        std::vector<terminal_type> before;
        terminal_type refused;
        PlaceResult result;
        int channel;
        std::string object;
    } cases[] = {
        // 56 inputs placed; the refused terminal's channels 0 to 7 fit into 0x6000 sub-index 8,
        // channel 8 needs sub-index 9, which this coupler lacks.
        {"object missing", test::kPartialCoupler, std::vector<terminal_type>(7, test::kDI8),
         test::kDI16, PlaceResult::ObjectMissing, 8, "0x6000:09"},
        // 56 analogue outputs placed; four more fit into receive PDO 16, the fifth finds no slot.
        {"out of PDOs", test::kFullCoupler, std::vector<terminal_type>(14, test::kAO4), test::kAO8,
         PlaceResult::OutOfPdos, 4, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        model::Network network = test::couplerNetwork(c.fixture, kAddress);
        CouplerSession session(network, kAddress);
        for (const auto& type : c.before) {
            ASSERT_TRUE(session.addTerminal(type).complete());
        }
        network.modified = false;
        const std::string before = stateOf(session.node());
        const PlacementState placement = session.state();

        const PlacementOutcome outcome = session.addTerminal(c.refused);

        ASSERT_FALSE(outcome.complete());
        EXPECT_EQ(outcome.failure->result, c.result);
        EXPECT_EQ(outcome.failure->position, static_cast<int>(c.before.size()));
        EXPECT_EQ(outcome.failure->channel, c.channel);
        EXPECT_EQ(outcome.failure->object, c.object);
        EXPECT_EQ(addFailureKey(c.result), c.result == PlaceResult::ObjectMissing
                                               ? "<OGGETTO NONESISTE>"
                                               : "<PDO TERMINATI>");
        // Neither the terminal nor the variables of its channels placed before the failure stay.
        EXPECT_EQ(stateOf(session.node()), before);
        EXPECT_EQ(session.state().inputPosition, placement.inputPosition);
        EXPECT_EQ(session.state().outputPdo, placement.outputPdo);
        EXPECT_FALSE(network.modified);
        // The next terminal that fits goes where the refused one would have gone.
        ASSERT_TRUE(
            session.addTerminal(c.result == PlaceResult::OutOfPdos ? test::kAO4 : test::kDI8)
                .complete());
    }
}

TEST(CouplerSession, CloseStopsAtTheFirstChannelThatCannotBePlaced) {
    model::Network network = test::couplerNetwork(test::kPartialCoupler, kAddress);
    model::node& n = *network.at(kAddress);
    // A row saved with a coupler that had more objects than this one.
    n.coupler = std::make_unique<model::coupler_info>();
    for (int p = 0; p < 10; ++p) {
        n.coupler->terminals.push_back(makeTerminal(p == 0 ? test::kAO4 : test::kDI8, p, kAddress));
    }
    CouplerSession session(network, kAddress);
    const PlacementOutcome outcome = session.close();
    ASSERT_FALSE(outcome.complete());
    EXPECT_EQ(outcome.failure->result, PlaceResult::ObjectMissing);
    EXPECT_EQ(outcome.failure->position, 9);
    EXPECT_EQ(outcome.failure->object, "0x6000:09");
    EXPECT_EQ(describeFailure(*outcome.failure),
              "TE-9 channel 0: object 0x6000:09 is missing in the coupler");
    // What came before the failure is placed and written.
    EXPECT_EQ(entryOf(n, 0x6000, 8).varName(7), "DINP1_TE8_07");
    EXPECT_EQ(test::variableCount(n), 68);
    EXPECT_EQ(writesOf(n), (Writes{{"0x2200:01", "0x1111"}}));
}

TEST(CouplerSession, WritesBeyondTheLimitAreRefusedAndNothingChanges) {
    model::Network network = test::couplerNetwork(test::kFullCoupler, kAddress);
    model::node& n = *network.at(kAddress);
    CouplerSession session(network, kAddress);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(session.addTerminal(test::kDI16).complete());
    }
    const auto deviceType = model::findEntryIdByNumber(n, 0x1000, -1);
    while (n.sdoCount() < model::kMaxSdoRecords) {
        n.addRecord("0x5", deviceType);
    }
    network.modified = false;
    const std::string before = stateOf(n);
    // The next inputs open transmit PDO 5, whose COB-ID write would be the 101st.
    EXPECT_THROW(session.addTerminal(test::kDI8), model::LimitError);
    EXPECT_EQ(stateOf(n), before);
    EXPECT_FALSE(network.modified);
}

TEST(CouplerSession, CloseBeyondTheWriteLimitIsRefusedAndNothingChanges) {
    model::Network network = test::couplerNetwork(test::kFullCoupler, kAddress);
    model::node& n = *network.at(kAddress);
    CouplerSession session(network, kAddress);
    // 60 one-channel analogue terminals per direction: 120 configuration words, 24 COB-IDs.
    for (int i = 0; i < 60; ++i) {
        ASSERT_TRUE(session.addTerminal(test::kAI1).complete());
        ASSERT_TRUE(session.addTerminal(test::kAO1).complete());
    }
    EXPECT_EQ(n.sdoCount(), 24);
    const std::string before = stateOf(n);
    EXPECT_THROW(session.close(), model::LimitError);
    EXPECT_EQ(stateOf(n), before);
}

TEST(CouplerSession, RepeatedClosesKeepTheLatestTenValueTexts) {
    model::Network network = test::couplerNetwork(test::kFullCoupler, kAddress);
    CouplerSession session(network, kAddress);
    ASSERT_TRUE(session.addTerminal(test::kAO4).complete());
    std::vector<std::string> words;
    for (int i = 0; i < 12; ++i) {
        session.configureChannel(0, 0, i % 3);
        ASSERT_TRUE(session.close().complete());
        words.push_back("0x111" + std::to_string(i % 3));
    }
    const model::object_dict& configuration = entryOf(session.node(), 0x2200, 1);
    EXPECT_EQ(configuration.values, std::vector<std::string>(words.end() - 10, words.end()));
    EXPECT_EQ(writesOf(session.node()), (Writes{{"0x2200:01", "0x1112"}}));
}

TEST(CouplerSession, ConfigureTakesOnlyWhatTheSettingsWindowOffers) {
    model::Network network = test::couplerNetwork(test::kFullCoupler, kAddress);
    CouplerSession session(network, kAddress);
    const terminal_type ai12{4, "AI12", 12, {}, {}};
    for (const auto& type : {test::kDI8, test::kAO4, test::kAI4, ai12}) {
        ASSERT_TRUE(session.addTerminal(type).complete());
    }
    const struct {
        const char* what;
        int position;
        int channel;
        int code;
    } refused[] = {
        {"no such terminal", 4, 0, 1},
        {"digital terminal", 0, 0, 1},
        {"thermocouple on an output", 1, 0, *findConfigCode("TC_J")},
        {"no such channel", 1, 4, 1},
        {"negative channel", 2, -1, 1},
        {"code beyond the table", 2, 0, 8},
        {"channel beyond the configuration word", 3, 8, 1},
    };
    network.modified = false;
    const std::string before = stateOf(session.node());
    for (const auto& r : refused) {
        SCOPED_TRACE(r.what);
        EXPECT_THROW(session.configureChannel(r.position, r.channel, r.code), CouplerError);
    }
    // All codes of the settings window at once: one refused code sets none of them.
    const int thermocoupleOnOutput[] = {2, 2, 3};
    EXPECT_THROW(session.configureTerminal(1, thermocoupleOnOutput), CouplerError);
    const int oneCodeTooMany[] = {2, 2, 2, 2, 2};
    EXPECT_THROW(session.configureTerminal(1, oneCodeTooMany), CouplerError);
    EXPECT_EQ(session.row()[1].channels[0].Config, 1);
    EXPECT_EQ(session.row()[2].channels[0].Config, 1);
    EXPECT_FALSE(network.modified);
    EXPECT_EQ(stateOf(session.node()), before);

    session.configureChannel(2, 3, *findConfigCode("PT100R"));
    EXPECT_EQ(session.row()[2].channels[3].Config, 7);
    EXPECT_TRUE(network.modified);
    const int codes[] = {2, 0, 1};
    session.configureTerminal(1, codes);
    EXPECT_EQ(configurationWord(session.row()[1]), 0x1102u);
}

TEST(CouplerSession, DeleteOfAMissingTerminalIsRefused) {
    model::Network network = test::couplerNetwork(test::kFullCoupler, kAddress);
    CouplerSession session(network, kAddress);
    ASSERT_TRUE(session.addTerminal(test::kDI8).complete());
    network.modified = false;
    EXPECT_THROW(session.deleteTerminal(1), CouplerError);
    EXPECT_THROW(session.deleteTerminal(-1), CouplerError);
    EXPECT_EQ(session.row().size(), 1u);
    EXPECT_FALSE(network.modified);
}

} // namespace
} // namespace busmason::coupler
