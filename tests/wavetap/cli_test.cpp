// castora-encode: notifications on standard output and its exit status.

#include "tests/support/tool_run.h"
#include "wavetap_test_support.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace wavetap_test;

namespace {

test_support::ToolRun RunCli(const QStringList& arguments) {
    return test_support::RunTool(QStringLiteral("castora-encode"), arguments);
}

}  // namespace

TEST(Cli, ChainWithoutCircleEndsByItselfWithExitZero) {
    const QString folder = TempDir("cli-chain");
    const QString a = MakeClip(folder, "a.avi", 1.5, 500);
    const QString b = MakeClip(folder, "b.avi", 1.5, 700);
    ASSERT_FALSE(a.isEmpty());
    ASSERT_FALSE(b.isEmpty());
    const test_support::ToolRun run = RunCli({"--profile-dir", ProfileDir(), "--profile", kProfile256, "--group",
                               "A=" + a + "," + a + ",B", "--group", "B=" + b + "," + b, "--save",
                               folder + "/out.wmv", "--title", "T", "--author", "A"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.Lines(), (QStringList{"notify 6", "notify 1", "notify 2", "notify 1", "notify 2", "notify 5",
                                      "notify 0"}));
}

TEST(Cli, SecondsLimitAndSwitches) {
    const QString folder = TempDir("cli-switch");
    const QString clip = MakeClip(folder, "clip.avi", 2.0, 500);
    ASSERT_FALSE(clip.isEmpty());
    const test_support::ToolRun run = RunCli({"--profile-dir", ProfileDir(), "--profile", kProfile256, "--group",
                               QString("Live=%1,%2").arg(kCamera, kMicrophone), "--group",
                               "Clip=" + clip + "," + clip, "--switch-after", "1:Clip", "--seconds", "2.5",
                               "--save", folder + "/out.wmv"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.Lines().count("notify 1"), 2);
    EXPECT_FALSE(run.Lines().contains("notify 0")) << "stopped by the operator";
    EXPECT_NEAR(Probe(folder + "/out.wmv").duration, 2.5, 0.8);
}

TEST(Cli, FailedStartAndBadUsage) {
    const test_support::ToolRun failed = RunCli({"--profile-dir", ProfileDir(), "--profile", kProfile256, "--video",
                                  "DEVICE://No Such Camera", "--save", TempDir("cli-fail") + "/x.wmv"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.Lines(), QStringList{"notify 7"});
    EXPECT_EQ(RunCli({"--profile", kProfile256}).exitCode, 2);
    EXPECT_EQ(RunCli({"--profile-dir", ProfileDir(), "--profile", kProfile256, "--video", kCamera, "--seconds",
                      "zero"}).exitCode, 2);
}

TEST(Cli, BatchTranscodePrintsProgressAndItsResult) {
    const QString folder = TempDir("cli-job");
    const QString clip = MakeClip(folder, "clip.avi", 20.0, 500);
    ASSERT_FALSE(clip.isEmpty());
    const test_support::ToolRun run =
        RunCli({"--job", "transcode", "--input", clip, "--output", folder + "/out.wmv", "--profile", kProfile256});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.Lines().last(), "result 0x00000000");
    EXPECT_TRUE(run.Lines().first().startsWith("progress ")) << run.out.toStdString();
    EXPECT_NEAR(Probe(folder + "/out.wmv").duration, 20.0, 0.5);
    const test_support::ToolRun missing =
        RunCli({"--job", "transcode", "--input", clip, "--output", folder + "/x.wmv", "--profile", "low", "--audio-only"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.Lines().last(), "result 0xffffffff");
    EXPECT_EQ(RunCli({"--job", "sing", "--profile", kProfile256}).exitCode, 2);
    EXPECT_EQ(RunCli({"--profile-dir", ProfileDir(), "--profile", kProfile256, "--video", kCamera, "--push",
                      "host-without-port/live1"}).exitCode, 2);
}
