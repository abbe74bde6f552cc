// castora-encode: one CWavetap run from the command line. Prints "notify <code>" for
// each owner notification as it arrives; exits 0 when the run ended normally (after
// --seconds, or by itself), 1 when it could not be set up or started, 2 for bad usage.
// With --job it runs one of the batch jobs instead.

#include "cli/batch_command.h"
#include "cli/encode_options.h"
#include "platform/messages.h"
#include "wavetap/wavetap.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>

namespace {

class NotifyPrinter : public platform::MessageTarget {
public:
    bool stoppedByItself = false;
    bool startFailed = false;

protected:
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM) override {
        if (msg != WM_WAVETAP_NOTIFY) return 0;
        std::printf("notify %u\n", static_cast<unsigned>(wParam));
        std::fflush(stdout);
        if (wParam == WM_WAVETAP_STOP) stoppedByItself = true;
        if (wParam == WM_WAVETAP_PREPARE_FAIL) startFailed = true;
        return 0;
    }
};

int Fail(const char* what) {
    std::fprintf(stderr, "castora-encode: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (wavetap::cli::IsBatchCommand(app.arguments())) return wavetap::cli::RunBatchCommand(app.arguments());
    QString error;
    const auto options = wavetap::cli::ParseEncodeOptions(app.arguments(), &error);
    if (!options) {
        std::fprintf(stderr, "castora-encode: %s\n%s", error.toLocal8Bit().constData(),
                     wavetap::cli::EncodeUsage().toLocal8Bit().constData());
        return 2;
    }
    NotifyPrinter owner;
    CWavetap encoder(&owner);
    encoder.SetProfileDir(options->profileDir);
    const WAVETAP_STREAM_TYPE type = options->audioOnly ? WAVETAP_AUDIO_ONLY : WAVETAP_AUDIO_VIDEO;
    if (options->groups.empty()) {
        if (!encoder.AddSource("SG_Main", options->video, options->audio, options->profile, type, options->logo, "", 0))
            return Fail("AddSource failed");
    }
    for (const auto& group : options->groups) {
        if (!encoder.AddSource(group.name, group.video, group.audio, options->profile, type, options->logo,
                               group.rollover, 0))
            return Fail("AddSource failed");
    }
    if (!options->save.isEmpty() && !encoder.SetSaveInfo(options->save)) return Fail("SetSaveInfo failed");
    if (options->serve && !encoder.SetLiveInfo("", "", 0, "", "", 0)) return Fail("SetLiveInfo failed");
    if (!options->pushHost.isEmpty() && !encoder.SetLiveInfo(options->pushHost, options->pushPoint, options->pushPort,
                                                             options->pushUser, options->pushPassword, 1))
        return Fail("SetLiveInfo failed");
    encoder.SetDisplayInfo(options->author, options->copyright, options->description, options->title);
    const bool started = encoder.StartEncode();

    QElapsedTimer clock;
    clock.start();
    size_t nextSwitch = 0;
    while (started && !owner.stoppedByItself && encoder.GetState() != WAVETAP_STOPPED) {
        platform::PumpMessages();
        const double elapsed = clock.elapsed() / 1000.0;
        if (nextSwitch < options->switches.size() && elapsed >= options->switches[nextSwitch].afterSeconds)
            encoder.SwitchSource(options->switches[nextSwitch++].group);
        if (options->seconds > 0 && elapsed >= options->seconds) break;
        QThread::msleep(20);
    }
    if (encoder.GetState() != WAVETAP_STOPPED) encoder.StopEncode();
    // Deliver what is still queued (the last notifications).
    for (int i = 0; i < 10; ++i) {
        platform::PumpMessages();
        QThread::msleep(10);
    }
    return started && !owner.startFailed ? 0 : 1;
}
