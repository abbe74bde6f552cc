#pragma once
// The answer of GetSelMediaServerList as a broadcast keeps it, and what it asks with.

#include <QString>

struct SelectedServer {
    int id = 0;  // preset by the caller: the media server asked for
    QString mediaName;
    QString ip;
    int port = 0;
    QString pubPoint;
    int isLogin = 0;
    QString serverUser;
    QString serverPass;
    QString isCdn;
    int liveId = 0;
    QString privateKey;
    QString signedPublicKey;
    QString loginUrl;
    QString licSrvCert;
    QString rootCert;
    QString publicKey;
    QString seed;  // not filled by the call
    QString kid;   // not filled by the call
    int code = 0;  // 1: every publishing point of the server is taken
};

struct SelMediaServerRequest {
    int type = 0;
    QString profile;
    QString videoDevice;
    QString audioDevice;
    int isDrm = 0;
};
