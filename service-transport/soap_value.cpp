#include "service-transport/soap_value.h"

namespace transport {

int FieldIndex(const TypeDesc& record, std::string_view name) {
    for (std::size_t i = 0; i < record.fields.size(); ++i) {
        if (record.fields[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

SoapValue SoapValue::OfString(const QString& value) {
    SoapValue v;
    v.text = value;
    return v;
}

SoapValue SoapValue::OfBoolean(bool value) {
    SoapValue v;
    v.boolean = value;
    return v;
}

SoapValue SoapValue::OfInteger(qint64 value) {
    SoapValue v;
    v.integer = value;
    return v;
}

SoapValue InitialValue(const TypeDesc& type) {
    SoapValue v;
    if (type.kind == ValueKind::Record) {
        v.items.reserve(type.fields.size());
        for (const FieldDesc& field : type.fields) {
            v.items.push_back(InitialValue(*field.type));
        }
    }
    return v;
}

namespace {
const SoapValue& EmptyValue() {
    static const SoapValue empty;
    return empty;
}
}  // namespace

const SoapValue& RecordView::Value(std::string_view field) const {
    const int index = FieldIndex(type_, field);
    if (index < 0 || static_cast<std::size_t>(index) >= value_.items.size()) {
        return EmptyValue();
    }
    return value_.items[static_cast<std::size_t>(index)];
}

QString RecordView::String(std::string_view field) const { return Value(field).text; }
bool RecordView::Boolean(std::string_view field) const { return Value(field).boolean; }
qint64 RecordView::Integer(std::string_view field) const { return Value(field).integer; }
float RecordView::Real(std::string_view field) const { return Value(field).real; }

RecordBuilder& RecordBuilder::Set(std::string_view field, SoapValue value) {
    const int index = FieldIndex(type_, field);
    if (index >= 0) {
        value_.items[static_cast<std::size_t>(index)] = std::move(value);
    }
    return *this;
}

}  // namespace transport
