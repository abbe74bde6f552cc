// libvekencoder's batch jobs: file-to-file transcodes and their progress, the profile
// rules, the stop request, titles taken from file names, device jobs to files and to a
// media server of castora-platform, and play lists of files that follow each other.

#include "vekencoder/vekencoder.h"

#include "platform_process.h"
#include "wavetap_test_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

using namespace wavetap_test;

namespace {

// Records the progress messages and the WM_WAVETAP_NOTIFY messages it is given.
class Recorder : public platform::MessageTarget {
public:
    std::vector<long> progress;
    std::vector<unsigned> notices;

protected:
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam) override {
        if (msg == WM_ENCODE_PROGRESS) progress.push_back(static_cast<long>(lParam));
        if (msg == WM_WAVETAP_NOTIFY) notices.push_back(static_cast<unsigned>(wParam));
        return 0;
    }
};

// Posts the message after the delay, from this thread's event loop (the job pumps it).
void PostLater(int ms, QObject* target, platform::WPARAM wParam) {
    QTimer::singleShot(ms, [target, wParam] { platform::PostMessage(target, WM_WAVETAP_NOTIFY, wParam, 0); });
}

QString ColorClip(const QString& folder, const QString& color, double seconds) {
    const QString path = folder + "/" + color + ".avi";
    const QString d = QString::number(seconds);
    RunTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "color=c=" + color + ":size=320x240:rate=25:duration=" + d,
                       "-f", "lavfi", "-i", "sine=f=500:d=" + d, "-c:v", "mpeg4", "-c:a", "mp2", path});
    return QFile::exists(path) ? path : QString();
}

QString TitleOf(const QString& file) {
    for (const QString& line : Probe(file).tagsText.split('\n'))
        if (line.startsWith("title=", Qt::CaseInsensitive)) return line.mid(6);
    return "<no title>";
}

// The colours an ffmpeg player sees, one letter a frame (R, G, B or '?'), repeats folded.
QString ColoursOf(const QByteArray& rgb) {
    QString colours;
    constexpr int kFrame = 4 * 4 * 3;
    for (int at = 0; at + kFrame <= rgb.size(); at += kFrame) {
        long sum[3] = {0, 0, 0};
        for (int i = 0; i < kFrame; ++i) sum[i % 3] += static_cast<unsigned char>(rgb[at + i]);
        const long r = sum[0] / 16, g = sum[1] / 16, b = sum[2] / 16;
        const QChar c = r > 140 && g < 90 && b < 90 ? 'R' : g > 90 && r < 90 && b < 90 ? 'G' : b > 140 && r < 90 && g < 90 ? 'B' : '?';
        if (c != '?' && !colours.endsWith(c)) colours += c;
    }
    return colours;
}

}  // namespace

TEST(EncodeFileFromFile, TranscodesFasterThanRealTimeWithRisingProgress) {
    const QString folder = TempDir("batch-transcode");
    // Long enough for progress ticks (every 100 ms) however fast the machine is.
    const QString clip = MakeClip(folder, "clip.avi", 30.0, 440);
    ASSERT_FALSE(clip.isEmpty());
    Recorder window;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(EncodeFileFromFile(clip, folder + "/out.wmv", "pal_视频中质量（256K）", 0, &window, "作者", "说明"), 0);
    EXPECT_LT(clock.elapsed(), 15000) << "not paced to the clock";
    PumpFor(50);
    const ProbeResult out = Probe(folder + "/out.wmv");
    EXPECT_EQ(out.codecs, (QStringList{"wmv2", "wmav2"}));
    EXPECT_NEAR(out.duration, Probe(clip).duration, 0.5);
    EXPECT_EQ(TitleOf(folder + "/out.wmv"), "clip");
    EXPECT_TRUE(out.tagsText.contains("作者"));

    ASSERT_FALSE(window.progress.empty());
    for (std::size_t i = 0; i < window.progress.size(); ++i) {
        // The k-th message goes out once the percentage passes 3k: it never falls back.
        EXPECT_GT(window.progress[i], static_cast<long>(3 * i)) << i;
        if (i > 0) {
            EXPECT_GE(window.progress[i], window.progress[i - 1]) << i;
        }
        EXPECT_LE(window.progress[i], 100) << i;
    }
}

TEST(EncodeFileFromFile, AudioOnlyLooksForTheAudioProfileAndAMissingProfileIsMinusOne) {
    const QString folder = TempDir("batch-profiles");
    const QString clip = MakeClip(folder, "clip.avi", 2.0, 440);
    ASSERT_FALSE(clip.isEmpty());
    // "音频中质量（64K）" exists with and without the prefix; audio-only takes the prefixed one.
    EXPECT_EQ(EncodeFileFromFile(clip, folder + "/sound.wma", "音频中质量（64K）", 1, nullptr, "", ""), 0);
    EXPECT_EQ(Probe(folder + "/sound.wma").codecs, (QStringList{"wmav2"}));
    EXPECT_EQ(EncodeFileFromFile(clip, folder + "/twice.wma", "audio_音频中质量（64K）", 1, nullptr, "", ""), -1)
        << "audio_audio_... does not exist";
    EXPECT_EQ(EncodeFileFromFile(clip, folder + "/low.wma", "low", 1, nullptr, "", ""), -1);
    EXPECT_EQ(EncodeFileFromFile(clip, folder + "/none.wmv", "no such profile", 0, nullptr, "", ""), -1);
    EXPECT_FALSE(QFile::exists(folder + "/none.wmv"));
    // The audio_ profile asked for by its full name without audio-only.
    EXPECT_EQ(EncodeFileFromFile(clip, folder + "/named.wma", "audio_音频中质量（64K）", 0, nullptr, "", ""), 0);
}

TEST(EncodeFileFromFile, AFileWithoutALengthEndsWithoutProgress) {
    const QString folder = TempDir("batch-still");
    const QString still = folder + "/still.png";
    RunTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=320x240", "-frames:v", "1", still});
    ASSERT_TRUE(QFile::exists(still));
    Recorder window;
    QElapsedTimer clock;
    clock.start();
    EncodeFileFromFile(still, folder + "/still.wmv", "pal_视频中质量（256K）", 0, &window, "", "");
    PumpFor(50);
    EXPECT_LT(clock.elapsed(), 15000);
    for (long percent : window.progress) EXPECT_LE(percent, 100);
}

TEST(EncodeDevice, OnlyAStopRequestWithWParamZeroEndsTheJob) {
    const QString folder = TempDir("batch-stop");
    Recorder window;
    PostLater(300, &window, 1);
    PostLater(1500, &window, 0);
    QElapsedTimer clock;
    clock.start();
    const QString archive = folder + "/D:\\rec\\show.wmv";
    EXPECT_EQ(EncodeDevice(kCamera, kMicrophone, "pal_视频中质量（256K）", "", "", 0, 0, archive, 0, 0, nullptr,
                           nullptr, nullptr, "作者", "", "说明", "", ""),
              0);
    const qint64 took = clock.elapsed();
    EXPECT_GE(took, 1400) << "wParam 1 did not stop it";
    EXPECT_LT(took, 4000);
    PumpFor(50);
    EXPECT_EQ(window.notices, (std::vector<unsigned>{1})) << "wParam 1 was delivered, wParam 0 taken";
    EXPECT_NEAR(Probe(archive).duration, 1.5, 0.8);
    EXPECT_EQ(TitleOf(archive), "show") << "the title from the part after the last backslash";
}

TEST(EncodeDevice, AStopRequestToTheThreadEndsTheJobToo) {
    const QString folder = TempDir("batch-thread-stop");
    const platform::ThreadId self = platform::CurrentThreadId();
    QTimer::singleShot(1000, [self] { platform::PostThreadMessage(self, WM_WAVETAP_NOTIFY, 0, 0); });
    QElapsedTimer clock;
    clock.start();
    const QString archive = folder + "/show2.wmv";
    EXPECT_EQ(EncodeFileFromDevice(kCamera, kMicrophone, "pal_视频中质量（256K）", 0, archive, nullptr, nullptr, "", ""), 0);
    EXPECT_LT(clock.elapsed(), 4000);
    EXPECT_EQ(TitleOf(archive), "show2") << "the title from the part after the last slash";
}

TEST(EncodeDevice, AudioOnlyCreatesNoViewsWhateverWindowsAreGiven) {
    const QString folder = TempDir("batch-audio-only");
    QWidget preview, postview;
    for (QWidget* widget : {&preview, &postview}) ShowBlankWindow(widget);
    bool white = true;
    QTimer::singleShot(1200, [&] {
        for (QWidget* widget : {&preview, &postview}) white = white && qGray(widget->grab().toImage().pixel(5, 5)) > 200;
    });
    Recorder window;
    PostLater(1500, &window, 0);
    EXPECT_EQ(EncodeDevice(kCamera, kMicrophone, kAudioProfile, "", "", 0, 0, folder + "/sound.wma", 1, 0, nullptr,
                           &preview, &postview, "", "T", "", "", ""),
              0);
    EXPECT_TRUE(white) << "no view painted the camera into the windows";
    EXPECT_EQ(Probe(folder + "/sound.wma").codecs, (QStringList{"wmav2"}));
}

namespace {

class PushJobs : public ::testing::Test {
protected:
    void SetUp() override {
        port_ = simtest::FreeLoopbackPort();
        platform_ = std::make_unique<simtest::PlatformProcess>(std::vector<std::string>{
            "--media-ports", std::to_string(port_) + "," + std::to_string(simtest::FreeLoopbackPort())});
        ASSERT_TRUE(platform_->Start());
        for (int i = 0; i < 100 && !simtest::PortAccepts(port_); ++i) PumpFor(20);
    }
    QString Url(const QString& point) const { return QString("mmsh://127.0.0.1:%1/%2").arg(port_).arg(point); }

    int port_ = 0;
    std::unique_ptr<simtest::PlatformProcess> platform_;
};

}  // namespace

TEST_F(PushJobs, DeviceJobsPushToTheServerAndWriteTheFileAsTheOutputSays) {
    const QString folder = TempDir("batch-device-push");
    for (int output : {1, 2}) {
        const QString archive = folder + QString("/out%1.wmv").arg(output);
        Recorder window;
        std::string row;
        QTimer::singleShot(1500, [&] {
            row = platform_->LivePointRow(1, "live1");
            platform::PostMessage(&window, WM_WAVETAP_NOTIFY, 0, 0);
        });
        EXPECT_EQ(EncodeDevice(kCamera, kMicrophone, "pal_视频中质量（256K）", "127.0.0.1", "live1", port_, 0, archive, 0,
                               output, nullptr, nullptr, nullptr, "", "T", "", "push", "pushpass"),
                  0)
            << output;
        EXPECT_EQ(row.rfind("live, pushing", 0), 0u) << output << ": " << row;
        EXPECT_EQ(QFile::exists(archive), output == 2) << output;
        EXPECT_TRUE(platform_->WaitForLivePoint(1, "live1", "free")) << "auto-remove";
    }
    // A wrong push password fails the job before it starts.
    EXPECT_LT(EncodeDevice(kCamera, kMicrophone, "pal_视频中质量（256K）", "127.0.0.1", "live1", port_, 0, "", 0, 1,
                           nullptr, nullptr, nullptr, "", "T", "", "push", "wrong"),
              0);
}

TEST_F(PushJobs, FileListsChainTheirGroupsAndCircleOnlyWithLoop) {
    const QString folder = TempDir("batch-files");
    QStringList files;
    for (const char* colour : {"red", "lime", "blue"}) files << ColorClip(folder, colour, 1.5);
    ASSERT_FALSE(files.contains(QString()));
    for (int loop : {1, 0}) {
        Recorder window;
        QProcess player;
        bool stopAsked = false;
        // The player joins once the push is live and takes five frames a second.
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (player.state() == QProcess::NotRunning && player.exitCode() == 0 && !player.property("started").toBool() &&
                platform_->LivePointRow(1, "live2").rfind("live, pushing", 0) == 0) {
                player.setProperty("started", true);
                player.start("ffmpeg", {"-v", "error", "-i", Url("live2"), "-t", "7", "-vf", "fps=5,scale=4:4", "-f",
                                        "rawvideo", "-pix_fmt", "rgb24", "pipe:1"});
            }
            // With loop the job goes on until asked to stop: after the player has seen enough.
            if (loop && player.property("started").toBool() && player.state() == QProcess::NotRunning && !stopAsked) {
                stopAsked = true;
                platform::PostMessage(&window, WM_WAVETAP_NOTIFY, 0, 0);
            }
        });
        poll.start(100);
        PostLater(20000, &window, 0);  // a job that does not end by itself is stopped here
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(EncodeFromFile(files, "pal_视频中质量（256K）", loop, "127.0.0.1", "live2", port_, 0, 0, nullptr,
                                 nullptr, "", "列表", "", "push", "pushpass"),
                  0)
            << loop;
        poll.stop();
        player.waitForFinished(10000);
        const QString colours = ColoursOf(player.readAllStandardOutput());
        if (loop) {
            EXPECT_TRUE(stopAsked);
            EXPECT_TRUE(colours.contains("RGBR") || colours.contains("GBRG") || colours.contains("BRGB"))
                << "SG_2 rolls over to SG_0: " << colours.toStdString();
        } else {
            EXPECT_LT(clock.elapsed(), 15000) << "the job ended after SG_2 by itself";
            EXPECT_TRUE(colours.endsWith("GB") || colours.endsWith("RGB")) << colours.toStdString();
            EXPECT_FALSE(colours.contains("BR")) << "no circle without loop: " << colours.toStdString();
        }
        EXPECT_TRUE(platform_->WaitForLivePoint(1, "live2", "free"));
    }
}
