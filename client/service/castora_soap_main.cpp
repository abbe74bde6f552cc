// castora-soap: calls one ClientService operation and prints the answer as field=value
// lines. Exit status 0 on success, otherwise the call's error kind (64 for bad usage).

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

#include "client/service/client_service.h"
#include "client/service/soap_command_line.h"

namespace {

constexpr int kUsageStatus = 64;

void PrintError(const QString& text) { std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData()); }

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QString error;
    const auto arguments = soap_cli::ParseArguments(application.arguments().mid(1), error);
    if (!arguments) {
        PrintError(error);
        return kUsageStatus;
    }
    const transport::OperationDesc* operation = ClientService::FindOperation(arguments->operation.toStdString());
    if (operation == nullptr) {
        PrintError("unknown operation " + arguments->operation);
        return kUsageStatus;
    }
    const auto inputs = soap_cli::BuildInputs(*operation, arguments->values, error);
    if (!inputs) {
        PrintError(error);
        return kUsageStatus;
    }
    ClientService::CClientServiceT proxy;
    if (!proxy.SetUrl(arguments->url)) {
        PrintError("not an http URL: " + arguments->url);
        return kUsageStatus;
    }
    proxy.SetTimeout(arguments->timeoutMs);
    if (!arguments->cookie.isEmpty()) {
        proxy.SetCookieHeader("Cookie: JSESSIONID=" + arguments->cookie.toUtf8() + "\r\n");
    }
    transport::SoapValue answer;
    if (proxy.Invoke(*operation, *inputs, answer) < 0) {
        const int kind = static_cast<int>(proxy.LastError());
        PrintError("error=" + QString::number(kind));
        if (!proxy.ErrorDetail().isEmpty()) {
            PrintError("detail=" + proxy.ErrorDetail());
        }
        if (proxy.LastError() == transport::ErrorKind::SoapFault) {
            PrintError("faultcode=" + proxy.Fault().code);
            PrintError("faultstring=" + proxy.Fault().string);
        }
        return kind;
    }
    std::fputs(soap_cli::FormatAnswer(*operation, answer).toUtf8().constData(), stdout);
    return 0;
}
