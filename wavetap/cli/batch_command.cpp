#include "cli/batch_command.h"

#include "platform/messages.h"
#include "vekencoder/batch_jobs.h"
#include "wavetap/wavetap.h"

#include <QTimer>

#include <cstdio>
#include <map>

namespace wavetap::cli {

namespace {

class ProgressPrinter : public platform::MessageTarget {
protected:
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM, platform::LPARAM lParam) override {
        if (msg == WM_ENCODE_PROGRESS) {
            std::printf("progress %ld\n", static_cast<long>(lParam));
            std::fflush(stdout);
        }
        return 0;
    }
};

int Usage(const QString& why) {
    std::fprintf(stderr, "castora-encode: %s\n%s", why.toLocal8Bit().constData(), BatchUsage().toLocal8Bit().constData());
    return 2;
}

}  // namespace

QString BatchUsage() {
    return "usage: castora-encode --job transcode --input IN --output OUT --profile NAME [--audio-only]\n"
           "       castora-encode --job device --video V --audio A --profile NAME [--save FILE]\n"
           "                      [--push HOST:PORT/POINT --push-user U --push-password P] [--audio-only] [--title T]\n"
           "       castora-encode --job files --files F1,F2,... [--loop] --profile NAME --push HOST:PORT/POINT ...\n"
           "       common: [--author A] [--description D] [--seconds N: send the stop request after N s]\n";
}

bool IsBatchCommand(const QStringList& arguments) { return arguments.contains("--job"); }

int RunBatchCommand(const QStringList& arguments) {
    std::map<QString, QString> values;
    bool audioOnly = false;
    bool loop = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        if (option == "--audio-only") {
            audioOnly = true;
        } else if (option == "--loop") {
            loop = true;
        } else if (option.startsWith("--") && i + 1 < arguments.size()) {
            values[option.mid(2)] = arguments[++i];
        } else {
            return Usage("unexpected " + option);
        }
    }
    static const QStringList kKnown = {"job", "input", "output", "profile", "video", "audio", "save", "push",
                                       "push-user", "push-password", "title", "files", "author", "description",
                                       "seconds"};
    for (const auto& [key, value] : values)
        if (!kKnown.contains(key)) return Usage("unknown option --" + key);
    const auto value = [&](const char* key) { return values.count(key) ? values[key] : QString(); };
    if (value("profile").isEmpty()) return Usage("--profile is needed");

    QString pushHost, pushPoint;
    int pushPort = 0;
    if (!value("push").isEmpty()) {
        const QString push = value("push");
        const int slash = push.indexOf('/');
        const int colon = push.lastIndexOf(':', slash);
        bool ok = false;
        pushPort = colon > 0 ? push.mid(colon + 1, slash - colon - 1).toInt(&ok) : 0;
        if (slash < 0 || colon <= 0 || !ok) return Usage("--push needs HOST:PORT/POINT");
        pushHost = push.left(colon);
        pushPoint = push.mid(slash + 1);
    }

    ProgressPrinter progress;
    QTimer stopTimer;
    if (!value("seconds").isEmpty()) {
        bool ok = false;
        const double seconds = value("seconds").toDouble(&ok);
        if (!ok || seconds <= 0) return Usage("--seconds needs a positive number");
        // The stop request, as a page would post it to the job's thread.
        stopTimer.setSingleShot(true);
        QObject::connect(&stopTimer, &QTimer::timeout, [&progress] {
            platform::PostMessage(&progress, WM_WAVETAP_NOTIFY, WM_WAVETAP_STOP, 0);
        });
        stopTimer.start(static_cast<int>(seconds * 1000));
    }

    const QString job = value("job");
    std::int32_t result = 0;
    if (job == "transcode") {
        if (value("input").isEmpty() || value("output").isEmpty()) return Usage("--input and --output are needed");
        result = EncodeFileFromFile(value("input"), value("output"), value("profile"), audioOnly ? 1 : 0, &progress,
                                    value("author"), value("description"));
    } else if (job == "device") {
        const bool push = !pushHost.isEmpty();
        const bool save = !value("save").isEmpty();
        if (!push && !save) return Usage("--save and/or --push are needed");
        const int output = push && save ? 2 : push ? 1 : 0;
        result = EncodeDevice(value("video"), value("audio"), value("profile"), pushHost, pushPoint, pushPort, 0,
                              value("save"), audioOnly ? 1 : 0, output, nullptr, nullptr, nullptr, value("author"),
                              value("title"), value("description"), value("push-user"), value("push-password"));
    } else if (job == "files") {
        QStringList files = value("files").split(',', Qt::SkipEmptyParts);
        if (files.isEmpty() || pushHost.isEmpty()) return Usage("--files and --push are needed");
        result = EncodeFromFile(files, value("profile"), loop ? 1 : 0, pushHost, pushPoint, pushPort, 0,
                                audioOnly ? 1 : 0, nullptr, nullptr, value("author"), value("title"),
                                value("description"), value("push-user"), value("push-password"));
    } else {
        return Usage("--job is transcode, device or files");
    }
    platform::PumpMessages();  // progress still queued
    std::printf("result 0x%08x\n", static_cast<unsigned>(result));
    return result < 0 ? 1 : 0;
}

}  // namespace wavetap::cli
