// castora-regsvr [-u] LIBRARY: registers (or with -u unregisters) a component library by
// calling its DllRegisterServer (DllUnregisterServer), as an operator would.
// Exit status: 0 done, 1 bad usage, 3 library not loadable, 4 entry point missing,
// 5 the entry point failed; the result code is printed in each case.

#include "platform/component_host.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: castora-regsvr [-u] LIBRARY\n");
    return 1;
}

QByteArray Hex(platform::HRESULT hr) {
    return QByteArray("0x") + QByteArray::number(static_cast<quint32>(hr), 16).rightJustified(8, '0').toUpper();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    bool unregister = false;
    if (!args.isEmpty() && (args.front() == QLatin1String("-u") || args.front() == QLatin1String("/u"))) {
        unregister = true;
        args.removeFirst();
    }
    if (args.size() != 1 || args.front().startsWith(u'-')) return Usage();
    const QByteArray library = args.front().toLocal8Bit();
    const char* entry = unregister ? platform::kDllUnregisterServer : platform::kDllRegisterServer;

    const platform::RegistrationCall call = platform::CallRegistrationEntry(args.front(), unregister);
    switch (call.outcome) {
    case platform::RegistrationCall::LoadFailed:
        std::fprintf(stderr, "castora-regsvr: loading \"%s\" failed: %s (%s)\n", library.constData(),
                     call.error.toLocal8Bit().constData(), Hex(call.result).constData());
        return 3;
    case platform::RegistrationCall::EntryMissing:
        std::fprintf(stderr, "castora-regsvr: \"%s\" was loaded, but the entry point %s was not found (%s)\n",
                     library.constData(), entry, Hex(call.result).constData());
        return 4;
    case platform::RegistrationCall::Called:
        break;
    }
    if (!platform::Succeeded(call.result)) {
        std::fprintf(stderr, "castora-regsvr: %s in \"%s\" failed: %s\n", entry, library.constData(),
                     Hex(call.result).constData());
        return 5;
    }
    std::printf("%s in \"%s\" succeeded (%s)\n", entry, library.constData(), Hex(call.result).constData());
    return 0;
}
