// Times the program as an operator meets it, on the X display in $DISPLAY:
//   start:   from starting castora to the sign-in dialog mapped on screen;
//   sign-in: from pressing Enter on the filled-in dialog (xdotool) to the main frame mapped.
// Each round runs a fresh program in a folder of its own against castora-platform.
//   bench_startup [ROUNDS]     (default 5)

#include "tests/sim/platform_process.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The window's _NET_WM_NAME (UTF-8), or empty.
std::string WindowTitle(Display* display, Window window) {
    static const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    static const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netWmName, 0, 1024, False, utf8, &type, &format, &items, &after, &data) ==
            Success &&
        data) {
        title.assign(reinterpret_cast<const char*>(data), items);
        XFree(data);
    }
    return title;
}

// A viewable window whose title starts with `prefix`, or 0.
Window FindViewable(Display* display, Window root, const char* prefix) {
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable) {
            if (WindowTitle(display, children[i]).rfind(prefix, 0) == 0) found = children[i];
        }
        if (!found) found = FindViewable(display, children[i], prefix);
    }
    if (children) XFree(children);
    return found;
}

// Milliseconds until a window titled `prefix` is on screen, or -1 after `limitMs`.
Window WaitViewable(Display* display, const char* prefix, const QElapsedTimer& clock, qint64 limitMs, qint64& at) {
    while (clock.elapsed() < limitMs) {
        if (Window w = FindViewable(display, DefaultRootWindow(display), prefix)) {
            at = clock.elapsed();
            return w;
        }
        QThread::usleep(2000);
    }
    at = -1;
    return 0;
}

bool Xdotool(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

struct Figures {
    std::vector<qint64> values;
    void Print(const char* what) {
        std::sort(values.begin(), values.end());
        if (values.empty()) return;
        std::printf("%-8s min %4lld ms  median %4lld ms  max %4lld ms  (%zu rounds)\n", what,
                    static_cast<long long>(values.front()), static_cast<long long>(values[values.size() / 2]),
                    static_cast<long long>(values.back()), values.size());
    }
};

// Windows come and go while the tree is read; a vanished one is no error here.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bench_startup: no X display (run under xvfb-run)\n");
        return 1;
    }
    XSetErrorHandler(IgnoreXError);
    simtest::PlatformProcess platform({"--ftp-port", "0"});
    if (!platform.Start()) {
        std::fprintf(stderr, "bench_startup: castora-platform did not start\n");
        return 1;
    }
    const QString bin = QStringLiteral(CASTORA_BIN_DIR);
    const QByteArray base = "http://127.0.0.1:" + QByteArray::number(platform.port());

    Figures start, signIn;
    for (int round = 0; round < rounds; ++round) {
        QTemporaryDir folder;
        const QString app = folder.path() + "/";
        QFile::copy(bin + "/castora", app + "castora");
        QDir().mkpath(app + "Styles");
        QFile configure(app + "configure.ini");
        configure.open(QIODevice::WriteOnly);
        configure.write("[SERVER]\r\nIP=" + base + "\r\nURL=" + base + "/vekservices/ClientService\r\n");
        configure.close();
        QFile devices(app + "devices.ini");
        devices.open(QIODevice::WriteOnly);
        devices.write("[Test Camera]\nmedia=2\nsource=videotestsrc is-live=true\n"
                      "[Test Microphone]\nmedia=1\nsource=audiotestsrc is-live=true\n");
        devices.close();

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", folder.path() + "/config");
        program.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        program.start(app + "castora", {});
        qint64 dialogAt = -1;
        const Window dialog = WaitViewable(display, "用户登录", clock, 20000, dialogAt);
        if (!dialog) {
            std::fprintf(stderr, "bench_startup: no sign-in dialog\n");
            return 1;
        }
        start.values.push_back(dialogAt);

        const QString id = QString::number(dialog);
        Xdotool({"windowfocus", "--sync", id});
        // Keys go to the focused window as real input (events sent to a window are ignored).
        Xdotool({"type", "demo"});
        Xdotool({"key", "Tab"});
        Xdotool({"type", "demo123"});
        QElapsedTimer press;
        press.start();
        Xdotool({"key", "Return"});
        qint64 frameAt = -1;
        if (!WaitViewable(display, "Castora", press, 20000, frameAt)) {
            std::fprintf(stderr, "bench_startup: no main frame\n");
            return 1;
        }
        signIn.values.push_back(frameAt);
        program.kill();
        program.waitForFinished();
    }
    std::printf("castora against castora-platform on loopback, X display %s\n", DisplayString(display));
    start.Print("start");
    signIn.Print("sign-in");
    XCloseDisplay(display);
    return 0;
}
