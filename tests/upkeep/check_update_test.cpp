// CheckUpdate of the real library against castora-platform's update folder. This test
// program carries the file version 2.0.1.5, which the library reads from the process.

#include "update_test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

namespace {

using namespace upkeeptest;

constexpr char kQuestion[] = "目前 upkeep_check_test 有新版本可用，请安装最新版本！";

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class CheckUpdate : public ::testing::Test {
protected:
    // Publishes update.txt (and an installer unless `installer` is null) and starts the platform.
    void Publish(const QByteArray& version, const QByteArray* installer, std::vector<std::string> options = {}) {
        published = std::make_unique<PublishedUpdate>(std::move(options));
        published->Write("update.txt", version);
        if (installer) published->Write(kInstaller, *installer);
        ASSERT_TRUE(published->Start());
    }
    CheckOutcome Check() { return CallCheckUpdate(published->Url()); }

    PrivateTempFolder temp;
    UpdaterUser user;
    std::unique_ptr<PublishedUpdate> published;
};

TEST_F(CheckUpdate, NewerVersionAcceptedIsDownloadedWithProgressAndRate) {
    const QByteArray installer = SomeBytes(1536 * 1024);
    Publish("2.0.1.10", &installer, {"--update-kbps", "1024"});
    const CheckOutcome outcome = Check();
    EXPECT_EQ(outcome.returned, 1);
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(user.questions, QStringList{QString::fromUtf8(kQuestion)});
    EXPECT_EQ(user.questionCaptions, QStringList{"新版提示"});
    EXPECT_TRUE(user.errors.isEmpty()) << user.errors.join('|').toStdString();
    EXPECT_TRUE(ReadFile(temp.Installer()) == installer) << "the installer differs from the published one";

    EXPECT_EQ(user.downloadWindows, 1);
    EXPECT_EQ(user.fromLines.last(), "CastoraSetup.msi 从 127.0.0.1");
    // The window shows the connection's steps (too quick on loopback to catch each one).
    for (const char* status : {"已连接到 127.0.0.1", "正在下载文件"}) {
        EXPECT_TRUE(user.statusLines.contains(status)) << status << " not in " << user.statusLines.join('|').toStdString();
    }
    EXPECT_EQ(user.titles.first(), "升级更新");
    EXPECT_TRUE(user.titles.last().contains(QRegularExpression("^已完成\\d+%CastoraSetup.msi$")))
        << user.titles.join('|').toStdString();
    // The bar moved through values between the ends.
    EXPECT_GE(std::count_if(user.progressValues.begin(), user.progressValues.end(),
                            [](int v) { return v > 0 && v < 100; }),
              3);
    // At about 1 MiB/s the rate is shown in K per second, with the time left and the sizes.
    ASSERT_FALSE(user.rates.isEmpty());
    EXPECT_TRUE(QRegularExpression("^\\d+K字节/秒$").match(user.rates.last()).hasMatch()) << user.rates.last().toStdString();
    ASSERT_FALSE(user.remaining.isEmpty());
    EXPECT_TRUE(QRegularExpression("^\\d+秒（已复制[\\d.]+[KM]字节 共1\\.50M字节）$").match(user.remaining.first()).hasMatch())
        << user.remaining.first().toStdString();
}

TEST_F(CheckUpdate, NewerVersionDeclined) {
    const QByteArray installer = SomeBytes(4096);
    Publish("2.0.1.10", &installer);
    user.acceptUpdate = false;
    const CheckOutcome outcome = Check();
    EXPECT_EQ(outcome.returned, 0);
    EXPECT_EQ(outcome.code, 7);
    EXPECT_EQ(user.questions.size(), 1);
    EXPECT_EQ(user.downloadWindows, 0);
    EXPECT_FALSE(QFileInfo::exists(temp.Installer()));
}

TEST_F(CheckUpdate, SameOlderOrNonNumericVersionsAskNothing) {
    const QByteArray installer = SomeBytes(4096);
    for (const char* version : {"2.0.1.5", "2.0.1.4", "2.0.1", "1.99", "2.0.1a", "2.0.1.5\r\n", "2.0.1.5.99.x"}) {
        Publish(version, &installer);
        const CheckOutcome outcome = Check();
        EXPECT_EQ(outcome.returned, 0) << version;
        EXPECT_EQ(outcome.code, 6) << version;
    }
    EXPECT_TRUE(user.questions.isEmpty());
}

TEST_F(CheckUpdate, AVersionWithALineEndIsStillOffered) {
    const QByteArray installer = SomeBytes(4096);
    user.acceptUpdate = false;
    Publish("2.0.1.10\n", &installer);
    EXPECT_EQ(Check().code, 7);
}

TEST_F(CheckUpdate, EmptyOrMissingFiles) {
    Publish("", nullptr);
    EXPECT_EQ(Check().code, 3);

    published = std::make_unique<PublishedUpdate>();  // no update.txt at all
    ASSERT_TRUE(published->Start());
    EXPECT_EQ(Check().code, 2);

    Publish("2.0.1.10", nullptr);  // newer, but the installer is missing
    EXPECT_EQ(Check().code, 2);
    EXPECT_TRUE(user.questions.isEmpty());
}

TEST_F(CheckUpdate, PartialContentAnswerIsAcceptedLikeOk) {
    const QByteArray installer = SomeBytes(300 * 1024);
    Publish("3.0", &installer, {"--update-fault", "status-206"});
    const CheckOutcome outcome = Check();
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(outcome.returned, 1);
    EXPECT_TRUE(ReadFile(temp.Installer()) == installer);
}

TEST_F(CheckUpdate, DownloadDroppedHalfwayIsReportedAndTheFileDeleted) {
    const QByteArray installer = SomeBytes(512 * 1024);
    Publish("3.0", &installer, {"--update-fault", "drop-half", "--update-kbps", "2048"});
    const CheckOutcome outcome = Check();
    EXPECT_EQ(outcome.code, 4);
    EXPECT_EQ(outcome.returned, 0);
    ASSERT_EQ(user.errors.size(), 1);
    EXPECT_TRUE(user.errors[0].startsWith("发生网络故障：")) << user.errors[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(temp.Installer()));
    // It did get halfway.
    EXPECT_EQ(user.progressAtError, 50);
}

TEST_F(CheckUpdate, CancelStopsTheDownloadAndDeletesTheFile) {
    const QByteArray installer = SomeBytes(2 * 1024 * 1024);
    Publish("3.0", &installer, {"--update-kbps", "512"});
    user.cancelAtPercent = 5;
    QElapsedTimer clock;
    clock.start();
    const CheckOutcome outcome = Check();
    EXPECT_EQ(outcome.code, 4);
    EXPECT_EQ(outcome.returned, 0);
    EXPECT_LT(clock.elapsed(), 3000);  // the whole file would take 4 s
    EXPECT_TRUE(user.cancelPressed);
    EXPECT_TRUE(user.cancelDisabledAfterPress);
    EXPECT_EQ(user.statusAfterCancel, "正在中止传输");
    EXPECT_TRUE(user.errors.isEmpty()) << user.errors.join('|').toStdString();
    EXPECT_FALSE(QFileInfo::exists(temp.Installer()));
}

TEST_F(CheckUpdate, ProtectedInstallerAsksForCredentials) {
    const QByteArray installer = SomeBytes(64 * 1024);
    Publish("3.0", &installer, {"--update-auth", "operator:密码1"});
    user.userName = "operator";
    user.password = "密码1";
    const CheckOutcome outcome = Check();
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(user.credentialRequests, 1);
    EXPECT_TRUE(ReadFile(temp.Installer()) == installer);
}

TEST_F(CheckUpdate, CredentialsRefusedEndTheDownload) {
    const QByteArray installer = SomeBytes(64 * 1024);
    Publish("3.0", &installer, {"--update-auth", "operator:secret"});
    user.giveCredentials = false;
    const CheckOutcome outcome = Check();
    EXPECT_EQ(outcome.code, 4);
    EXPECT_EQ(user.credentialRequests, 1);
    EXPECT_EQ(user.errors, QStringList{"网络服务器没有响应：401"});
    EXPECT_FALSE(QFileInfo::exists(temp.Installer()));
}

TEST_F(CheckUpdate, CallersProgressThreadIsToldToQuitBeforeTheQuestion) {
    const QByteArray installer = SomeBytes(4096);
    Publish("3.0", &installer);
    user.acceptUpdate = false;
    QThread progress;
    progress.start();
    const CheckOutcome outcome = CallCheckUpdate(published->Url(), kInstaller, &progress);
    EXPECT_EQ(outcome.code, 7);
    EXPECT_TRUE(progress.wait(2000));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
