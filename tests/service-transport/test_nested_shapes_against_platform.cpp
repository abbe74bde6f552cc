// Nested records, arrays inside records and an int-array parameter, shaped like the
// recorder's operations, through SoapProxy against a running castora-platform.
#include <gtest/gtest.h>

#include "service-transport/soap_proxy.h"
#include "tests/sim/platform_process.h"

using namespace transport;

namespace {

constexpr std::string_view kNamespace = "http://service.castora.com";

constexpr FieldDesc kChannelFields[] = {
    {"channelId", &kLongType}, {"channelName", &kStringType}, {"enc_content", &kIntType}, {"pg_fashion", &kIntType}};
constexpr TypeDesc kChannel{ValueKind::Record, "ENCChannel", kChannelFields};
constexpr FieldDesc kCopyRightFields[] = {{"author", &kStringType}, {"copyRight", &kStringType}, {"desc", &kStringType}};
constexpr TypeDesc kCopyRight{ValueKind::Record, "ENCCopyRight", kCopyRightFields};
constexpr FieldDesc kFtpFields[] = {{"ftpId", &kLongType},   {"ip", &kStringType},       {"logicPath", &kStringType},
                                    {"passWord", &kStringType}, {"port", &kIntType}, {"userName", &kStringType}};
constexpr TypeDesc kFtp{ValueKind::Record, "ENCFtp", kFtpFields};
constexpr TypeDesc kFtpArray{ValueKind::Array, "ArrayOfENCFtp", {}, &kFtp, "ENCFtp"};
constexpr FieldDesc kMediaFields[] = {
    {"ip", &kStringType},         {"kid", &kStringType},       {"licSrvCert", &kStringType}, {"loginUrl", &kStringType},
    {"port", &kIntType},          {"privateKey", &kStringType}, {"pubPoint", &kStringType},  {"publicKey", &kStringType},
    {"rootCert", &kStringType},   {"seed", &kStringType},      {"signedPublicKey", &kStringType},
    {"userName", &kStringType},   {"userPass", &kStringType}};
constexpr TypeDesc kMedia{ValueKind::Record, "ENCMedia", kMediaFields};
constexpr TypeDesc kMediaArray{ValueKind::Array, "ArrayOfENCMedia", {}, &kMedia, "ENCMedia"};
constexpr FieldDesc kInfoFields[] = {
    {"channel", &kChannel},        {"copyright", &kCopyRight}, {"drmPrivateKey", &kStringType},
    {"drmSeed", &kStringType},     {"drmUrl", &kStringType},   {"ftpList", &kFtpArray},
    {"mediaList", &kMediaArray},   {"profileName", &kStringType}};
constexpr TypeDesc kInfo{ValueKind::Record, "ENCInfo", kInfoFields};
constexpr FieldDesc kChannelInputs[] = {{"encId", &kLongType}, {"userId", &kLongType}};
constexpr FieldDesc kReturnsInfo{"return", &kInfo};
constexpr OperationDesc kBChannel{"bChannel", kNamespace, kChannelInputs, &kReturnsInfo};

constexpr TypeDesc kIntArray{ValueKind::Array, "ArrayOfInt", {}, &kIntType, "int"};
constexpr FieldDesc kInsertInputs[] = {
    {"userId", &kLongType},      {"channelId", &kLongType}, {"columnId", &kLongType},   {"columnName", &kStringType},
    {"beginTime", &kStringType}, {"endTime", &kStringType}, {"weeks", &kIntArray},       {"columnTypeId", &kLongType},
    {"tcId", &kLongType},        {"type", &kIntType},       {"isfor", &kIntType}};
constexpr FieldDesc kResultFields[] = {{"channelId", &kLongType}, {"columnId", &kLongType}, {"flag", &kBooleanType},
                                       {"state", &kIntType},      {"tcId", &kLongType}};
constexpr TypeDesc kResult{ValueKind::Record, "ENCResult", kResultFields};
constexpr FieldDesc kReturnsResult{"return", &kResult};
constexpr OperationDesc kInsertChannel{"insertChannel", kNamespace, kInsertInputs, &kReturnsResult};

TEST(NestedShapesAgainstPlatform, RecordsInRecordsArraysInRecordsAndIntArrays) {
    simtest::PlatformProcess platform;
    ASSERT_TRUE(platform.Start());
    SoapProxy proxy;
    ASSERT_TRUE(proxy.SetUrl(QString("http://127.0.0.1:%1/vekservices/ClientService").arg(platform.port())));

    SoapValue info;
    ASSERT_EQ(proxy.Invoke(kBChannel, {SoapValue::OfInteger(0), SoapValue::OfInteger(1001)}, info), kOk)
        << static_cast<int>(proxy.LastError());
    const RecordView view(kInfo, info);
    EXPECT_EQ(RecordView(kChannel, view.Value("channel")).Integer("channelId"), 101);
    ASSERT_EQ(view.Value("ftpList").items.size(), 1U);
    EXPECT_EQ(RecordView(kFtp, view.Value("ftpList").items[0]).String("userName"), "demo");

    SoapValue weeks;
    weeks.items = {SoapValue::OfInteger(1), SoapValue::OfInteger(3)};
    SoapValue result;
    ASSERT_EQ(proxy.Invoke(kInsertChannel,
                           {SoapValue::OfInteger(1001), SoapValue::OfInteger(101), SoapValue::OfInteger(0),
                            SoapValue::OfString(QStringLiteral("午间剧场")), SoapValue::OfString("12:00:00"),
                            SoapValue::OfString("13:00:00"), weeks, SoapValue::OfInteger(4), SoapValue::OfInteger(0),
                            SoapValue::OfInteger(1), SoapValue::OfInteger(0)},
                           result),
              kOk);
    EXPECT_TRUE(RecordView(kResult, result).Boolean("flag"));
    EXPECT_GT(RecordView(kResult, result).Integer("tcId"), 0);
    EXPECT_NE(QString::fromStdString(platform.Get("/")).indexOf(QStringLiteral("午间剧场")), -1);
}

}  // namespace
