// The Svc* call functions against a scripted loopback peer: what each returns, sends
// and stores in ClientGlobals.
#include <gtest/gtest.h>

#include "client/service/client_service.h"
#include "client/service/password_digest.h"
#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "scripted_server.h"
#include "signed_out_globals.h"
#include "service-transport/envelope_writer.h"
#include "service-transport/request_head.h"

using testing_support::HttpAnswer;
using testing_support::ScriptedReply;
using testing_support::ScriptedServer;

namespace {

const QByteArray kDigest = "e10adc3949ba59abbe56e057f20f883e";

QByteArray Answer(const QByteArray& operation, const QByteArray& content) {
    return HttpAnswer(200, testing_support::SoapEnvelope("<ns2:" + operation + "Response xmlns:ns2=\"http://service.castora.com\">" +
                                                         content + "</ns2:" + operation + "Response>"));
}

QByteArray LoginAnswer(const QByteArray& code) {
    return Answer("login", "<return><code>" + code + "</code><sessionId>SID42</sessionId></return>");
}

QByteArray BodyOf(const QByteArray& request) { return request.mid(request.indexOf("\r\n\r\n") + 4); }

class ServiceCalls : public ::testing::Test {
protected:
    void SetUp() override {
        StartSignedOut(QString());
        Globals().userIp = "192.168.1.20";
    }

    // Starts a peer with these replies and points serviceUrl at it.
    ScriptedServer& Serve(std::vector<ScriptedReply> replies) {
        server_ = std::make_unique<ScriptedServer>(std::move(replies));
        Globals().serviceUrl = QString::fromLatin1(server_->Url());
        return *server_;
    }

    std::unique_ptr<ScriptedServer> server_;
};

TEST_F(ServiceCalls, LoginCodesMapToResultsAndOnlyAcceptanceStoresTheSession) {
    Serve({{LoginAnswer("0")}});
    EXPECT_EQ(SvcLogin("someone", kDigest), 2);
    EXPECT_TRUE(Globals().cookieHeader.isEmpty());
    Serve({{LoginAnswer("-1")}});
    EXPECT_EQ(SvcLogin("someone", kDigest), 3);
    EXPECT_TRUE(Globals().cookieHeader.isEmpty());
    EXPECT_EQ(Globals().companyId, 0);

    Serve({{LoginAnswer("4294967297")}});  // 1 in the high half, 1 in the low half
    EXPECT_EQ(SvcLogin("someone", kDigest), 1);
    EXPECT_EQ(Globals().companyId, 1);
    EXPECT_EQ(Globals().cookieHeader, "Cookie: JSESSIONID=SID42\r\n");

    // A session id cannot add header lines to later requests.
    Serve({{Answer("login", "<return><code>9</code><sessionId>A&#13;&#10;X-Evil: 1</sessionId></return>")}});
    EXPECT_EQ(SvcLogin("someone", kDigest), 1);
    EXPECT_EQ(Globals().cookieHeader, "Cookie: JSESSIONID=AX-Evil: 1\r\n");

    Serve({{HttpAnswer(500, "<html>down</html>", "text/html")}});
    EXPECT_EQ(SvcLogin("someone", kDigest), 4);
    Globals().serviceUrl = "not a url";
    EXPECT_EQ(SvcLogin("someone", kDigest), 4);
}

// The request bytes of login with a three-character Chinese user name, before sign-in.
QByteArray ExpectedLoginRequest(const QByteArray& hostLine) {
    const QByteArray body =
        "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\"><soap:Body>"
        "<login xmlns=\"http://service.castora.com\"><userName>&#x5F20;&#x4E09;&#x4E30;</userName>"
        "<passWord>e10adc3949ba59abbe56e057f20f883e</passWord></login></soap:Body></soap:Envelope>";
    return "POST /vekservices/ClientService HTTP/1.1\r\n"
           "Content-Length: " + QByteArray::number(body.size()) + "\r\n"
           "Content-Type: text/xml; charset=utf-8\r\n"
           "SOAPAction: \"\"\r\n"
           "Accept: text/xml\r\n" +
           hostLine +
           "User-Agent: Microsoft-ATL-Native/8.00\r\n"
           "\r\n" + body;
}

const QString kChineseUser = QStringLiteral("张三丰");

TEST_F(ServiceCalls, LoginRequestBytesOnTheWire) {
    ScriptedServer& server = Serve({{LoginAnswer("5")}});
    ASSERT_EQ(SvcLogin(kChineseUser, kDigest), 1);
    ASSERT_EQ(server.Requests().size(), 1U);
    EXPECT_EQ(server.Requests()[0], ExpectedLoginRequest("Host: 127.0.0.1:" + QByteArray::number(server.Port()) + "\r\n"));

    // After sign-in the cookie line sits between SOAPAction and Accept.
    ASSERT_EQ(SvcLogin(kChineseUser, kDigest), 1);
    ASSERT_EQ(server.Requests().size(), 2U);
    EXPECT_TRUE(server.Requests()[1].contains("SOAPAction: \"\"\r\nCookie: JSESSIONID=SID42\r\nAccept: text/xml\r\n"));
}

// Ports 80 and 8080 may be taken or not allowed here. When they can be bound the call
// goes over the wire; otherwise the bytes are built by the functions the sender uses
// (envelope writer, request head with the proxy's own header lines), which the test
// above shows are what goes on the wire.
TEST_F(ServiceCalls, LoginRequestBytesOnPorts80And8080) {
    const struct {
        int port;
        QByteArray url;
        QByteArray hostLine;
    } cases[] = {
        {80, "http://127.0.0.1/vekservices/ClientService", "Host: 127.0.0.1\r\n"},
        {8080, "http://127.0.0.1:8080/vekservices/ClientService", "Host: 127.0.0.1:8080\r\n"},
    };
    for (const auto& c : cases) {
        const QByteArray expected = ExpectedLoginRequest(c.hostLine);
        const bool bindable = ScriptedServer::PortAvailable(c.port);
        RecordProperty("port" + std::to_string(c.port), bindable ? "compared on the wire" : "compared as built");
        if (bindable) {
            ScriptedServer server({{LoginAnswer("5")}}, c.port);
            Globals().serviceUrl = QString::fromLatin1(c.url);
            ASSERT_EQ(SvcLogin(kChineseUser, kDigest), 1) << c.port;
            ASSERT_EQ(server.Requests().size(), 1U);
            EXPECT_EQ(server.Requests()[0], expected) << "on the wire, port " << c.port;
            Globals().cookieHeader.clear();
        }
        ClientService::CClientServiceT proxy;
        ASSERT_TRUE(proxy.SetUrl(QString::fromLatin1(c.url)));
        const auto body = transport::WriteEnvelope(ClientService::Describe(ClientService::Operation::login),
                                                   {transport::SoapValue::OfString(kChineseUser),
                                                    transport::SoapValue::OfString(QString::fromLatin1(kDigest))});
        ASSERT_TRUE(body);
        EXPECT_EQ(transport::BuildRequestHead(proxy.Url(), body->size(), proxy.OperationHeaders()) + *body, expected)
            << "built, port " << c.port;
    }
}

TEST_F(ServiceCalls, GetCompanyStoresTheAccountWithLow32BitsAndNoNegativeSpace) {
    Serve({{Answer("getCompany",
                   "<return><comName>公司</comName><drmCount>4294967298</drmCount><drmPrivateKey>pk</drmPrivateKey>"
                   "<drmSeed>seed</drmSeed><drmUrl>http://drm</drmUrl><freeCount>2.5</freeCount><freeSpace>-10</freeSpace>"
                   "<ftpId>3</ftpId><ftpName>main</ftpName><ftpPass>fp</ftpPass><ftpUser>fu</ftpUser><id>77</id>"
                   "<ip>127.0.0.1</ip><liveCount>12</liveCount><loginName>demo</loginName><path>/demo</path>"
                   "<port>2121</port><proFile>p</proFile><score>-5</score><space>9</space><state>1</state>"
                   "<totalSpace>-1</totalSpace><vodCount>6</vodCount></return>")}});
    Globals().companyId = 5;
    ASSERT_TRUE(SvcGetCompany());
    const AccountInfo& account = Globals().account;
    EXPECT_EQ(Globals().companyId, 77);
    EXPECT_EQ(account.comName, QStringLiteral("公司"));
    EXPECT_EQ(account.drmCount, 2);
    EXPECT_EQ(account.drmPrivateKey, "pk");
    EXPECT_EQ(account.drmSeed, "seed");
    EXPECT_EQ(account.drmUrl, "http://drm");
    EXPECT_DOUBLE_EQ(account.freeCount, 2.5);
    EXPECT_EQ(account.freeSpace, 0);
    EXPECT_EQ(account.totalSpace, 0);
    EXPECT_EQ(account.ftpName, "main");
    EXPECT_EQ(account.ftpUser, "fu");
    EXPECT_EQ(account.ftpPass, "fp");
    EXPECT_EQ(account.ip, "127.0.0.1");
    EXPECT_EQ(account.port, 2121);
    EXPECT_EQ(account.liveCount, 12);
    EXPECT_EQ(account.loginName, "demo");
    EXPECT_EQ(account.path, "/demo");
    EXPECT_EQ(account.score, -5);
    EXPECT_EQ(account.state, 1);
    EXPECT_EQ(account.vodCount, 6);

    Serve({{HttpAnswer(500, testing_support::SoapEnvelope("<soap:Fault><faultcode>soap:Client</faultcode>"
                                                         "<faultstring>no session</faultstring></soap:Fault>"))}});
    EXPECT_FALSE(SvcGetCompany());
    EXPECT_EQ(Globals().companyId, 77);
}

TEST_F(ServiceCalls, MediaServersAreAppendedWhateverTheItemNames) {
    const auto servers = [](const QByteArray& item, int first) {
        QByteArray content = "<return>";
        for (int id = first; id < first + 3; ++id) {
            content += "<" + item + "><id>" + QByteArray::number(id) + "</id><mediaName>ms" + QByteArray::number(id) +
                       "</mediaName></" + item + ">";
        }
        return Answer("GetMediaServerList", content + "</return>");
    };
    Serve({{servers("item", 1)}, {servers("T_MediaServer", 4)}, {Answer("GetMediaServerList", "<return/>")}});
    ASSERT_TRUE(SvcGetMediaServerList());
    ASSERT_TRUE(SvcGetMediaServerList());
    ASSERT_TRUE(SvcGetMediaServerList());  // no servers: the list stays as it was
    ASSERT_EQ(Globals().mediaServers.size(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Globals().mediaServers[i].id, i + 1);
        EXPECT_EQ(Globals().mediaServers[i].name, QString("ms%1").arg(i + 1));
    }
}

TEST_F(ServiceCalls, SelectedServerIsFilledAndPlayPathStored) {
    ScriptedServer& server = Serve({{Answer(
        "GetSelMediaServerList",
        "<return><code>0</code><id>3</id><ip>10.0.0.3</ip><isCdn>0</isCdn><isLogin>1</isLogin><kid>K</kid>"
        "<licSrvCert>L</licSrvCert><liveId>900</liveId><loginUrl>U</loginUrl><mediaName>main</mediaName>"
        "<playPath>mms://10.0.0.3/pp7</playPath><port>8080</port><privateKey>PK</privateKey><pubPoint>pp7</pubPoint>"
        "<publicKey>PUB</publicKey><rootCert>RC</rootCert><seed>S</seed><serverPass>spw</serverPass>"
        "<serverUser>su</serverUser><signedPublicKey>SPK</signedPublicKey></return>")}});
    SelectedServer selected;
    selected.id = 3;
    selected.seed = "mine";
    SelMediaServerRequest request{2, "pal_高清", "cam", QString(), 1};
    ASSERT_TRUE(SvcGetSelMediaServer(request, selected));
    EXPECT_EQ(selected.ip, "10.0.0.3");
    EXPECT_EQ(selected.port, 8080);
    EXPECT_EQ(selected.pubPoint, "pp7");
    EXPECT_EQ(selected.isLogin, 1);
    EXPECT_EQ(selected.serverUser, "su");
    EXPECT_EQ(selected.serverPass, "spw");
    EXPECT_EQ(selected.isCdn, "0");
    EXPECT_EQ(selected.liveId, 900);
    EXPECT_EQ(selected.privateKey, "PK");
    EXPECT_EQ(selected.signedPublicKey, "SPK");
    EXPECT_EQ(selected.loginUrl, "U");
    EXPECT_EQ(selected.licSrvCert, "L");
    EXPECT_EQ(selected.rootCert, "RC");
    EXPECT_EQ(selected.publicKey, "PUB");
    EXPECT_EQ(selected.mediaName, "main");
    EXPECT_EQ(selected.seed, "mine");  // seed and kid of the answer are not kept
    EXPECT_TRUE(selected.kid.isEmpty());
    EXPECT_EQ(Globals().playPath, "mms://10.0.0.3/pp7");
    EXPECT_TRUE(BodyOf(server.Requests()[0]).contains(
        "<GetSelMediaServerList xmlns=\"http://service.castora.com\"><id>3</id><type>2</type>"
        "<profile>pal_&#x9AD8;&#x6E05;</profile><videoDevice>cam</videoDevice><audioDevice></audioDevice>"
        "<isDrm>1</isDrm></GetSelMediaServerList>"));
}

TEST_F(ServiceCalls, StartStopAndUploadReportTheServiceAnswer) {
    const QByteArray yes = Answer("startLive", "<return>true</return>");
    ScriptedServer& server = Serve({{yes}, {Answer("startLive", "<return>false</return>")}, {HttpAnswer(404, "")}});
    EXPECT_EQ(SvcStartLive(900, 0, QString(), "", "", "mms://192.168.1.20:9100"), 1);
    EXPECT_EQ(SvcStartLive(900, 0, "", "", "", "x"), 0);
    EXPECT_EQ(SvcStartLive(900, 0, "", "", "", "x"), 0);  // a failed call is the same as false
    EXPECT_TRUE(BodyOf(server.Requests()[0]).contains(
        "<startLive xmlns=\"http://service.castora.com\"><liveId>900</liveId><publicKey></publicKey><seed></seed>"
        "<kid></kid><isDrm>0</isDrm><playUrl>mms://192.168.1.20:9100</playUrl><userIp>192.168.1.20</userIp></startLive>"));

    ScriptedServer& stops = Serve({{Answer("stopLive", "<return>true</return>")}, {Answer("stopLive", "<return>false</return>")}});
    EXPECT_TRUE(SvcStopLive(900));
    EXPECT_FALSE(SvcStopLive(900));
    EXPECT_TRUE(BodyOf(stops.Requests()[0]).contains("<stopLive xmlns=\"http://service.castora.com\"><id>900</id></stopLive>"));

    ScriptedServer& uploads = Serve({{Answer("uploadVideo", "<return>true</return>")}});
    ClientService::TVideo video{1, "", 0, "/demo/2026", "20261207.wmv", "新闻", 123456};
    EXPECT_TRUE(SvcUploadVideo(video));
    EXPECT_TRUE(BodyOf(uploads.Requests()[0]).contains(
        "<uploadVideo xmlns=\"http://service.castora.com\"><video><isUpload>1</isUpload><kid></kid><onlyAudio>0</onlyAudio>"
        "<uploadFolder>/demo/2026</uploadFolder><uploadName>20261207.wmv</uploadName>"
        "<videoName>&#x65B0;&#x95FB;</videoName><videoSize>123456</videoSize></video></uploadVideo>"));
}

TEST_F(ServiceCalls, LogOutSendsAndIgnoresTheOutcome) {
    ScriptedServer& server = Serve({{HttpAnswer(500, "broken")}});
    SvcLogOut();
    ASSERT_EQ(server.Requests().size(), 1U);
    EXPECT_TRUE(BodyOf(server.Requests()[0]).contains("<logOut xmlns=\"http://service.castora.com\"></logOut>"));
}

TEST(PasswordDigestTest, Md5OfTheGbkBytesInLowerCaseHex) {
    EXPECT_EQ(PasswordDigest("123456"), "e10adc3949ba59abbe56e057f20f883e");
    EXPECT_EQ(PasswordDigest(QStringLiteral("中文密码")), "cab54837b8cb3345b7d7bd03e904d1c8");
}

}  // namespace
