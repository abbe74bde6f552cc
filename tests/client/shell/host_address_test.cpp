// This PC's address for startLive: the rule over the address list, and the real list.

#include "client/shell/host_address.h"

#include <QHostAddress>

#include <gtest/gtest.h>

TEST(UserIp, TheFirstAddressOutsideTenAnd192ElseTheLast) {
    EXPECT_EQ(PickUserIp({"192.168.1.5", "58.1.2.3"}), "58.1.2.3");
    EXPECT_EQ(PickUserIp({"10.0.0.8", "192.168.0.2"}), "192.168.0.2");
    EXPECT_EQ(PickUserIp({"172.16.0.4", "58.1.2.3"}), "172.16.0.4");
    EXPECT_EQ(PickUserIp({"10.1.1.1"}), "10.1.1.1");
    // Only the text's start counts: 1.0.0.10 and 19.2.0.1 are not excluded.
    EXPECT_EQ(PickUserIp({"10.0.0.1", "1.0.0.10"}), "1.0.0.10");
    EXPECT_EQ(PickUserIp({"192.0.2.1", "19.2.0.1"}), "19.2.0.1");
    EXPECT_EQ(PickUserIp({}), "");
}

TEST(UserIp, TheHostListHoldsDottedAddressesButNotLoopback) {
    for (const QString& address : HostIpv4Addresses()) {
        QHostAddress parsed;
        EXPECT_TRUE(parsed.setAddress(address)) << address.toStdString();
        EXPECT_EQ(parsed.protocol(), QAbstractSocket::IPv4Protocol);
    }
}
