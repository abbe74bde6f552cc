#pragma once
// The service's record types, as the operations send and answer them.

#include <QString>
#include <QtGlobal>

#include <vector>

namespace ClientService {

struct TLoginResult {
    qint64 code = 0;
    QString sessionId;
};

struct TVideo {
    int isUpload = 0;
    QString kid;
    int onlyAudio = 0;
    QString uploadFolder;
    QString uploadName;
    QString videoName;
    qint64 videoSize = 0;
};

struct T_MediaServer {
    qint64 id = 0;
    QString mediaName;
};

struct TCompany {
    QString comName;
    qint64 drmCount = 0;
    QString drmPrivateKey;
    QString drmSeed;
    QString drmUrl;
    float freeCount = 0.0F;
    qint64 freeSpace = 0;
    qint64 ftpId = 0;
    QString ftpName;
    QString ftpPass;
    QString ftpUser;
    qint64 id = 0;
    QString ip;
    qint64 liveCount = 0;
    QString loginName;
    QString path;
    int port = 0;
    QString proFile;
    qint64 score = 0;
    int space = 0;
    int state = 0;
    qint64 totalSpace = 0;
    qint64 vodCount = 0;
};

struct TSelMediaServer {
    int code = 0;
    qint64 id = 0;
    QString ip;
    QString isCdn;
    int isLogin = 0;
    QString kid;
    QString licSrvCert;
    qint64 liveId = 0;
    QString loginUrl;
    QString mediaName;
    QString playPath;
    int port = 0;
    QString privateKey;
    QString pubPoint;
    QString publicKey;
    QString rootCert;
    QString seed;
    QString serverPass;
    QString serverUser;
    QString signedPublicKey;
};

}  // namespace ClientService
