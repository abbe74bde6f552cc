// The status rule, the end-of-show check and FindDueShow, driven through their time
// argument across midnight and the days of the week.

#include "recorder/recorder_globals.h"
#include "recorder/show_list_store.h"
#include "recorder/show_status.h"

#include <gtest/gtest.h>

namespace {

// 2024-01-01 is a Monday.
QDateTime At(const char* time, int day = 1) {
    return QDateTime(QDate(2024, 1, day), QTime::fromString(QString::fromLatin1(time), QStringLiteral("HH:mm:ss")));
}

ShowEvaluation Eval(const char* start, const char* end, const char* cycle, const QDateTime& now) {
    return EvaluateShowTimes(QString::fromLatin1(start), QString::fromLatin1(end), QString::fromUtf8(cycle), now);
}

TEST(StatusRule, AShowAcrossMidnightIsDueBeforeMidnightAndWaitingAfter) {
    const ShowEvaluation before = Eval("23:00:00", "01:00:00", "无", At("23:30:00"));
    EXPECT_TRUE(before.due);
    EXPECT_EQ(before.status, kStatusReady);
    // Rule 3 (now <= start) comes before rule 4.
    const ShowEvaluation after = Eval("23:00:00", "01:00:00", "无", At("00:30:00", 2));
    EXPECT_FALSE(after.due);
    EXPECT_EQ(after.status, kStatusWaiting);
}

TEST(StatusRule, ADaytimeShowWaitsRunsAndHasAired) {
    EXPECT_EQ(Eval("10:00:00", "11:00:00", "每天", At("09:59:59")).status, kStatusWaiting);
    EXPECT_EQ(Eval("10:00:00", "11:00:00", "每天", At("10:00:00")).status, kStatusWaiting);
    const ShowEvaluation during = Eval("10:00:00", "11:00:00", "每天", At("10:00:01"));
    EXPECT_TRUE(during.due);
    EXPECT_EQ(during.status, kStatusReady);
    const ShowEvaluation aired = Eval("10:00:00", "11:00:00", "每天", At("11:00:00"));
    EXPECT_FALSE(aired.due);
    EXPECT_EQ(aired.status, kStatusAired);
}

TEST(StatusRule, TheCycleMustNameToday) {
    // Monday.
    EXPECT_TRUE(Eval("10:00:00", "11:00:00", "每星期一", At("10:30:00")).due);
    EXPECT_TRUE(Eval("10:00:00", "11:00:00", "一", At("10:30:00")).due);
    const ShowEvaluation tuesdayShow = Eval("10:00:00", "11:00:00", "每星期二", At("10:30:00"));
    EXPECT_FALSE(tuesdayShow.due);
    EXPECT_EQ(tuesdayShow.status, kStatusWaiting);
    // Sunday (2024-01-07) is "日", and a "每星期天" cycle also matches by "天".
    EXPECT_TRUE(Eval("10:00:00", "11:00:00", "每星期天", At("10:30:00", 7)).due);
    EXPECT_TRUE(Eval("10:00:00", "11:00:00", "日", At("10:30:00", 7)).due);
    EXPECT_FALSE(Eval("10:00:00", "11:00:00", "每星期天", At("10:30:00", 6)).due);
    // "无" runs every day; "单次" holds no weekday and is never due.
    EXPECT_TRUE(Eval("10:00:00", "11:00:00", "无", At("10:30:00", 4)).due);
    EXPECT_FALSE(Eval("10:00:00", "11:00:00", "单次", At("10:30:00", 4)).due);
}

TEST(StatusRule, TimesThatAreNotTimesAreNeverDueAndKeepTheirStatus) {
    for (const char* broken : {"", "1", "abc", "25:00:00", "7:00:00", "10:00"}) {
        const ShowEvaluation start = Eval(broken, "01:00:00", "无", At("12:00:00"));
        EXPECT_FALSE(start.due) << broken;
        EXPECT_TRUE(start.status.isNull()) << broken;
        EXPECT_FALSE(Eval("00:00:01", broken, "无", At("12:00:00")).due) << broken;
    }
}

TEST(EndOfShow, AShowAcrossMidnightEndsAtItsEndTime) {
    EXPECT_FALSE(ShowHasEnded("23:00:00", "01:00:00", At("23:30:00")));
    EXPECT_FALSE(ShowHasEnded("23:00:00", "01:00:00", At("23:59:59")));
    EXPECT_FALSE(ShowHasEnded("23:00:00", "01:00:00", At("00:00:00", 2)));
    EXPECT_FALSE(ShowHasEnded("23:00:00", "01:00:00", At("00:59:59", 2)));
    EXPECT_TRUE(ShowHasEnded("23:00:00", "01:00:00", At("01:00:00", 2)));
    EXPECT_FALSE(ShowHasEnded("10:00:00", "11:00:00", At("10:59:59")));
    EXPECT_TRUE(ShowHasEnded("10:00:00", "11:00:00", At("11:00:00")));
    // An end that is not a time ends the recording at once instead of never.
    EXPECT_TRUE(ShowHasEnded("10:00:00", "", At("10:30:00")));
}

ShowEntry Show(const char* start, const char* end, const char* cycle = "无") {
    ShowEntry e;
    e.name = QStringLiteral("节目");
    e.start = QString::fromLatin1(start);
    e.end = QString::fromLatin1(end);
    e.cycle = QString::fromUtf8(cycle);
    return e;
}

TEST(FindDueShow, TheFirstDueRowFromTheGivenIndexWithTheRowsBeforeItMarked) {
    ShowListStore list(Recorder().listLock);
    list.Append(Show("08:00:00", "09:00:00"), 1);
    list.Append(Show("11:00:00", "12:00:00"), 2);
    list.Append(Show("10:00:00", "11:30:00"), 3);
    list.Append(Show("10:15:00", "10:45:00"), 4);
    list.Append(Show("13:00:00", "14:00:00"), 5);
    const QDateTime now = At("10:30:00");
    EXPECT_EQ(FindDueShow(list, 0, now), 2);
    EXPECT_EQ(list.Cell(0, kColStatus), kStatusAired);
    EXPECT_EQ(list.Cell(1, kColStatus), kStatusWaiting);
    EXPECT_EQ(list.Cell(2, kColStatus), kStatusReady);
    EXPECT_TRUE(list.Cell(3, kColStatus).isEmpty()) << "rows after the answer are not evaluated";
    EXPECT_EQ(FindDueShow(list, 3, now), 3);
    EXPECT_EQ(FindDueShow(list, 4, now), -1);
    EXPECT_EQ(list.Cell(4, kColStatus), kStatusWaiting);
    EXPECT_EQ(FindDueShow(list, 5, now), -1);
}

TEST(ShowListStore, SortingMovesWholeRowsWithTheirChecksAndRenumbers) {
    ShowListStore list(Recorder().listLock);
    list.Append(Show("20:00:00", "21:00:00"), 1);
    list.Append(Show("07:00:00", "08:00:00"), 2);
    list.Append(Show("12:00:00", "13:00:00"), 3);
    list.SetChecked(0, true);
    const unsigned long long evening = list.KeyOf(0);
    list.Sort();
    EXPECT_EQ(list.Cell(0, kColStart), "07:00:00");
    EXPECT_EQ(list.Cell(1, kColStart), "12:00:00");
    EXPECT_EQ(list.Cell(2, kColStart), "20:00:00");
    EXPECT_TRUE(list.IsChecked(2));
    EXPECT_FALSE(list.IsChecked(0));
    EXPECT_EQ(list.RowOf(evening), 2);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(list.Cell(row, kColNumber), QString::number(row + 1));
}

}  // namespace
