// The file and multi-source broadcast tasks through the task list against castora-platform:
// the 文件直播 and 混排直播 commands run their wizards, the finished wizard's values land in
// the new record and on its page, the task is saved to a task file and imported again,
// and the multi-source page adds, edits and switches scenes with the devices' flags.

#include "client/service/password_digest.h"
#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "client/shell/command_ids.h"
#include "client/shell/message_box.h"
#include "client/tasks/child_view.h"
#include "client/tasks/file_cast_sheet.h"
#include "client/tasks/file_pg.h"
#include "client/tasks/first_pg.h"
#include "client/tasks/frame_menu_host.h"
#include "client/tasks/multi_cast_sheet.h"
#include "client/tasks/multicast_dlg.h"
#include "client/tasks/srcset_dlg.h"
#include "client/tasks/task_file.h"
#include "client/tasks/task_records.h"
#include "client/widgets/find_control.h"
#include "client/widgets/report_list.h"
#include "client/widgets/tab_pages.h"
#include "file_dialog_script.h"
#include "tests/support/platform_suite.h"
#include "tests/support/qstring_print.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

using test_support::WaitFor;

namespace {

class NoFrame : public CFrameMenuHost {
public:
    void SetMenu(int) override {}
    void RedrawFrame() override {}
};

// Acts on the modal windows the program opens, one step per window.
class ModalScript {
public:
    using Step = std::function<bool(QWidget* modal)>;  // true when the step is done
    explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || next_ >= steps_.size() || busy_) return;
            busy_ = true;
            if (steps_[next_](modal)) ++next_;
            busy_ = false;
        });
        timer_.start(30);
    }
    bool Done() const { return next_ == steps_.size(); }

private:
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    bool busy_ = false;
    QTimer timer_;
};

// Presses Next until the last page, then Finish.
bool FinishWizard(QWidget* modal) {
    auto* sheet = qobject_cast<QWizard*>(modal);
    if (!sheet) return false;
    QAbstractButton* next = sheet->button(QWizard::NextButton);
    if (next->isVisible() && next->isEnabled()) {
        next->click();
        return false;
    }
    sheet->button(QWizard::FinishButton)->click();
    return !sheet->isVisible();
}

class CastPages : public test_support::PlatformSuite {
protected:
    void SetUp() override {
        ClientGlobals& g = Globals();
        g.serviceUrl = ServiceUrl(platform_->port());
        g.serverIp = BaseUrl(platform_->port());
        g.programFolder = program_.path() + "/";
        g.userIp = "127.0.0.1";
        g.mediaServers.clear();
        g.videoDevices = {{kScreenCaptureDevice, 2, 0}, {"Test Camera", 2, 0}};
        g.audioDevices = {{"Test Microphone", 1, 0}};
        g.passwordDigest = PasswordDigest("demo123");
        ASSERT_EQ(SvcLogin("demo", g.passwordDigest), 1);
        ASSERT_TRUE(SvcGetCompany());
        ASSERT_TRUE(SvcGetMediaServerList());
        ASSERT_FALSE(g.mediaServers.isEmpty());
        SetMessageBoxResponder([this](const MessageBoxRequest& request) {
            messages << request.text;
            return IDOK;
        });
        view = std::make_unique<CChildView>(&frame);
        view->resize(1100, 640);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        ASSERT_TRUE(WaitFor([&] { return view->SignedIn(); }));
    }
    void TearDown() override {
        view.reset();
        SetMessageBoxResponder(nullptr);
    }

    QWidget* Page() const { return view->Tabs()->GetSSLPage(view->Tabs()->GetSSLActivePage()); }
    QString Field(int id) const {
        auto* edit = FindControlAs<QLineEdit>(Page(), id);
        return edit ? edit->text() : QStringLiteral("<none>");
    }

    QTemporaryDir program_, files_;
    NoFrame frame;
    std::unique_ptr<CChildView> view;
    QStringList messages;
};

TEST_F(CastPages, FileTaskFromTheWizardIsSavedAndImportedAlike) {
    CFileCastTask original;
    original.streamType = 0;
    original.videoProfile = "视频中质量（256K）";
    original.circle = 1;
    original.reconn = 1;
    original.serverRecord.id = Globals().mediaServers[0].id;
    original.autoStop = 1;
    original.endTime = QDateTime::currentDateTime().addDays(2).toString("yyyy-MM-dd HH:mm:ss");
    original.fileList = {files_.filePath("一.wmv"), files_.filePath("二.wmv"), files_.filePath("三.wmv")};
    const QString imported = files_.filePath("in.tft");
    ASSERT_TRUE(WriteTaskFile(imported, original));

    ModalScript script({[&](QWidget* modal) {
                            auto* sheet = qobject_cast<CFileCastSheet*>(modal);
                            return sheet && sheet->FirstPage()->ChooseImportFile(imported);
                        },
                        FinishWizard});
    view->OnCommand(ID_FILECAST);
    ASSERT_TRUE(script.Done()) << messages.join(",").toStdString();
    ASSERT_EQ(view->TaskSlotCount(), 1);
    EXPECT_EQ(view->Tabs()->tabText(0), "文件直播");
    EXPECT_TRUE(view->EncoderBusy());
    auto* task = dynamic_cast<CFileCastTask*>(view->TaskAt(0));
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->fileList, original.fileList);
    EXPECT_EQ(task->serverRecord.mediaName, Globals().mediaServers[0].name);
    EXPECT_EQ(task->playPathCopy, Globals().playPath);

    // The page's summaries and lists.
    EXPECT_EQ(Field(1025), "视频中质量（256K）");
    EXPECT_EQ(Field(1026), Globals().mediaServers[0].name);
    EXPECT_EQ(Field(1027), "视音频");
    EXPECT_EQ(Field(1030), "否");
    EXPECT_EQ(Field(1048), "——————————");
    EXPECT_EQ(Field(1042), "是");
    EXPECT_EQ(Field(1044), original.endTime);
    EXPECT_EQ(Field(1043), "是");
    EXPECT_EQ(Field(1045), "否");
    EXPECT_EQ(Field(1051), "");
    EXPECT_EQ(Field(1059), "mms://127.0.0.1:9100");
    auto* list = Page()->findChild<QListWidget*>("fileList");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(2)->text(), original.fileList[2]);

    // Saved through the page's save button, proposing a time-named file in the program folder.
    const QString saved = files_.filePath("saved.tft");
    {
        FileDialogScript dialog({saved});
        QTest::mouseClick(Page()->findChild<QPushButton*>("saveTask"), Qt::LeftButton);
        ASSERT_EQ(dialog.titles.size(), 1);
        EXPECT_TRUE(dialog.proposals[0].startsWith(program_.path())) << dialog.proposals[0].toStdString();
    }
    CFileCastTask reread;
    ASSERT_TRUE(ReadTaskFile(saved, reread));
    EXPECT_EQ(reread.fileList, original.fileList);
    EXPECT_EQ(reread.videoProfile, original.videoProfile);
    EXPECT_EQ(reread.circle, 1);
    EXPECT_EQ(reread.endTime, original.endTime);
    EXPECT_EQ(reread.serverRecord.id, original.serverRecord.id);

    // Leaving the tab ends the task.
    QTest::mouseClick(FindControlAs<QPushButton>(Page(), 1076), Qt::LeftButton);
    EXPECT_EQ(view->TaskSlotCount(), 0);
    EXPECT_FALSE(view->EncoderBusy());
}

TEST_F(CastPages, CancelledWizardCreatesNoTask) {
    ModalScript script({[](QWidget* modal) {
        auto* sheet = qobject_cast<QWizard*>(modal);
        if (sheet) sheet->button(QWizard::CancelButton)->click();
        return sheet != nullptr;
    }});
    view->OnCommand(ID_MULTICAST);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(view->TaskSlotCount(), 0);
    EXPECT_FALSE(view->EncoderBusy());
}

TEST_F(CastPages, MultiSourceScenesDevicesAndSwitching) {
    ModalScript wizard({[](QWidget* modal) {
                            // A profile has to be chosen on its page.
                            auto* sheet = qobject_cast<CMultiCastSheet*>(modal);
                            if (!sheet) return false;
                            if (sheet->currentId() < 2) {
                                sheet->button(QWizard::NextButton)->click();
                                return false;
                            }
                            sheet->findChild<QComboBox*>("videoProfile")->setCurrentIndex(1);
                            return true;
                        },
                        FinishWizard});
    view->OnCommand(ID_MULTICAST);
    ASSERT_TRUE(wizard.Done()) << messages.join(",").toStdString();
    auto* page = dynamic_cast<CMulticastDlg*>(Page());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(view->Tabs()->tabText(0), "混排直播");
    auto* task = dynamic_cast<CMultiCastTask*>(view->TaskAt(0));
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->outputFile, "") << "not recording";

    // Starting without scenes is refused.
    QTest::mouseClick(FindControlAs<QPushButton>(page, 1010), Qt::LeftButton);
    EXPECT_EQ(messages.last(), "您必需添加至少一个场景！");

    // A device scene and two file scenes through the scene dialog.
    const auto fillScene = [](const QString& name, const QString& file, int roll) {
        return [=](QWidget* modal) {
            auto* dialog = qobject_cast<CSrcsetDlg*>(modal);
            if (!dialog) return false;
            dialog->findChild<QLineEdit*>("sceneName")->setText(name);
            if (file.isEmpty()) {
                dialog->findChild<QRadioButton*>("deviceScene")->setChecked(true);
                dialog->findChild<QComboBox*>("videoDevice")->setCurrentText("Test Camera");
            } else {
                dialog->SetFilePath(file);
                dialog->findChild<QComboBox*>("rollMode")->setCurrentIndex(roll);
            }
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            return true;
        };
    };
    {
        ModalScript scenes({fillScene("片头", files_.filePath("intro.wmv"), 1)});
        QTest::mouseClick(page->findChild<QPushButton*>("addScene"), Qt::LeftButton);
    }
    page->SceneList()->SelectRow(0);
    {
        ModalScript scenes({fillScene("现场", QString(), 0)});
        QTest::mouseClick(page->findChild<QPushButton*>("addScene"), Qt::LeftButton);
    }
    page->SceneList()->clearSelection();
    {
        ModalScript scenes({fillScene("片尾", files_.filePath("outro.wmv"), 0)});
        QTest::mouseClick(page->findChild<QPushButton*>("addScene"), Qt::LeftButton);
    }
    ASSERT_EQ(task->sourceList.size(), 3u);
    EXPECT_EQ(task->sourceList[1]->sceneName, "现场") << "inserted after the selected row";
    EXPECT_EQ(task->sourceList[1]->isFile, 0);
    EXPECT_TRUE(task->sourceList[1]->groupName.startsWith("SG_LIVE_"));
    EXPECT_TRUE(task->sourceList[0]->groupName.startsWith("SG_FILE_"));
    EXPECT_EQ(task->sourceList[0]->rollMode, 1);
    EXPECT_NE(task->sourceList[0]->groupName, task->sourceList[2]->groupName)
        << "scenes made in the same second still get groups of their own";
    EXPECT_EQ(Globals().videoDevices[1].flag, 1) << "the device scene's camera is in use";
    CReportList* list = page->SceneList();
    EXPECT_EQ(list->GetItemText(0, 1), "intro.wmv");
    EXPECT_EQ(list->GetItemText(1, 1), "Test Camera");
    EXPECT_EQ(list->GetItemText(1, 2), "Test Microphone");

    // Editing: no row chosen is refused; the device scene's camera is offered again while editing.
    list->clearSelection();
    QTest::mouseClick(page->findChild<QPushButton*>("editScene"), Qt::LeftButton);
    EXPECT_EQ(messages.last(), "您必须选择要切换的场景！");
    list->SelectRow(1);
    bool cameraOffered = false;
    {
        ModalScript edit({[&](QWidget* modal) {
            auto* dialog = qobject_cast<CSrcsetDlg*>(modal);
            if (!dialog) return false;
            cameraOffered = dialog->findChild<QComboBox*>("videoDevice")->findText("Test Camera") >= 0;
            dialog->findChild<QLineEdit*>("sceneName")->setText("演播室");
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            return true;
        }});
        QTest::mouseClick(page->findChild<QPushButton*>("editScene"), Qt::LeftButton);
    }
    EXPECT_TRUE(cameraOffered);
    EXPECT_EQ(list->GetItemText(1, 0), "演播室");
    EXPECT_EQ(Globals().videoDevices[1].flag, 1);

    // Switching: nothing selected, then while stopped nothing happens.
    list->clearSelection();
    QTest::mouseClick(page->findChild<QPushButton*>("switchScene"), Qt::LeftButton);
    EXPECT_EQ(messages.last(), "您必须选择要切换的场景！");
    const int before = static_cast<int>(messages.size());
    list->SelectRow(1);
    QTest::mouseClick(page->findChild<QPushButton*>("switchScene"), Qt::LeftButton);
    EXPECT_EQ(messages.size(), before);
    EXPECT_EQ(page->LiveScene(), -1);

    // The encoder's group-active report highlights the live scene and fills its texts.
    page->ShowLiveScene(task->sourceList[2]->groupName);
    EXPECT_EQ(page->LiveScene(), 2);
    EXPECT_EQ(list->topLevelItem(2)->background(0).color(), QColor(0, 255, 0));
    EXPECT_EQ(Field(1109), "片尾");
    EXPECT_EQ(Field(1123), "outro.wmv");
    page->ShowLiveScene(task->sourceList[1]->groupName);
    EXPECT_EQ(list->topLevelItem(2)->background(0).style(), Qt::NoBrush) << "the old live row loses its colour";
    EXPECT_EQ(Field(1109), "演播室");
    EXPECT_EQ(Field(1123), "Test Camera");
    EXPECT_EQ(Field(1125), "Test Microphone");
    list->SelectRow(1);
    QTest::mouseClick(page->findChild<QPushButton*>("switchScene"), Qt::LeftButton);
    EXPECT_EQ(messages.last(), "您不能切换到正在直播的场景！");

    // Closing the tab frees the devices of the device scenes.
    QTest::mouseClick(FindControlAs<QPushButton>(page, 1076), Qt::LeftButton);
    EXPECT_EQ(view->TaskSlotCount(), 0);
    EXPECT_EQ(Globals().videoDevices[1].flag, 0);
}

}  // namespace
