#include "core/persistence/coupler_file.h"

#include "core/persistence/sample_project.h"

#include <gtest/gtest.h>

namespace busmason::persistence {
namespace {

using model::Diagnostic;

/// A network with plain nodes at the given addresses.
model::Network networkWith(std::initializer_list<int> addresses) {
    model::Network net;
    for (int a : addresses) {
        net.put(a, test::fixtureNode("coupler.eds", a));
    }
    return net;
}

std::string terminal(const std::string& inner) {
    return "<TerminalInfo>" + inner + "</TerminalInfo>";
}

std::string channel(const char* name, int bits, int config, int dir) {
    return std::string("<Var><dir>") + std::to_string(dir) + "</dir><Vname>" + name +
           "</Vname><Config>" + std::to_string(config) + "</Config><bitnumb>" +
           std::to_string(bits) + "</bitnumb></Var>";
}

TEST(CouplerFile, ReadsBlocksByNameAndALaterBlockReplacesAnEarlierOne) {
    model::Network net = networkWith({2, 3});
    const std::string file =
        "<Module><Other/><CouplerInfo><NodeID>2</NodeID>" +
        terminal("<ID>9</ID><Tname>old</Tname><Varnumb>0</Varnumb><Pos>0</Pos>") +
        "</CouplerInfo><CouplerInfo>" +
        terminal("<Varinfo>" + channel("b0", 1, 0, 1) + channel("b1", 1, 0, 1) +
                 "</Varinfo><Pos>0</Pos><Varnumb>2</Varnumb><Tname>2 DO</Tname><ID>2</ID>") +
        terminal("<ID>4</ID><Pos>1</Pos><Varnumb>1</Varnumb><Tname>AI</Tname><Varinfo>" +
                 channel("a0", 16, 3, 0) + "</Varinfo>") +
        "<NodeID>2</NodeID></CouplerInfo></Module>";
    std::vector<Diagnostic> diags;
    ASSERT_TRUE(readCouplerFile(file, "p.pco", net, diags, {})) << test::allMessages(diags);

    EXPECT_FALSE(net.at(3)->coupler);
    const model::coupler_info& c = *net.at(2)->coupler;
    ASSERT_EQ(c.terminalCount(), 2);
    const model::terminal& out = c.terminals[0];
    EXPECT_EQ(out.ID, 2);
    EXPECT_EQ(out.Tname, "2 DO");
    EXPECT_EQ(out.Varnumb, 2);
    ASSERT_EQ(out.channels.size(), 2u);
    EXPECT_EQ(out.channels[1].Vname, "b1");
    EXPECT_EQ(out.channels[1].dir, 1);
    const model::terminal& in = c.terminals[1];
    EXPECT_EQ(in.Pos, 1);
    EXPECT_EQ(in.channels[0].bitnumb, 16);
    EXPECT_EQ(in.channels[0].Config, 3);
    ASSERT_EQ(diags.size(), 1u);
    EXPECT_NE(diags[0].message.find("second coupler block for node 2 replaces the first"),
              std::string::npos);
}

TEST(CouplerFile, KeepsNoMoreChannelsThanTheTerminalHas) {
    const struct {
        int varnumb;
        int vars;
        std::size_t kept;
        const char* warning;
    } cases[] = {
        {2, 3, 2, "1 channels beyond its 2 dropped"},
        {3, 1, 3, ""}, // the channels without a Var block keep their initial values
        {40, 40, 32, "40 channels is outside 0 to 32; 32 kept"},
        {-1, 1, 0, "-1 channels is outside 0 to 32; 0 kept"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.varnumb);
        model::Network net = networkWith({1});
        std::string vars;
        for (int i = 0; i < c.vars; ++i) {
            vars += channel(("c" + std::to_string(i)).c_str(), 1, 0, 0);
        }
        const std::string file =
            "<Module><CouplerInfo><NodeID>1</NodeID>" +
            terminal("<ID>1</ID><Tname>DI</Tname><Varnumb>" + std::to_string(c.varnumb) +
                     "</Varnumb><Pos>0</Pos><Varinfo>" + vars + "</Varinfo>") +
            "</CouplerInfo></Module>";
        std::vector<Diagnostic> diags;
        ASSERT_TRUE(readCouplerFile(file, "p.pco", net, diags, {})) << test::allMessages(diags);
        const model::terminal& t = net.at(1)->coupler->terminals.at(0);
        EXPECT_EQ(t.channels.size(), c.kept);
        EXPECT_EQ(static_cast<std::size_t>(t.Varnumb), c.kept);
        if (c.kept > 0) {
            EXPECT_EQ(t.channels[0].Vname, "c0");
            EXPECT_EQ(t.channels.back().Vname,
                      static_cast<int>(c.kept) <= c.vars ? "c" + std::to_string(c.kept - 1) : "");
        }
        const std::string found = test::allMessages(diags);
        if (*c.warning) {
            EXPECT_NE(found.find(c.warning), std::string::npos) << found;
        } else {
            EXPECT_EQ(found, "");
        }
    }
}

} // namespace
} // namespace busmason::persistence
