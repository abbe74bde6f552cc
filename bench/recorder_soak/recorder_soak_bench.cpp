// A simulated week of the recorder's uploads: 50 recordings queued to the real upload
// worker while castora-platform's FTP storage and its service are stopped and started
// again at random moments. Checks that every file is in the storage byte for byte, once,
// and reported with insertVideo once; prints the run time and the longest queue.

#include "client/shell/message_box.h"
#include "platform/ini_store.h"
#include "platform/sync.h"
#include "recorder/recorder_globals.h"
#include "recorder/recorder_service.h"
#include "recorder/upload_queue.h"
#include "recorder/upload_thread.h"
#include "tests/sim/platform_process.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRecordings = 50;
constexpr int kQueueEveryMs = 1200;    // one recording of the week every 1.2 s
constexpr int kWaitMs = 300;           // WAITTIME while the run goes on
constexpr qint64 kSettleLimitMs = 150000;

struct Recording {
    QString path;
    QString name;
};

// Pumps the event loop (the worker's message boxes are answered on this thread).
void PumpFor(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

// A file of `size` bytes with a pattern of its own.
bool WriteRecording(const QString& path, qint64 size, std::mt19937& rng) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QByteArray block(64 * 1024, '\0');
    for (qint64 done = 0; done < size;) {
        for (char& c : block) c = static_cast<char>(rng());
        const qint64 take = std::min<qint64>(block.size(), size - done);
        if (f.write(block.constData(), take) != take) return false;
        done += take;
    }
    return true;
}

bool SameBytes(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly)) return false;
    return fa.size() == fb.size() && fa.readAll() == fb.readAll();
}

size_t Occurrences(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++n;
    return n;
}

// Items of the queue not yet done.
int QueueLength(const QString& queueFile) {
    int n = 0;
    for (int i : QueuedItems(queueFile, QueuedCount(queueFile)))
        if (ReadUploadState(queueFile, i) != kUploadDone) ++n;
    return n;
}

// The platform's conditions during the run. ServiceRefusing (only with "lost-answers")
// records insertVideo and then drops the connection, so the answer is lost.
enum class Outage { None, FtpDown, AllDown, ServiceRefusing };

const char* OutageName(Outage o) {
    switch (o) {
    case Outage::FtpDown: return "ftp-down";
    case Outage::ServiceRefusing: return "service-refusing";
    case Outage::AllDown: return "all-down";
    default: return "none";
    }
}

// Restarts the platform into `outage`. AllDown kills it, as a crash would, whatever it
// was doing (a transfer, a report, saving its state).
bool Enter(simtest::PlatformProcess& platform, Outage outage) {
    if (platform.Running()) platform.Stop(outage == Outage::AllDown ? SIGKILL : SIGTERM);
    if (outage == Outage::AllDown) return true;
    platform.SetFtpEnabled(outage != Outage::FtpDown);
    if (outage == Outage::ServiceRefusing)
        platform.SetExtraArgs({"--drop", "--fault-operation", "insertVideo"});
    else
        platform.SetExtraArgs({});
    return platform.Start();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const unsigned seed = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 16u;
    const bool lostAnswers = argc > 2 && std::string(argv[2]) == "lost-answers";
    std::mt19937 rng(seed);

    int boxes = 0;
    SetMessageBoxResponder([&](const MessageBoxRequest&) {
        ++boxes;
        return IDOK;
    });

    QTemporaryDir dir;
    if (!dir.isValid()) return 2;
    const QString folder = dir.path() + '/';
    QDir(folder).mkpath("TVRecord");
    const QString queueFile = folder + "ftpconfigure.ini";

    simtest::PlatformProcess platform({}, true);
    if (!platform.Start()) {
        std::fprintf(stderr, "castora-platform did not start\n");
        return 2;
    }
    const QString storage = QString::fromStdString(platform.dataDir()) + "/storage/demo/recorder/";

    Recorder().exitRequested = 0;
    Recorder().userId = 1001;
    Recorder().uploadEnabled = 1;
    Recorder().SetChannel(0, {501, 101, QStringLiteral("demo"), 1});
    FtpAccount account;
    account.ftpId = 1;
    account.host = QStringLiteral("127.0.0.1");
    account.port = platform.ftpPort();
    account.user = QStringLiteral("demo");
    account.pass = QStringLiteral("demoftp");
    account.path = QStringLiteral("/recorder");

    auto stopEvent = std::make_shared<platform::Event>(true, false);
    UploadWorkerSetup setup;
    setup.account = [account] { return account; };
    setup.queueFile = queueFile;
    setup.endpoint = RecorderService::ServiceEndpoint(QStringLiteral("http://127.0.0.1:%1").arg(platform.port()));
    setup.stopEvent = stopEvent;
    CUploadThread worker(setup);

    QElapsedTimer run;
    run.start();
    worker.start();

    // The week: seven days of recordings, queued at a steady pace while outages of
    // 1-4 s begin every 2-6 s.
    std::vector<Recording> recordings;
    std::uniform_int_distribution<qint64> sizes(kSmallestQueuedFile, 6 * 1024 * 1024);
    std::uniform_int_distribution<int> gap(2000, 6000), length(1000, 4000), kind(1, lostAnswers ? 3 : 2);
    int maxQueue = 0, outages = 0;
    qint64 nextQueue = 0, nextOutage = gap(rng), outageEnds = -1;
    Outage current = Outage::None;
    auto observe = [&] {
        // The worker writes its default pause as it starts; the run keeps it short.
        if (platform::GetPrivateProfileInt("FTP", "WAITTIME", -1, queueFile) != kWaitMs)
            platform::WritePrivateProfileString("FTP", "WAITTIME", QString::number(kWaitMs), queueFile);
        maxQueue = std::max(maxQueue, QueueLength(queueFile));
    };
    while (static_cast<int>(recordings.size()) < kRecordings || current != Outage::None) {
        const qint64 now = run.elapsed();
        if (static_cast<int>(recordings.size()) < kRecordings && now >= nextQueue) {
            const int n = static_cast<int>(recordings.size());
            const int day = 1 + n / 7, show = n % 7;
            // Named as the recorder names them: start time and milliseconds.
            const QString name = QString::asprintf("202612%02d%02d0000%03d.wmv", day, 8 + 2 * show, n);
            const QString path = folder + "TVRecord/" + name;
            if (!WriteRecording(path, sizes(rng), rng)) return 2;
            const QString date = QStringLiteral("2026-12-%1").arg(day, 2, 10, QChar('0'));
            if (!QueueUpload(queueFile, nullptr,
                             {path, QStringLiteral("19:00:00"), QStringLiteral("19:45:00"),
                              QStringLiteral("%1-101").arg(10 + show), date, QString::number(2000 + n)})) {
                std::fprintf(stderr, "%s was not queued\n", qPrintable(name));
                return 2;
            }
            recordings.push_back({path, name});
            nextQueue = now + kQueueEveryMs;
        }
        if (current == Outage::None && now >= nextOutage && static_cast<int>(recordings.size()) < kRecordings) {
            current = static_cast<Outage>(kind(rng));
            ++outages;
            std::printf("%6.1f s  %s\n", now / 1000.0, OutageName(current));
            std::fflush(stdout);
            if (!Enter(platform, current)) return 2;
            outageEnds = run.elapsed() + length(rng);
        } else if (current != Outage::None && now >= outageEnds) {
            current = Outage::None;
            if (!Enter(platform, current)) return 2;
            nextOutage = run.elapsed() + gap(rng);
        }
        observe();
        PumpFor(100);
    }

    // Everything queued and the platform up: wait until each file is stored and reported.
    const qint64 queuedAt = run.elapsed();
    auto settled = [&](std::string* page) {
        *page = platform.Get("/");
        if (QueueLength(queueFile) != 0) return false;
        for (const Recording& r : recordings)
            if (Occurrences(*page, "<td>" + r.name.toStdString() + "</td>") == 0 || !QFile::exists(storage + r.name))
                return false;
        return true;
    };
    std::string page;
    while (!settled(&page) && run.elapsed() - queuedAt < kSettleLimitMs) {
        observe();
        PumpFor(200);
    }
    const qint64 doneAt = run.elapsed();
    // A few more rounds: nothing may be sent or reported again.
    PumpFor(3 * kWaitMs + 500);
    page = platform.Get("/");

    Recorder().exitRequested = 1;
    stopEvent->Set();
    while (!worker.wait(20)) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

    int stored = 0, reportedOnce = 0, faults = 0;
    for (const Recording& r : recordings) {
        const bool same = SameBytes(r.path, storage + r.name);
        const size_t rows = Occurrences(page, "<td>" + r.name.toStdString() + "</td>");
        stored += same;
        reportedOnce += rows == 1;
        if (!same || rows != 1) {
            ++faults;
            std::printf("FAULT %s: %s, reported %zu times\n", qPrintable(r.name),
                        same ? "stored byte for byte" : "NOT stored byte for byte", rows);
        }
    }
    const int storageFiles = static_cast<int>(QDir(storage).entryList(QDir::Files).size());
    if (storageFiles != kRecordings) {
        ++faults;
        std::printf("FAULT the storage folder holds %d files, not %d\n", storageFiles, kRecordings);
    }
    std::printf("seed %u: %d recordings, %d outages, %d login-failure boxes\n", seed, kRecordings, outages, boxes);
    std::printf("stored byte for byte: %d/%d, reported exactly once: %d/%d\n", stored, kRecordings, reportedOnce,
                kRecordings);
    std::printf("run time %.1f s (last queued at %.1f s, all done at %.1f s), largest queue %d\n", run.elapsed() / 1000.0,
                queuedAt / 1000.0, doneAt / 1000.0, maxQueue);
    SetMessageBoxResponder(nullptr);
    return faults == 0 ? 0 : 1;
}
