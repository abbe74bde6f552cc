// Drives the program's real start-up in this process. The test executable lives in a
// folder of its own, which is therefore the program folder start-up works in.

#include "client/shell/client_globals.h"
#include "client/shell/login_dlg.h"
#include "client/shell/rotating_log.h"
#include "client/shell/tenancy.h"
#include "platform/paths.h"
#include "platform/registry_store.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class StartUp : public ::testing::Test {
protected:
    void SetUp() override {
        folder = platform::GetProgramFolder();
        ASSERT_TRUE(folder.endsWith("/startup/")) << folder.toStdString();
        QDir(folder + "log").removeRecursively();
        QFile::remove(folder + "log");
        QFile::remove(folder + "configure.ini");
        QFile::remove(folder + "libupkeep.so");
        QFile::remove(RecordPath());
        AppLog().Close();
        qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
        qputenv("FAKE_UPKEEP_RECORD", RecordPath().toLocal8Bit());
        qputenv("FAKE_UPKEEP_ANSWER", "0");
    }
    void TearDown() override { AppLog().Close(); }

    QString RecordPath() { return home.filePath("update-args.txt"); }

    void WriteConfig(const QByteArray& text) {
        QFile f(folder + "configure.ini");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    void InstallFakeUpdater() {
        ASSERT_TRUE(QFile::copy(QStringLiteral(CASTORA_BIN_DIR "/../startup-fixtures/libupkeep.so"),
                                folder + "libupkeep.so"));
    }

    // Runs start-up, answering every message box it shows and noting its text; the
    // sign-in dialog, when it comes, is cancelled.
    bool Run() {
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                messages << box->text();
                box->accept();
            } else if (auto* signIn = qobject_cast<CLoginDlg*>(modal)) {
                signInShown = true;
                signIn->reject();
            }
        });
        answer.start(10);
        CTenancy tenancy;
        return tenancy.InitInstance();
    }

    QString LogText() {
        QFile f(folder + "log/tenancy.log");
        if (!f.open(QIODevice::ReadOnly)) return {};
        const QByteArray bytes = f.readAll();
        EXPECT_TRUE(bytes.startsWith("\xFF\xFE"));
        return QString(reinterpret_cast<const QChar*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    }
    QString RegistryValue() {
        return platform::RegistryGetString(QString::fromLatin1(platform::kMaxClientConnectionsKey), {});
    }

    QString folder;
    QTemporaryDir home;
    QStringList messages;
    bool signInShown = false;
};

TEST_F(StartUp, EmptyConfigurationStopsAfterLoggingTheStart) {
    WriteConfig("");
    EXPECT_FALSE(Run());
    EXPECT_EQ(messages, QStringList{"服务器配置不能为空！"});
    EXPECT_TRUE(QFileInfo(folder + "log").isDir());
    const QString text = LogText();
    EXPECT_EQ(text.count("\r\n"), 1);
    EXPECT_TRUE(text.endsWith(": 客户端启动\r\n")) << text.toStdString();
    EXPECT_EQ(RegistryValue(), "");  // ended before the registry step
}

TEST_F(StartUp, MissingUrlIsLikeNoServer) {
    WriteConfig("[SERVER]\r\nIP=http://127.0.0.1:8088\r\n");
    EXPECT_FALSE(Run());
    EXPECT_EQ(messages, QStringList{"服务器配置不能为空！"});
    EXPECT_EQ(Globals().serviceUrl, "");
    EXPECT_EQ(Globals().serverIp, "http://127.0.0.1:8088");
}

TEST_F(StartUp, OldLogWithoutMarkIsArchived) {
    QDir().mkpath(folder + "log");
    {
        QFile old(folder + "log/tenancy.log");
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("plain old log\r\n");
    }
    WriteConfig("");
    Run();
    const QStringList archives = QDir(folder + "log").entryList({"tenancy - *.log"}, QDir::Files);
    ASSERT_EQ(archives.size(), 1);
    QFile archived(folder + "log/" + archives[0]);
    ASSERT_TRUE(archived.open(QIODevice::ReadOnly));
    EXPECT_EQ(archived.readAll(), "plain old log\r\n");
    EXPECT_TRUE(LogText().endsWith("客户端启动\r\n"));
}

TEST_F(StartUp, ServerSettingsAreReadAndTheRegistryValueWritten) {
    WriteConfig("[SERVER]\r\nIP=http://h\r\nURL=http://h/vekservices/ClientService\r\nCODEIP=http://c\r\n"
                "[FTPSERVER]\r\nFTPPASSIVE=1\r\n");
    EXPECT_FALSE(Run()) << "cancelling the sign-in ends start-up";
    EXPECT_TRUE(signInShown);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(",").toStdString();
    EXPECT_EQ(Globals().serviceUrl, "http://h/vekservices/ClientService");
    EXPECT_EQ(Globals().codeBaseUrl, "http://c");
    EXPECT_EQ(Globals().ftpPassive, 1);
    EXPECT_EQ(Globals().appLogPath, folder + "log/tenancy.log");
    EXPECT_EQ(RegistryValue(), "500");
    EXPECT_FALSE(QFile::exists(RecordPath()));  // no update address: updater never called
}

TEST_F(StartUp, MissingUpdaterIsReportedAndStartUpGoesOn) {
    WriteConfig("[SERVER]\r\nIP=http://h\r\nURL=http://h/s\r\nUPDATEURL=http://h/update.txt\r\n");
    Run();
    EXPECT_EQ(messages, QStringList{"自动更新模块Upkeep.dll缺失！"});
    EXPECT_TRUE(signInShown) << "sign-in still follows";
    EXPECT_EQ(RegistryValue(), "500");
}

TEST_F(StartUp, UpdaterBesideTheProgramIsCalledWithAddressAndInstaller) {
    InstallFakeUpdater();
    WriteConfig("[SERVER]\r\nIP=http://h\r\nURL=http://h/s\r\nUPDATEURL=http://h/update.txt\r\n");
    Run();
    EXPECT_TRUE(messages.isEmpty());
    QFile record(RecordPath());
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    EXPECT_EQ(record.readAll(), "http://h/update.txt\nCastoraSetup.msi\nnull\n");
    EXPECT_EQ(RegistryValue(), "500");
}

TEST_F(StartUp, InstallerReadyEndsStartUpBeforeTheRegistryStep) {
    InstallFakeUpdater();
    qputenv("FAKE_UPKEEP_ANSWER", "1");
    WriteConfig("[SERVER]\r\nIP=http://h\r\nURL=http://h/s\r\nUPDATEURL=http://h/update.txt\r\n");
    EXPECT_FALSE(Run());
    EXPECT_TRUE(QFile::exists(RecordPath()));
    EXPECT_EQ(RegistryValue(), "");
    EXPECT_FALSE(signInShown);
}

TEST_F(StartUp, LogPathThatIsAFileDoesNotStopStartUp) {
    QFile blocker(folder + "log");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    WriteConfig("[SERVER]\r\nIP=http://h\r\nURL=http://h/s\r\n");
    Run();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(QFileInfo(folder + "log").isFile());
    EXPECT_EQ(RegistryValue(), "500");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
