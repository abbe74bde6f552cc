#pragma once
// RecorderService::CRecorderServiceT: the recorder's proxy of its ClientService, one method
// per operation. Each returns an HRESULT-style code (negative on failure, with the error
// kind on the proxy) and fills its out-value only on success. One proxy per thread.

#include "recorder/recorder_service_operations.h"
#include "service-transport/soap_proxy.h"

#include <QString>

#include <vector>

namespace RecorderService {

struct ColumnType {
    qint64 id = 0;
    QString typeName;
};
struct AreaBean {
    QString area, areaId, zone;
};
struct ChannelBean {
    QString channelId, channelName;
};
struct NetProgBean {
    QString netProgId, netProgName;
};
struct TvProgBean {
    QString info, meridiem, playTime, tvProgram;
};

class CRecorderServiceT : public transport::SoapProxy {
public:
    using HResult = transport::HResult;

    HResult getCTList(std::vector<ColumnType>* result);
    HResult getArea(std::vector<AreaBean>* result);
    HResult getChannel(const QString& id, std::vector<ChannelBean>* result);
    HResult getNetProg(const QString& id, std::vector<NetProgBean>* result);
    HResult getTvProg(const QString& id, const QString& date, const QString& userId, std::vector<TvProgBean>* result);

private:
    // Runs an operation answering an array and converts each item with `convert`.
    template <typename T, typename Convert>
    HResult RunList(Operation operation, const std::vector<transport::SoapValue>& inputs, std::vector<T>* result,
                    Convert convert);
};

// The recorder's endpoint for a SERVER/URL value.
QString ServiceEndpoint(const QString& serverUrl);

}  // namespace RecorderService
