#pragma once
// RecorderService::CRecorderServiceT: the recorder's proxy of its ClientService, one method
// per operation. Each returns an HRESULT-style code (negative on failure, with the error
// kind on the proxy) and fills its out-value only on success. One proxy per thread.

#include "recorder/recorder_records.h"
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

// insertChannel's arguments: a show added (type 1), edited (2) or deleted (3) here.
struct InsertChannelArgs {
    qint64 userId = 0, channelId = 0, columnId = 0;
    QString columnName, beginTime, endTime;
    std::vector<int> weeks;
    qint64 columnTypeId = 0, tcId = 0;
    int type = 0, isfor = 0;
};

// insertVideo's arguments: an uploaded recording.
struct InsertVideoArgs {
    qint64 channelId = 0, encId = 0, pgId = 0, ftpId = 0;
    int type = 0;
    QString videoName, path;
    int isDrm = 0, videoSize = 0;
    QString beginTime, endTime, encTime;
    qint64 userId = 0, tcId = 0;
    int score = 0;
    QString picPath;
};

class CRecorderServiceT : public transport::SoapProxy {
public:
    using HResult = transport::HResult;

    HResult getCTList(std::vector<ColumnType>* result);
    HResult getArea(std::vector<AreaBean>* result);
    HResult getChannel(const QString& id, std::vector<ChannelBean>* result);
    HResult getNetProg(const QString& id, std::vector<NetProgBean>* result);
    HResult getTvProg(const QString& id, const QString& date, const QString& userId, std::vector<TvProgBean>* result);
    HResult flag(qint64 channelId, bool* result);
    HResult bChannel(qint64 encId, qint64 userId, ENCInfo* result);
    HResult updateFlag(qint64 channelId);
    HResult getTemple(qint64 channelId, int week, qint64 userId, ENCTemple* result);
    HResult getEncSpcTemple(qint64 channelId, const QString& time, int week, qint64 userId, ENCSpcTemple* result);
    HResult insertChannel(const InsertChannelArgs& args, ENCResult* result);
    HResult insertVideo(const InsertVideoArgs& args, qint64* result);

private:
    // Runs an operation answering an array and converts each item with `convert`.
    template <typename T, typename Convert>
    HResult RunList(Operation operation, const std::vector<transport::SoapValue>& inputs, std::vector<T>* result,
                    Convert convert);
    // Runs an operation and converts its answer with `convert`.
    template <typename T, typename Convert>
    HResult RunOne(Operation operation, const std::vector<transport::SoapValue>& inputs, T* result, Convert convert);
};

// The recorder's endpoint for a SERVER/URL value.
QString ServiceEndpoint(const QString& serverUrl);

}  // namespace RecorderService
