#include "drm_test_media.h"

#include <QFile>
#include <QProcess>

namespace drm_test {

namespace {

QByteArray Run(const QString& program, const QStringList& arguments, int* exitCode = nullptr) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        if (exitCode) *exitCode = -1;
        return {};
    }
    if (exitCode) *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return process.readAllStandardOutput();
}

}  // namespace

QString MakeAsfmuxWmv(const QString& path, int seconds) {
    // The libav encoders shift timestamps by 1000 hours; identity's single segment puts
    // them back, so asfmux interleaves the streams.
    const QString frames = QString::number(seconds * 25);
    const QString buffers = QString::number(seconds * 22050 / 1024);
    const QString pipeline =
        "videotestsrc num-buffers=" + frames +
        " pattern=ball ! video/x-raw,width=320,height=240,framerate=25/1 ! avenc_wmv2 bitrate=400000 gop-size=25"
        " ! identity single-segment=true ! queue ! asfmux name=mux ! filesink location=\"" + path +
        "\" audiotestsrc num-buffers=" + buffers +
        " samplesperbuffer=1024 wave=sine ! audio/x-raw,rate=22050,channels=1 ! avenc_wmav2 bitrate=64000"
        " ! identity single-segment=true ! queue ! mux.";
    int code = 0;
    Run("sh", {"-c", "gst-launch-1.0 -q " + pipeline}, &code);
    return code == 0 && QFile::exists(path) ? path : QString();
}

QString MakeFfmpegWmv(const QString& path, int seconds) {
    const QString duration = QString::number(seconds);
    int code = 0;
    Run("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=" + duration,
                   "-f", "lavfi", "-i", "sine=f=440:d=" + duration, "-c:v", "wmv2", "-b:v", "400k", "-c:a", "wmav2",
                   "-b:a", "64k", path},
        &code);
    return code == 0 && QFile::exists(path) ? path : QString();
}

QStringList FrameMd5(const QString& path, const QString& streams) {
    int code = 0;
    const QByteArray out =
        Run("ffmpeg", {"-v", "quiet", "-i", path, "-map", streams, "-f", "framemd5", "-"}, &code);
    QStringList frames;
    for (const QByteArray& line : out.split('\n'))
        if (!line.isEmpty() && !line.startsWith('#')) frames << QString::fromLatin1(line);
    return frames;
}

QString ProbeFormat(const QString& path) {
    int code = 0;
    const QByteArray out = Run("ffprobe", {"-v", "error", "-show_entries", "format=format_name:format_tags:stream=codec_name",
                                           "-of", "default=noprint_wrappers=1", path},
                               &code);
    return code == 0 ? QString::fromLatin1(out) : QString();
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace drm_test
