// castora-soap: its arguments, in-values and answer text, and the tool run against a
// scripted loopback peer.
#include <gtest/gtest.h>

#include <QProcess>

#include "client/service/service_operations.h"
#include "client/service/soap_command_line.h"
#include "scripted_server.h"
#include "tests/support/tool_run.h"

using namespace soap_cli;
using ClientService::Describe;
using ClientService::Operation;
using testing_support::HttpAnswer;
using testing_support::ScriptedServer;
using testing_support::SoapEnvelope;

namespace {

TEST(SoapCommandLine, ArgumentsAndTheirMistakes) {
    QString error;
    const auto parsed = ParseArguments({"--url", "http://h/x", "--cookie", "AB", "login", "userName=demo", "passWord=a=b"}, error);
    ASSERT_TRUE(parsed) << error.toStdString();
    EXPECT_EQ(parsed->url, "http://h/x");
    EXPECT_EQ(parsed->cookie, "AB");
    EXPECT_EQ(parsed->operation, "login");
    ASSERT_EQ(parsed->values.size(), 2U);
    EXPECT_EQ(parsed->values[1].second, "a=b");
    EXPECT_FALSE(ParseArguments({"login"}, error));
    EXPECT_FALSE(ParseArguments({"--url", "http://h/", "login", "novalue"}, error));
    EXPECT_FALSE(ParseArguments({"--url", "http://h/", "--bogus", "1", "login"}, error));
    EXPECT_FALSE(ParseArguments({"--url"}, error));
}

TEST(SoapCommandLine, InputsByParameterOrRecordField) {
    QString error;
    auto inputs = BuildInputs(Describe(Operation::uploadVideo), {{"video.videoName", "v"}, {"videoSize", "42"}}, error);
    ASSERT_TRUE(inputs) << error.toStdString();
    const transport::RecordView video(ClientService::kTVideo, (*inputs)[0]);
    EXPECT_EQ(video.String("videoName"), "v");
    EXPECT_EQ(video.Integer("videoSize"), 42);
    EXPECT_FALSE(video.String("kid").isNull());  // left out: empty, not nil

    inputs = BuildInputs(Describe(Operation::stopLive), {{"id", "-3"}}, error);
    ASSERT_TRUE(inputs);
    EXPECT_EQ((*inputs)[0].integer, -3);
    EXPECT_FALSE(BuildInputs(Describe(Operation::stopLive), {{"id", "x1"}}, error));
    EXPECT_FALSE(BuildInputs(Describe(Operation::stopLive), {{"nope", "1"}}, error));
    EXPECT_FALSE(BuildInputs(Describe(Operation::getCompany), {{"id", "1"}}, error));
}

TEST(SoapCommandLine, AnswersAsFieldLinesAndItemBlocks) {
    transport::SoapValue login = transport::RecordBuilder(ClientService::kTLoginResult)
                                     .Integer("code", 7).String("sessionId", "S").Take();
    EXPECT_EQ(FormatAnswer(Describe(Operation::login), login), "code=7\nsessionId=S\n");

    transport::SoapValue servers;
    servers.items.push_back(transport::RecordBuilder(ClientService::kT_MediaServer).Integer("id", 1).String("mediaName", "a").Take());
    servers.items.push_back(transport::RecordBuilder(ClientService::kT_MediaServer).Integer("id", 2).String("mediaName", "b").Take());
    EXPECT_EQ(FormatAnswer(Describe(Operation::GetMediaServerList), servers), "id=1\nmediaName=a\n\nid=2\nmediaName=b\n");

    EXPECT_EQ(FormatAnswer(Describe(Operation::stopLive), transport::SoapValue::OfBoolean(true)), "return=true\n");
    EXPECT_EQ(FormatAnswer(Describe(Operation::logOut), {}), "");
}

test_support::ToolRun RunTool(const QStringList& arguments) {
    return test_support::RunTool(QStringLiteral("castora-soap"), arguments, 20000);
}

TEST(SoapCommandLineTool, PrintsTheAnswerAndSendsTheCookie) {
    ScriptedServer server({{HttpAnswer(200, SoapEnvelope("<m:loginResponse xmlns:m=\"http://service.castora.com\"><return>"
                                                         "<code>12</code><sessionId>ABC</sessionId></return></m:loginResponse>"))}});
    const test_support::ToolRun run = RunTool({"--url", QString::fromLatin1(server.Url()), "--cookie", "OLD", "login", "userName=张三",
                                 "passWord=fe01ce2a7fbac8fafaed7c982a04e229"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "code=12\nsessionId=ABC\n");
    ASSERT_EQ(server.Requests().size(), 1U);
    EXPECT_TRUE(server.Requests()[0].contains("Cookie: JSESSIONID=OLD\r\n"));
    EXPECT_TRUE(server.Requests()[0].contains("<userName>&#x5F20;&#x4E09;</userName>"));
}

TEST(SoapCommandLineTool, FailuresExitWithTheErrorKind) {
    ScriptedServer server({{HttpAnswer(500, SoapEnvelope("<soap:Fault><faultcode>soap:Client</faultcode>"
                                                         "<faultstring>no session</faultstring></soap:Fault>"))},
                           {HttpAnswer(500, "<html/>", "text/html")}});
    test_support::ToolRun run = RunTool({"--url", QString::fromLatin1(server.Url()), "getCompany"});
    EXPECT_EQ(run.exitCode, 7);
    EXPECT_TRUE(run.err.contains("error=7")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("faultcode=soap:Client"));
    EXPECT_TRUE(run.err.contains("faultstring=no session"));
    EXPECT_TRUE(run.out.isEmpty());
    run = RunTool({"--url", QString::fromLatin1(server.Url()), "getCompany"});
    EXPECT_EQ(run.exitCode, 8);
    run = RunTool({"--url", QString::fromLatin1(server.Url()), "noSuchOperation"});
    EXPECT_EQ(run.exitCode, 64);
    EXPECT_TRUE(run.err.contains("unknown operation"));
}

}  // namespace
