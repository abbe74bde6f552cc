// "CurrentShowList.ini" through AppendShow, WriteBackRow, ClearShowList and LoadShowList,
// including files that hold garbage; and cycle splitting.

#include "platform/ini_store.h"
#include "recorder/cycle_split.h"
#include "recorder/recorder_globals.h"
#include "recorder/recorder_trace.h"
#include "recorder/show_list_file.h"
#include "recorder/show_list_load.h"
#include "recorder/show_list_store.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ShowListFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath("log");
        Recorder().programFolder = dir.path() + '/';
        Recorder().refreshList = 0;
    }
    void TearDown() override { Recorder().programFolder.clear(); }

    QString Path() const { return dir.filePath("CurrentShowList.ini"); }
    QString Key(int n, const char* key) const {
        return platform::GetPrivateProfileString(ShowListFile::SectionName(n), QString::fromLatin1(key), "<none>", Path());
    }
    void WriteFile(const QByteArray& text) {
        QFile f(Path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QString Trace() const {
        QFile f(RecorderTracePath());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    static ShowEntry Show(const char* name, const char* start, const char* end, int key, const char* showId = "") {
        ShowEntry e;
        e.name = QString::fromUtf8(name);
        e.start = QString::fromLatin1(start);
        e.end = QString::fromLatin1(end);
        e.cycle = QStringLiteral("每天");
        e.format = QStringLiteral("WMV");
        e.type = QStringLiteral("1-新闻");
        e.showId = QString::fromLatin1(showId);
        e.pgid = e.showId.isEmpty() ? QString() : QStringLiteral("11-101");
        e.updateKey = key;
        e.conflict = 5;
        return e;
    }

    QTemporaryDir dir;
    ShowListFile file{Path(), Recorder().fileLock};
};

TEST_F(ShowListFileTest, AppendWritesTheNextSectionAndCountsIt) {
    file.Append(Show("早间新闻", "07:00:00", "07:30:00", kShowFromService, "2001"));
    file.Append(Show("自定义", "09:00:00", "10:00:00", kShowAdded));
    file.Append(Show("edited", "11:00:00", "12:00:00", kShowEdited));
    file.Append(Show("deleted", "11:00:00", "12:00:00", kShowDeleted));
    EXPECT_EQ(file.Count(), 2);
    EXPECT_EQ(Key(1, "SHOWNAME"), "早间新闻");
    EXPECT_EQ(Key(1, "SHOWCYCLE"), "每天");
    EXPECT_EQ(Key(1, "PGID"), "11-101");
    EXPECT_EQ(Key(1, "SHOWID"), "2001");
    EXPECT_EQ(Key(1, "SHOWUPDATEKEY"), "0");
    EXPECT_EQ(Key(1, "CONFLICT"), "5");
    EXPECT_EQ(Key(2, "SHOWSTARTTIME"), "09:00:00");
    EXPECT_EQ(Key(2, "SHOWUPDATEKEY"), "1");
    EXPECT_EQ(Key(2, "CONFLICT"), "<none>") << "CONFLICT belongs to shows from the service only";
    EXPECT_EQ(Key(3, "SHOWNAME"), "<none>");
    const ShowEntry back = file.Read(1);
    EXPECT_EQ(back.type, "1-新闻");
    EXPECT_EQ(back.format, "WMV");
    EXPECT_EQ(back.updateKey, 0);
}

TEST_F(ShowListFileTest, WriteBackFindsTheSectionByShowIdOrByItsTimes) {
    file.Append(Show("a", "07:00:00", "07:30:00", kShowFromService, "2001"));
    file.Append(Show("b", "09:00:00", "10:00:00", kShowAdded));
    ShowEntry a = Show("a2", "07:05:00", "07:30:00", kShowFromService, "2001");
    EXPECT_TRUE(file.WriteBack(a, kShowEdited));
    EXPECT_EQ(Key(1, "SHOWNAME"), "a2");
    EXPECT_EQ(Key(1, "SHOWSTARTTIME"), "07:05:00");
    EXPECT_EQ(Key(1, "SHOWUPDATEKEY"), "2");
    EXPECT_EQ(Recorder().refreshList.load(), 1) << "an edit makes the recording worker reload";

    // A custom show whose start was edited is still found by what it was before.
    const ShowEntry before = Show("b", "09:00:00", "10:00:00", kShowAdded);
    const ShowEntry after = Show("b", "09:30:00", "10:00:00", kShowAdded);
    EXPECT_TRUE(file.WriteBack(before, after, kShowEdited));
    EXPECT_EQ(Key(2, "SHOWSTARTTIME"), "09:30:00");
    EXPECT_FALSE(file.WriteBack(before, after, kShowEdited)) << "nothing has the old times any more";

    Recorder().refreshList = 0;
    EXPECT_TRUE(file.WriteBack(after, kShowDeleted));
    EXPECT_EQ(Key(2, "SHOWUPDATEKEY"), "3");
    EXPECT_EQ(Recorder().refreshList.load(), 0);
}

TEST_F(ShowListFileTest, ADeletedSectionIsNeverTheRowWrittenBack) {
    file.Append(Show("old", "09:00:00", "10:00:00", kShowAdded));
    file.Append(Show("new", "09:00:00", "10:00:00", kShowAdded));
    ASSERT_TRUE(file.WriteBack(Show("old", "09:00:00", "10:00:00", kShowAdded), kShowDeleted));
    ASSERT_EQ(Key(1, "SHOWUPDATEKEY"), "3");
    ASSERT_TRUE(file.WriteBack(Show("renamed", "09:00:00", "10:00:00", kShowAdded), kShowEdited));
    EXPECT_EQ(Key(1, "SHOWUPDATEKEY"), "3") << "the deleted show stays deleted";
    EXPECT_EQ(Key(2, "SHOWNAME"), "renamed");
}

TEST_F(ShowListFileTest, LoadListsEveryShowButTheDeletedOnesSorted) {
    file.Append(Show("evening", "20:00:00", "21:00:00", kShowAdded));
    file.Append(Show("gone", "08:00:00", "09:00:00", kShowAdded));
    file.Append(Show("morning", "07:00:00", "07:30:00", kShowFromService, "2001"));
    file.WriteBack(Show("gone", "08:00:00", "09:00:00", kShowAdded), kShowDeleted);
    ShowListStore list(Recorder().listLock);
    LoadShowList(file, list, true);
    ASSERT_EQ(list.Count(), 2) << "a section with SHOWUPDATEKEY 3 counts in CURCOUNT and is not listed";
    EXPECT_EQ(file.Count(), 3);
    EXPECT_EQ(list.Cell(0, kColName), "evening");
    EXPECT_EQ(list.Cell(0, kColNumber), "1");
    EXPECT_EQ(list.Cell(1, kColNumber), "3") << "column 1 is the section number until sorted";
    EXPECT_EQ(list.Cell(1, kColShowId), "2001");
    EXPECT_EQ(list.Cell(1, kColPgid), "11-101");
    list.Clear();
    LoadShowList(file, list, false);
    EXPECT_EQ(list.Cell(0, kColName), "morning");
    EXPECT_EQ(list.Cell(0, kColNumber), "1");
    EXPECT_EQ(list.Cell(1, kColNumber), "2");

    file.Clear();
    EXPECT_EQ(file.Count(), 0);
    EXPECT_EQ(Key(1, "SHOWNAME"), "evening") << "clearing keeps the sections";
    list.Clear();
    LoadShowList(file, list, false);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(ShowListFileTest, ACountBeyondTheSectionsAndGarbageAreSurvived) {
    WriteFile("[SHOWLIST]\r\nCURCOUNT=2000000000\r\n[SHOWLIST_1]\r\nSHOWNAME=ok\r\nSHOWSTARTTIME=07:00:00\r\n"
              "SHOWENDTIME=08:00:00\r\n[SHOWLIST_3]\r\nSHOWNAME=\xff\xfe\x01garbage\r\nSHOWSTARTTIME=not a time\r\n"
              "SHOWUPDATEKEY=zz\r\n\x01\x02\x03 no section\r\n[[[\r\n");
    ShowListStore list(Recorder().listLock);
    QElapsedTimer timer;
    timer.start();
    LoadShowList(file, list, false);
    EXPECT_LT(timer.elapsed(), 5000) << "a huge CURCOUNT must not read two billion sections";
    ASSERT_EQ(list.Count(), 2);
    const QString trace = Trace();
    EXPECT_FALSE(trace.isEmpty());
    EXPECT_EQ(Trace().count('\n'), 3) << trace.toStdString();  // the count, the missing section, the bad time

    WriteFile("CURCOUNT=-4\r\n[SHOWLIST]\r\nCURCOUNT=-4\r\n");
    EXPECT_EQ(file.Count(), 0);
    file.Append(Show("first", "07:00:00", "08:00:00", kShowAdded));
    EXPECT_EQ(file.Count(), 1);
    EXPECT_EQ(Key(1, "SHOWNAME"), "first");
}

TEST(CycleSplit, NinetyMinutesInFortyMinutePiecesGiveFortyFortyAndTen) {
    const CycleSplit split = SplitShowIntoCycles(QTime(20, 0), QTime(21, 30), "40");
    ASSERT_EQ(split.outcome, CycleSplit::Pieces);
    EXPECT_TRUE(split.uneven);
    ASSERT_EQ(split.pieces.size(), 3);
    EXPECT_EQ(split.pieces[0].start, QTime(20, 0));
    EXPECT_EQ(split.pieces[0].end, QTime(20, 40));
    EXPECT_EQ(split.pieces[1].end, QTime(21, 20));
    EXPECT_EQ(split.pieces[2].start, QTime(21, 20));
    EXPECT_EQ(split.pieces[2].end, QTime(21, 30));
}

TEST(CycleSplit, EvenSplitsRefusalsAndAShowPastMidnight) {
    const CycleSplit even = SplitShowIntoCycles(QTime(20, 0), QTime(21, 0), "30");
    EXPECT_FALSE(even.uneven);
    ASSERT_EQ(even.pieces.size(), 2);
    EXPECT_EQ(even.pieces[1].end, QTime(21, 0));
    EXPECT_EQ(SplitShowIntoCycles(QTime(20, 0), QTime(21, 0), "0").outcome, CycleSplit::Zero);
    EXPECT_EQ(SplitShowIntoCycles(QTime(20, 0), QTime(21, 0), "61").outcome, CycleSplit::LongerThanShow);
    EXPECT_EQ(SplitShowIntoCycles(QTime(20, 0), QTime(20, 0), "0").outcome, CycleSplit::Zero);
    EXPECT_EQ(SplitShowIntoCycles(QTime(20, 0), QTime(21, 0), "x").outcome, CycleSplit::BadMinutes);
    EXPECT_EQ(SplitShowIntoCycles(QTime(20, 0), QTime(21, 0), "-5").outcome, CycleSplit::BadMinutes);
    const CycleSplit night = SplitShowIntoCycles(QTime(23, 0), QTime(1, 0), "60");
    ASSERT_EQ(night.pieces.size(), 2);
    EXPECT_EQ(night.pieces[0].end, QTime(0, 0));
    EXPECT_EQ(night.pieces[1].end, QTime(1, 0));
}

}  // namespace
