// Reading answers into out-values and faults, without a network.
#include <gtest/gtest.h>

#include <cmath>

#include "sample_operations.h"
#include "scripted_server.h"
#include "service-transport/call_outcome.h"

using namespace transport;
using testing_support::SoapEnvelope;

namespace {

struct Answer {
    ErrorKind kind;
    SoapValue value;
    SoapFault fault;
};

Answer Read(const OperationDesc& operation, int status, const QByteArray& body, std::string* detail = nullptr) {
    Answer answer{};
    answer.kind = ReadAnswer(operation, status, body, answer.value, answer.fault, detail);
    return answer;
}

QByteArray ScalarsAnswer(const QByteArray& fields, const QByteArray& declaration = "") {
    return declaration + "<S:Envelope xmlns:S=\"http://schemas.xmlsoap.org/soap/envelope/\"><S:Body>\n"
                         "<getScalarsResponse xmlns=\"http://service.example.org\"><return>\n" +
           fields + "\n</return></getScalarsResponse></S:Body></S:Envelope>";
}

QByteArray ServersAnswer(const char* itemName) {
    QByteArray items;
    for (int i = 1; i <= 3; ++i) {
        items += QByteArray("<") + itemName + "><id>" + QByteArray::number(i * 10) + "</id><mediaName>server " +
                 QByteArray::number(i) + "</mediaName></" + itemName + ">";
    }
    return SoapEnvelope("<ns2:GetMediaServerListResponse xmlns:ns2=\"http://service.example.org\"><return>" + items +
                        "</return></ns2:GetMediaServerListResponse>");
}

TEST(AnswerReading, ArrayItemsAreCollectedWhateverTheirNames) {
    for (const char* itemName : {"item", "T_MediaServer"}) {
        const Answer answer = Read(sample::kServers, 200, ServersAnswer(itemName));
        ASSERT_EQ(answer.kind, ErrorKind::Success) << itemName;
        ASSERT_EQ(answer.value.items.size(), 3U);
        for (int i = 0; i < 3; ++i) {
            const RecordView server(sample::kServer, answer.value.items[static_cast<std::size_t>(i)]);
            EXPECT_EQ(server.Integer("id"), (i + 1) * 10);
            EXPECT_EQ(server.String("mediaName"), QString("server %1").arg(i + 1));
        }
    }
}

TEST(AnswerReading, RecordFieldsMatchByNameInAnyOrderWithHeaderSkipped) {
    const QByteArray body =
        "<S:Envelope xmlns:S=\"http://schemas.xmlsoap.org/soap/envelope/\"><S:Header><x:t xmlns:x=\"urn:x\">1</x:t>"
        "</S:Header><S:Body><loginResponse xmlns=\"http://service.example.org\"><return>"
        "<sessionId>ABC&amp;\xE4\xB8\xAD</sessionId><code>4294967297</code></return></loginResponse></S:Body></S:Envelope>";
    const Answer answer = Read(sample::kLogin, 200, body);
    ASSERT_EQ(answer.kind, ErrorKind::Success);
    const RecordView result(sample::kLoginResult, answer.value);
    EXPECT_EQ(result.Integer("code"), 4294967297LL);
    EXPECT_EQ(result.String("sessionId"), QString::fromUtf8("ABC&中"));
}

TEST(AnswerReading, ScalarKindsNilStringsInfinityAndNaN) {
    const auto scalars = [](const QByteArray& ratio, const QByteArray& name) {
        return Read(sample::kGetScalars, 200,
                    SoapEnvelope("<m:getScalarsResponse xmlns:m=\"http://service.example.org\"><return><flag>true</flag>"
                                 "<count>-2147483648</count><size>-10</size><ratio>" + ratio + "</ratio>" + name +
                                 "</return></m:getScalarsResponse>"));
    };
    Answer answer = scalars("INF", "<name xsi:nil=\"1\"/>");
    ASSERT_EQ(answer.kind, ErrorKind::Success);
    RecordView view(sample::kScalars, answer.value);
    EXPECT_TRUE(view.Boolean("flag"));
    EXPECT_EQ(view.Integer("count"), -2147483648LL);
    EXPECT_EQ(view.Integer("size"), -10);
    EXPECT_TRUE(std::isinf(view.Real("ratio")) && view.Real("ratio") > 0);
    EXPECT_TRUE(view.String("name").isNull());

    answer = scalars("-INF", "<name></name>");
    ASSERT_EQ(answer.kind, ErrorKind::Success);
    EXPECT_TRUE(std::isinf(RecordView(sample::kScalars, answer.value).Real("ratio")));
    EXPECT_FALSE(RecordView(sample::kScalars, answer.value).String("name").isNull());
    EXPECT_TRUE(RecordView(sample::kScalars, answer.value).String("name").isEmpty());

    answer = scalars("NaN", "");
    ASSERT_EQ(answer.kind, ErrorKind::Success);
    EXPECT_TRUE(std::isnan(RecordView(sample::kScalars, answer.value).Real("ratio")));
    answer = scalars(" 2.5e1 ", "");
    ASSERT_EQ(answer.kind, ErrorKind::Success);
    EXPECT_FLOAT_EQ(RecordView(sample::kScalars, answer.value).Real("ratio"), 25.0F);
}

TEST(AnswerReading, ValuesOfTheWrongShapeAreParseErrors) {
    const auto withScalars = [](const QByteArray& fields) {
        return Read(sample::kGetScalars, 200,
                    SoapEnvelope("<getScalarsResponse xmlns=\"http://service.example.org\"><return>" + fields +
                                 "</return></getScalarsResponse>"))
            .kind;
    };
    EXPECT_EQ(withScalars("<count>2147483648</count>"), ErrorKind::ParseError);
    EXPECT_EQ(withScalars("<count>12abc</count>"), ErrorKind::ParseError);
    EXPECT_EQ(withScalars("<flag>yes</flag>"), ErrorKind::ParseError);
    EXPECT_EQ(withScalars("<ratio>inf</ratio>"), ErrorKind::ParseError);
    EXPECT_EQ(withScalars("<count xsi:nil=\"1\"/>"), ErrorKind::ParseError);
    EXPECT_EQ(withScalars("<name><b>x</b></name>"), ErrorKind::ParseError);
    EXPECT_EQ(withScalars("<count>1</count>"), ErrorKind::Success);
}

TEST(AnswerReading, TheWrongResponseElementIsAParseError) {
    const auto body = [](const QByteArray& inner) { return SoapEnvelope(inner); };
    EXPECT_EQ(Read(sample::kStopLive, 200, body("<stopLiveResponse xmlns=\"urn:other\"><return>true</return></stopLiveResponse>")).kind,
              ErrorKind::ParseError);
    EXPECT_EQ(Read(sample::kStopLive, 200, body("<startLiveResponse xmlns=\"http://service.example.org\"><return>true</return></startLiveResponse>")).kind,
              ErrorKind::ParseError);
    EXPECT_EQ(Read(sample::kStopLive, 200, body("<stopLiveResponse xmlns=\"http://service.example.org\"/>")).kind,
              ErrorKind::ParseError);
    EXPECT_EQ(Read(sample::kStopLive, 200, "<Envelope><Body/></Envelope>").kind, ErrorKind::ParseError);
    const Answer ok = Read(sample::kStopLive, 200, body("<stopLiveResponse xmlns=\"http://service.example.org\"><return>true</return></stopLiveResponse>"));
    EXPECT_EQ(ok.kind, ErrorKind::Success);
    EXPECT_TRUE(ok.value.boolean);
    EXPECT_EQ(Read(sample::kLogOut, 200, body("<logOutResponse xmlns=\"http://service.example.org\"/>")).kind, ErrorKind::Success);
}

TEST(AnswerReading, NestedRecordsAndArraysInsideRecords) {
    const Answer answer = Read(
        sample::kPutShow, 200,
        SoapEnvelope("<putShowResponse xmlns=\"http://service.example.org\"><return><title>t</title><show><name>n</name>"
                     "<weeks><int>1</int><int>7</int></weeks></show><servers><x><id>5</id></x></servers></return>"
                     "</putShowResponse>"));
    ASSERT_EQ(answer.kind, ErrorKind::Success);
    const RecordView channel(sample::kChannel, answer.value);
    const RecordView show(sample::kShow, channel.Value("show"));
    EXPECT_EQ(show.String("name"), "n");
    ASSERT_EQ(show.Value("weeks").items.size(), 2U);
    EXPECT_EQ(show.Value("weeks").items[1].integer, 7);
    ASSERT_EQ(channel.Value("servers").items.size(), 1U);
    EXPECT_EQ(RecordView(sample::kServer, channel.Value("servers").items[0]).Integer("id"), 5);
}

TEST(AnswerReading, UnreadableXmlIsAReadError) {
    const QByteArray open = "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>";
    EXPECT_EQ(Read(sample::kLogin, 200, open).kind, ErrorKind::ReadError);  // truncated
    EXPECT_EQ(Read(sample::kLogin, 200, "").kind, ErrorKind::ReadError);
    EXPECT_EQ(Read(sample::kLogin, 200, SoapEnvelope("<loginResponse xmlns=\"http://service.example.org\"><return>"
                                                     "<sessionId>\xC3\x28\xFF</sessionId></return></loginResponse>")).kind,
              ErrorKind::ReadError);  // invalid UTF-8
    EXPECT_EQ(Read(sample::kLogin, 200, "<!DOCTYPE x [<!ENTITY a \"aaaa\">]>" + SoapEnvelope("")).kind, ErrorKind::ReadError);
    QByteArray deep = open + "<loginResponse xmlns=\"http://service.example.org\"><return><sessionId>";
    deep += QByteArray("<a>").repeated(100000) + QByteArray("</a>").repeated(100000);
    EXPECT_EQ(Read(sample::kLogin, 200, deep + "</sessionId></return></loginResponse></soap:Body></soap:Envelope>").kind,
              ErrorKind::ParseError);  // refused at the first unexpected element
    QByteArray deepHeader = "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Header>" +
                            QByteArray("<a>").repeated(100000) + QByteArray("</a>").repeated(100000) + "</soap:Header>";
    EXPECT_EQ(Read(sample::kLogin, 200, deepHeader).kind, ErrorKind::ReadError);  // nesting limit of the reader
}

const QByteArray kFault = SoapEnvelope(
    "<soap:Fault><faultcode>soap:Client</faultcode><faultstring>no session</faultstring>"
    "<faultactor>/svc</faultactor><detail><e:why xmlns:e=\"urn:e\">expired &amp; gone</e:why></detail></soap:Fault>");

TEST(AnswerReading, StatusDecidesTheOutcome) {
    EXPECT_EQ(Read(sample::kLogin, 202, "").kind, ErrorKind::Success);
    for (int status : {201, 203, 204, 205, 206, 304, 305}) {
        EXPECT_EQ(Read(sample::kLogin, status, "").kind, ErrorKind::ServerError) << status;
    }
    for (int status : {400, 401, 403, 404, 407, 501, 503}) {
        EXPECT_EQ(Read(sample::kLogin, status, kFault).kind, ErrorKind::SendError) << status;
    }
}

TEST(AnswerReading, FaultIsReadWithItsKind) {
    const Answer answer = Read(sample::kLogin, 500, kFault);
    ASSERT_EQ(answer.kind, ErrorKind::SoapFault);
    EXPECT_EQ(answer.fault.kind, FaultKind::Client);
    EXPECT_EQ(answer.fault.code, "soap:Client");
    EXPECT_EQ(answer.fault.string, "no session");
    EXPECT_EQ(answer.fault.actor, "/svc");
    EXPECT_EQ(answer.fault.detail, "<e:why xmlns:e=\"urn:e\">expired &amp; gone</e:why>");

    EXPECT_EQ(FaultKindOf("VersionMismatch"), FaultKind::VersionMismatch);
    EXPECT_EQ(FaultKindOf("env:MustUnderstand"), FaultKind::MustUnderstand);
    EXPECT_EQ(FaultKindOf("x:Server"), FaultKind::Server);
    EXPECT_EQ(FaultKindOf("x:Server.Busy"), FaultKind::Unknown);
}

TEST(AnswerReading, A500ThatIsNotAFaultIsAFaultParseError) {
    EXPECT_EQ(Read(sample::kLogin, 500, "<html><body><h1>Internal Server Error</h1></body></html>").kind,
              ErrorKind::FaultParseError);
    EXPECT_EQ(Read(sample::kLogin, 500, "Internal Server Error").kind, ErrorKind::FaultParseError);
    EXPECT_EQ(Read(sample::kLogin, 500, SoapEnvelope("<soap:Fault><faultstring>x</faultstring></soap:Fault>")).kind,
              ErrorKind::FaultParseError);  // no faultcode
}

}  // namespace

TEST(AnswerReading, UnknownElementsAreSkippedAndMissingFieldsKeepTheirDefaults) {
    // The service has added a field (with content of its own) and a second answer part.
    const QByteArray body = ScalarsAnswer("<count>5</count><added><deep a=\"1\">x<y/></deep></added><name>n</name>")
                                .replace("</return>", "</return><extra>1</extra>");
    const Answer answer = Read(sample::kGetScalars, 200, body);
    ASSERT_EQ(answer.kind, ErrorKind::Success);
    const RecordView scalars(sample::kScalars, answer.value);
    EXPECT_EQ(scalars.Integer("count"), 5);
    EXPECT_EQ(scalars.String("name"), "n");
    EXPECT_EQ(scalars.Integer("size"), InitialValue(sample::kLongType).integer);  // absent: initial value
    EXPECT_FALSE(scalars.Boolean("flag"));
}

TEST(AnswerReading, ChineseCodePagesAreDecoded) {
    for (const char* encoding : {"GBK", "gb2312", "GB18030"}) {
        const QByteArray declaration = QByteArray("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>";
        const Answer answer = Read(sample::kGetScalars, 200, ScalarsAnswer("<name>\xD6\xD0\xCE\xC4</name>", declaration));
        ASSERT_EQ(answer.kind, ErrorKind::Success) << encoding;
        EXPECT_EQ(RecordView(sample::kScalars, answer.value).String("name"), QString::fromUtf8("中文")) << encoding;
    }
    // Four-byte sequences exist only in GB18030.
    const Answer snowman = Read(sample::kGetScalars, 200,
                                ScalarsAnswer("<name>\x81\x37\xA3\x30</name>", "<?xml version='1.0' encoding='GB18030'?>"));
    ASSERT_EQ(snowman.kind, ErrorKind::Success);
    EXPECT_EQ(RecordView(sample::kScalars, snowman.value).String("name"), QString::fromUtf8("\u2603"));
    // Undeclared, the same bytes are not UTF-8.
    EXPECT_EQ(Read(sample::kGetScalars, 200, ScalarsAnswer("<name>\xD6\xD0\xCE\xC4</name>")).kind, ErrorKind::ReadError);
}

TEST(AnswerReading, FailuresSayWhichLineAndElement) {
    std::string detail;
    EXPECT_EQ(Read(sample::kGetScalars, 200, ScalarsAnswer("<count>12abc</count>"), &detail).kind, ErrorKind::ParseError);
    EXPECT_EQ(detail, "line 3: <count> holds \"12abc\", not an int");
    EXPECT_EQ(Read(sample::kGetScalars, 200, ScalarsAnswer("<name><b>x</b></name>"), &detail).kind, ErrorKind::ParseError);
    EXPECT_EQ(detail, "line 3: <name> must be a string but holds <b>");
    EXPECT_EQ(Read(sample::kStopLive, 200, ScalarsAnswer(""), &detail).kind, ErrorKind::ParseError);
    EXPECT_EQ(detail, "line 2: expected <stopLiveResponse>, found <getScalarsResponse>");
    EXPECT_EQ(Read(sample::kGetScalars, 200, ScalarsAnswer("<count>1</count>").replace("</return>", "</retur>"), &detail).kind,
              ErrorKind::ReadError);
    EXPECT_EQ(detail, "line 4: mismatched tag");
    EXPECT_EQ(Read(sample::kStopLive, 200, SoapEnvelope("<stopLiveResponse xmlns=\"http://service.example.org\"/>"), &detail).kind,
              ErrorKind::ParseError);
    EXPECT_EQ(detail, "<stopLiveResponse> lacks <return>");
}
