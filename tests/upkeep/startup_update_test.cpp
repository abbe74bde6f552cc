// The program's real start-up through its update step, with the real updater beside the
// program and castora-platform's update folder as UPDATEURL. This test program carries
// the program's own version and has a folder of its own, which start-up takes as the
// program folder.

#include "update_test_support.h"

#include "client/shell/client_globals.h"
#include "client/shell/rotating_log.h"
#include "client/shell/tenancy.h"
#include "client/shell/update_check.h"
#include "platform/paths.h"
#include "platform/registry_store.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

using namespace upkeeptest;

// Stands in for the desktop's handler of local files: notes what it was asked to open.
class DesktopOpener : public QObject {
    Q_OBJECT
public:
    DesktopOpener() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
    ~DesktopOpener() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

class StartUpUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        folder = platform::GetProgramFolder();
        ASSERT_TRUE(folder.endsWith("/upkeep-startup/")) << folder.toStdString();
        QFile::remove(folder + "libupkeep.so");
        ASSERT_TRUE(QFile::copy(CASTORA_BIN_DIR "/libupkeep.so", folder + "libupkeep.so"));
        qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
        AppLog().Close();
    }
    void TearDown() override { AppLog().Close(); }

    void Publish(const QByteArray& version, std::vector<std::string> options = {}) {
        published = std::make_unique<PublishedUpdate>(std::move(options));
        published->Write("update.txt", version);
        published->Write(kInstaller, installer);
        ASSERT_TRUE(published->Start());
        QFile config(folder + "configure.ini");
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write("[SERVER]\r\nIP=127.0.0.1\r\nURL=http://127.0.0.1:1/vekservices/ClientService\r\nUPDATEURL=" +
                     published->Url().toUtf8() + "\r\n");
    }
    bool StartUp() {
        CTenancy tenancy;
        return tenancy.InitInstance();
    }
    // Start-up went on past the update step: the step after it writes this value.
    bool WentOnPastTheUpdate() {
        return platform::RegistryGetString(QString::fromLatin1(platform::kMaxClientConnectionsKey), {}) == "500";
    }

    QString folder;
    QTemporaryDir home;
    PrivateTempFolder temp;
    UpdaterUser user;
    DesktopOpener desktop;
    const QByteArray installer = SomeBytes(256 * 1024);
    std::unique_ptr<PublishedUpdate> published;
};

TEST_F(StartUpUpdate, NewerVersionAcceptedOpensTheInstallerAndEnds) {
    Publish("99.0", {"--update-kbps", "1024"});  // slow enough for the window to be seen
    EXPECT_FALSE(StartUp());
    EXPECT_EQ(user.questions, QStringList{"目前 upkeep_startup_test 有新版本可用，请安装最新版本！"});
    EXPECT_EQ(user.downloadWindows, 1);
    EXPECT_TRUE(user.errors.isEmpty()) << user.errors.join('|').toStdString();
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_EQ(desktop.opened[0].toLocalFile(), temp.Installer());
    QFile file(temp.Installer());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == installer);
    EXPECT_FALSE(WentOnPastTheUpdate());
    EXPECT_TRUE(user.otherWindows.isEmpty());
}

TEST_F(StartUpUpdate, NewerVersionDeclinedGoesOnToSignIn) {
    Publish("99.0");
    user.acceptUpdate = false;
    StartUp();
    EXPECT_EQ(user.questions.size(), 1);
    EXPECT_EQ(user.downloadWindows, 0);
    EXPECT_TRUE(desktop.opened.isEmpty());
    EXPECT_TRUE(WentOnPastTheUpdate());
    // The program's own binding hands back the updater's code.
    EXPECT_EQ(RunUpdateCheck(Globals().updateUrl, nullptr), 7);
}

TEST_F(StartUpUpdate, SameVersionAsksNothing) {
    for (const QByteArray& version : {QByteArray(CASTORA_PROGRAM_VERSION), QByteArray(CASTORA_PROGRAM_VERSION ".0")}) {
        Publish(version);
        StartUp();
        EXPECT_TRUE(WentOnPastTheUpdate()) << version.constData();
        EXPECT_EQ(RunUpdateCheck(Globals().updateUrl, nullptr), 6) << version.constData();
    }
    EXPECT_TRUE(user.questions.isEmpty());
    EXPECT_TRUE(desktop.opened.isEmpty());
}

TEST_F(StartUpUpdate, FailedDownloadIsShownAndStartUpGoesOn) {
    Publish("99.0", {"--update-fault", "drop-half"});
    StartUp();
    ASSERT_EQ(user.errors.size(), 1);
    EXPECT_TRUE(user.errors[0].startsWith("发生网络故障：")) << user.errors[0].toStdString();
    EXPECT_TRUE(desktop.opened.isEmpty());
    EXPECT_FALSE(QFile::exists(temp.Installer()));
    EXPECT_TRUE(WentOnPastTheUpdate());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "startup_update_test.moc"
