#include "client/service/soap_command_line.h"

#include <cmath>

namespace soap_cli {

using transport::FieldDesc;
using transport::OperationDesc;
using transport::SoapValue;
using transport::TypeDesc;
using transport::ValueKind;

namespace {

QString NameOf(std::string_view name) {
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

bool ParseScalar(const TypeDesc& type, const QString& text, SoapValue& value) {
    bool ok = true;
    switch (type.kind) {
    case ValueKind::String:
        value.text = text.isNull() ? QString("") : text;
        break;
    case ValueKind::Boolean:
        ok = text == "true" || text == "false" || text == "1" || text == "0";
        value.boolean = text == "true" || text == "1";
        break;
    case ValueKind::Int:
        value.integer = text.toInt(&ok);
        break;
    case ValueKind::Long:
        value.integer = text.toLongLong(&ok);
        break;
    case ValueKind::Float:
        value.real = text.toFloat(&ok);
        break;
    case ValueKind::Record:
    case ValueKind::Array:
        ok = false;
        break;
    }
    return ok;
}

// Initial values, with strings present but empty as the client sends them.
SoapValue EmptyInput(const TypeDesc& type) {
    SoapValue value = transport::InitialValue(type);
    if (type.kind == ValueKind::String) {
        value.text = QString("");
    }
    for (std::size_t i = 0; type.kind == ValueKind::Record && i < type.fields.size(); ++i) {
        value.items[i] = EmptyInput(*type.fields[i].type);
    }
    return value;
}

// Finds the value slot a name refers to: "param", "param.field" or a bare field name.
std::pair<const TypeDesc*, SoapValue*> Slot(const OperationDesc& operation, std::vector<SoapValue>& inputs,
                                            const QString& name) {
    const QString head = name.section('.', 0, 0);
    const QString field = name.section('.', 1);
    for (std::size_t i = 0; i < operation.inputs.size(); ++i) {
        const FieldDesc& parameter = operation.inputs[i];
        if (NameOf(parameter.name) != head) {
            continue;
        }
        if (field.isEmpty()) {
            return {parameter.type, &inputs[i]};
        }
        const int index = parameter.type->kind == ValueKind::Record
                              ? transport::FieldIndex(*parameter.type, field.toStdString())
                              : -1;
        if (index < 0) {
            return {nullptr, nullptr};
        }
        const auto at = static_cast<std::size_t>(index);
        return {parameter.type->fields[at].type, &inputs[i].items[at]};
    }
    for (std::size_t i = 0; field.isEmpty() && i < operation.inputs.size(); ++i) {
        const TypeDesc& type = *operation.inputs[i].type;
        const int index = type.kind == ValueKind::Record ? transport::FieldIndex(type, name.toStdString()) : -1;
        if (index >= 0) {
            const auto at = static_cast<std::size_t>(index);
            return {type.fields[at].type, &inputs[i].items[at]};
        }
    }
    return {nullptr, nullptr};
}

QString ScalarText(const TypeDesc& type, const SoapValue& value) {
    switch (type.kind) {
    case ValueKind::String:
        return value.text;
    case ValueKind::Boolean:
        return value.boolean ? "true" : "false";
    case ValueKind::Int:
    case ValueKind::Long:
        return QString::number(value.integer);
    case ValueKind::Float:
        if (std::isnan(value.real)) {
            return "NaN";
        }
        if (std::isinf(value.real)) {
            return value.real > 0 ? "INF" : "-INF";
        }
        return QString::number(static_cast<double>(value.real), 'g', 9);
    case ValueKind::Record:
    case ValueKind::Array:
        break;
    }
    return QString();
}

void Format(const TypeDesc& type, const SoapValue& value, const QString& name, QString& out) {
    switch (type.kind) {
    case ValueKind::Record:
        for (std::size_t i = 0; i < type.fields.size() && i < value.items.size(); ++i) {
            const QString field = NameOf(type.fields[i].name);
            Format(*type.fields[i].type, value.items[i], name.isEmpty() ? field : name + "." + field, out);
        }
        return;
    case ValueKind::Array:
        for (std::size_t i = 0; i < value.items.size(); ++i) {
            if (name.isEmpty()) {  // the answer itself: one block per item
                if (i > 0) {
                    out += "\n";
                }
                Format(*type.item, value.items[i], type.item->kind == ValueKind::Record ? QString() : "return", out);
            } else {
                Format(*type.item, value.items[i], name + "[" + QString::number(i) + "]", out);
            }
        }
        return;
    default:
        out += name + "=" + ScalarText(type, value) + "\n";
        return;
    }
}

}  // namespace

std::optional<Arguments> ParseArguments(const QStringList& arguments, QString& error) {
    Arguments parsed;
    int i = 0;
    for (; i < arguments.size() && arguments[i].startsWith("--"); i += 2) {
        if (i + 1 >= arguments.size()) {
            error = arguments[i] + " needs a value";
            return std::nullopt;
        }
        const QString& value = arguments[i + 1];
        if (arguments[i] == "--url") {
            parsed.url = value;
        } else if (arguments[i] == "--cookie") {
            parsed.cookie = value;
        } else if (arguments[i] == "--timeout") {
            bool ok = false;
            parsed.timeoutMs = value.toInt(&ok);
            if (!ok || parsed.timeoutMs < 0) {
                error = "bad --timeout " + value;
                return std::nullopt;
            }
        } else {
            error = "unknown option " + arguments[i];
            return std::nullopt;
        }
    }
    if (parsed.url.isEmpty() || i >= arguments.size()) {
        error = "usage: castora-soap --url URL [--cookie ID] [--timeout MS] OPERATION [name=value ...]";
        return std::nullopt;
    }
    parsed.operation = arguments[i++];
    for (; i < arguments.size(); ++i) {
        const qsizetype equals = arguments[i].indexOf('=');
        if (equals <= 0) {
            error = "expected name=value, got " + arguments[i];
            return std::nullopt;
        }
        parsed.values.emplace_back(arguments[i].left(equals), arguments[i].mid(equals + 1));
    }
    return parsed;
}

std::optional<std::vector<SoapValue>> BuildInputs(const OperationDesc& operation,
                                                  const std::vector<std::pair<QString, QString>>& values,
                                                  QString& error) {
    std::vector<SoapValue> inputs;
    for (const FieldDesc& parameter : operation.inputs) {
        inputs.push_back(EmptyInput(*parameter.type));
    }
    for (const auto& [name, text] : values) {
        const auto [type, slot] = Slot(operation, inputs, name);
        if (type == nullptr) {
            error = "no parameter " + name + " in " + NameOf(operation.name);
            return std::nullopt;
        }
        if (!ParseScalar(*type, text, *slot)) {
            error = "bad value for " + name + ": " + text;
            return std::nullopt;
        }
    }
    return inputs;
}

QString FormatAnswer(const OperationDesc& operation, const SoapValue& answer) {
    QString out;
    if (operation.output != nullptr) {
        const TypeDesc& type = *operation.output->type;
        Format(type, answer, type.kind == ValueKind::Record || type.kind == ValueKind::Array ? QString() : "return", out);
    }
    return out;
}

}  // namespace soap_cli
