#include "service-transport/response_parser.h"

#include <QString>

#include <cmath>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "service-transport/soap_namespaces.h"
#include "service-transport/xml_event_reader.h"

namespace transport {

namespace {

bool IsBlank(std::string_view text) {
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            return false;
        }
    }
    return true;
}

bool ParseInteger(const QByteArray& text, qint64 low, qint64 high, qint64& value) {
    const QByteArray trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return false;
    }
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const char c = trimmed[i];
        if (!(c >= '0' && c <= '9') && !(i == 0 && (c == '-' || c == '+'))) {
            return false;
        }
    }
    bool ok = false;
    const qint64 parsed = trimmed.toLongLong(&ok, 10);
    if (!ok || parsed < low || parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

bool IsDecimalNumber(const QByteArray& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto digits = [&] {
        const qsizetype start = i;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            ++i;
        }
        return i - start;
    };
    if (i < n && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    qsizetype mantissa = digits();
    if (i < n && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) {
        return false;
    }
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '-' || text[i] == '+')) {
            ++i;
        }
        if (digits() == 0) {
            return false;
        }
    }
    return i == n;
}

bool ParseFloat(const QByteArray& text, float& value) {
    const QByteArray trimmed = text.trimmed();
    if (trimmed == "INF") {
        value = std::numeric_limits<float>::infinity();
    } else if (trimmed == "-INF") {
        value = -std::numeric_limits<float>::infinity();
    } else if (trimmed == "NaN") {
        value = std::numeric_limits<float>::quiet_NaN();
    } else if (IsDecimalNumber(trimmed)) {
        value = static_cast<float>(trimmed.toDouble());
    } else {
        return false;
    }
    return true;
}

// Converts the collected text of a scalar element into its value.
bool StoreScalar(const TypeDesc& type, const QByteArray& text, SoapValue& value) {
    switch (type.kind) {
    case ValueKind::String:
        value.text = QString::fromUtf8(text);
        if (value.text.isNull()) {
            value.text = QString("");  // present but empty, not nil
        }
        return true;
    case ValueKind::Boolean: {
        const QByteArray trimmed = text.trimmed();
        if (trimmed != "true" && trimmed != "false") {
            return false;
        }
        value.boolean = trimmed == "true";
        return true;
    }
    case ValueKind::Int:
        return ParseInteger(text, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), value.integer);
    case ValueKind::Long:
        return ParseInteger(text, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), value.integer);
    case ValueKind::Float:
        return ParseFloat(text, value.real);
    case ValueKind::Record:
    case ValueKind::Array:
        break;
    }
    return false;
}

class ResponseHandler : public XmlHandler {
public:
    ResponseHandler(const OperationDesc& operation, SoapValue& output)
        : operation_(operation), output_(output), responseName_(std::string(operation.name) + "Response") {}

    bool StartElement(const XmlElement& element) override {
        if (!frames_.empty() && frames_.back().role == Role::Skipped) {
            frames_.emplace_back(Role::Skipped, element.localName);
            return true;
        }
        const Role parent = frames_.empty() ? Role::Document : frames_.back().role;
        switch (parent) {
        case Role::Document:
            return Push(Role::Envelope, element.namespaceUri == kSoapEnvelopeNamespace && element.localName == "Envelope",
                        element, "the SOAP Envelope");
        case Role::Envelope:
            if (element.namespaceUri == kSoapEnvelopeNamespace && element.localName == "Header" && !sawBody_) {
                return Push(Role::Skipped, true, element, "");
            }
            return Push(Role::Body, element.namespaceUri == kSoapEnvelopeNamespace && element.localName == "Body" && !sawBody_,
                        element, "the SOAP Body");
        case Role::Body:
            sawResponse_ = element.namespaceUri == operation_.targetNamespace && element.localName == responseName_ && !sawResponse_;
            return Push(Role::Response, sawResponse_, element, "<" + responseName_ + ">");
        case Role::Response:
            // A part the description does not know (the service added one) is skipped.
            if (operation_.output == nullptr || element.localName != operation_.output->name) {
                return Push(Role::Skipped, true, element, "");
            }
            sawOutput_ = true;
            output_ = InitialValue(*operation_.output->type);
            return PushValue(*operation_.output->type, output_, element);
        case Role::Value:
            return StartChild(element);
        case Role::Skipped:
            break;
        }
        return false;
    }

    bool EndElement(qint64) override {
        Frame frame = std::move(frames_.back());
        frames_.pop_back();
        if (frame.role == Role::Body) {
            sawBody_ = true;
        }
        if (frame.role != Role::Value || frame.nil) {
            return true;
        }
        if (frame.type->kind == ValueKind::Record || frame.type->kind == ValueKind::Array) {
            return true;
        }
        if (StoreScalar(*frame.type, frame.text, *frame.target)) {
            return true;
        }
        return Refuse("<" + frame.name + "> holds \"" + frame.text.left(40).toStdString() + "\", not " +
                      KindName(frame.type->kind));
    }

    bool Characters(std::string_view text) override {
        if (frames_.empty()) {
            return IsBlank(text) || Refuse("text outside the document element");
        }
        Frame& frame = frames_.back();
        if (frame.role == Role::Skipped) {
            return true;
        }
        if (frame.role == Role::Value && frame.type->kind != ValueKind::Record && frame.type->kind != ValueKind::Array) {
            if (frame.nil) {
                return IsBlank(text) || Refuse("<" + frame.name + "> is nil but holds text");
            }
            frame.text.append(text.data(), static_cast<qsizetype>(text.size()));
            return true;
        }
        return IsBlank(text) || Refuse("<" + frame.name + "> holds text where elements belong");
    }

    std::string Problem() const override { return problem_; }

    // Empty when the whole answer was there; otherwise what is missing.
    std::string Missing() const {
        if (!sawBody_) return "no SOAP Body";
        if (!sawResponse_) return "no <" + responseName_ + ">";
        if (operation_.output != nullptr && !sawOutput_ && operation_.output->type->kind != ValueKind::String) {
            return "<" + responseName_ + "> lacks <" + std::string(operation_.output->name) + ">";
        }
        return {};
    }

private:
    enum class Role { Document, Envelope, Body, Response, Value, Skipped };

    struct Frame {
        Frame(Role r, std::string_view n, const TypeDesc* t = nullptr, SoapValue* v = nullptr)
            : role(r), name(n), type(t), target(v) {}
        Role role;
        std::string name;
        const TypeDesc* type;
        SoapValue* target;
        QByteArray text;
        bool nil = false;
    };

    static const char* KindName(ValueKind kind) {
        switch (kind) {
        case ValueKind::String: return "a string";
        case ValueKind::Boolean: return "a boolean";
        case ValueKind::Int: return "an int";
        case ValueKind::Long: return "a long";
        case ValueKind::Float: return "a float";
        case ValueKind::Record: return "a record";
        case ValueKind::Array: return "an array";
        }
        return "a value";
    }

    bool Refuse(std::string why) {
        problem_ = std::move(why);
        return false;
    }

    bool Push(Role role, bool accepted, const XmlElement& element, const std::string& expected) {
        if (!accepted) {
            return Refuse("expected " + expected + ", found <" + std::string(element.localName) + ">");
        }
        frames_.emplace_back(role, element.localName);
        return true;
    }

    bool PushValue(const TypeDesc& type, SoapValue& target, const XmlElement& element) {
        Frame frame(Role::Value, element.localName, &type, &target);
        if (IsNil(element.attributes)) {
            if (type.kind != ValueKind::String) {
                return Refuse("<" + frame.name + "> is nil but must be " + KindName(type.kind));
            }
            target.text = QString();
            frame.nil = true;
        }
        frames_.push_back(std::move(frame));
        return true;
    }

    bool StartChild(const XmlElement& element) {
        Frame& parent = frames_.back();
        if (parent.nil) {
            return Refuse("<" + parent.name + "> is nil but holds <" + std::string(element.localName) + ">");
        }
        if (parent.type->kind == ValueKind::Record) {
            const int index = FieldIndex(*parent.type, element.localName);
            if (index < 0) {
                // A field the description does not know (the service added one) is
                // skipped; fields that do not come keep their initial values.
                frames_.emplace_back(Role::Skipped, element.localName);
                return true;
            }
            const auto field = static_cast<std::size_t>(index);
            const TypeDesc& type = *parent.type->fields[field].type;
            SoapValue& target = parent.target->items[field];
            target = InitialValue(type);
            return PushValue(type, target, element);
        }
        if (parent.type->kind == ValueKind::Array) {
            std::vector<SoapValue>& items = parent.target->items;
            if (items.size() >= kMaxArrayItems) {
                return Refuse("<" + parent.name + "> holds more than " + std::to_string(kMaxArrayItems) + " items");
            }
            if (items.size() == items.capacity()) {  // room for 10 at first, doubled when full
                items.reserve(items.empty() ? 10 : items.size() * 2);
            }
            const TypeDesc& type = *parent.type->item;
            items.push_back(InitialValue(type));
            return PushValue(type, items.back(), element);
        }
        return Refuse("<" + parent.name + "> must be " + KindName(parent.type->kind) + " but holds <" +
                      std::string(element.localName) + ">");
    }

    const OperationDesc& operation_;
    SoapValue& output_;
    const std::string responseName_;
    std::vector<Frame> frames_;
    bool sawBody_ = false;
    bool sawResponse_ = false;
    bool sawOutput_ = false;
    std::string problem_;
};

}  // namespace

ErrorKind ParseSoapResponse(const OperationDesc& operation, const QByteArray& body, SoapValue& output,
                            std::string* detail) {
    std::string ignored;
    std::string& why = detail != nullptr ? *detail : ignored;
    try {
        SoapValue parsed = operation.output ? InitialValue(*operation.output->type) : SoapValue();
        ResponseHandler handler(operation, parsed);
        switch (ReadXml(body, handler, &why)) {
        case XmlReadResult::CannotCreate:
            return ErrorKind::InitializeError;
        case XmlReadResult::Unreadable:
            return ErrorKind::ReadError;
        case XmlReadResult::Mismatch:
            return ErrorKind::ParseError;
        case XmlReadResult::Ok:
            break;
        }
        if (const std::string missing = handler.Missing(); !missing.empty()) {
            why = missing;
            return ErrorKind::ParseError;
        }
        output = std::move(parsed);
        return ErrorKind::Success;
    } catch (const std::bad_alloc&) {
        return ErrorKind::OutOfMemory;
    }
}

}  // namespace transport
