#pragma once
// One run of the DRM protect task over files, as the page and castora-drm do it: each
// file gets a new name in the output folder (local time and rand() + 10000), the
// protect routine with the account's material, and its uploadVideo report.

#include "drm/results.h"

#include <QString>

class QFileInfo;

struct ProtectedCopy {
    QString name;  // the new file name
    QString path;  // in the output folder
    QString keyId;
};

class FileProtectionRun {
public:
    // Seeds the name generator once for the run: reseeding for every name would give two
    // files of the same second the same name.
    FileProtectionRun(QString seed, QString privateKey, QString licenceUrl);

    // Protects `input` into `outputFolder` under a name no file there has yet.
    drm::HRESULT Protect(const QFileInfo& input, const QString& outputFolder, ProtectedCopy* copy) const;
    // Reports the protected copy with uploadVideo; true when the platform took it.
    static bool Report(const ProtectedCopy& copy, const QFileInfo& input);

private:
    QString seed_;
    QString privateKey_;
    QString licenceUrl_;
};
