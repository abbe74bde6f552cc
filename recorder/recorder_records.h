#pragma once
// The record types of the recorder's service answers and their reading from the
// transport's values. Missing fields read as zero, false or empty text.

#include "service-transport/soap_value.h"

#include <QString>

#include <vector>

namespace RecorderService {

struct ENCChannel {
    qint64 channelId = 0;
    QString channelName;
    int enc_content = 0;
    int pg_fashion = 0;
};
struct ENCCopyRight {
    QString author, copyRight, desc;
};
struct ENCFtp {
    qint64 ftpId = 0;
    QString ip, logicPath, passWord;
    int port = 0;
    QString userName;
};
struct ENCMedia {
    QString ip, kid, licSrvCert, loginUrl;
    int port = 0;
    QString privateKey, pubPoint, publicKey, rootCert, seed, signedPublicKey, userName, userPass;
};
struct ENCInfo {
    ENCChannel channel;
    ENCCopyRight copyright;
    QString drmPrivateKey, drmSeed, drmUrl;
    std::vector<ENCFtp> ftpList;
    std::vector<ENCMedia> mediaList;
    QString profileName;
};
struct ENCProg {
    QString beginTime, channelName, channelNum;
    qint64 columnId = 0, ctId = 0;
    QString ctName, endTime;
    int flag = 0, isfor = 0;
    QString pg_name, pg_shortname;
    qint64 tcId = 0;
    QString videoPath;
};
struct ENCTemple {
    qint64 id = 0;
    std::vector<ENCProg> progList;
    QString tempName;
};
struct ENCSpcTemple {
    bool flag = false;
    ENCTemple temple;
};
struct ENCResult {
    qint64 channelId = 0, columnId = 0;
    bool flag = false;
    int state = 0;
    qint64 tcId = 0;
};

ENCInfo ReadENCInfo(const transport::SoapValue& value);
ENCTemple ReadENCTemple(const transport::SoapValue& value);
ENCSpcTemple ReadENCSpcTemple(const transport::SoapValue& value);
ENCResult ReadENCResult(const transport::SoapValue& value);

}  // namespace RecorderService
