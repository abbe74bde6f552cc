#include "cli/encode_options.h"

namespace wavetap::cli {

QString EncodeUsage() {
    return "usage: castora-encode --profile-dir DIR --profile NAME [--video INPUT] [--audio INPUT] [--audio-only]\n"
           "       [--logo] [--save FILE] [--serve] [--seconds N] [--title T --author A --copyright C\n"
           "       --description D] [--group NAME=VIDEO,AUDIO[,ROLLOVER]]... [--switch-after SECONDS:GROUP]...\n"
           "       [--push HOST:PORT/POINT [--push-user U] [--push-password P]]\n";
}

std::optional<EncodeOptions> ParseEncodeOptions(const QStringList& arguments, QString* error) {
    EncodeOptions options;
    const auto fail = [error](const QString& message) {
        *error = message;
        return std::nullopt;
    };
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        if (option == "--audio-only") {
            options.audioOnly = true;
            continue;
        }
        if (option == "--logo") {
            options.logo = true;
            continue;
        }
        if (option == "--serve") {
            options.serve = true;
            continue;
        }
        if (i + 1 >= arguments.size()) return fail(option + " needs a value");
        const QString value = arguments[++i];
        if (option == "--profile-dir") {
            options.profileDir = value;
        } else if (option == "--profile") {
            options.profile = value;
        } else if (option == "--video") {
            options.video = value;
        } else if (option == "--audio") {
            options.audio = value;
        } else if (option == "--save") {
            options.save = value;
        } else if (option == "--seconds") {
            bool ok = false;
            options.seconds = value.toDouble(&ok);
            if (!ok || options.seconds <= 0) return fail("--seconds needs a positive number");
        } else if (option == "--title") {
            options.title = value;
        } else if (option == "--author") {
            options.author = value;
        } else if (option == "--copyright") {
            options.copyright = value;
        } else if (option == "--description") {
            options.description = value;
        } else if (option == "--group") {
            const int eq = value.indexOf('=');
            if (eq <= 0) return fail("--group needs NAME=VIDEO,AUDIO[,ROLLOVER]");
            const QStringList parts = value.mid(eq + 1).split(',');
            if (parts.size() < 2 || parts.size() > 3) return fail("--group needs NAME=VIDEO,AUDIO[,ROLLOVER]");
            options.groups.push_back({value.left(eq), parts[0], parts[1], parts.value(2)});
        } else if (option == "--push") {
            // HOST:PORT/POINT
            const int slash = value.indexOf('/');
            const int colon = value.lastIndexOf(':', slash);
            bool ok = false;
            const int port = colon > 0 ? value.mid(colon + 1, slash - colon - 1).toInt(&ok) : 0;
            if (slash < 0 || colon <= 0 || !ok || port <= 0 || port > 65535 || slash + 1 >= value.size())
                return fail("--push needs HOST:PORT/POINT");
            options.pushHost = value.left(colon);
            options.pushPort = port;
            options.pushPoint = value.mid(slash + 1);
        } else if (option == "--push-user") {
            options.pushUser = value;
        } else if (option == "--push-password") {
            options.pushPassword = value;
        } else if (option == "--switch-after") {
            const int colon = value.indexOf(':');
            bool ok = false;
            const double after = value.left(colon).toDouble(&ok);
            if (colon <= 0 || !ok || after < 0) return fail("--switch-after needs SECONDS:GROUP");
            options.switches.push_back({after, value.mid(colon + 1)});
        } else {
            return fail("unknown option " + option);
        }
    }
    if (options.profileDir.isEmpty() || options.profile.isEmpty()) return fail("--profile-dir and --profile are needed");
    if (options.groups.empty() && options.video.isEmpty() && options.audio.isEmpty())
        return fail("give --video/--audio or --group");
    return options;
}

}  // namespace wavetap::cli
