// The logo overlay: the logo file's picture lands at its offsets in the archive, and the
// video of a recording with it runs to the stop.

#include "wavetap_test_support.h"

#include "platform/paths.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>

#include <gtest/gtest.h>

using namespace wavetap_test;

namespace {

// A logo file as the logo dialog writes it: 20-byte header, information header, rows.
QByteArray RedSquareLogo(int size, int left, int top) {
    const int rowBytes = ((24 * size + 31) / 32) * 4;
    const int imageSize = rowBytes * size;
    QByteArray data(20 + 40 + imageSize, '\0');
    auto* d = reinterpret_cast<uchar*>(data.data());
    d[0] = 'B';
    d[1] = 'M';
    qToLittleEndian<quint16>(static_cast<quint16>(left), d + 2);
    qToLittleEndian<quint16>(static_cast<quint16>(top), d + 4);
    qToLittleEndian<quint32>(static_cast<quint32>(data.size()), d + 8);
    qToLittleEndian<quint32>(60, d + 16);
    uchar* info = d + 20;
    qToLittleEndian<quint32>(40, info);
    qToLittleEndian<qint32>(size, info + 4);
    qToLittleEndian<qint32>(size, info + 8);
    qToLittleEndian<quint16>(1, info + 12);
    qToLittleEndian<quint16>(24, info + 14);
    qToLittleEndian<quint32>(static_cast<quint32>(imageSize), info + 20);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) d[60 + y * rowBytes + x * 3 + 2] = 255;  // BGR: red
    return data;
}

// The time of the last packet of the file's first stream of that kind ("v" or "a").
double LastPacketTime(const QString& file, const char* stream) {
    const QByteArray times = RunTool("ffprobe", {"-v", "error", "-select_streams", QString("%1:0").arg(stream),
                                                 "-show_entries", "packet=pts_time", "-of", "csv=p=0", file});
    double last = -1;
    for (const QByteArray& line : times.split('\n'))
        if (!line.trimmed().isEmpty()) last = std::max(last, line.toDouble());
    return last;
}

struct Rgb {
    int r, g, b;
};

// Records the test devices with the logo into that file for so many milliseconds.
bool RecordWithLogo(const QString& file, int milliseconds) {
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    wavetap.SetProfileDir(ProfileDir());
    if (!wavetap.AddSource("SG", kCamera, kMicrophone, kProfile256, WAVETAP_AUDIO_VIDEO, 1, "", 0) ||
        !wavetap.SetSaveInfo(file) || !wavetap.StartEncode())
        return false;
    PumpFor(milliseconds);
    wavetap.StopEncode();
    return true;
}

// The red square as the user's logo file, for as long as it lives.
class RedSquareLogoFile {
public:
    RedSquareLogoFile() {
        QFile logo(path_);
        if (logo.open(QIODevice::WriteOnly)) logo.write(RedSquareLogo(16, 10, 20));
    }
    ~RedSquareLogoFile() { QFile::remove(path_); }
    bool Written() const { return QFileInfo(path_).size() > 0; }

private:
    const QString path_ = platform::GetUserConfigFolder() + "vek.dat";
};

}  // namespace

TEST(Logo, RedSquareAppearsAtItsOffsets) {
    const QString file = TempDir("logo") + "/logo.wmv";
    {
        RedSquareLogoFile logo;
        ASSERT_TRUE(logo.Written());
        ASSERT_TRUE(RecordWithLogo(file, 2000));
    }

    const QByteArray frame = RunTool("ffmpeg", {"-v", "error", "-ss", "1", "-i", file, "-frames:v", "1", "-f",
                                                "rawvideo", "-pix_fmt", "rgb24", "-"});
    ASSERT_EQ(frame.size(), 320 * 240 * 3);
    const auto pixel = [&frame](int x, int y) {
        const auto* p = reinterpret_cast<const uchar*>(frame.constData()) + (y * 320 + x) * 3;
        return Rgb{p[0], p[1], p[2]};
    };
    for (const auto& [x, y] : {std::pair{13, 23}, std::pair{18, 28}, std::pair{23, 33}}) {
        const Rgb inside = pixel(x, y);
        EXPECT_GT(inside.r, 150) << x << "," << y;
        EXPECT_LT(inside.g, 90) << x << "," << y;
        EXPECT_LT(inside.b, 90) << x << "," << y;
    }
    for (const auto& [x, y] : {std::pair{4, 28}, std::pair{18, 12}, std::pair{40, 28}, std::pair{18, 44}}) {
        const Rgb outside = pixel(x, y);
        EXPECT_FALSE(outside.r > 150 && outside.g < 90 && outside.b < 90) << "red outside at " << x << "," << y;
    }
}

// The video waits in the mixer for a moment before it is encoded; the stop brings out what
// waits there, so the video ends with the audio rather than before it.
TEST(Logo, ARecordingKeepsItsVideoToTheStop) {
    RedSquareLogoFile logo;
    ASSERT_TRUE(logo.Written());
    for (int run = 0; run < 3; ++run) {
        const QString file = TempDir("logo-end") + QString("/end-%1.wmv").arg(run);
        ASSERT_TRUE(RecordWithLogo(file, 1200));
        const double audioEnd = LastPacketTime(file, "a");
        ASSERT_GT(audioEnd, 0.9) << run;
        // Within a video frame of the audio's end (it came up to 0.2 s short at a stop).
        EXPECT_GE(LastPacketTime(file, "v"), audioEnd - 0.04) << "run " << run;
    }
}
