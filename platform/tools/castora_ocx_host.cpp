// castora-ocx-host CLSID|PROGID [--call DISPID:ARG[,ARG...]]... [--seconds N] [--screenshot FILE]
// A small container for any registered control: it creates the control by class id or
// ProgID in a window of its own, hands that window to every method that takes nothing
// but a window, then makes the listed calls in order (its window goes wherever a method
// takes one) and prints every message the control sends to the window. It ends when the
// control sends message 1324 with wParam 1 (the control was left), when its window is
// closed, or after N seconds (taking a screenshot of the window first when asked).
// Exit status: 0 normal end, 1 bad usage, 2 class not registered, 3 creation failed.

#include "platform/code_page.h"
#include "platform/component_host.h"
#include "platform/component_registry.h"
#include "platform/messages.h"

#include <QApplication>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>

namespace {

constexpr unsigned kExitNotification = 1324;

struct Call {
    int dispId = 0;
    QStringList args;
};

struct Options {
    QString classText;
    QList<Call> calls;
    int seconds = 0;
    QString screenshot;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: castora-ocx-host CLSID|PROGID [--call DISPID:ARG[,ARG...]]... [--seconds N] "
                 "[--screenshot FILE]\n");
    return 1;
}

bool ParseCall(const QString& text, Call* call) {
    const qsizetype colon = text.indexOf(u':');
    bool ok = false;
    call->dispId = (colon < 0 ? text : text.left(colon)).toInt(&ok);
    if (colon >= 0) call->args = text.mid(colon + 1).split(u',');
    return ok;
}

bool ParseOptions(const QStringList& args, Options* options) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--call") && hasValue) {
            Call call;
            if (!ParseCall(args[++i], &call)) return false;
            options->calls.append(call);
        } else if (arg == QLatin1String("--seconds") && hasValue) {
            bool ok = false;
            options->seconds = args[++i].toInt(&ok);
            if (!ok || options->seconds < 0) return false;
        } else if (arg == QLatin1String("--screenshot") && hasValue) {
            options->screenshot = args[++i];
        } else if (!arg.startsWith(QLatin1String("--")) && options->classText.isEmpty()) {
            options->classText = arg;
        } else {
            return false;
        }
    }
    return !options->classText.isEmpty();
}

QByteArray Hex(platform::HRESULT hr) {
    return QByteArray("0x") + QByteArray::number(static_cast<quint32>(hr), 16).rightJustified(8, '0').toUpper();
}

void Print(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// The host's window handle: prints every message the control sends it.
class HostWindow : public platform::MessageTarget {
public:
    using MessageTarget::MessageTarget;

protected:
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam) override {
        Print(QStringLiteral("message %1 wParam=%2 lParam=%3").arg(msg).arg(wParam).arg(lParam));
        if (msg == kExitNotification && wParam == 1) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return 0;
    }
};

// Arguments for a method: the given texts fill the non-window parameters in order, the
// host's window goes to every window parameter; texts left over are passed on as they are.
QVariantList ArgumentsFor(const platform::DispatchMethod* method, const QStringList& texts, QObject* window) {
    QVariantList args;
    qsizetype next = 0;
    if (method) {
        for (platform::VarType type : method->params) {
            if (type == platform::VarType::Handle) {
                args.append(QVariant::fromValue<QObject*>(window));
                continue;
            }
            const QString text = next < texts.size() ? texts[next++] : QString();
            switch (type) {
            case platform::VarType::Short:
            case platform::VarType::Long: args.append(text.toLongLong()); break;
            case platform::VarType::AnsiString: args.append(platform::ToAnsi(text)); break;
            default: args.append(text); break;
            }
        }
    }
    for (; next < texts.size(); ++next) args.append(texts[next]);
    return args;
}

QString Describe(const QVariantList& args) {
    QStringList parts;
    for (const QVariant& arg : args) {
        if (arg.canConvert<QObject*>() && arg.metaType().flags().testFlag(QMetaType::PointerToQObject))
            parts << QStringLiteral("window");
        else if (arg.metaType().id() == QMetaType::QByteArray)
            parts << u'"' + platform::FromAnsi(arg.toByteArray()) + u'"';
        else
            parts << arg.toString();
    }
    return parts.join(QStringLiteral(", "));
}

void Invoke(platform::IDispatchInterface* dispatch, int dispId, const QStringList& texts, QObject* window) {
    const platform::DispatchMethod* method = nullptr;
    const QList<platform::DispatchMethod> methods = dispatch->Methods();
    for (const auto& m : methods) {
        if (m.dispId == dispId) method = &m;
    }
    const QVariantList args = ArgumentsFor(method, texts, window);
    QVariant result;
    const platform::HRESULT hr = dispatch->Invoke(dispId, args, &result);
    Print(QStringLiteral("call %1 %2(%3) -> %4%5")
              .arg(dispId)
              .arg(method ? method->name : QStringLiteral("?"), Describe(args), QString::fromLatin1(Hex(hr)),
                   result.isValid() ? QStringLiteral(" result ") + result.toString() : QString()));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Options options;
    if (!ParseOptions(app.arguments().mid(1), &options)) return Usage();

    const QUuid clsid = platform::ClassIdFromText(options.classText);
    if (clsid.isNull() || platform::InprocServerPath(clsid).isEmpty()) {
        std::fprintf(stderr, "castora-ocx-host: %s is not a registered class\n",
                     options.classText.toLocal8Bit().constData());
        return 2;
    }
    std::unique_ptr<platform::IComponentObject> object;
    const platform::HRESULT hr = platform::CreateComponent(clsid, &object);
    if (!platform::Succeeded(hr) || !object) {
        std::fprintf(stderr, "castora-ocx-host: creating %s failed: %s\n",
                     options.classText.toLocal8Bit().constData(), Hex(hr).constData());
        return 3;
    }

    auto* window = new QWidget;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QStringLiteral("castora-ocx-host ") + options.classText);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* handle = new HostWindow(window);
    QWidget* control = object->CreateControlWindow(window);
    if (!control) {
        std::fprintf(stderr, "castora-ocx-host: the control's window could not be created\n");
        delete window;
        return 3;
    }
    layout->addWidget(control);
    QObject::connect(window, &QObject::destroyed, &app, &QCoreApplication::quit);
    window->show();

    if (platform::IDispatchInterface* dispatch = object->Dispatch()) {
        for (const platform::DispatchMethod& method : dispatch->Methods()) {
            if (method.params == QList<platform::VarType>{platform::VarType::Handle})
                Invoke(dispatch, method.dispId, {}, handle);
        }
        for (const Call& call : options.calls) Invoke(dispatch, call.dispId, call.args, handle);
    } else if (!options.calls.isEmpty()) {
        std::fprintf(stderr, "castora-ocx-host: the object has no dispatch interface\n");
    }

    QPointer<QWidget> alive(window);
    if (options.seconds > 0) {
        QTimer::singleShot(options.seconds * 1000, &app, [&] {
            if (!options.screenshot.isEmpty() && alive) alive->grab().save(options.screenshot);
            QCoreApplication::quit();
        });
    }
    app.exec();
    delete alive.data();  // the control's window goes with it, before the control object
    object.reset();
    return 0;
}
