#pragma once
// ClientService::CClientServiceT: the proxy of the platform's ClientService, one
// method per operation. Each returns an HRESULT-style code (negative on failure, with
// the error kind on the proxy) and fills its out-value only on success.

#include <QString>

#include <vector>

#include "client/service/service_operations.h"
#include "client/service/service_records.h"
#include "service-transport/soap_proxy.h"

namespace ClientService {

class CClientServiceT : public transport::SoapProxy {
public:
    using HResult = transport::HResult;

    CClientServiceT();

    HResult uploadVideo(const TVideo& video, bool* result);
    HResult login(const QString& userName, const QString& passWord, TLoginResult* result);
    HResult updateVideo(const QString& videoName, const QString& videoPath, bool* result);
    HResult getCompany(TCompany* result);
    HResult stopLive(qint64 id, bool* result);
    HResult logOut();
    HResult GetMediaServerList(std::vector<T_MediaServer>* result);
    HResult GetSelMediaServerList(qint64 id, int type, const QString& profile, const QString& videoDevice,
                                  const QString& audioDevice, int isDrm, TSelMediaServer* result);
    HResult startLive(qint64 liveId, const QString& publicKey, const QString& seed, const QString& kid, int isDrm,
                      const QString& playUrl, const QString& userIp, bool* result);
    HResult get(QString* result);

private:
    HResult Run(Operation operation, const std::vector<transport::SoapValue>& inputs, transport::SoapValue& output);
    HResult RunBoolean(Operation operation, const std::vector<transport::SoapValue>& inputs, bool* result);
};

}  // namespace ClientService
