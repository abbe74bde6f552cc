#pragma once
// What sign-in and the service calls keep of the account and its media servers.

#include <QString>

// The signed-in company, from TCompany; 64-bit values kept as their low 32 bits.
struct AccountInfo {
    QString comName;
    QString loginName;
    QString path;
    QString ip;       // FTP server that uploads go to
    int port = 0;     // its port
    QString ftpName;
    QString ftpUser;
    QString ftpPass;
    QString drmPrivateKey;
    QString drmSeed;
    QString drmUrl;
    int drmCount = 0;
    int liveCount = 0;
    int vodCount = 0;
    int score = 0;
    int state = 0;
    double freeCount = 0.0;
    int freeSpace = 0;   // never negative
    int totalSpace = 0;  // never negative
};

struct MediaServerEntry {
    int id = 0;
    QString name;
};
