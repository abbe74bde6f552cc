#include "platform/code_page.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(CodePage, GbkBothWays) {
    EXPECT_EQ(ToAnsi(QStringLiteral("中文abc")), QByteArray("\xD6\xD0\xCE\xC4" "abc"));
    EXPECT_EQ(FromAnsi(QByteArray("\xD6\xD0\xCE\xC4" "abc")), QStringLiteral("中文abc"));
    EXPECT_EQ(FromAnsi(ToAnsi(QStringLiteral("客户端启动，服务器配置不能为空！"))),
              QStringLiteral("客户端启动，服务器配置不能为空！"));
}

TEST(CodePage, UnconvertibleTextIsReplacedNotDropped) {
    // An emoji (a surrogate pair) has no GBK form: one '?' stands for it.
    EXPECT_EQ(ToAnsi(QString::fromUtf8("a\xF0\x9F\x8E\xA5" "b")), QByteArray("a?b"));
    // A lead byte without its trail byte, and an invalid pair, decode to U+FFFD.
    EXPECT_EQ(FromAnsi(QByteArray("ab\xD6")), QString::fromUtf8("ab\xEF\xBF\xBD"));
    const QString mixed = FromAnsi(QByteArray("\xFF\xFF" "x", 3));
    EXPECT_TRUE(mixed.endsWith(u'x'));
    EXPECT_TRUE(mixed.contains(QChar(0xFFFD)));
}

TEST(CodePage, Utf8Validation) {
    EXPECT_TRUE(IsValidUtf8("plain ascii"));
    EXPECT_TRUE(IsValidUtf8(QStringLiteral("中文").toUtf8()));
    EXPECT_FALSE(IsValidUtf8(ToAnsi(QStringLiteral("中文"))));
    EXPECT_FALSE(IsValidUtf8("\xE4\xB8"));          // cut off
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));          // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
}
