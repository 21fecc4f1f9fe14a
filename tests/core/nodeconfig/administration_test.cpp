#include "core/model/errors.h"
#include "core/model/network.h"
#include "core/nodeconfig/administration.h"
#include "core/nodeconfig/pdo_mapping.h"
#include "core/nodeconfig/refusal.h"
#include "nodeconfig_fixture.h"

#include <gtest/gtest.h>

namespace busmason::nodeconfig {
namespace {

using testing::entryOf;
using testing::ioDevice;
using testing::snapshot;

/// Nodes at 3 and 5.
model::Network twoNodes() {
    model::Network net;
    net.put(3, ioDevice(3));
    net.put(5, ioDevice(5));
    return net;
}

std::string networkSnapshot(const model::Network& net) {
    std::string out;
    net.forEachNode([&](const model::node& n) { out += snapshot(n); });
    return out;
}

TEST(StoreAdministration, MovesTheNodeToAFreeAddressAndStoresTheFlags) {
    model::Network net = twoNodes();
    const model::node* node = net.at(3);
    const AdministrationOutcome out = storeAdministration(net, 3, "7", true, true);
    EXPECT_EQ(out.address, 7);
    EXPECT_EQ(out.refusal, "");
    EXPECT_EQ(net.at(3), nullptr);
    EXPECT_EQ(net.at(7), node);
    EXPECT_EQ(node->address, 7);
    EXPECT_TRUE(node->virtual_);
    EXPECT_TRUE(node->ngDisabled);

    storeAdministration(net, 7, "7", false, true); // same address: only the flags
    EXPECT_EQ(net.at(7), node);
    EXPECT_FALSE(node->virtual_);
}

TEST(StoreAdministration, ATakenAddressIsRefusedButTheFlagsAreStored) {
    model::Network net = twoNodes();
    const AdministrationOutcome out = storeAdministration(net, 3, "5", true, false);
    EXPECT_EQ(out.address, 3);
    EXPECT_EQ(out.refusal, kAddressPresent);
    EXPECT_EQ(net.at(3)->address, 3);
    EXPECT_EQ(net.at(5)->address, 5);
    EXPECT_TRUE(net.at(3)->virtual_);
}

TEST(StoreAdministration, AnAddressTextThatIsNoAddressStoresNothing) {
    for (const char* text : {"", "abc", "5x", "0", "128", "-3"}) {
        SCOPED_TRACE(text);
        model::Network net = twoNodes();
        const std::string before = networkSnapshot(net);
        EXPECT_ANY_THROW(storeAdministration(net, 3, text, true, true));
        EXPECT_EQ(networkSnapshot(net), before);
    }
    model::Network net = twoNodes();
    EXPECT_THROW(storeAdministration(net, 3, "abc", true, true), model::ConversionError);
    EXPECT_THROW(storeAdministration(net, 3, "200", true, true), RefusedError);
}

TEST(ChangeNodeAddress, RefusalsChangeNothing) {
    model::Network net = twoNodes();
    const std::string before = networkSnapshot(net);
    try {
        changeNodeAddress(net, 3, 5);
        ADD_FAILURE() << "not refused";
    } catch (const RefusedError& e) {
        EXPECT_EQ(e.key(), kAddressPresent);
    }
    EXPECT_THROW(changeNodeAddress(net, 3, 128), RefusedError);
    EXPECT_THROW(changeNodeAddress(net, 4, 6), RefusedError); // no node at 4
    EXPECT_EQ(networkSnapshot(net), before);
}

TEST(ChangeNodeAddress, CobIdWritesFollowTheAddress) {
    model::Network net = twoNodes();
    model::node& n = *net.at(3);
    PdoRow rx = pdoRowOf(n, entryOf(n, "6200.9"));
    typeRowName(n, rx, "o9");
    PdoRow tx = pdoRowOf(n, entryOf(n, "6401.25"));
    typeRowName(n, tx, "a37");
    n.addRecord("0x0223", entryOf(n, "1017")); // the same text on another object is not one
    ASSERT_EQ(n.sdoCount(), 3);

    changeNodeAddress(net, 3, 10);
    EXPECT_EQ(n.sdoRecords[0].data, "0x022A");
    EXPECT_EQ(n.sdoRecords[1].data, "0x03AA");
    EXPECT_EQ(n.sdoRecords[2].data, "0x0223");
    // Unmapping finds the moved writes again.
    typeRowName(n, rx, "");
    typeRowName(n, tx, "");
    EXPECT_EQ(n.sdoCount(), 1);
}

} // namespace
} // namespace busmason::nodeconfig
