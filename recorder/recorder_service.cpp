#include "recorder/recorder_service.h"

#include "recorder/recorder_settings.h"

namespace RecorderService {

using transport::RecordView;
using transport::SoapValue;

template <typename T, typename Convert>
CRecorderServiceT::HResult CRecorderServiceT::RunList(Operation operation, const std::vector<SoapValue>& inputs,
                                                      std::vector<T>* result, Convert convert) {
    SoapValue output;
    const HResult hr = Invoke(Describe(operation), inputs, output);
    if (hr >= 0 && result) {
        result->clear();
        const TypeDesc& item = *Describe(operation).output->type->item;
        for (const SoapValue& value : output.items) result->push_back(convert(RecordView(item, value)));
    }
    return hr;
}

template <typename T, typename Convert>
CRecorderServiceT::HResult CRecorderServiceT::RunOne(Operation operation, const std::vector<SoapValue>& inputs,
                                                     T* result, Convert convert) {
    SoapValue output;
    const HResult hr = Invoke(Describe(operation), inputs, output);
    if (hr >= 0 && result) *result = convert(output);
    return hr;
}

namespace {
SoapValue Long(qint64 value) { return SoapValue::OfInteger(value); }
// The recorder's texts come from its files, where a missing value is empty text.
SoapValue Text(const QString& value) { return SoapValue::OfString(value.isNull() ? QStringLiteral("") : value); }
}  // namespace

CRecorderServiceT::HResult CRecorderServiceT::getCTList(std::vector<ColumnType>* result) {
    return RunList(Operation::getCTList, {}, result, [](const RecordView& r) {
        return ColumnType{r.Integer("id"), r.String("typeName")};
    });
}

CRecorderServiceT::HResult CRecorderServiceT::getArea(std::vector<AreaBean>* result) {
    return RunList(Operation::getArea, {}, result, [](const RecordView& r) {
        return AreaBean{r.String("area"), r.String("areaId"), r.String("zone")};
    });
}

CRecorderServiceT::HResult CRecorderServiceT::getChannel(const QString& id, std::vector<ChannelBean>* result) {
    return RunList(Operation::getChannel, {SoapValue::OfString(id)}, result, [](const RecordView& r) {
        return ChannelBean{r.String("channelId"), r.String("channelName")};
    });
}

CRecorderServiceT::HResult CRecorderServiceT::getNetProg(const QString& id, std::vector<NetProgBean>* result) {
    return RunList(Operation::getNetProg, {SoapValue::OfString(id)}, result, [](const RecordView& r) {
        return NetProgBean{r.String("netProgId"), r.String("netProgName")};
    });
}

CRecorderServiceT::HResult CRecorderServiceT::getTvProg(const QString& id, const QString& date, const QString& userId,
                                                        std::vector<TvProgBean>* result) {
    return RunList(Operation::getTvProg, {SoapValue::OfString(id), SoapValue::OfString(date), SoapValue::OfString(userId)},
                   result, [](const RecordView& r) {
                       return TvProgBean{r.String("info"), r.String("meridiem"), r.String("playTime"),
                                         r.String("tvProgram")};
                   });
}

CRecorderServiceT::HResult CRecorderServiceT::flag(qint64 channelId, bool* result) {
    return RunOne(Operation::flag, {Long(channelId)}, result, [](const SoapValue& v) { return v.boolean; });
}

CRecorderServiceT::HResult CRecorderServiceT::bChannel(qint64 encId, qint64 userId, ENCInfo* result) {
    return RunOne(Operation::bChannel, {Long(encId), Long(userId)}, result, ReadENCInfo);
}

CRecorderServiceT::HResult CRecorderServiceT::updateFlag(qint64 channelId) {
    SoapValue output;
    return Invoke(Describe(Operation::updateFlag), {Long(channelId)}, output);
}

CRecorderServiceT::HResult CRecorderServiceT::getTemple(qint64 channelId, int week, qint64 userId, ENCTemple* result) {
    return RunOne(Operation::getTemple, {Long(channelId), Long(week), Long(userId)}, result, ReadENCTemple);
}

CRecorderServiceT::HResult CRecorderServiceT::getEncSpcTemple(qint64 channelId, const QString& time, int week,
                                                              qint64 userId, ENCSpcTemple* result) {
    return RunOne(Operation::getEncSpcTemple, {Long(channelId), Text(time), Long(week), Long(userId)}, result,
                  ReadENCSpcTemple);
}

CRecorderServiceT::HResult CRecorderServiceT::insertChannel(const InsertChannelArgs& a, ENCResult* result) {
    SoapValue weeks;
    for (int week : a.weeks) weeks.items.push_back(Long(week));
    return RunOne(Operation::insertChannel,
                  {Long(a.userId), Long(a.channelId), Long(a.columnId), Text(a.columnName), Text(a.beginTime),
                   Text(a.endTime), weeks, Long(a.columnTypeId), Long(a.tcId), Long(a.type), Long(a.isfor)},
                  result, ReadENCResult);
}

CRecorderServiceT::HResult CRecorderServiceT::insertVideo(const InsertVideoArgs& a, qint64* result) {
    return RunOne(Operation::insertVideo,
                  {Long(a.channelId), Long(a.encId), Long(a.pgId), Long(a.ftpId), Long(a.type), Text(a.videoName),
                   Text(a.path), Long(a.isDrm), Long(a.videoSize), Text(a.beginTime), Text(a.endTime),
                   Text(a.encTime), Long(a.userId), Long(a.tcId), Long(a.score), Text(a.picPath)},
                  result, [](const SoapValue& v) { return v.integer; });
}

QString ServiceEndpoint(const QString& serverUrl) { return serverUrl + recorder_settings::kServicePath; }

}  // namespace RecorderService
