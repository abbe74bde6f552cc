#pragma once
// Media for the rights-management tests: WMV files from GStreamer's asfmux (as the
// live encoder writes them) and from ffmpeg's ASF muxer, and ffmpeg's view of them.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace drm_test {

// A WMV (WMV 8 video, WMA 2 audio) of `seconds` written by asfmux; empty path on failure.
QString MakeAsfmuxWmv(const QString& path, int seconds);
// The same written by ffmpeg's own encoders and muxer.
QString MakeFfmpegWmv(const QString& path, int seconds);

// ffmpeg's per-frame checksums of the decoded streams ("-f framemd5"), without the
// comment lines; `streams` is an ffmpeg -map argument ("0", "0:v", "0:a").
QStringList FrameMd5(const QString& path, const QString& streams = QStringLiteral("0"));
// What ffprobe says of the container ("format_name=asf" ...), empty when it cannot read it.
QString ProbeFormat(const QString& path);

QByteArray ReadAll(const QString& path);
bool WriteAll(const QString& path, const QByteArray& bytes);

}  // namespace drm_test
