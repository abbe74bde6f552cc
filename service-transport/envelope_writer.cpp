#include "service-transport/envelope_writer.h"

#include "service-transport/xml_escape.h"

namespace transport {

namespace {

constexpr const char kEnvelopeStart[] =
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\""
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
    " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
    " xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\"><soap:Body>";
constexpr const char kEnvelopeEnd[] = "</soap:Body></soap:Envelope>";

void AppendName(QByteArray& out, std::string_view name) {
    out.append(name.data(), static_cast<qsizetype>(name.size()));
}

bool AppendElement(QByteArray& out, std::string_view name, const TypeDesc& type, const SoapValue& value);

bool AppendContent(QByteArray& out, const TypeDesc& type, const SoapValue& value) {
    switch (type.kind) {
    case ValueKind::String:
        AppendEscaped(out, value.text);
        return true;
    case ValueKind::Boolean:
        out.append(value.boolean ? "true" : "false");
        return true;
    case ValueKind::Int:
        out.append(QByteArray::number(static_cast<qint32>(value.integer)));
        return true;
    case ValueKind::Long:
        out.append(QByteArray::number(value.integer));
        return true;
    case ValueKind::Float:
        out.append(QByteArray::number(static_cast<double>(value.real), 'g', 9));
        return true;
    case ValueKind::Record:
        if (value.items.size() != type.fields.size()) {
            return false;
        }
        for (std::size_t i = 0; i < type.fields.size(); ++i) {
            if (!AppendElement(out, type.fields[i].name, *type.fields[i].type, value.items[i])) {
                return false;
            }
        }
        return true;
    case ValueKind::Array:
        for (const SoapValue& item : value.items) {
            if (!AppendElement(out, type.itemElement, *type.item, item)) {
                return false;
            }
        }
        return true;
    }
    return false;
}

bool AppendElement(QByteArray& out, std::string_view name, const TypeDesc& type, const SoapValue& value) {
    out.append('<');
    AppendName(out, name);
    if (type.kind == ValueKind::String && value.text.isNull()) {
        out.append(" xsi:nil=\"1\"/>");
        return true;
    }
    out.append('>');
    if (!AppendContent(out, type, value)) {
        return false;
    }
    out.append("</");
    AppendName(out, name);
    out.append('>');
    return true;
}

}  // namespace

std::optional<QByteArray> WriteEnvelope(const OperationDesc& operation, const std::vector<SoapValue>& inputs) {
    if (inputs.size() != operation.inputs.size()) {
        return std::nullopt;
    }
    QByteArray out;
    out.reserve(1024);
    out.append(kEnvelopeStart);
    out.append('<');
    AppendName(out, operation.name);
    out.append(" xmlns=\"");
    AppendName(out, operation.targetNamespace);
    out.append("\">");
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const FieldDesc& parameter = operation.inputs[i];
        if (!AppendElement(out, parameter.name, *parameter.type, inputs[i])) {
            return std::nullopt;
        }
    }
    out.append("</");
    AppendName(out, operation.name);
    out.append('>');
    out.append(kEnvelopeEnd);
    return out;
}

}  // namespace transport
