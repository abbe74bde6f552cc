#pragma once
// UploadFile: one recording sent to the channel's FTP folder with the FTP client, its
// trace in the recorder's log.

#include "recorder/ftp_account.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

struct FtpUploadContext {
    FtpAccount account;
    QObject* owner = nullptr;                // receives the transfer's progress (2124)
    std::atomic<int>* uploadDone = nullptr;  // set to 0 as a transfer starts; the owner sets 100
    std::function<void(const QString&)> status;  // statusText
};

enum FtpUploadResult { kFtpUploaded = 0, kFtpFailed = -1, kFtpPaused = -2 };

// Signs in (failure: the box "登录FTP服务器失败"), makes sure every folder of the account's
// path exists and changes into it, sends the file in binary with resume and signs out.
// An exit request stops a running transfer, which answers kFtpPaused.
int UploadFile(const FtpUploadContext& context, const QString& localPath);
