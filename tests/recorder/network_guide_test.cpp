// The add dialog's network TV guide against a running castora-platform.

#include "platform/ini_store.h"
#include "recorder/add_show_dlg.h"
#include "recorder/recorder_globals.h"
#include "recorder/recorder_show_dlg.h"
#include "recorder/tv_guide.h"
#include "recorder_window.h"
#include "tests/sim/platform_process.h"

#include <QComboBox>
#include <QLabel>
#include <QTableWidget>
#include <QTest>

using namespace recorder_test;

namespace {

// Picks an entry of a combo box as a click in its list does: one activation.
void Choose(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

class NetworkGuide : public RecorderWindowTest {
protected:
    QString Key(int n, const char* key) const {
        return platform::GetPrivateProfileString(QStringLiteral("SHOWLIST_%1").arg(n), QString::fromLatin1(key),
                                                 "<none>", folder + "CurrentShowList.ini");
    }
    CAddShowDlg* AddDialog() const { return dialog->ShowPage()->AddDialog(); }
    bool Filled(int comboId, int count) const {
        auto* combo = ControlAs<QComboBox>(comboId);
        return combo && combo->count() == count;
    }
};

TEST_F(NetworkGuide, AreasStationsChannelsAndADaysProgrammesBecomeShows) {
    BoxAnswers boxes;
    simtest::PlatformProcess platform;
    ASSERT_TRUE(platform.Start());
    Config(QByteArray("http://127.0.0.1:") + QByteArray::number(platform.port()));
    Open();
    Recorder().userId = 1001;
    Click(1034);
    ASSERT_NE(AddDialog(), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return Filled(1067, 4); }, 15000)) << "categories from getCTList";
    EXPECT_EQ(ControlAs<QComboBox>(1067)->itemText(1), "2-体育");
    for (int id : {1068, 1069, 1070, 1076}) EXPECT_FALSE(Control(id)->isEnabled()) << id;
    EXPECT_EQ(ControlAs<QComboBox>(1068)->currentText(), "请选择地区");

    Click(1051);
    for (int id : {1068, 1069, 1070, 1076}) EXPECT_TRUE(Control(id)->isEnabled()) << id;
    EXPECT_EQ(qobject_cast<QLabel*>(Control(1071))->text(), "正在使用网络电视节目获取当天节目");
    ASSERT_TRUE(PumpUntil([&] { return Filled(1068, 3); }, 15000)) << "areas from getArea";
    Choose(ControlAs<QComboBox>(1068), "北京");
    ASSERT_TRUE(PumpUntil([&] { return Filled(1069, 2); }, 15000)) << "stations from getChannel";
    Choose(ControlAs<QComboBox>(1069), "北京电视台");
    ASSERT_TRUE(PumpUntil([&] { return Filled(1070, 3); }, 15000)) << "channels from getNetProg";
    Choose(ControlAs<QComboBox>(1070), "北京卫视");
    Click(1076);
    auto* guide = ControlAs<QTableWidget>(1077);
    ASSERT_TRUE(PumpUntil([&] { return guide->rowCount() == 2; }, 15000)) << "the day's guide from getTvProg";
    EXPECT_EQ(guide->horizontalHeaderItem(5)->text(), "选择");
    EXPECT_EQ(guide->item(0, 1)->text(), "北京新闻(北京卫视)");
    EXPECT_EQ(guide->item(0, 2)->text(), "07:00:00");
    EXPECT_EQ(guide->item(0, 3)->text(), "20:00:00") << "a programme runs until the next one starts";
    EXPECT_EQ(guide->item(1, 2)->text(), "20:00:00");
    EXPECT_EQ(guide->item(1, 3)->text(), "23:59:59");
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join('|').toStdString();

    guide->item(1, 5)->setCheckState(Qt::Checked);
    Choose(ControlAs<QComboBox>(1067), "4-电视剧");
    Click(1);
    ASSERT_TRUE(PumpUntil([&] { return AddDialog() == nullptr; }, 2000));
    EXPECT_EQ(Key(1, "SHOWNAME"), "北京人在纽约(北京卫视)");
    EXPECT_EQ(Key(1, "SHOWSTARTTIME"), "20:00:00");
    EXPECT_EQ(Key(1, "SHOWENDTIME"), "23:59:59");
    EXPECT_EQ(Key(1, "PGID"), "111") << "the chosen programme keeps its programme id";
    EXPECT_EQ(Key(1, "SHOWTYPE"), "4-电视剧");
    EXPECT_EQ(Key(1, "SHOWFORMAT"), "WMV");
    EXPECT_EQ(Key(1, "SHOWCYCLE"), "无");
    EXPECT_EQ(Key(1, "SHOWUPDATEKEY"), "1");
    EXPECT_EQ(Key(2, "SHOWNAME"), "<none>");
    ASSERT_EQ(dialog->ShowPage()->Store().Count(), 1);
    EXPECT_EQ(dialog->ShowPage()->Store().Cell(0, kColPgid), "111");
}

TEST_F(NetworkGuide, AStoppedPlatformAsksToCheckTheNetwork) {
    BoxAnswers boxes;
    simtest::PlatformProcess platform;
    ASSERT_TRUE(platform.Start());
    Config(QByteArray("http://127.0.0.1:") + QByteArray::number(platform.port()));
    Open();
    Click(1034);
    Click(1051);
    ASSERT_TRUE(PumpUntil([&] { return Filled(1068, 3); }, 15000));
    platform.Stop();
    Choose(ControlAs<QComboBox>(1068), "上海");
    ASSERT_TRUE(PumpUntil([&] { return !boxes.texts.isEmpty(); }, 15000));
    EXPECT_EQ(boxes.texts, QStringList{"请检查网络"});
    EXPECT_EQ(ControlAs<QComboBox>(1069)->count(), 1);
    // No programme listed: nothing to add.
    Click(1);
    EXPECT_EQ(boxes.texts.last(), "请选择要录制的节目");
    EXPECT_NE(AddDialog(), nullptr);
}

TEST(GuideTimes, PlayTimesWithMeridiemAndBrokenEntries) {
    EXPECT_EQ(GuideTimeText("07:00", "上午"), "07:00:00");
    EXPECT_EQ(GuideTimeText("7:30", "下午"), "19:30:00");
    EXPECT_EQ(GuideTimeText("20:00", "下午"), "20:00:00");
    EXPECT_EQ(GuideTimeText("20:00:15", ""), "20:00:15");
    EXPECT_TRUE(GuideTimeText("晚间", "").isEmpty());
    const QList<GuideProgramme> list =
        GuideProgrammes({{"", "下午", "19:30", "B"}, {"", "", "bad", "X"}, {"", "上午", "08:00", "A"}}, "台");
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].name, "A(台)");
    EXPECT_EQ(list[0].end, "19:30:00");
    EXPECT_EQ(list[1].end, "23:59:59");
}

}  // namespace
