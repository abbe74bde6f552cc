#pragma once
// The DRM page's worker: protects every media file of the input folder into the output
// folder under a new name, reports each protected file with uploadVideo, and asks the
// operator (Abort, Retry, Ignore) when a file fails. Progress and status go to the page
// by queued signals; the page reads the counts when the thread has finished.

#include "client/tasks/file_run_worker.h"

#include <QString>

class FileProtectionRun;
class QFileInfo;

// The files of the input folder the page protects: ASF files (.wmv, .wma, .asf), the
// only ones the protect routine can protect; other files are left out of the run.
bool IsProtectableMediaFile(const QFileInfo& file);

struct FileDrmRun {
    QString inputFolder;
    QString outputFolder;
    // The account's material, copied for the run and held in memory only.
    QString seed;
    QString privateKey;
    QString licenceUrl;
};

class CFileDrmWorker : public CFileRunWorker {
    Q_OBJECT
public:
    CFileDrmWorker(FileDrmRun run, const std::atomic<int>* stopRequested, QObject* parent = nullptr);

signals:
    void statusChanged(const QString& text);
    void progressRangeChanged(int maximum);
    void progressChanged(int value);
    void fileProtected(const QString& outputPath, const QString& keyId);

protected:
    void run() override;

private:
    // Protects and reports one file, asking on failure; false when the operator aborted.
    bool ProcessFile(const FileProtectionRun& protection, const QFileInfo& file);

    FileDrmRun run_;
};
