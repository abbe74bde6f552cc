// user.dat: the exact bytes of a remembered user, and files that must load nothing.

#include "client/shell/user_info.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

QByteArray Utf16(const QString& text) {
    QByteArray out;
    for (QChar c : text) {
        out.append(static_cast<char>(c.unicode() & 0xFF));
        out.append(static_cast<char>(c.unicode() >> 8));
    }
    return out;
}

const QByteArray kHead = QByteArray::fromHex("ffff01000900") + "CUserInfo";

TEST(UserInfo, WritesTheRecordByteForByteAndReadsItBack) {
    CUserInfo info{"demo", "0123456789abcdef0123456789abcdef"};
    const QByteArray expected = kHead + QByteArray::fromHex("fffeff04") + Utf16("demo") +
                                QByteArray::fromHex("fffeff20") + Utf16("0123456789abcdef0123456789abcdef");
    EXPECT_EQ(info.Serialize().toHex(), expected.toHex());

    const auto back = CUserInfo::Parse(expected);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->userName, "demo");
    EXPECT_EQ(back->passwordDigest, info.passwordDigest);

    EXPECT_EQ(CUserInfo{}.Serialize(), kHead + QByteArray::fromHex("fffeff00fffeff00"));
}

TEST(UserInfo, LongNamesUseTheWiderLengthForms) {
    const QString name(300, QChar(u'名'));
    const QByteArray bytes = CUserInfo{name, ""}.Serialize();
    // FF FFFE, then FF and a 16-bit length of 300.
    EXPECT_EQ(bytes.mid(kHead.size(), 6).toHex(), "fffeffff2c01");
    const auto back = CUserInfo::Parse(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->userName, name);

    const QString huge(0x10000, QChar(u'x'));
    const QByteArray big = CUserInfo{huge, ""}.Serialize();
    EXPECT_EQ(big.mid(kHead.size(), 10).toHex(), "fffeffffffff00000100");
    ASSERT_TRUE(CUserInfo::Parse(big));
    EXPECT_EQ(CUserInfo::Parse(big)->userName.size(), 0x10000);
}

TEST(UserInfo, StringsWithoutTheMarkAreAnsiText) {
    // "演示" in GBK is D1 DD CA BE.
    const QByteArray bytes = kHead + QByteArray::fromHex("04d1ddcabe") + QByteArray::fromHex("00");
    const auto back = CUserInfo::Parse(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->userName, QStringLiteral("演示"));
    EXPECT_EQ(back->passwordDigest, "");
}

TEST(UserInfo, BrokenFilesLoadNothing) {
    const QByteArray good = CUserInfo{"demo", "d"}.Serialize();
    for (int cut = 0; cut < good.size(); ++cut) EXPECT_FALSE(CUserInfo::Parse(good.left(cut))) << cut;

    QByteArray wrongName = good;
    wrongName[6] = 'D';
    EXPECT_FALSE(CUserInfo::Parse(wrongName));
    QByteArray wrongSchema = good;
    wrongSchema[2] = 2;
    EXPECT_FALSE(CUserInfo::Parse(wrongSchema));
    EXPECT_FALSE(CUserInfo::Parse(QByteArray::fromHex("fffe01000900") + "CUserInfo"));

    // Lengths past the end, and a length of 0xFFFFFFFF.
    EXPECT_FALSE(CUserInfo::Parse(kHead + QByteArray::fromHex("fffeff40") + Utf16("demo")));
    EXPECT_FALSE(CUserInfo::Parse(kHead + QByteArray::fromHex("fffeffffffffffffffff") + Utf16("demo")));
    EXPECT_FALSE(CUserInfo::Parse(kHead + QByteArray::fromHex("ffffffffffffff") + "demo"));
    EXPECT_FALSE(CUserInfo::Parse(QByteArray(4096, '\xff')));
}

TEST(UserInfo, SavedFilesArePrivateAndReplaceTheOldOne) {
    QTemporaryDir dir;
    const QString path = dir.filePath("user.dat");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older, longer file that must not survive the save");
        old.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    }
    ASSERT_TRUE((CUserInfo{"demo", "x"}.Save(path)));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600);
    const auto back = CUserInfo::Load(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->userName, "demo");
    EXPECT_EQ(QFileInfo(path).size(), CUserInfo({"demo", "x"}).Serialize().size());

    EXPECT_FALSE(CUserInfo::Load(dir.filePath("missing.dat")));
    EXPECT_FALSE((CUserInfo{"a", "b"}.Save(dir.filePath("no/such/folder/user.dat"))));
}

}  // namespace
