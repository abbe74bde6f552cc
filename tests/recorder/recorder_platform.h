#pragma once
// The recorder hosted in a test window against a castora-platform with its FTP storage:
// the platform's address in "Recorderconfig.ini", the station's files, the queue.

#include "recorder_window.h"
#include "tests/sim/platform_process.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace recorder_test {

class RecorderPlatformTest : public RecorderWindowTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the platform (with or without its FTP storage) and points the recorder at it.
    void StartPlatform(bool withFtp);
    // "WEBShowList.ini": channel 0 registered as `encId` (0: not registered) with the
    // platform's FTP account of the demo channel.
    void WriteStation(int encId, bool withFtp = true);
    // A local file of `size` bytes with a pattern of its own.
    QString Recording(const QString& name, qint64 size) const;
    // Queues a file as the recording worker does; false when it was not queued.
    bool Queue(const QString& path, const QString& pgid, const QString& showId);
    QString QueueKey(int index, const char* key) const;
    int QueueState(int index) const { return QueueKey(index, "FTPSTATE").toInt(); }
    void SetWaitTime(int ms) const;
    int WaitTime() const;
    // The platform's copy of an uploaded file in the demo channel's FTP folder.
    QString StoredPath(const QString& name) const;
    std::string StatePage() { return platform->Get("/"); }
    // How many recorded videos the state page lists with this file name.
    std::size_t Reports(const QString& name);

    std::unique_ptr<simtest::PlatformProcess> platform;
};

bool SameBytes(const QString& a, const QString& b);

}  // namespace recorder_test
