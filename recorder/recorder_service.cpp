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

QString ServiceEndpoint(const QString& serverUrl) { return serverUrl + recorder_settings::kServicePath; }

}  // namespace RecorderService
