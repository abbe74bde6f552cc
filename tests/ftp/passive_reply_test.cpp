// The address in a 227 reply.

#include "ftp/passive_reply.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

using nsFTP::ParsePassiveReply;

TEST(PassiveReply, ReadsAddressAndPort) {
    nsSocket::SocketAddress address{};
    ASSERT_TRUE(ParsePassiveReply(QStringLiteral("227 Entering Passive Mode (10,0,0,7,19,137)."), &address));
    EXPECT_EQ(address.sin_family, AF_INET);
    EXPECT_EQ(ntohl(address.sin_addr.s_addr), 0x0A000007u);  // 10.0.0.7
    EXPECT_EQ(ntohs(address.sin_port), 5001);
}

TEST(PassiveReply, RefusesMalformedNumbers) {
    nsSocket::SocketAddress address{};
    for (const char* text : {"227 (10,0,0,7,19,137", "227 10,0,0,7,19,137)", "227 (10,0,0,7,19)",
                             "227 (10,0,0,7,19,137,1)", "227 (10,0,0,700,19,137)", "227 (10,0,0,7,256,1)",
                             "227 (10,0,0,7,19,-1)", "227 (10,0,0,7,19, 137)", "227 ()", "227 (٣,0,0,7,19,137)"}) {
        EXPECT_FALSE(ParsePassiveReply(QString::fromUtf8(text), &address)) << text;
    }
}
