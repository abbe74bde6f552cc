// Feeds arbitrary bytes to the recorder as "CurrentShowList.ini": loads the list, runs the
// status rule and the end-of-show check on every row through a day, and writes a row back.

#include "recorder/recorder_globals.h"
#include "recorder/show_list_file.h"
#include "recorder/show_list_load.h"
#include "recorder/show_list_store.h"
#include "recorder/show_status.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString folder = [] {
        const QString path = QDir::tempPath() + QStringLiteral("/castora-fuzz-shows-%1/").arg(QCoreApplication::applicationPid());
        QDir().mkpath(path);
        Recorder().programFolder = path;  // no log folder: trace lines are dropped
        return path;
    }();
    const QString path = folder + QStringLiteral("CurrentShowList.ini");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    ShowListFile file(path, Recorder().fileLock);
    ShowListStore list(Recorder().listLock);
    LoadShowList(file, list, false);
    if (list.Count() > file.Count()) __builtin_trap();  // never more rows than counted shows

    const QDate monday(2024, 1, 1);
    for (int hour = 0; hour < 24; hour += 5) {
        for (int day = 0; day < 7; day += 3) {
            const QDateTime now(monday.addDays(day), QTime(hour, 59, 59));
            const int due = FindDueShow(list, 0, now);
            if (due >= list.Count()) __builtin_trap();
            for (int row = 0; row < list.Count(); ++row) {
                const ShowEvaluation e =
                    EvaluateShowTimes(list.Cell(row, kColStart), list.Cell(row, kColEnd), list.Cell(row, kColCycle), now);
                // A show the rule lets start must be one the end check can stop.
                if (e.due && !IsTimeText(list.Cell(row, kColEnd))) __builtin_trap();
                ShowHasEnded(list.Cell(row, kColStart), list.Cell(row, kColEnd), now);
            }
        }
    }
    if (list.Count() > 0) file.WriteBack(list.EntryOf(0), kShowEdited);
    return 0;
}
