#pragma once
// A value of a described type, as written into requests and read from responses.
// The meaning of the members follows the TypeDesc it belongs to.

#include <QString>
#include <QtGlobal>

#include <string_view>
#include <vector>

#include "service-transport/soap_description.h"

namespace transport {

struct SoapValue {
    bool boolean = false;
    qint64 integer = 0;           // int and long
    float real = 0.0F;            // float
    QString text;                 // string; a null QString is xsi:nil
    std::vector<SoapValue> items; // record fields by field index, or array items

    static SoapValue OfString(const QString& value);
    static SoapValue OfBoolean(bool value);
    static SoapValue OfInteger(qint64 value);
};

// The initial value of a type: zero, false, a null string, a record of initial fields,
// an empty array.
SoapValue InitialValue(const TypeDesc& type);

// Field access on a record value by name. Reading an unknown name answers an initial
// empty value; the names come from the same tables, so that is a programming error.
class RecordView {
public:
    RecordView(const TypeDesc& type, const SoapValue& value) : type_(type), value_(value) {}
    QString String(std::string_view field) const;
    bool Boolean(std::string_view field) const;
    qint64 Integer(std::string_view field) const;
    // An int field read into an int (the services' int fields are 32 bits wide).
    int Int32(std::string_view field) const { return static_cast<int>(Integer(field)); }
    float Real(std::string_view field) const;
    const SoapValue& Value(std::string_view field) const;

private:
    const TypeDesc& type_;
    const SoapValue& value_;
};

// Field assignment on a record value by name.
class RecordBuilder {
public:
    explicit RecordBuilder(const TypeDesc& type) : type_(type), value_(InitialValue(type)) {}
    RecordBuilder& Set(std::string_view field, SoapValue value);
    RecordBuilder& String(std::string_view field, const QString& text) { return Set(field, SoapValue::OfString(text)); }
    RecordBuilder& Integer(std::string_view field, qint64 number) { return Set(field, SoapValue::OfInteger(number)); }
    RecordBuilder& Boolean(std::string_view field, bool flag) { return Set(field, SoapValue::OfBoolean(flag)); }
    SoapValue Take() { return std::move(value_); }

private:
    const TypeDesc& type_;
    SoapValue value_;
};

}  // namespace transport
