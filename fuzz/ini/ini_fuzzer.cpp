// Feeds arbitrary bytes to the INI store as a file, then reads and rewrites it.

#include "platform/ini_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString path = QDir::tempPath() + QStringLiteral("/castora-fuzz-ini-%1.ini").arg(QCoreApplication::applicationPid());
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    platform::GetPrivateProfileString(QStringLiteral("SERVER"), QStringLiteral("URL"), QString(), path);
    platform::GetPrivateProfileInt(QStringLiteral("FTPSERVER"), QStringLiteral("FTPPASSIVE"), 0, path);
    platform::WritePrivateProfileString(QStringLiteral("SERVER"), QStringLiteral("IP"), QStringLiteral("值"), path);
    const QString back = platform::GetPrivateProfileString(QStringLiteral("server"), QStringLiteral("ip"), QString(), path);
    if (back != QStringLiteral("值")) __builtin_trap();  // a write must always read back
    platform::WritePrivateProfileString(QStringLiteral("SERVER"), QString(), QString(), path);
    return 0;
}
