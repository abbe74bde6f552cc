// The request bytes: escaping, envelope, head order and URL parsing.
#include <gtest/gtest.h>

#include "sample_operations.h"
#include "service-transport/envelope_writer.h"
#include "service-transport/http_url.h"
#include "service-transport/request_head.h"
#include "service-transport/xml_escape.h"

using namespace transport;

namespace {

QByteArray Escaped(const QString& text) {
    QByteArray out;
    AppendEscaped(out, text);
    return out;
}

const QByteArray kEnvelopeOpen =
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\"><soap:Body>";

TEST(XmlEscape, MarkupCharactersBecomeEntitiesAndQuotesStay) {
    EXPECT_EQ(Escaped(QStringLiteral("a<b&c")), "a&lt;b&amp;c");
    EXPECT_EQ(Escaped(QStringLiteral("x>\"y'")), "x&gt;\"y'");
}

TEST(XmlEscape, NonAsciiAndControlCharactersBecomeFourDigitReferences) {
    EXPECT_EQ(Escaped(QStringLiteral("中")), "&#x4E2D;");
    EXPECT_EQ(Escaped(QString::fromUtf16(u"a\tb\n\u00e9\u007f")), "a&#x0009;b&#x000A;&#x00E9;&#x007F;");
}

TEST(XmlEscape, SurrogatePairIsOneSixDigitReferenceAndLoneHalvesFourDigits) {
    EXPECT_EQ(Escaped(QString::fromUtf16(u"\U0001F600")), "&#x01F600;");
    const char16_t lone[] = {0xD83D, u'x', 0xDE00, 0};
    EXPECT_EQ(Escaped(QString::fromUtf16(lone)), "&#xD83D;x&#xDE00;");
}

TEST(Envelope, LoginEnvelopeIsExactAndPureAscii) {
    const auto envelope = WriteEnvelope(sample::kLogin, {SoapValue::OfString(QStringLiteral("张三丰")),
                                                         SoapValue::OfString(QStringLiteral("a<b&c\""))});
    ASSERT_TRUE(envelope);
    EXPECT_EQ(*envelope, kEnvelopeOpen +
                             "<login xmlns=\"http://service.example.org\"><userName>&#x5F20;&#x4E09;&#x4E30;</userName>"
                             "<passWord>a&lt;b&amp;c\"</passWord></login></soap:Body></soap:Envelope>");
}

TEST(Envelope, NullStringIsNilAndEmptyStringIsEmptyElement) {
    const auto envelope = WriteEnvelope(sample::kLogin, {SoapValue::OfString(QString()), SoapValue::OfString(QString(""))});
    ASSERT_TRUE(envelope);
    EXPECT_TRUE(envelope->contains("<userName xsi:nil=\"1\"/><passWord></passWord>"));
}

TEST(Envelope, RecordParameterWritesFieldsInOrderWithArrayItems) {
    SoapValue show = RecordBuilder(sample::kShow).String("name", "news").Boolean("active", true).Take();
    show.items[1].items = {SoapValue::OfInteger(1), SoapValue::OfInteger(-7)};
    const auto envelope = WriteEnvelope(sample::kPutShow, {show, SoapValue::OfString(QString())});
    ASSERT_TRUE(envelope);
    EXPECT_TRUE(envelope->contains(
        "<putShow xmlns=\"http://service.example.org\"><show><name>news</name><weeks><int>1</int><int>-7</int></weeks>"
        "<active>true</active></show><note xsi:nil=\"1\"/></putShow>"));
}

TEST(Envelope, NumbersAndOperationsWithoutParameters) {
    const auto stop = WriteEnvelope(sample::kStopLive, {SoapValue::OfInteger(-9000000000LL)});
    ASSERT_TRUE(stop);
    EXPECT_TRUE(stop->contains("<stopLive xmlns=\"http://service.example.org\"><id>-9000000000</id></stopLive>"));
    const auto logOut = WriteEnvelope(sample::kLogOut, {});
    ASSERT_TRUE(logOut);
    EXPECT_EQ(*logOut, kEnvelopeOpen + "<logOut xmlns=\"http://service.example.org\"></logOut></soap:Body></soap:Envelope>");
}

TEST(Envelope, WrongParameterCountIsRefused) {
    EXPECT_FALSE(WriteEnvelope(sample::kLogin, {SoapValue::OfString("only one")}));
}

TEST(RequestHead, FieldsInOrderWithHostAloneOnPort80) {
    const auto url = ParseHttpUrl("http://platform.example.org/vekservices/ClientService?x=1");
    ASSERT_TRUE(url);
    const QByteArray extra = "SOAPAction: \"\"\r\nCookie: JSESSIONID=AB12\r\nAccept: text/xml\r\n";
    EXPECT_EQ(BuildRequestHead(*url, 321, extra),
              "POST /vekservices/ClientService?x=1 HTTP/1.1\r\n"
              "Content-Length: 321\r\n"
              "Content-Type: text/xml; charset=utf-8\r\n"
              "SOAPAction: \"\"\r\n"
              "Cookie: JSESSIONID=AB12\r\n"
              "Accept: text/xml\r\n"
              "Host: platform.example.org\r\n"
              "User-Agent: Microsoft-ATL-Native/8.00\r\n\r\n");
}

TEST(RequestHead, OtherPortsAppearOnHostLineAndEmptyBodyHasNoLength) {
    const auto url = ParseHttpUrl("http://10.1.2.3:8080/svc");
    ASSERT_TRUE(url);
    const QByteArray head = BuildRequestHead(*url, 0, "");
    EXPECT_EQ(head, "POST /svc HTTP/1.1\r\nContent-Type: text/xml; charset=utf-8\r\nHost: 10.1.2.3:8080\r\n"
                    "User-Agent: Microsoft-ATL-Native/8.00\r\n\r\n");
}

TEST(HttpUrlParsing, AcceptsHostPortPathAndQuery) {
    auto url = ParseHttpUrl("HTTP://Example.org:8080/a/b?c=d#frag");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->host, "Example.org");
    EXPECT_EQ(url->port, 8080);
    EXPECT_EQ(url->pathAndQuery, "/a/b?c=d");
    url = ParseHttpUrl("http://example.org");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->port, 80);
    EXPECT_EQ(url->pathAndQuery, "/");
    url = ParseHttpUrl("http://[::1]:81/x");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->host, "::1");
    EXPECT_EQ(url->port, 81);
}

TEST(HttpUrlParsing, RefusesWhatIsNotAnAbsoluteHttpUrl) {
    for (const char* bad : {"", "https://example.org/", "ftp://x/", "http://", "http://:80/", "http://h:0/",
                            "http://h:65536/", "http://h:8o/", "http://u@h/", "http://h/a b", "/relative"}) {
        EXPECT_FALSE(ParseHttpUrl(bad)) << bad;
    }
}

TEST(HttpUrlParsing, RedirectLocationsResolveAgainstTheCurrentAddress) {
    const HttpUrl current = *ParseHttpUrl("http://a.example:81/old");
    auto next = ResolveLocation(current, "/new?q");
    ASSERT_TRUE(next);
    EXPECT_EQ(next->host, "a.example");
    EXPECT_EQ(next->port, 81);
    EXPECT_EQ(next->pathAndQuery, "/new?q");
    next = ResolveLocation(current, "http://b.example/x");
    ASSERT_TRUE(next);
    EXPECT_EQ(next->host, "b.example");
    EXPECT_EQ(next->port, 80);
    EXPECT_FALSE(ResolveLocation(current, "//evil/x"));
}

}  // namespace
