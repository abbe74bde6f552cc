#include "recorder_platform.h"

#include "platform/ini_store.h"
#include "recorder/recorder_globals.h"
#include "recorder/upload_queue.h"

#include <QDir>
#include <QFile>

namespace recorder_test {

void RecorderPlatformTest::SetUp() {
    RecorderWindowTest::SetUp();
    QFile::remove(folder + "WEBShowList.ini");
    QDir(folder).mkpath("TVRecord");
    Recorder().uploadEnabled = 0;
    Recorder().newFileQueued = 0;
    for (int i = 0; i < kMaxRecorderChannels; ++i) Recorder().SetChannel(i, {});
    Recorder().userId = 1001;
}

void RecorderPlatformTest::TearDown() {
    RecorderWindowTest::TearDown();
    platform.reset();
}

void RecorderPlatformTest::StartPlatform(bool withFtp) {
    platform = std::make_unique<simtest::PlatformProcess>(std::vector<std::string>{}, true);
    platform->SetFtpEnabled(withFtp);
    ASSERT_TRUE(platform->Start());
    Config(QByteArray("http://127.0.0.1:") + QByteArray::number(platform->port()));
}

void RecorderPlatformTest::WriteStation(int encId, bool withFtp) {
    QByteArray text = "[WEBSET]\r\nCHANNECOUNT =1\r\n";
    if (withFtp) text += "ftpservercount=1\r\n";
    text += "[WEBSET_0]\r\nENCID=" + QByteArray::number(encId) + "\r\nCHANNELID=" +
            QByteArray(encId ? "101" : "0") + "\r\nWEBCONTENT=1\r\n";
    if (withFtp) {
        text += "[0_FTP_0]\r\nFTPID=1\r\nFTPIP=127.0.0.1\r\nFTPPORT=" + QByteArray::number(platform->ftpPort()) +
                "\r\nFTPPATH=/recorder\r\nFTPUSERNAME=demo\r\nFTPPASS=demoftp\r\n";
    }
    WriteFile(folder + "WEBShowList.ini", text);
}

QString RecorderPlatformTest::Recording(const QString& name, qint64 size) const {
    const QString path = folder + "TVRecord/" + name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    QByteArray block(64 * 1024, '\0');
    quint32 x = static_cast<quint32>(qHash(name)) | 1u;
    for (qint64 done = 0; done < size;) {
        for (char& c : block) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            c = static_cast<char>(x);
        }
        const qint64 take = std::min<qint64>(block.size(), size - done);
        f.write(block.constData(), take);
        done += take;
    }
    return path;
}

bool RecorderPlatformTest::Queue(const QString& path, const QString& pgid, const QString& showId) {
    return QueueUpload(folder + "ftpconfigure.ini", nullptr,
                       {path, QStringLiteral("19:00:00"), QStringLiteral("19:45:00"), pgid, QStringLiteral("2026-12-08"),
                        showId});
}

QString RecorderPlatformTest::QueueKey(int index, const char* key) const {
    return platform::GetPrivateProfileString(UploadSection(index), QString::fromLatin1(key), QStringLiteral("<none>"),
                                             folder + "ftpconfigure.ini");
}

void RecorderPlatformTest::SetWaitTime(int ms) const {
    platform::WritePrivateProfileString("FTP", "WAITTIME", QString::number(ms), folder + "ftpconfigure.ini");
}

int RecorderPlatformTest::WaitTime() const {
    return platform::GetPrivateProfileInt("FTP", "WAITTIME", -1, folder + "ftpconfigure.ini");
}

QString RecorderPlatformTest::StoredPath(const QString& name) const {
    return QString::fromStdString(platform->dataDir()) + "/storage/demo/recorder/" + name;
}

std::size_t RecorderPlatformTest::Reports(const QString& name) {
    const std::string page = StatePage(), cell = "<td>" + name.toStdString() + "</td>";
    std::size_t n = 0;
    for (std::size_t at = page.find(cell); at != std::string::npos; at = page.find(cell, at + 1)) ++n;
    return n;
}

bool SameBytes(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly)) return false;
    return fa.size() == fb.size() && fa.readAll() == fb.readAll();
}

}  // namespace recorder_test
