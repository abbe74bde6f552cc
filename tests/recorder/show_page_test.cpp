// The show page and the add dialog's custom mode, driven through the real windows.

#include "platform/ini_store.h"
#include "recorder/add_show_dlg.h"
#include "recorder/edit_list_ctrl.h"
#include "recorder/recorder_globals.h"
#include "recorder/recorder_show_dlg.h"
#include "recorder/show_list_model.h"
#include "recorder_window.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTimeEdit>

using namespace recorder_test;

namespace {

constexpr QByteArrayView kClosedPort = "http://127.0.0.1:1";

class ShowPage : public RecorderWindowTest {
protected:
    void WriteShows(const QByteArray& sections) { WriteFile(folder + "CurrentShowList.ini", sections); }
    QString Key(int n, const char* key) const {
        return platform::GetPrivateProfileString(QStringLiteral("SHOWLIST_%1").arg(n), QString::fromLatin1(key),
                                                 "<none>", folder + "CurrentShowList.ini");
    }
    int Count() const {
        return platform::GetPrivateProfileInt("SHOWLIST", "CURCOUNT", -1, folder + "CurrentShowList.ini");
    }
    ShowListStore& List() const { return dialog->ShowPage()->Store(); }
    CEditListCtrl* View() const { return dialog->ShowPage()->List(); }
    CAddShowDlg* AddDialog() const { return dialog->ShowPage()->AddDialog(); }

    // Edits a cell of the list in place: the editor opens, gets the text, Enter commits it.
    void EditCell(int row, int column, const QString& text) {
        const QModelIndex index = View()->model()->index(row, column);
        View()->setCurrentIndex(index);
        View()->edit(index);
        QWidget* editor = View()->viewport()->findChild<QTimeEdit*>();
        if (auto* time = qobject_cast<QTimeEdit*>(editor)) {
            time->setTime(QTime::fromString(text, "HH:mm:ss"));
        } else {
            auto* line = View()->viewport()->findChild<QLineEdit*>();
            ASSERT_NE(line, nullptr);
            line->setText(text);
            editor = line;
        }
        QTest::keyClick(editor, Qt::Key_Return);
        PumpFor(20);
    }
};

const QByteArray kTwoShows =
    "[SHOWLIST]\r\nCURCOUNT=2\r\n"
    "[SHOWLIST_1]\r\nSHOWNAME=早间新闻\r\nSHOWSTARTTIME=07:00:00\r\nSHOWENDTIME=07:30:00\r\nSHOWCYCLE=每天\r\n"
    "SHOWFORMAT=WMV\r\nSHOWTYPE=1-新闻\r\nPGID=11-101\r\nSHOWID=2001\r\nSHOWUPDATEKEY=0\r\n"
    "[SHOWLIST_2]\r\nSHOWNAME=自定义\r\nSHOWSTARTTIME=06:00:00\r\nSHOWENDTIME=06:30:00\r\nSHOWCYCLE=无\r\n"
    "SHOWFORMAT=WMV\r\nSHOWTYPE=\r\nPGID=\r\nSHOWID=\r\nSHOWUPDATEKEY=1\r\n";

TEST_F(ShowPage, TheListShowsTheFileSortedWithItsElevenColumns) {
    BoxAnswers boxes;
    Config(kClosedPort.toByteArray());
    WriteShows(kTwoShows);
    Open();
    QAbstractItemModel* model = View()->model();
    ASSERT_EQ(model->columnCount(), 11);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "选择");
    EXPECT_EQ(model->headerData(8, Qt::Horizontal).toString(), "状态");
    EXPECT_EQ(model->headerData(10, Qt::Horizontal).toString(), "节目ID");
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(0, kColName).data().toString(), "自定义");
    EXPECT_EQ(model->index(0, kColNumber).data().toString(), "1");
    EXPECT_EQ(model->index(1, kColPgid).data().toString(), "11-101");
    EXPECT_EQ(model->index(1, kColSelect).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_TRUE(View()->showGrid());
}

TEST_F(ShowPage, ARowBeingRecordedIsNeverDeleted) {
    BoxAnswers boxes;
    Config(kClosedPort.toByteArray());
    WriteShows(kTwoShows);
    Open();
    List().SetCell(1, kColStatus, kStatusRecording);
    dialog->ShowPage()->Model()->Refresh();
    View()->selectAll();
    Click(1035);
    EXPECT_EQ(boxes.texts, QStringList{"正在采集的节目不能被删除"});
    EXPECT_EQ(List().Count(), 2);
    EXPECT_EQ(Key(1, "SHOWUPDATEKEY"), "0");
    EXPECT_EQ(Key(2, "SHOWUPDATEKEY"), "1");

    // The other row, chosen by its check box, goes; its section stays as deleted.
    View()->clearSelection();
    View()->model()->setData(View()->model()->index(0, kColSelect), Qt::Checked, Qt::CheckStateRole);
    Click(1035);
    ASSERT_EQ(List().Count(), 1);
    EXPECT_EQ(List().Cell(0, kColName), "早间新闻");
    EXPECT_EQ(Key(2, "SHOWUPDATEKEY"), "3");
    EXPECT_EQ(Count(), 2);
}

TEST_F(ShowPage, ClearingAsksAndMarksEveryShowDeleted) {
    BoxAnswers boxes;
    Config(kClosedPort.toByteArray());
    WriteShows(kTwoShows);
    Open();
    boxes.Queue(IDNO);
    Click(1036);
    EXPECT_EQ(boxes.texts, QStringList{"确定要把所有节目从列表中清除吗?"});
    EXPECT_EQ(boxes.requests[0].icon, MsgIcon::Question);
    EXPECT_EQ(List().Count(), 2);
    Click(1036);
    EXPECT_EQ(List().Count(), 0);
    EXPECT_EQ(Key(1, "SHOWUPDATEKEY"), "3");
    EXPECT_EQ(Key(2, "SHOWUPDATEKEY"), "3");
    Click(1036);
    EXPECT_EQ(boxes.texts.size(), 2) << "an empty list is not asked about";
}

TEST_F(ShowPage, InPlaceEditsRefuseTimesOutOfOrderAndWriteTheRestBack) {
    BoxAnswers boxes;
    Config(kClosedPort.toByteArray());
    WriteShows(kTwoShows);
    Open();
    // Row 1 is the show from the service (07:00:00 - 07:30:00, SHOWID 2001).
    EditCell(1, kColStart, "08:00:00");
    EXPECT_EQ(boxes.texts, QStringList{"开始时间不能大于结束时间"});
    EXPECT_EQ(List().Cell(1, kColStart), "07:00:00");
    EditCell(1, kColEnd, "06:59:59");
    EXPECT_EQ(boxes.texts.last(), "结束时间不能小于开始时间");
    EXPECT_EQ(List().Cell(1, kColEnd), "07:30:00");
    EXPECT_EQ(Key(1, "SHOWUPDATEKEY"), "0");

    Recorder().refreshList = 0;
    EditCell(1, kColEnd, "07:45:00");
    EXPECT_EQ(boxes.texts.size(), 2);
    EXPECT_EQ(List().Cell(1, kColEnd), "07:45:00");
    EXPECT_EQ(Key(1, "SHOWENDTIME"), "07:45:00");
    EXPECT_EQ(Key(1, "SHOWUPDATEKEY"), "2");
    EXPECT_EQ(Recorder().refreshList.load(), 1);

    // The custom show (no SHOWID) keeps being found after its start changed.
    EditCell(0, kColStart, "06:10:00");
    EditCell(0, kColName, "晨练");
    EXPECT_EQ(Key(2, "SHOWSTARTTIME"), "06:10:00");
    EXPECT_EQ(Key(2, "SHOWNAME"), "晨练");
    EXPECT_EQ(Key(2, "SHOWUPDATEKEY"), "2");
}

class AddShow : public ShowPage {
protected:
    void OpenAddDialog() {
        Click(1034);
        ASSERT_NE(AddDialog(), nullptr);
        EXPECT_EQ(AddDialog()->geometry(), QRect(0, 30, 650, 650));
        EXPECT_EQ(AddDialog()->windowTitle(), "添加节目");
        // The category list cannot come from a closed port.
        ASSERT_TRUE(PumpUntil([&] { return boxes.texts.contains("请检查网络"); }, 15000));
        boxes.texts.clear();
        boxes.requests.clear();
    }
    void Type(int id, const QString& text) {
        auto* edit = ControlAs<QLineEdit>(id);
        edit->clear();
        // QTest types Latin-1 only; other text is put in as an input method would.
        if (text.toLatin1() == text.toUtf8())
            QTest::keyClicks(edit, text);
        else
            edit->insert(text);
    }
    void SetTime(int id, const QTime& time) { ControlAs<QTimeEdit>(id)->setTime(time); }
    QCheckBox* Box(int id) const { return ControlAs<QCheckBox>(id); }

    BoxAnswers boxes;
};

TEST_F(AddShow, NinetyMinutesInFortyMinutePiecesAfterTheInformation) {
    Config(kClosedPort.toByteArray());
    Open();
    OpenAddDialog();
    Type(1046, "电影");
    SetTime(1049, QTime(20, 0));
    SetTime(1050, QTime(21, 30));
    Click(1047);
    Type(1048, "40");
    Click(1054);  // 每星期一
    Click(1064);
    EXPECT_EQ(boxes.texts, QStringList{"不是有效的循环时长，请确认是否采集最后一个节目"});
    EXPECT_EQ(boxes.requests[0].icon, MsgIcon::Information);
    ShowListStore& pending = AddDialog()->Pending();
    ASSERT_EQ(pending.Count(), 3);
    const QStringList starts{pending.Cell(0, kColStart), pending.Cell(1, kColStart), pending.Cell(2, kColStart)};
    const QStringList ends{pending.Cell(0, kColEnd), pending.Cell(1, kColEnd), pending.Cell(2, kColEnd)};
    EXPECT_EQ(starts, (QStringList{"20:00:00", "20:40:00", "21:20:00"}));
    EXPECT_EQ(ends, (QStringList{"20:40:00", "21:20:00", "21:30:00"}));
    EXPECT_EQ(pending.Cell(2, kColCycle), "每星期一");
    EXPECT_EQ(pending.Cell(0, kColName), "电影");
    EXPECT_EQ(pending.Cell(0, kColFormat), "WMV");

    boxes.texts.clear();
    Type(1048, "0");
    Click(1064);
    EXPECT_EQ(boxes.texts, QStringList{"循环时间不能为零"});
    Type(1048, "91");
    Click(1064);
    EXPECT_EQ(boxes.texts.last(), "循环时间大于节目的时长");
    Type(1048, "abc");
    Click(1064);
    EXPECT_EQ(boxes.texts.last(), "请正确设定循环周期分钟数");
    EXPECT_EQ(pending.Count(), 3) << "refused splits add nothing";

    // "添加完成": the pieces go into the file as added shows and the page reloads, sorted.
    Click(1);
    EXPECT_TRUE(PumpUntil([&] { return AddDialog() == nullptr; }, 2000)) << "the dialog closes";
    EXPECT_EQ(Count(), 3);
    EXPECT_EQ(Key(1, "SHOWUPDATEKEY"), "1");
    EXPECT_EQ(Key(3, "SHOWSTARTTIME"), "21:20:00");
    EXPECT_EQ(Key(3, "SHOWCYCLE"), "每星期一");
    ASSERT_EQ(List().Count(), 3);
    EXPECT_EQ(List().Cell(0, kColStart), "20:00:00");
    EXPECT_EQ(List().Cell(2, kColNumber), "3");
}

TEST_F(AddShow, DayBoxesExcludeEachOtherAndGiveOneShowPerDay) {
    Config(kClosedPort.toByteArray());
    Open();
    OpenAddDialog();
    EXPECT_EQ(AddDialog()->ChosenCycles(), QStringList{"无"});
    Click(1052);  // 单次
    for (int id = 1053; id <= 1060; ++id) EXPECT_FALSE(Box(id)->isEnabled()) << id;
    EXPECT_EQ(AddDialog()->ChosenCycles(), QStringList{"单次"});
    Click(1052);
    for (int id = 1053; id <= 1060; ++id) EXPECT_TRUE(Box(id)->isEnabled()) << id;
    Click(1055);  // 每星期二
    Click(1053);  // 每天 clears the weekdays and 单次, and holds them off
    EXPECT_FALSE(Box(1055)->isChecked());
    EXPECT_FALSE(Box(1055)->isEnabled());
    EXPECT_EQ(AddDialog()->ChosenCycles(), QStringList{"每天"});
    Click(1052);  // 单次 clears 每天
    EXPECT_FALSE(Box(1053)->isChecked());
    Click(1052);
    EXPECT_TRUE(Box(1055)->isEnabled()) << "with 每天 unchecked the weekdays come back";
    Click(1053);
    Click(1053);
    Click(1054);
    Click(1060);  // 每星期天
    EXPECT_EQ(AddDialog()->ChosenCycles(), (QStringList{"每星期一", "每星期天"}));
    SetTime(1049, QTime(9, 0));
    SetTime(1050, QTime(10, 0));
    Click(1064);
    ASSERT_EQ(AddDialog()->Pending().Count(), 2);
    EXPECT_EQ(AddDialog()->Pending().Cell(0, kColName), "未命名") << "a custom show without a name";
    EXPECT_EQ(AddDialog()->Pending().Cell(1, kColCycle), "每星期天");

    // The pending list's own delete and clear.
    AddDialog()->Pending().SetChecked(0, true);
    Click(209);
    EXPECT_EQ(AddDialog()->Pending().Count(), 1);
    EXPECT_EQ(AddDialog()->Pending().Cell(0, kColNumber), "1");
    Click(210);
    EXPECT_EQ(boxes.texts.last(), "确定要把所有节目从列表中清除吗?");
    EXPECT_EQ(AddDialog()->Pending().Count(), 0);
}

TEST_F(AddShow, WhileRecordingIsArmedTheListIsLeftToTheWorker) {
    Config(kClosedPort.toByteArray());
    WriteShows(kTwoShows);
    Open();
    OpenAddDialog();
    Click(1064);
    Recorder().recordingArmed = 1;
    Click(1);
    Recorder().recordingArmed = 0;
    EXPECT_EQ(Count(), 3);
    EXPECT_EQ(Recorder().refreshList.load(), 1);
    EXPECT_EQ(List().Count(), 2) << "the recording worker reloads the list";
}

}  // namespace
