// Reading the recorder service's channel answer: its media servers and the scalar fields
// around them.

#include "recorder/recorder_records.h"
#include "recorder/recorder_service_operations.h"

#include <gtest/gtest.h>

using namespace RecorderService;
using transport::RecordBuilder;
using transport::SoapValue;

namespace {

SoapValue Media(const QString& tag, int port) {
    return RecordBuilder(kENCMedia)
        .String("ip", "10.1.0." + tag)
        .String("kid", "kid" + tag)
        .String("licSrvCert", "lic" + tag)
        .String("loginUrl", "http://login/" + tag)
        .Integer("port", port)
        .String("privateKey", "priv" + tag)
        .String("pubPoint", "pp" + tag)
        .String("publicKey", "pub" + tag)
        .String("rootCert", "root" + tag)
        .String("seed", "seed" + tag)
        .String("signedPublicKey", "signed" + tag)
        .String("userName", "user" + tag)
        .String("userPass", "pass" + tag)
        .Take();
}

}  // namespace

TEST(RecorderRecords, ChannelInfoReadsEveryMediaServerField) {
    SoapValue media;
    media.items = {Media("1", 8080), Media("2", 1755)};
    SoapValue ftp;
    ftp.items = {RecordBuilder(kENCFtp).Integer("ftpId", 7).String("ip", "ftp.host").Integer("port", 21).Take()};
    const SoapValue info = RecordBuilder(kENCInfo)
                               .Set("channel", RecordBuilder(kENCChannel).Integer("channelId", 5000000000LL)
                                                   .Integer("enc_content", 3).Take())
                               .Set("mediaList", media)
                               .Set("ftpList", ftp)
                               .String("drmSeed", "S")
                               .String("profileName", "pal")
                               .Take();

    const ENCInfo read = ReadENCInfo(info);
    ASSERT_EQ(read.mediaList.size(), 2U);
    const ENCMedia& second = read.mediaList[1];
    EXPECT_EQ(second.ip, "10.1.0.2");
    EXPECT_EQ(second.kid, "kid2");
    EXPECT_EQ(second.licSrvCert, "lic2");
    EXPECT_EQ(second.loginUrl, "http://login/2");
    EXPECT_EQ(second.port, 1755);
    EXPECT_EQ(second.privateKey, "priv2");
    EXPECT_EQ(second.pubPoint, "pp2");
    EXPECT_EQ(second.publicKey, "pub2");
    EXPECT_EQ(second.rootCert, "root2");
    EXPECT_EQ(second.seed, "seed2");
    EXPECT_EQ(second.signedPublicKey, "signed2");
    EXPECT_EQ(second.userName, "user2");
    EXPECT_EQ(second.userPass, "pass2");
    EXPECT_EQ(read.mediaList[0].port, 8080);
    EXPECT_EQ(read.mediaList[0].pubPoint, "pp1");

    EXPECT_EQ(read.channel.channelId, 5000000000LL) << "a long field keeps its 64 bits";
    EXPECT_EQ(read.channel.enc_content, 3);
    ASSERT_EQ(read.ftpList.size(), 1U);
    EXPECT_EQ(read.ftpList[0].port, 21);
    EXPECT_EQ(read.ftpList[0].ip, "ftp.host");
    EXPECT_EQ(read.drmSeed, "S");
    EXPECT_EQ(read.profileName, "pal");
    EXPECT_TRUE(read.drmUrl.isEmpty()) << "a field the answer left out reads as empty";
}

TEST(RecorderRecords, MediaServerLeftEmptyReadsAsZeroAndEmptyTexts) {
    SoapValue media;
    media.items = {RecordBuilder(kENCMedia).Take()};
    const ENCInfo read = ReadENCInfo(RecordBuilder(kENCInfo).Set("mediaList", media).Take());
    ASSERT_EQ(read.mediaList.size(), 1U);
    EXPECT_EQ(read.mediaList[0].port, 0);
    EXPECT_TRUE(read.mediaList[0].ip.isEmpty());
    EXPECT_TRUE(read.mediaList[0].signedPublicKey.isEmpty());
}
