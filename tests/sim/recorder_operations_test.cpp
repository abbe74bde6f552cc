// The programme recorder's operations against a running castora-platform.

#include <gtest/gtest.h>

#include "platform_process.h"

using simtest::PlatformProcess;
using simtest::SoapReply;

namespace {

std::size_t Items(const SoapReply& r) { return r.Return() ? r.Return()->children.size() : 0; }

const sim::XmlElement* Programmes(const SoapReply& r) { return r.Return() ? r.Return()->Child("progList") : nullptr; }

std::string InsertShow(int type, long long tcId, const std::string& weeks) {
  return "<userId>1001</userId><channelId>101</channelId><columnId>0</columnId><columnName>午间剧场</columnName>"
         "<beginTime>12:00:00</beginTime><endTime>13:00:00</endTime>" + weeks +
         "<columnTypeId>4</columnTypeId><tcId>" + std::to_string(tcId) + "</tcId><type>" + std::to_string(type) +
         "</type><isfor>0</isfor>";
}

}  // namespace

TEST(RecorderOperations, GuideCategoriesAndChannelRecord) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  EXPECT_EQ(Items(p.Call("getCTList", "")), 4u);
  SoapReply areas = p.Call("getArea", "");
  ASSERT_EQ(Items(areas), 2u);
  EXPECT_EQ(areas.Return()->children[0].Child("area")->text, "北京");
  SoapReply stations = p.Call("getChannel", "<id>1</id>");
  ASSERT_EQ(Items(stations), 1u);
  SoapReply channels = p.Call("getNetProg", "<id>11</id>");
  ASSERT_EQ(Items(channels), 2u);
  SoapReply guide = p.Call("getTvProg", "<id>111</id><date>2026-12-07</date><userId>1001</userId>");
  ASSERT_EQ(Items(guide), 2u);
  EXPECT_EQ(guide.Return()->children[0].Child("tvProgram")->text, "北京新闻");
  EXPECT_EQ(Items(p.Call("getChannel", "<id>no-such-area</id>")), 0u);

  SoapReply info = p.Call("bChannel", "<encId>0</encId><userId>1001</userId>");
  ASSERT_EQ(info.status, 200) << info.body;
  const sim::XmlElement* ftp = info.Return()->Child("ftpList");
  ASSERT_NE(ftp, nullptr);
  ASSERT_EQ(ftp->children.size(), 1u);
  EXPECT_EQ(ftp->children[0].Child("userName")->text, "demo");
  EXPECT_EQ(info.Return()->Child("channel")->Child("channelId")->text, "101");
  EXPECT_EQ(p.Call("bChannel", "<encId>0</encId><userId>4242</userId>").FaultCode(), "Client");
}

TEST(RecorderOperations, TemplatesFlagsShowsAndVideos) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  EXPECT_EQ(p.Call("flag", "<channelId>101</channelId>").ReturnText(), "true");
  EXPECT_EQ(p.Call("updateFlag", "<channelId>101</channelId>").status, 200);
  EXPECT_EQ(p.Call("flag", "<channelId>101</channelId>").ReturnText(), "false");

  SoapReply monday = p.Call("getTemple", "<channelId>101</channelId><week>1</week><userId>1001</userId>");
  ASSERT_NE(Programmes(monday), nullptr);
  EXPECT_EQ(Programmes(monday)->children.size(), 2u);
  EXPECT_EQ(Programmes(monday)->children[0].Child("pg_name")->text, "早间新闻");

  SoapReply special = p.Call("getEncSpcTemple", "<channelId>101</channelId><time>01-01</time><week>4</week><userId>1001</userId>");
  EXPECT_EQ(special.Return()->Child("flag")->text, "true");
  EXPECT_EQ(special.Return()->Child("temple")->Child("progList")->children.size(), 1u);
  SoapReply ordinary = p.Call("getEncSpcTemple", "<channelId>101</channelId><time>02-02</time><week>1</week><userId>1001</userId>");
  EXPECT_EQ(ordinary.Return()->Child("flag")->text, "false");

  // A show added for Monday and Wednesday lands in both weekly templates; the weeks
  // may come as items of one element or as repeated elements.
  SoapReply added = p.Call("insertChannel", InsertShow(1, 0, "<weeks><int>1</int><int>3</int></weeks>"));
  ASSERT_EQ(added.status, 200) << added.body;
  EXPECT_EQ(added.Return()->Child("flag")->text, "true");
  long long tcId = std::stoll(added.Return()->Child("tcId")->text);
  EXPECT_GT(tcId, 0);
  EXPECT_EQ(Programmes(p.Call("getTemple", "<channelId>101</channelId><week>3</week><userId>1001</userId>"))->children.size(), 3u);

  SoapReply edited = p.Call("insertChannel", InsertShow(2, tcId, "<weeks>5</weeks>"));
  EXPECT_EQ(edited.Return()->Child("tcId")->text, std::to_string(tcId));
  EXPECT_EQ(Programmes(p.Call("getTemple", "<channelId>101</channelId><week>3</week><userId>1001</userId>"))->children.size(), 2u);
  EXPECT_EQ(Programmes(p.Call("getTemple", "<channelId>101</channelId><week>5</week><userId>1001</userId>"))->children.size(), 3u);

  EXPECT_EQ(p.Call("insertChannel", InsertShow(3, tcId, "")).Return()->Child("flag")->text, "true");
  EXPECT_EQ(p.Call("insertChannel", InsertShow(3, tcId, "")).Return()->Child("flag")->text, "false");
  EXPECT_EQ(p.Call("insertChannel", InsertShow(3, 0, "")).Return()->Child("flag")->text, "false");

  SoapReply video = p.Call("insertVideo",
                           "<channelId>101</channelId><encId>501</encId><pgId>11</pgId><ftpId>1</ftpId><type>1</type>"
                           "<videoName>早间新闻</videoName><path>20261207/news.wmv</path><isDrm>0</isDrm>"
                           "<videoSize>2048</videoSize><beginTime>07:00:00</beginTime><endTime>07:30:00</endTime>"
                           "<encTime>2026-12-07 07:30:05</encTime><userId>1001</userId><tcId>2001</tcId><score>0</score>"
                           "<picPath></picPath>");
  ASSERT_EQ(video.status, 200) << video.body;
  EXPECT_GT(std::stoll(video.ReturnText()), 0);
  std::string page = p.Get("/");
  EXPECT_NE(page.find("20261207/news.wmv"), std::string::npos);
  EXPECT_NE(page.find("体育快讯"), std::string::npos);
}

// A recorder whose answer was lost reports the same upload again: one record, one id.
// Another upload, even of a file with the same name, is a record of its own.
TEST(RecorderOperations, ARepeatedUploadReportIsOneRecord) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  auto report = [&](const std::string& encTime) {
    return p.Call("insertVideo",
                  "<channelId>101</channelId><encId>501</encId><pgId>11</pgId><ftpId>1</ftpId><type>1</type>"
                  "<videoName>20261208190000123</videoName><path>20261208190000123.wmv</path><isDrm>0</isDrm>"
                  "<videoSize>204800</videoSize><beginTime>19:00:00</beginTime><endTime>19:45:00</endTime>"
                  "<encTime>" + encTime + "</encTime><userId>1001</userId><tcId>2001</tcId><score>0</score>"
                  "<picPath></picPath>");
  };
  auto rows = [&] {
    const std::string page = p.Get("/");
    std::size_t n = 0;
    for (auto at = page.find("<td>20261208190000123.wmv</td>"); at != std::string::npos;
         at = page.find("<td>20261208190000123.wmv</td>", at + 1))
      ++n;
    return n;
  };
  SoapReply first = report("2026-12-08");
  ASSERT_EQ(first.status, 200) << first.body;
  SoapReply again = report("2026-12-08");
  ASSERT_EQ(again.status, 200) << again.body;
  EXPECT_EQ(again.ReturnText(), first.ReturnText());
  EXPECT_EQ(rows(), 1u);

  SoapReply otherDay = report("2026-12-09");
  ASSERT_EQ(otherDay.status, 200) << otherDay.body;
  EXPECT_NE(otherDay.ReturnText(), first.ReturnText());
  EXPECT_EQ(rows(), 2u);

  // The record survives a restart and a repeat after it is still the same record.
  p.Stop();
  ASSERT_TRUE(p.Start());
  EXPECT_EQ(report("2026-12-08").ReturnText(), first.ReturnText());
  EXPECT_EQ(rows(), 2u);
}

// The state page's template form takes times of a day only.
TEST(RecorderOperations, TemplateEditsTakeTimesOfADayOnly) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  httplib::Client client("127.0.0.1", p.port());
  auto edit = [&](const std::string& begin, const std::string& end) {
    httplib::Params form{{"channelId", "101"}, {"week", "1"}, {"index", "0"},
                         {"name", "午夜新闻"},   {"beginTime", begin}, {"endTime", end}};
    auto res = client.Post("/recorder/template", form);
    return res ? res->status : 0;
  };
  for (const char* bad : {"24:00:00", "7:00:00", "07:60:00", "07:00:60", "07-00-00", "07:00:0x", "", "07:00:000"})
    EXPECT_EQ(edit(bad, "23:59:59"), 400) << bad;
  EXPECT_EQ(edit("00:00:00", "23:59:59"), 303);
  EXPECT_EQ(edit("19:05:09", "20:00:00"), 303);
}
