// The upload page against castora-platform and its FTP storage: files chosen in the file
// dialog land byte for byte at "%Y%m%d/<time><number>.<ext>" and are registered with
// uploadVideo; the storage going away (174 with Abort/Retry/Ignore), a vanished file
// (164), and stopping a large upload (101, ABOR, summary 166, nothing registered).

#include "client/service/password_digest.h"
#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "client/shell/command_ids.h"
#include "client/shell/message_box.h"
#include "client/tasks/child_view.h"
#include "client/tasks/fileupload_dlg.h"
#include "client/tasks/frame_menu_host.h"
#include "client/tasks/task_list_message.h"
#include "client/tasks/task_records.h"
#include "client/tasks/upload_item.h"
#include "client/widgets/find_control.h"
#include "client/widgets/tab_pages.h"
#include "platform/code_page.h"
#include "tests/sim/platform_process.h"
#include "tests/support/gui_test.h"
#include "file_dialog_script.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <signal.h>

using test_support::WaitFor;

namespace {

class NoFrame : public CFrameMenuHost {
public:
    void SetMenu(int) override {}
    void RedrawFrame() override {}
};

QByteArray RandomBytes(int size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& b : bytes) b = static_cast<char>(QRandomGenerator::global()->generate());
    return bytes;
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The highest value a progress bar showed.
struct BarPeak {
    explicit BarPeak(QProgressBar* bar) {
        QObject::connect(bar, &QProgressBar::valueChanged, bar, [this](int v) { peak = std::max(peak, v); });
    }
    int peak = 0;
};

class FileUploadPage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test_support::App();
        platform_ = new simtest::PlatformProcess({}, true);
        ASSERT_TRUE(platform_->Start());
    }
    static void TearDownTestSuite() {
        delete platform_;
        platform_ = nullptr;
    }

    void SetUp() override {
        Globals().serviceUrl = QStringLiteral("http://127.0.0.1:%1/vekservices/ClientService").arg(platform_->port());
        Globals().programFolder = program_.path() + "/";
        Globals().ftpPassive = 1;
        Globals().passwordDigest = PasswordDigest("demo123");
        ASSERT_EQ(SvcLogin("demo", Globals().passwordDigest), 1);
        ASSERT_TRUE(SvcGetCompany());
        SetMessageBoxResponder([this](const MessageBoxRequest& request) -> int {
            messages << request.text;
            captions << request.caption;
            if (onQuestion) return onQuestion(request);
            return request.buttons == MsgButtons::AbortRetryIgnore ? IDIGNORE : IDOK;
        });
        view = std::make_unique<CChildView>(&frame);
        view->resize(1000, 600);
        view->show();
        ASSERT_TRUE(WaitFor([&] { return view->SignedIn(); }));
        view->OnCommand(ID_FILE_UPLOAD);
        ASSERT_EQ(view->TaskSlotCount(), 1);
        page = dynamic_cast<CFileuploadDlg*>(view->Tabs()->GetSSLPage(0));
        ASSERT_TRUE(page);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(page));
    }
    void TearDown() override {
        view.reset();
        SetMessageBoxResponder(nullptr);
    }

    QString Storage() const {
        return QString::fromStdString(platform_->dataDir()) + "/storage/" + Globals().account.ftpUser + "/";
    }
    // The demo company's uploadVideo records, oldest first.
    static QList<QJsonObject> Videos() {
        QFile file(QString::fromStdString(platform_->dataDir()) + "/platform-state.json");
        QList<QJsonObject> videos;
        if (!file.open(QIODevice::ReadOnly)) return videos;
        for (const QJsonValue& v : QJsonDocument::fromJson(file.readAll()).object().value("videos").toArray())
            if (v.toObject().value("companyId").toInteger() == 1001) videos << v.toObject();
        return videos;
    }
    QString Work(const QString& name) const { return work_.filePath(name); }
    QPushButton* Button(int id) const { return FindControlAs<QPushButton>(page, id); }
    void Click(int id) const { QTest::mouseClick(Button(id), Qt::LeftButton); }
    QString Text(int id) const { return FindControl(page, id)->property("text").toString(); }
    bool RunEnded() const { return page->PageState() == 4; }
    QString FtpTrace() const { return platform::FromAnsi(ReadAll(program_.filePath("ftp.txt"))); }
    void StartAndWait(int timeoutMs = 60000) {
        Click(1010);
        ASSERT_TRUE(WaitFor([&] { return RunEnded(); }, timeoutMs));
    }

    static simtest::PlatformProcess* platform_;
    QTemporaryDir program_, work_;
    NoFrame frame;
    std::unique_ptr<CChildView> view;
    CFileuploadDlg* page = nullptr;
    QStringList messages, captions;
    std::function<int(const MessageBoxRequest&)> onQuestion;
};

simtest::PlatformProcess* FileUploadPage::platform_ = nullptr;

TEST_F(FileUploadPage, TwoChosenFilesLandByteForByteAndAreRegistered) {
    const QByteArray video = RandomBytes(700000), audio = RandomBytes(123457);
    ASSERT_TRUE(WriteAll(Work("clip.wmv"), video));
    ASSERT_TRUE(WriteAll(Work("song.WMA"), audio));
    EXPECT_FALSE(Button(1018)->isEnabled());
    {
        FileDialogScript script({QString("\"%1\" \"%2\"").arg(Work("clip.wmv"), Work("song.WMA"))});
        Click(1078);
        EXPECT_EQ(script.filters.value(0), CFileuploadDlg::kFileFilter);
    }
    ASSERT_EQ(page->Files(), (QStringList{Work("clip.wmv"), Work("song.WMA")}));
    EXPECT_TRUE(Button(1018)->isEnabled());

    const int before = static_cast<int>(Videos().size());
    BarPeak single(FindControlAs<QProgressBar>(page, 1080)), total(FindControlAs<QProgressBar>(page, 1079));
    Click(1010);
    EXPECT_FALSE(Button(1010)->isEnabled());
    EXPECT_FALSE(Button(1017)->isEnabled());
    EXPECT_FALSE(Button(1078)->isEnabled());
    EXPECT_TRUE(Button(1013)->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return RunEnded(); }, 60000));

    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
    EXPECT_EQ(Text(1085), "处理完所有文件（总共2个文件/成功2个文件）！");
    EXPECT_EQ(Text(1086), Text(1085));
    EXPECT_EQ(single.peak, 100);
    EXPECT_EQ(total.peak, 2);
    EXPECT_TRUE(Button(1010)->isEnabled());
    EXPECT_TRUE(Button(1078)->isEnabled());
    EXPECT_FALSE(Button(1013)->isEnabled());

    const QList<QJsonObject> videos = Videos().mid(before);
    ASSERT_EQ(videos.size(), 2);
    const QString today = QDate::currentDate().toString("yyyyMMdd");
    const QList<QPair<QString, QByteArray>> expected{{"clip.wmv", video}, {"song.WMA", audio}};
    for (int i = 0; i < 2; ++i) {
        const QJsonObject& v = videos[i];
        EXPECT_EQ(v.value("videoName").toString(), expected[i].first);
        EXPECT_EQ(v.value("uploadFolder").toString(), today);
        const QString name = v.value("uploadName").toString();
        EXPECT_TRUE(QRegularExpression("^" + today + "\\d{6}\\d{5}\\" + expected[i].first.right(4) + "$").match(name).hasMatch())
            << name.toStdString();
        EXPECT_EQ(v.value("onlyAudio").toInt(), i == 1 ? 1 : 0);
        EXPECT_EQ(v.value("videoSize").toInteger(), expected[i].second.size());
        EXPECT_EQ(v.value("isUpload").toInt(), 0);
        EXPECT_EQ(v.value("kid").toString(), "");
        EXPECT_TRUE(v.value("inStorage").toBool());
        EXPECT_EQ(ReadAll(Storage() + today + "/" + name), expected[i].second) << name.toStdString();
    }
    EXPECT_NE(videos[0].value("uploadName").toString(), videos[1].value("uploadName").toString());
    // The state page lists them.
    const std::string state = platform_->Get("/");
    EXPECT_NE(state.find(videos[1].value("uploadName").toString().toStdString()), std::string::npos);

    Click(1018);
    EXPECT_TRUE(page->Files().isEmpty());
    EXPECT_FALSE(Button(1018)->isEnabled());
}

TEST_F(FileUploadPage, AnEmptyListRunsAndReportsNoneOfNone) {
    StartAndWait();
    EXPECT_EQ(Text(1085), "处理完所有文件（总共0个文件/成功0个文件）！");
    EXPECT_TRUE(messages.isEmpty());
}

TEST(UploadItems, NamesOfOneSecondDifferAndAudioIsToldByItsLastLetters) {
    const QString first = NewUploadName("a.wmv");
    const QString second = NewUploadName("a.wmv", first);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.size(), 14 + 5 + 4);
    EXPECT_TRUE(first.endsWith(".wmv"));
    EXPECT_EQ(MakeUploadItem("/x/y/song.WMA").onlyAudio, 1);
    EXPECT_EQ(MakeUploadItem("/x/y/song.Mp3").onlyAudio, 1);
    EXPECT_EQ(MakeUploadItem("/x/y/film.wmv").onlyAudio, 0);
    EXPECT_EQ(MakeUploadItem("/x/y/film.wmv").videoName, "film.wmv");
    EXPECT_EQ(MakeUploadItem("/x/y/gone.wmv").videoSize, 0);
}

TEST_F(FileUploadPage, AVanishedOrUnreadableFileIsAskedAboutAndIgnored) {
    ASSERT_TRUE(WriteAll(Work("gone.wmv"), RandomBytes(1000)));
    ASSERT_TRUE(WriteAll(Work("kept.wmv"), RandomBytes(5000)));
    // A folder under a media name opens but cannot be read, as a file without read
    // permission cannot (permissions do not hold for the root user the tests may run as).
    ASSERT_TRUE(QDir(work_.path()).mkdir("folder.wmv"));
    page->AddFiles({Work("gone.wmv"), Work("folder.wmv"), Work("kept.wmv")});
    ASSERT_TRUE(QFile::remove(Work("gone.wmv")));
    const int before = static_cast<int>(Videos().size());
    StartAndWait();
    EXPECT_EQ(messages, (QStringList{"上传文件gone.wmv失败！", "上传文件folder.wmv失败！"}));
    EXPECT_EQ(captions, (QStringList{"提示", "提示"}));
    EXPECT_TRUE(FtpTrace().contains("本地文件不存在"));
    EXPECT_EQ(Text(1085), "处理完所有文件（总共3个文件/成功1个文件）！");
    const QList<QJsonObject> videos = Videos().mid(before);
    ASSERT_EQ(videos.size(), 1);
    EXPECT_EQ(videos[0].value("videoName").toString(), "kept.wmv");
}

TEST_F(FileUploadPage, StoppingALargeUploadAsksSendsAborAndRegistersNothing) {
    QFile big(Work("big.wmv"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(200LL * 1024 * 1024));
    big.close();
    page->AddFiles({Work("big.wmv")});
    page->SetTransferBufferSize(512);  // slow enough on loopback to be stopped halfway
    const int before = static_cast<int>(Videos().size());
    auto* single = FindControlAs<QProgressBar>(page, 1080);
    Click(1010);
    ASSERT_TRUE(WaitFor([&] { return single->value() >= 2 || RunEnded(); }, 60000));
    ASSERT_FALSE(RunEnded()) << "the upload finished before it could be stopped";

    onQuestion = [](const MessageBoxRequest&) -> int { return IDCANCEL; };
    Click(1013);
    EXPECT_EQ(messages, QStringList{"您确定要中止任务吗？"});
    EXPECT_EQ(page->PageState(), 2) << "Cancel keeps the run going";

    onQuestion = [](const MessageBoxRequest&) -> int { return IDOK; };
    QElapsedTimer clock;
    clock.start();
    Click(1013);
    EXPECT_EQ(page->PageState(), 4);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(Text(1085), "停止处理所有文件（成功0个文件/总共1个文件）！");
    EXPECT_EQ(messages.size(), 2);
    EXPECT_TRUE(FtpTrace().contains("ABOR")) << FtpTrace().right(400).toStdString();
    EXPECT_TRUE(FtpTrace().contains("TransferData senddata fail"));
    EXPECT_EQ(Videos().size(), before);
}

TEST_F(FileUploadPage, WithoutVodBalanceNothingStarts) {
    Globals().account.vodCount = 0;
    page->AddFiles({Work("x.wmv")});
    Click(1010);
    EXPECT_EQ(messages, QStringList{"您的点播余额为零！"});
    EXPECT_EQ(page->PageState(), 4);
    EXPECT_TRUE(Button(1010)->isEnabled());
}

TEST_F(FileUploadPage, ADroppedDataConnectionIsAskedAboutAndRetryResumesTheFile) {
    // A storage server that cuts the first upload's data connection after 100,000 bytes.
    QProcess storage;
    storage.start("/usr/bin/python3", {CASTORA_SOURCE_DIR "/tests/ftp/ftp_server.py", "--root", Storage(), "--user",
                                       Globals().account.ftpUser, "--password", Globals().account.ftpPass,
                                       "--drop-after", "100000"});
    ASSERT_TRUE(storage.waitForReadyRead(10000));
    const int port = QString::fromLatin1(storage.readLine()).split(' ').value(1).trimmed().toInt();
    ASSERT_GT(port, 0);
    Globals().account.port = port;

    const QByteArray content = RandomBytes(900000);
    ASSERT_TRUE(WriteAll(Work("cut.wmv"), content));
    page->AddFiles({Work("cut.wmv")});
    const int before = static_cast<int>(Videos().size());
    onQuestion = [](const MessageBoxRequest& r) -> int { return r.buttons == MsgButtons::AbortRetryIgnore ? IDRETRY : IDOK; };
    StartAndWait();
    EXPECT_EQ(messages, QStringList{"上传文件cut.wmv失败！"});
    EXPECT_EQ(Text(1085), "处理完所有文件（总共1个文件/成功1个文件）！");
    const QList<QJsonObject> videos = Videos().mid(before);
    ASSERT_EQ(videos.size(), 1) << "registered once, after the whole file was stored";
    const QString stored = Storage() + videos[0].value("uploadFolder").toString() + "/" + videos[0].value("uploadName").toString();
    EXPECT_EQ(ReadAll(stored), content);
    EXPECT_TRUE(FtpTrace().contains("APPE /")) << "the retry sends only what the storage is missing";
    storage.closeWriteChannel();
    storage.waitForFinished(10000);
}

// Last of the suite: the storage it brings back is its own.
// The pid listening on a loopback port (the platform's storage child).
qint64 ListenerPid(int port) {
    QProcess lsof;
    lsof.start("lsof", {"-t", QString("-iTCP:%1").arg(port), "-sTCP:LISTEN"});
    lsof.waitForFinished(10000);
    return QString::fromLatin1(lsof.readAllStandardOutput()).split('\n').value(0).toLongLong();
}

TEST_F(FileUploadPage, StorageDownAsksLoginFailedAndRetryIgnoreAbortDoWhatTheySay) {
    ASSERT_TRUE(WriteAll(Work("a.wmv"), RandomBytes(4000)));
    ASSERT_TRUE(WriteAll(Work("b.wmv"), RandomBytes(6000)));
    page->AddFiles({Work("a.wmv"), Work("b.wmv")});
    const int port = platform_->ftpPort();
    const qint64 storagePid = ListenerPid(port);
    ASSERT_GT(storagePid, 0);
    ASSERT_EQ(::kill(static_cast<pid_t>(storagePid), SIGKILL), 0);
    ASSERT_TRUE(WaitFor([&] { return !simtest::PortAccepts(port); }));

    // Abort ends the run at once.
    onQuestion = [](const MessageBoxRequest& r) -> int { return r.buttons == MsgButtons::AbortRetryIgnore ? IDABORT : IDOK; };
    StartAndWait();
    EXPECT_EQ(messages, QStringList{"FTP登录失败！"});
    EXPECT_EQ(captions, QStringList{"提示"});
    EXPECT_EQ(Text(1085), "处理完所有文件（总共2个文件/成功0个文件）！");

    // Ignore goes on with the next file, which is asked about too.
    messages.clear();
    onQuestion = {};
    StartAndWait();
    EXPECT_EQ(messages, (QStringList{"FTP登录失败！", "FTP登录失败！"}));

    // Retry once the storage is back uploads the file.
    const int before = static_cast<int>(Videos().size());
    QProcess storage;
    messages.clear();
    onQuestion = [&](const MessageBoxRequest& r) -> int {
        if (storage.state() == QProcess::NotRunning) {
            storage.start("/usr/bin/python3", {"-m", "pyftpdlib", "-i", "127.0.0.1", "-p", QString::number(port), "-w",
                                               "-d", Storage(), "-u", Globals().account.ftpUser, "-P",
                                               Globals().account.ftpPass});
            WaitFor([&] { return simtest::PortAccepts(port); });
        }
        return r.buttons == MsgButtons::AbortRetryIgnore ? IDRETRY : IDOK;
    };
    StartAndWait();
    EXPECT_EQ(messages, QStringList{"FTP登录失败！"});
    EXPECT_EQ(Text(1085), "处理完所有文件（总共2个文件/成功2个文件）！");
    EXPECT_EQ(Videos().size(), before + 2);
    storage.terminate();
    storage.waitForFinished(5000);
}

}  // namespace
