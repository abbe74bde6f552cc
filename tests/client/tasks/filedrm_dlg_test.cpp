// The DRM protect page against castora-platform: its checks (171, 153, 156), a run over
// a folder of media files (new names, uploadVideo with key ids, summary 163), a failing
// file (trace, question 140, Ignore / Retry / Abort), stopping (101 Yes/No, summary 166),
// and the controls a run disables.

#include "client/service/password_digest.h"
#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "client/shell/command_ids.h"
#include "client/shell/message_box.h"
#include "client/tasks/child_view.h"
#include "client/tasks/filedrm_dlg.h"
#include "client/tasks/frame_menu_host.h"
#include "client/tasks/task_list_message.h"
#include "client/tasks/task_records.h"
#include "client/widgets/find_control.h"
#include "client/widgets/tab_pages.h"
#include "drm/protected_file_info.h"
#include "platform/code_page.h"
#include "tests/drm/drm_test_media.h"
#include "tests/sim/platform_process.h"
#include "tests/support/gui_test.h"
#include "file_dialog_script.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using test_support::WaitFor;

namespace {

// The view's window handle as far as the page is concerned: the codes it was sent.
class ViewStub : public platform::MessageTarget {
public:
    std::vector<int> codes;

protected:
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM) override {
        if (msg == WM_TASKLIST) codes.push_back(static_cast<int>(wParam));
        return 0;
    }
};

class NoFrame : public CFrameMenuHost {
public:
    void SetMenu(int) override {}
    void RedrawFrame() override {}
};

class FileDrmPage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test_support::App();
        platform_ = new simtest::PlatformProcess();
        ASSERT_TRUE(platform_->Start());
        media_ = new QTemporaryDir;
        clip_ = drm_test::MakeAsfmuxWmv(media_->filePath("clip.wmv"), 2);
    }
    static void TearDownTestSuite() {
        delete platform_;
        delete media_;
    }

    void SetUp() override {
        ASSERT_FALSE(clip_.isEmpty());
        Globals().serviceUrl = QStringLiteral("http://127.0.0.1:%1/vekservices/ClientService").arg(platform_->port());
        Globals().programFolder = program_.path() + "/";
        QDir(program_.path()).mkdir("log");
        SignInAs("demo", "demo123");
        SetMessageBoxResponder([this](const MessageBoxRequest& request) {
            messages << request.text;
            captions << request.caption;
            const auto it = answers.find(request.text);
            return it != answers.end() ? it->second : (request.buttons == MsgButtons::YesNo ? IDYES : IDOK);
        });
        page = std::make_unique<CFiledrmDlg>();
        page->SetUp(&view, &record);
        page->resize(page->DesignSize());
        page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
        QDir(work_.path()).mkdir("in");
        QDir(work_.path()).mkdir("out");
    }
    void TearDown() override {
        page.reset();
        SetMessageBoxResponder(nullptr);
    }

    static void SignInAs(const char* user, const char* password) {
        Globals().passwordDigest = PasswordDigest(password);
        ASSERT_EQ(SvcLogin(user, Globals().passwordDigest), 1);
        ASSERT_TRUE(SvcGetCompany());
    }
    QString In(const QString& name = QString()) const { return work_.filePath("in/" + name); }
    QString Out() const { return work_.filePath("out"); }
    QPushButton* Button(int id) const { return FindControlAs<QPushButton>(page.get(), id); }
    void Click(int id) const { QTest::mouseClick(Button(id), Qt::LeftButton); }
    QString Status() const { return FindControl(page.get(), 1085)->property("text").toString(); }
    bool RunEnded() const { return page->PageState() == 4; }
    QStringList Outputs() const { return QDir(Out()).entryList(QDir::Files, QDir::Name); }
    QString Trace() const {
        QFile file(program_.filePath("log/drm.txt"));
        return file.open(QIODevice::ReadOnly) ? platform::FromAnsi(file.readAll()) : QString();
    }
    // The key ids the platform has from uploadVideo for the demo company.
    QStringList RegisteredKeyIds() const {
        QFile file(QString::fromStdString(platform_->dataDir()) + "/platform-state.json");
        if (!file.open(QIODevice::ReadOnly)) return {};
        QStringList kids;
        for (const QJsonValue& v : QJsonDocument::fromJson(file.readAll()).object().value("videos").toArray())
            if (v.toObject().value("companyId").toInteger() == 1001) kids << v.toObject().value("kid").toString();
        return kids;
    }
    void Copy(const QString& name) const { ASSERT_TRUE(QFile::copy(clip_, In(name))); }

    static simtest::PlatformProcess* platform_;
    static QTemporaryDir* media_;
    static QString clip_;
    QTemporaryDir program_, work_;
    ViewStub view;
    CFileDrmTask record;
    std::unique_ptr<CFiledrmDlg> page;
    QStringList messages, captions;
    std::map<QString, int> answers;
};

simtest::PlatformProcess* FileDrmPage::platform_ = nullptr;
QTemporaryDir* FileDrmPage::media_ = nullptr;
QString FileDrmPage::clip_;

TEST_F(FileDrmPage, ControlsAsTheDialogHasThem) {
    for (int id : {1083, 1090, 1089, 1081, 1010, 1013, 1017, 1079, 1085})
        EXPECT_TRUE(FindControl(page.get(), id) && FindControl(page.get(), id)->isVisible()) << id;
    for (int id : {1080, 1086, 1084}) EXPECT_FALSE(FindControl(page.get(), id)->isVisible()) << id;
    EXPECT_EQ(Button(1010)->text(), "开始");
    EXPECT_EQ(Button(1013)->text(), "停止");
    EXPECT_FALSE(Button(1013)->isEnabled());
    EXPECT_EQ(Status(), "总进度：");
    EXPECT_EQ(FindControl(page.get(), 1083)->accessibleName(), "输入目录：");
}

TEST_F(FileDrmPage, TheChooseButtonsTakeAFolderFromTheFolderBrowser) {
    FileDialogScript script({In(), Out(), QString()});
    Click(1090);
    EXPECT_EQ(page->InputFolder(), QDir(In()).absolutePath());
    EXPECT_EQ(FindControl(page.get(), 1083)->property("text").toString(), page->InputFolder());
    Click(1081);
    EXPECT_EQ(page->OutputFolder(), Out());
    EXPECT_EQ(record.outputFolder, Out());
    Click(1081);  // cancelled: the folder stays
    EXPECT_EQ(page->OutputFolder(), Out());
    EXPECT_EQ(script.titles.size(), 3);
}

TEST_F(FileDrmPage, StartChecksBalanceAndBothFolders) {
    Click(1010);
    EXPECT_EQ(messages, QStringList{"您必须选择视频所在目录！"});
    page->SetInputFolder(In());
    Click(1010);
    EXPECT_EQ(messages.last(), "您必须选择加密视音频输出目录！");
    page->SetOutputFolder(Out());
    EXPECT_EQ(record.inputFolder, In());
    EXPECT_EQ(record.outputFolder, Out());

    // An account without DRM balance: the menu command is refused, and so is the page's start.
    SignInAs("empty", "empty123");
    messages.clear();
    Click(1010);
    EXPECT_EQ(messages, QStringList{"您的DRM服务余额为零！"});
    EXPECT_EQ(page->PageState(), 4);
    EXPECT_TRUE(view.codes.empty());
    NoFrame frame;
    CChildView childView(&frame);
    childView.resize(1000, 600);
    childView.show();
    ASSERT_TRUE(WaitFor([&] { return childView.SignedIn(); }));
    messages.clear();
    childView.OnCommand(ID_FILE_DRM);
    EXPECT_EQ(messages, QStringList{"您的DRM服务余额为零！"});
    EXPECT_EQ(childView.TaskSlotCount(), 0);
    // With a balance the command opens this page.
    SignInAs("demo", "demo123");
    childView.OnCommand(ID_FILE_DRM);
    ASSERT_EQ(childView.TaskSlotCount(), 1);
    EXPECT_TRUE(dynamic_cast<CFiledrmDlg*>(childView.Tabs()->GetSSLPage(0)));
    EXPECT_EQ(childView.Tabs()->tabText(0), "文件加密");
}

TEST_F(FileDrmPage, ProtectsEveryMediaFileUnderNewNamesAndReportsEach) {
    for (const char* name : {"a.wmv", "b.WMV", "c.asf"}) Copy(name);
    ASSERT_TRUE(drm_test::WriteAll(In("notes.txt"), "not media"));
    const int registeredBefore = static_cast<int>(RegisteredKeyIds().size());
    page->SetInputFolder(In());
    page->SetOutputFolder(Out());
    Click(1010);
    EXPECT_EQ(page->PageState(), 2);
    EXPECT_FALSE(Button(1010)->isEnabled());
    EXPECT_FALSE(Button(1017)->isEnabled());
    EXPECT_FALSE(Button(1090)->isEnabled());
    EXPECT_FALSE(Button(1081)->isEnabled());
    EXPECT_TRUE(Button(1013)->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return RunEnded(); }, 60000));

    EXPECT_EQ(Status(), "处理完所有文件（总共3个文件/成功3个文件）！");
    EXPECT_EQ(FindControl(page.get(), 1086)->property("text").toString(), Status());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
    EXPECT_EQ(view.codes, (std::vector<int>{kTaskStarted, kTaskStopped}));
    EXPECT_TRUE(Button(1010)->isEnabled());
    EXPECT_TRUE(Button(1017)->isEnabled());
    EXPECT_FALSE(Button(1013)->isEnabled());

    // Three outputs with different names, each protected, each key id reported.
    const QStringList outputs = Outputs();
    ASSERT_EQ(outputs.size(), 3) << outputs.join(' ').toStdString();
    const QStringList kids = RegisteredKeyIds().mid(registeredBefore);
    ASSERT_EQ(kids.size(), 3);
    for (const QString& name : outputs) {
        EXPECT_TRUE(QRegularExpression("^\\d{14}\\d{5,10}\\.(wmv|WMV|asf)$").match(name).hasMatch()) << name.toStdString();
        drm::ProtectedFileInfo info;
        ASSERT_EQ(drm::ReadProtectedFile(QDir(Out()).filePath(name), &info), drm::S_OK);
        EXPECT_TRUE(info.signatureValid);
        EXPECT_TRUE(kids.contains(info.rights.data.keyId));
        EXPECT_EQ(info.rights.data.licenceUrl, QString::fromStdString(platform_->Call("getCompany", "",
                                                                                      platform_->Login("demo", "demo123"))
                                                                          .Field("drmUrl")));
    }
    EXPECT_EQ(QSet<QString>(kids.begin(), kids.end()).size(), 3);
    EXPECT_EQ(record.lastKid, kids.last());
}

TEST_F(FileDrmPage, AFailingFileIsTracedAskedAndIgnoredOrRetriedOrAborted) {
    ASSERT_TRUE(drm_test::WriteAll(In("a_broken.wmv"), QByteArray(4000, 'x')));
    Copy("b_good.wmv");
    page->SetInputFolder(In());
    page->SetOutputFolder(Out());

    // Ignore: on to the next file.
    answers["加密文件a_broken.wmv失败！"] = IDIGNORE;
    Click(1010);
    ASSERT_TRUE(WaitFor([&] { return RunEnded(); }, 60000));
    EXPECT_EQ(messages, QStringList{"加密文件a_broken.wmv失败！"});
    EXPECT_EQ(captions, QStringList{"提示"});
    EXPECT_TRUE(Trace().endsWith("ProtectFile失败！\r\n")) << Trace().toStdString();
    EXPECT_EQ(Outputs().size(), 1);
    EXPECT_EQ(Status(), "处理完所有文件（总共2个文件/成功1个文件）！");

    // Retry asks again; Abort then ends the run before the good file.
    int asked = 0;
    SetMessageBoxResponder([&](const MessageBoxRequest& request) {
        messages << request.text;
        return ++asked == 1 ? IDRETRY : IDABORT;
    });
    messages.clear();
    Click(1010);
    ASSERT_TRUE(WaitFor([&] { return RunEnded(); }, 60000));
    EXPECT_EQ(messages, (QStringList{"加密文件a_broken.wmv失败！", "加密文件a_broken.wmv失败！"}));
    EXPECT_EQ(Outputs().size(), 1);
    EXPECT_EQ(Status(), "处理完所有文件（总共2个文件/成功0个文件）！");
}

TEST_F(FileDrmPage, StoppingAsksFirstAndEndsWithTheStopSummary) {
    for (int i = 0; i < 60; ++i) Copy(QString("clip%1.wmv").arg(i, 2, 10, QChar('0')));
    page->SetInputFolder(In());
    page->SetOutputFolder(Out());
    Click(1010);
    auto* total = FindControlAs<QProgressBar>(page.get(), 1079);
    ASSERT_TRUE(WaitFor([&] { return total->value() >= 1 || RunEnded(); }, 60000));
    answers["您确定要中止任务吗？"] = IDNO;
    Click(1013);
    EXPECT_EQ(messages.last(), "您确定要中止任务吗？");
    EXPECT_EQ(page->PageState(), 2) << "No keeps the run going";
    answers["您确定要中止任务吗？"] = IDYES;
    Click(1013);
    EXPECT_EQ(page->PageState(), 4) << "Stop waits for the worker";
    const QStringList outputs = Outputs();
    EXPECT_LT(outputs.size(), 60);
    EXPECT_EQ(Status(), QString("停止处理所有文件（成功%1个文件/总共60个文件）！").arg(outputs.size()));
    EXPECT_EQ(view.codes.back(), kTaskStopped);
}

TEST_F(FileDrmPage, CloseDuringARunStopsItAndClosesTheTask) {
    for (int i = 0; i < 10; ++i) Copy(QString("clip%1.wmv").arg(i));
    page->SetInputFolder(In());
    page->SetOutputFolder(Out());
    Click(1010);
    page->Close();
    EXPECT_EQ(page->PageState(), 4);
    EXPECT_EQ(view.codes, (std::vector<int>{kTaskStarted, kTaskStopped, kTaskClosed}));
}

}  // namespace
