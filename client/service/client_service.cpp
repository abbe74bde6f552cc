#include "client/service/client_service.h"

#include "client/service/record_codec.h"

namespace ClientService {

using transport::SoapValue;

namespace {
SoapValue Text(const QString& text) { return SoapValue::OfString(text); }
SoapValue Number(qint64 number) { return SoapValue::OfInteger(number); }
}  // namespace

const OperationDesc* FindOperation(std::string_view name) {
    for (const OperationDesc& operation : kOperations) {
        if (operation.name == name) {
            return &operation;
        }
    }
    return nullptr;
}

CClientServiceT::CClientServiceT() { SetUrl(QString::fromLatin1(kDefaultEndpoint)); }

CClientServiceT::HResult CClientServiceT::Run(Operation operation, const std::vector<SoapValue>& inputs, SoapValue& output) {
    return Invoke(Describe(operation), inputs, output);
}

CClientServiceT::HResult CClientServiceT::RunBoolean(Operation operation, const std::vector<SoapValue>& inputs,
                                                     bool* result) {
    SoapValue output;
    const HResult hr = Run(operation, inputs, output);
    if (hr >= 0 && result != nullptr) {
        *result = output.boolean;
    }
    return hr;
}

CClientServiceT::HResult CClientServiceT::uploadVideo(const TVideo& video, bool* result) {
    return RunBoolean(Operation::uploadVideo, {ToSoap(video)}, result);
}

CClientServiceT::HResult CClientServiceT::login(const QString& userName, const QString& passWord, TLoginResult* result) {
    SoapValue output;
    const HResult hr = Run(Operation::login, {Text(userName), Text(passWord)}, output);
    if (hr >= 0 && result != nullptr) {
        *result = LoginResultFrom(output);
    }
    return hr;
}

CClientServiceT::HResult CClientServiceT::updateVideo(const QString& videoName, const QString& videoPath, bool* result) {
    return RunBoolean(Operation::updateVideo, {Text(videoName), Text(videoPath)}, result);
}

CClientServiceT::HResult CClientServiceT::getCompany(TCompany* result) {
    SoapValue output;
    const HResult hr = Run(Operation::getCompany, {}, output);
    if (hr >= 0 && result != nullptr) {
        *result = CompanyFrom(output);
    }
    return hr;
}

CClientServiceT::HResult CClientServiceT::stopLive(qint64 id, bool* result) {
    return RunBoolean(Operation::stopLive, {Number(id)}, result);
}

CClientServiceT::HResult CClientServiceT::logOut() {
    SoapValue output;
    return Run(Operation::logOut, {}, output);
}

CClientServiceT::HResult CClientServiceT::GetMediaServerList(std::vector<T_MediaServer>* result) {
    SoapValue output;
    const HResult hr = Run(Operation::GetMediaServerList, {}, output);
    if (hr >= 0 && result != nullptr) {
        result->clear();
        for (const SoapValue& item : output.items) {
            result->push_back(MediaServerFrom(item));
        }
    }
    return hr;
}

CClientServiceT::HResult CClientServiceT::GetSelMediaServerList(qint64 id, int type, const QString& profile,
                                                                const QString& videoDevice, const QString& audioDevice,
                                                                int isDrm, TSelMediaServer* result) {
    SoapValue output;
    const HResult hr = Run(Operation::GetSelMediaServerList,
                           {Number(id), Number(type), Text(profile), Text(videoDevice), Text(audioDevice), Number(isDrm)},
                           output);
    if (hr >= 0 && result != nullptr) {
        *result = SelMediaServerFrom(output);
    }
    return hr;
}

CClientServiceT::HResult CClientServiceT::startLive(qint64 liveId, const QString& publicKey, const QString& seed,
                                                    const QString& kid, int isDrm, const QString& playUrl,
                                                    const QString& userIp, bool* result) {
    return RunBoolean(Operation::startLive,
                      {Number(liveId), Text(publicKey), Text(seed), Text(kid), Number(isDrm), Text(playUrl), Text(userIp)},
                      result);
}

CClientServiceT::HResult CClientServiceT::get(QString* result) {
    SoapValue output;
    const HResult hr = Run(Operation::get, {}, output);
    if (hr >= 0 && result != nullptr) {
        *result = output.text;
    }
    return hr;
}

}  // namespace ClientService
