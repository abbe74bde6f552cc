#pragma once
// The pieces of castora-soap: its arguments, the in-values they give and the
// field=value text of an answer.

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

#include "service-transport/soap_description.h"
#include "service-transport/soap_value.h"

namespace soap_cli {

struct Arguments {
    QString url;
    QString cookie;     // JSESSIONID value, empty for none
    int timeoutMs = 0;  // 0: the transport's default
    QString operation;
    std::vector<std::pair<QString, QString>> values;  // name=value, in the order given
};

// "--url URL [--cookie ID] [--timeout MS] OPERATION [name=value ...]"; nothing (and a
// reason in error) when they do not fit.
std::optional<Arguments> ParseArguments(const QStringList& arguments, QString& error);

// The operation's in-values: each name is a parameter, or a field of a record parameter
// written "parameter.field" (or the field alone when no parameter has that name).
// Values left out are empty strings, zero or false.
std::optional<std::vector<transport::SoapValue>> BuildInputs(const transport::OperationDesc& operation,
                                                             const std::vector<std::pair<QString, QString>>& values,
                                                             QString& error);

// "field=value" lines of the answer: records field by field ("outer.inner=" when
// nested), arrays one block per item with a blank line between blocks.
QString FormatAnswer(const transport::OperationDesc& operation, const transport::SoapValue& answer);

}  // namespace soap_cli
