#pragma once
// The FTP account the recorder uploads with: set by the host (SetFtpInfo) and by the
// web-sync worker, read by the upload worker, so every access is under one lock.

#include <QString>

#include <mutex>

struct FtpAccount {
    qint64 ftpId = 0;
    QString host;
    int port = 21;
    QString user;
    QString pass;
    QString path;
};

class FtpAccountSlot {
public:
    FtpAccount Get() const {
        std::lock_guard guard(lock_);
        return account_;
    }
    void Set(const FtpAccount& account) {
        std::lock_guard guard(lock_);
        account_ = account;
    }

private:
    mutable std::mutex lock_;
    FtpAccount account_;
};
