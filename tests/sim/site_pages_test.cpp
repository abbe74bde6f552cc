// The platform's web site: the home page, and signing up on the registration page.

#include <gtest/gtest.h>
#include <httplib.h>

#include "platform_process.h"

using simtest::PlatformProcess;

namespace {

httplib::Result Register(PlatformProcess& p, const std::string& user, const std::string& password,
                         const std::string& again, const std::string& company) {
  httplib::Client client("127.0.0.1", p.port());
  httplib::Params form{{"userName", user}, {"password", password}, {"passwordAgain", again}, {"companyName", company}};
  return client.Post("/web/register.jsp", form);
}

TEST(SitePages, HomeAndRegistrationPagesAreServed) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  int status = 0;
  const std::string home = p.Get("/web/index.jsp", &status);
  EXPECT_EQ(status, 200);
  EXPECT_NE(home.find("流媒体平台"), std::string::npos);
  EXPECT_NE(home.find("/web/register.jsp"), std::string::npos);
  const std::string form = p.Get("/web/register.jsp", &status);
  EXPECT_EQ(status, 200);
  EXPECT_NE(form.find("name=\"userName\""), std::string::npos);
  EXPECT_NE(form.find("method=\"post\""), std::string::npos);
}

TEST(SitePages, ANewCompanySignsUpAndSignsIn) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  auto r = Register(p, "newcomer", "secret66", "secret66", "新星文化传播");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_NE(r->body.find("注册成功"), std::string::npos);

  const std::string sid = p.Login("newcomer", "secret66");
  ASSERT_FALSE(sid.empty());
  simtest::SoapReply company = p.Call("getCompany", "", sid);
  EXPECT_EQ(company.Field("comName"), "新星文化传播");
  EXPECT_EQ(company.Field("state"), "1");
  EXPECT_EQ(company.Field("liveCount"), "0");
  EXPECT_EQ(company.Field("loginName"), "newcomer");

  // The account outlives a restart of the platform.
  p.Stop();
  ASSERT_TRUE(p.Start());
  EXPECT_FALSE(p.Login("newcomer", "secret66").empty());
}

TEST(SitePages, BadFormsAreRefusedWithTheirReason) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  struct Case {
    std::string user, password, again, company, reason;
  };
  const Case cases[] = {
      {"demo", "secret66", "secret66", "X", "该用户名已被注册。"},
      {"a", "secret66", "secret66", "X", "用户名须为3到32个字母、数字或下划线。"},
      {"bad name<", "secret66", "secret66", "X", "用户名须为3到32个字母、数字或下划线。"},
      {"shorty", "12345", "12345", "X", "密码长度须为6到64个字符。"},
      {"mismatch", "secret66", "secret67", "X", "两次输入的密码不一致。"},
      {"nocompany", "secret66", "secret66", "", "请填写公司名称。"},
  };
  for (const Case& c : cases) {
    auto r = Register(p, c.user, c.password, c.again, c.company);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 400) << c.user;
    EXPECT_NE(r->body.find(c.reason), std::string::npos) << c.user;
    EXPECT_EQ(r->body.find("<script"), std::string::npos);
  }
  EXPECT_TRUE(p.Login("mismatch", "secret66").empty());
  EXPECT_FALSE(p.Login("demo", "demo123").empty()) << "the existing account is untouched";
}

}  // namespace
