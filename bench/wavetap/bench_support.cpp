#include "bench_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QThread>

#include <sys/resource.h>
#include <unistd.h>

namespace wavetap_bench {

platform::LRESULT CountingOwner::OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM) {
    if (msg == WM_WAVETAP_NOTIFY && wParam == WM_WAVETAP_START) ++started;
    if (msg == WM_WAVETAP_NOTIFY && wParam == WM_WAVETAP_STOP) ++stopped;
    return 0;
}

void InitBench(int& argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
    QFile source(QString(CASTORA_SOURCE_DIR) + "/tests/wavetap/test-devices.ini");
    QSaveFile file(QString(CASTORA_BIN_DIR) + "/devices.ini");
    if (source.open(QIODevice::ReadOnly) && file.open(QIODevice::WriteOnly)) {
        file.write(source.readAll());
        file.commit();
    }
}

void PumpFor(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        platform::PumpMessages();
        QThread::msleep(50);  // the slice a worker waiting on its stop event pumps with
    }
}

static double Seconds(const rusage& usage) {
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
}

double SelfCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return Seconds(usage);
}

double ChildrenCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return Seconds(usage);
}

double ResidentMiB() {
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * sysconf(_SC_PAGESIZE) / (1024.0 * 1024.0) : 0;
}

QString ProfileDir() { return QString(CASTORA_SOURCE_DIR) + "/Profiles"; }

QString MakeBenchClip(const QString& path, double seconds, int width, int height) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                            QString("testsrc=size=%1x%2:rate=25:duration=%3").arg(width).arg(height).arg(seconds),
                            "-f", "lavfi", "-i", QString("sine=f=440:d=%1").arg(seconds), "-c:v", "mpeg4", "-q:v", "3",
                            "-c:a", "mp2", path});
    ffmpeg.waitForFinished(120000);
    return QFile::exists(path) ? path : QString();
}

}  // namespace wavetap_bench
