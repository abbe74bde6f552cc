// Downloads a large installer from castora-platform on loopback through the updater's
// window (CheckUpdate of the real library, the question answered Yes) and with curl,
// in turns, and prints throughput, CPU time and how live the window's progress stayed.
//
//   bench_upkeep_download [MEGABYTES=200] [ROUNDS=3] [THROTTLED_MIB_PER_S=20 (0: skip)]

#include <QAbstractButton>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <dlfcn.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace {

constexpr char kInstaller[] = "CastoraSetup.msi";

double CpuSeconds(const rusage& usage) {
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double SelfCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return CpuSeconds(usage);
}

struct Run {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    int progressUpdates = 0;
    double longestGapSeconds = 0;  // between two progress updates of the window
    double longestStallSeconds = 0;  // the window's event loop, measured by a 20 ms timer
    bool ok = false;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// castora-platform with the update folder, on a free loopback port.
class Platform {
public:
    Platform(const QString& updateDir, const QString& dataDir, int kibPerSecond) {
        QTcpSocket probe;
        for (port_ = 18500 + static_cast<int>(QCoreApplication::applicationPid() % 1000);; ++port_) {
            probe.connectToHost("127.0.0.1", static_cast<quint16>(port_));
            if (!probe.waitForConnected(100)) break;
            probe.abort();
        }
        QStringList args = {"--port", QString::number(port_), "--data", dataDir, "--ftp-port", "0",
                            "--update-dir", updateDir};
        if (kibPerSecond > 0) args << "--update-kbps" << QString::number(kibPerSecond);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QCoreApplication::applicationDirPath() + "/castora-platform", args);
        for (int i = 0; i < 100; ++i) {
            QTcpSocket socket;
            socket.connectToHost("127.0.0.1", static_cast<quint16>(port_));
            if (socket.waitForConnected(100)) return;
            QThread::msleep(50);
        }
    }
    ~Platform() {
        process_.terminate();
        process_.waitForFinished(5000);
    }
    QString Url() const { return QStringLiteral("http://127.0.0.1:%1/update/").arg(port_); }

private:
    int port_ = 0;
    QProcess process_;
};

Run DownloadThroughTheWindow(const QString& url) {
    using CheckUpdateFunction = int (*)(QString, QString, int*, void*);
    static void* library =
        dlopen((QCoreApplication::applicationDirPath() + "/libupkeep.so").toLocal8Bit().constData(), RTLD_NOW);
    auto check = library ? reinterpret_cast<CheckUpdateFunction>(dlsym(library, "CheckUpdate")) : nullptr;
    Run run;
    if (!check) return run;

    QElapsedTimer clock;
    std::vector<qint64> updates;
    qint64 lastTick = -1;
    QProgressBar* watched = nullptr;
    QTimer user;  // answers the question and hooks the window's bar once it shows
    QObject::connect(&user, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (lastTick >= 0) run.longestStallSeconds = std::max(run.longestStallSeconds, (now - lastTick) / 1000.0);
        lastTick = now;
        QWidget* window = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == QStringLiteral("是")) button->click();
            }
        } else if (window && window->objectName() == u"CHttpDownloadDlg" && !watched) {
            for (QProgressBar* bar : window->findChildren<QProgressBar*>()) {
                watched = bar;
                QObject::connect(bar, &QProgressBar::valueChanged, [&] { updates.push_back(clock.elapsed()); });
                updates.push_back(clock.elapsed());
            }
        }
    });
    user.start(20);
    clock.start();
    const double cpuBefore = SelfCpuSeconds();
    int code = -1;
    const int returned = check(url, kInstaller, &code, nullptr);
    run.cpuSeconds = SelfCpuSeconds() - cpuBefore;
    run.wallSeconds = clock.elapsed() / 1000.0;
    run.ok = returned == 1 && code == 0;
    run.progressUpdates = static_cast<int>(updates.size());
    for (std::size_t i = 1; i < updates.size(); ++i) {
        run.longestGapSeconds = std::max(run.longestGapSeconds, (updates[i] - updates[i - 1]) / 1000.0);
    }
    return run;
}

Run DownloadWithCurl(const QString& url, const QString& target) {
    Run run;
    const QByteArray address = (url + kInstaller).toUtf8(), output = target.toLocal8Bit();
    const char* argv[] = {"curl", "-s", "-o", output.constData(), address.constData(), nullptr};
    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "curl", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.wallSeconds = clock.elapsed() / 1000.0;
    run.cpuSeconds = CpuSeconds(usage);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

QByteArray FileHash(const QString& path) {
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result() : QByteArray();
}

void Print(const char* what, const std::vector<Run>& runs, double megabytes) {
    std::vector<double> wall, cpu;
    for (const Run& r : runs) {
        wall.push_back(r.wallSeconds);
        cpu.push_back(r.cpuSeconds);
    }
    std::printf("%-8s wall %.2f s (%.0f MB/s), CPU %.2f s (%.2f ms per MB)  [median of %zu]\n", what, Median(wall),
                megabytes / Median(wall), Median(cpu), Median(cpu) * 1000 / megabytes, runs.size());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    const int throttledMiB = argc > 3 ? std::max(0, atoi(argv[3])) : 20;

    QTemporaryDir work;
    const QString updateDir = work.filePath("update"), dataDir = work.filePath("data"),
                  tempDir = work.filePath("tmp");
    QDir().mkpath(updateDir);
    QDir().mkpath(tempDir);
    qputenv("TMPDIR", tempDir.toLocal8Bit());
    {
        QFile version(updateDir + "/update.txt");
        version.open(QIODevice::WriteOnly);
        version.write("99.0");
        QFile installer(updateDir + "/" + kInstaller);
        installer.open(QIODevice::WriteOnly);
        QByteArray block(1024 * 1024, Qt::Uninitialized);
        for (int i = 0; i < megabytes; ++i) {
            for (qsizetype j = 0; j < block.size(); ++j) block[j] = static_cast<char>((i * 131 + j * 7) ^ (j >> 9));
            installer.write(block);
        }
    }
    const QByteArray published = FileHash(updateDir + "/" + kInstaller);
    const double mb = megabytes * 1.048576;

    std::vector<Run> ours, theirs;
    {
        Platform platform(updateDir, dataDir, 0);
        for (int round = 0; round < rounds; ++round) {
            ours.push_back(DownloadThroughTheWindow(platform.Url()));
            if (FileHash(tempDir + "/" + kInstaller) != published) ours.back().ok = false;
            theirs.push_back(DownloadWithCurl(platform.Url(), tempDir + "/curl.out"));
            if (FileHash(tempDir + "/curl.out") != published) theirs.back().ok = false;
            std::printf("round %d: window %.2f s wall %.2f s CPU (%d progress updates, longest gap %.3f s, "
                        "longest event-loop stall %.3f s)%s; curl %.2f s wall %.2f s CPU%s\n",
                        round + 1, ours.back().wallSeconds, ours.back().cpuSeconds, ours.back().progressUpdates,
                        ours.back().longestGapSeconds, ours.back().longestStallSeconds,
                        ours.back().ok ? "" : " FAILED", theirs.back().wallSeconds, theirs.back().cpuSeconds,
                        theirs.back().ok ? "" : " FAILED");
            std::fflush(stdout);
        }
    }
    std::printf("%d MiB installer from loopback, %d rounds\n", megabytes, rounds);
    Print("window", ours, mb);
    Print("curl", theirs, mb);
    std::vector<double> ratios;
    for (std::size_t i = 0; i < ours.size(); ++i) ratios.push_back(ours[i].cpuSeconds / theirs[i].cpuSeconds);
    std::printf("CPU window/curl: median %.2f (min %.2f, max %.2f)\n", Median(ratios),
                *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()));

    bool allOk = std::all_of(ours.begin(), ours.end(), [](const Run& r) { return r.ok; }) &&
                 std::all_of(theirs.begin(), theirs.end(), [](const Run& r) { return r.ok; });
    if (throttledMiB > 0) {
        Platform slow(updateDir, dataDir, throttledMiB * 1024);
        const Run run = DownloadThroughTheWindow(slow.Url());
        allOk = allOk && run.ok;
        std::printf("at %d MiB/s: %.1f s, %d progress updates, longest gap between updates %.3f s, "
                    "longest event-loop stall %.3f s%s\n",
                    throttledMiB, run.wallSeconds, run.progressUpdates, run.longestGapSeconds,
                    run.longestStallSeconds, run.ok ? "" : " FAILED");
    }
    return allOk ? 0 : 1;
}
