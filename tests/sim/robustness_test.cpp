// castora-platform answers faults, never crashes, whatever it is sent; and the faults it
// injects on request.

#include <gtest/gtest.h>

#include <chrono>
#include <set>

#include "platform_process.h"
#include "sim/service_schema.h"
#include "sim/xml_tree.h"

using simtest::PlatformProcess;
using simtest::SoapReply;

namespace {

const httplib::Headers kSoapHeaders{{"SOAPAction", "\"\""}};

}  // namespace

TEST(Robustness, BadRequestsGetFaultsAndTheServerKeepsServing) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  const std::string env = "http://schemas.xmlsoap.org/soap/envelope/";
  struct Case {
    const char* what;
    std::string body;
    const char* faultCode;
  };
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  std::vector<Case> cases = {
      {"empty body", "", "Client"},
      {"not XML", "garbage \x01\x02", "Client"},
      {"truncated", simtest::Envelope("login", "<userName>demo").substr(0, 200), "Client"},
      {"no envelope", "<login xmlns=\"http://service.castora.com\"/>", "Client"},
      {"other envelope namespace",
       "<e:Envelope xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\"><e:Body/></e:Envelope>", "VersionMismatch"},
      {"empty body element", "<s:Envelope xmlns:s=\"" + env + "\"><s:Body/></s:Envelope>", "Client"},
      {"unknown operation", simtest::Envelope("deleteEverything", ""), "Client"},
      {"nested 100000 deep", simtest::Envelope("login", deep), "Client"},
      {"invalid UTF-8", simtest::Envelope("login", "<userName>\xff\xfe</userName>"), "Client"},
      {"entity expansion",
       "<!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]><x>&b;</x>", "Client"},
      {"number out of range", simtest::Envelope("stopLive", "<id>99999999999999999999</id>"), "Client"},
      {"number with letters", simtest::Envelope("flag", "<channelId>12ab</channelId>"), "Client"},
      {"int out of 32 bits", simtest::Envelope("getTemple", "<channelId>101</channelId><week>4294967296</week>"), "Client"},
      {"must-understand header",
       "<s:Envelope xmlns:s=\"" + env + "\"><s:Header><h s:mustUnderstand=\"1\"/></s:Header><s:Body>"
       "<flag xmlns=\"http://service.castora.com\"><channelId>101</channelId></flag></s:Body></s:Envelope>",
       "MustUnderstand"},
      {"2 MB of text", simtest::Envelope("login", "<userName>" + std::string(2 << 20, 'a') + "</userName>"), "Client"},
      {"8 MB body", std::string(8 << 20, '<'), "Client"},
  };
  for (const auto& c : cases) {
    SoapReply r = p.Post(c.body, kSoapHeaders);
    EXPECT_EQ(r.status, 500) << c.what;
    EXPECT_EQ(r.FaultCode(), c.faultCode) << c.what << ": " << r.body.substr(0, 300);
    EXPECT_NE(r.contentType.find("text/xml"), std::string::npos) << c.what;
  }
  SoapReply noAction = p.Post(simtest::Envelope("flag", "<channelId>101</channelId>"), {});
  EXPECT_EQ(noAction.FaultCode(), "Client");
  EXPECT_NE(noAction.FaultString().find("SOAPAction"), std::string::npos);

  EXPECT_FALSE(p.Login("demo", "demo123").empty());
}

TEST(Robustness, WsdlDescribesEveryOperation) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  int status = 0;
  std::string wsdl = p.Get("/vekservices/ClientService?wsdl", &status);
  EXPECT_EQ(status, 200);
  std::string error;
  auto doc = sim::ParseXml(wsdl, error);
  ASSERT_NE(doc, nullptr) << error;
  EXPECT_EQ(doc->name, "definitions");
  std::set<std::string> bound;
  for (const auto& c : doc->children) {
    if (c.name != "binding") continue;
    for (const auto& op : c.children) {
      if (op.name == "operation") bound.insert(op.Attribute("", "name"));
    }
  }
  EXPECT_EQ(bound.size(), sim::ServiceOperations().size());
  for (const auto& op : sim::ServiceOperations()) EXPECT_TRUE(bound.count(op.name)) << op.name;
  EXPECT_NE(wsdl.find("http://127.0.0.1:" + std::to_string(p.port()) + "/vekservices/ClientService"), std::string::npos);

  std::string agreement = p.Get("/web/xieyi.jsp", &status);
  EXPECT_EQ(status, 200);
  EXPECT_NE(agreement.find("用户协议"), std::string::npos);
}

TEST(FaultInjection, Html500ChunkedDelayAndDrop) {
  {
    PlatformProcess p({"--html-500"});
    ASSERT_TRUE(p.Start());
    SoapReply r = p.Call("getArea", "");
    EXPECT_EQ(r.status, 500);
    EXPECT_NE(r.contentType.find("text/html"), std::string::npos);
    EXPECT_EQ(r.xml, nullptr);  // an HTML page, not a fault
  }
  {
    PlatformProcess p({"--chunked"});
    ASSERT_TRUE(p.Start());
    httplib::Client client("127.0.0.1", p.port());
    auto res = client.Post("/vekservices/ClientService", kSoapHeaders,
                           simtest::Envelope("getTemple", "<channelId>101</channelId><week>1</week><userId>1001</userId>"),
                           "text/xml");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Transfer-Encoding"), "chunked");
    EXPECT_FALSE(res->has_header("Content-Length"));
    EXPECT_NE(res->body.find("</soap:Envelope>"), std::string::npos);
  }
  {
    PlatformProcess p({"--delay-ms", "400", "--fault-operation", "getArea"});
    ASSERT_TRUE(p.Start());
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(p.Call("getCTList", "").status, 200);
    auto fast = std::chrono::steady_clock::now() - t0;
    t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(p.Call("getArea", "").status, 200);
    auto slow = std::chrono::steady_clock::now() - t0;
    EXPECT_LT(fast, std::chrono::milliseconds(300));
    EXPECT_GE(slow, std::chrono::milliseconds(400));
  }
  {
    PlatformProcess p({"--drop", "--fault-operation", "getArea"});
    ASSERT_TRUE(p.Start());
    httplib::Client client("127.0.0.1", p.port());
    auto res = client.Post("/vekservices/ClientService", kSoapHeaders, simtest::Envelope("getArea", ""), "text/xml");
    EXPECT_FALSE(res);  // closed without a status line
    EXPECT_EQ(p.Call("getCTList", "").status, 200);
  }
}
