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
            frames_.emplace_back(Role::Skipped);
            return true;
        }
        const Role parent = frames_.empty() ? Role::Document : frames_.back().role;
        switch (parent) {
        case Role::Document:
            return Push(Role::Envelope, element.namespaceUri == kSoapEnvelopeNamespace && element.localName == "Envelope");
        case Role::Envelope:
            if (element.namespaceUri == kSoapEnvelopeNamespace && element.localName == "Header" && !sawBody_) {
                return Push(Role::Skipped, true);
            }
            return Push(Role::Body, element.namespaceUri == kSoapEnvelopeNamespace && element.localName == "Body" && !sawBody_);
        case Role::Body:
            sawResponse_ = element.namespaceUri == operation_.targetNamespace && element.localName == responseName_ && !sawResponse_;
            return Push(Role::Response, sawResponse_);
        case Role::Response:
            if (operation_.output == nullptr || element.localName != operation_.output->name) {
                return false;
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
        return StoreScalar(*frame.type, frame.text, *frame.target);
    }

    bool Characters(std::string_view text) override {
        if (frames_.empty()) {
            return IsBlank(text);
        }
        Frame& frame = frames_.back();
        if (frame.role == Role::Skipped) {
            return true;
        }
        if (frame.role == Role::Value && frame.type->kind != ValueKind::Record && frame.type->kind != ValueKind::Array) {
            if (frame.nil) {
                return IsBlank(text);
            }
            frame.text.append(text.data(), static_cast<qsizetype>(text.size()));
            return true;
        }
        return IsBlank(text);
    }

    bool Complete() const {
        return sawBody_ && sawResponse_ && (operation_.output == nullptr || sawOutput_ || operation_.output->type->kind == ValueKind::String);
    }

private:
    enum class Role { Document, Envelope, Body, Response, Value, Skipped };

    struct Frame {
        explicit Frame(Role r, const TypeDesc* t = nullptr, SoapValue* v = nullptr) : role(r), type(t), target(v) {}
        Role role;
        const TypeDesc* type;
        SoapValue* target;
        QByteArray text;
        bool nil = false;
    };

    bool Push(Role role, bool accepted) {
        if (accepted) {
            frames_.emplace_back(role);
        }
        return accepted;
    }

    bool PushValue(const TypeDesc& type, SoapValue& target, const XmlElement& element) {
        Frame frame(Role::Value, &type, &target);
        if (IsNil(element.attributes)) {
            if (type.kind != ValueKind::String) {
                return false;
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
            return false;
        }
        if (parent.type->kind == ValueKind::Record) {
            const int index = FieldIndex(*parent.type, element.localName);
            if (index < 0) {
                return false;
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
                return false;
            }
            if (items.size() == items.capacity()) {  // room for 10 at first, doubled when full
                items.reserve(items.empty() ? 10 : items.size() * 2);
            }
            const TypeDesc& type = *parent.type->item;
            items.push_back(InitialValue(type));
            return PushValue(type, items.back(), element);
        }
        return false;  // scalars hold no elements
    }

    const OperationDesc& operation_;
    SoapValue& output_;
    const std::string responseName_;
    std::vector<Frame> frames_;
    bool sawBody_ = false;
    bool sawResponse_ = false;
    bool sawOutput_ = false;
};

}  // namespace

ErrorKind ParseSoapResponse(const OperationDesc& operation, const QByteArray& body, SoapValue& output) {
    try {
        SoapValue parsed = operation.output ? InitialValue(*operation.output->type) : SoapValue();
        ResponseHandler handler(operation, parsed);
        switch (ReadXml(body, handler)) {
        case XmlReadResult::CannotCreate:
            return ErrorKind::InitializeError;
        case XmlReadResult::Unreadable:
            return ErrorKind::ReadError;
        case XmlReadResult::Mismatch:
            return ErrorKind::ParseError;
        case XmlReadResult::Ok:
            break;
        }
        if (!handler.Complete()) {
            return ErrorKind::ParseError;
        }
        output = std::move(parsed);
        return ErrorKind::Success;
    } catch (const std::bad_alloc&) {
        return ErrorKind::OutOfMemory;
    }
}

}  // namespace transport
