#pragma once
// One caller's proxy for a service: endpoint, request and response buffers, the last
// status, error kind and fault. Owned by one thread; no exception leaves it.

#include <QByteArray>
#include <QString>

#include <vector>

#include "service-transport/error_kind.h"
#include "service-transport/fault_parser.h"
#include "service-transport/http_url.h"
#include "service-transport/soap_description.h"
#include "service-transport/soap_value.h"
#include "service-transport/tcp_connection.h"

namespace transport {

inline constexpr int kDefaultTimeoutMs = 10000;
inline constexpr int kMaxRedirects = 5;
// A whole call (connecting, sending, the answer, redirects and the one fresh try on a
// dropped connection) ends within this many step timeouts: 30 s with the default.
inline constexpr int kCallDeadlineSteps = 3;

class SoapProxy {
public:
    // False (and the address unchanged) when url is not an absolute http URL.
    bool SetUrl(const QString& url);
    // Milliseconds for connecting, each send and each receive; 0 means the default. A
    // whole call ends within kCallDeadlineSteps times this.
    void SetTimeout(int milliseconds) { timeoutMs_ = milliseconds; }
    // The cookie line ("Cookie: JSESSIONID=...\r\n") to send, or empty for none.
    void SetCookieHeader(const QByteArray& line) { cookieHeader_ = line; }

    // Runs one operation: writes the envelope from inputs (table order), sends it and
    // reads the answer into output (left as it was on failure). Per-call state is
    // cleared afterwards whatever the outcome.
    HResult Invoke(const OperationDesc& operation, const std::vector<SoapValue>& inputs, SoapValue& output);

    // Sends the prepared request with the given extra header lines and reads the
    // answer, following redirects (only to the same scheme, host and port). Negative on
    // failure, with LastError() set.
    HResult SendRequest(const QByteArray& extraHeaders);
    void SetRequestBody(const QByteArray& body) { request_ = body; }
    const QByteArray& ResponseBody() const { return response_; }

    ErrorKind LastError() const { return error_; }
    // For an answer that could not be read: the line and the element that did not fit
    // (also written to the "castora.transport" log). Empty otherwise.
    const QString& ErrorDetail() const { return detail_; }
    int StatusCode() const { return status_; }
    const SoapFault& Fault() const { return fault_; }
    const HttpUrl& Url() const { return url_; }

    // The extra header lines of an operation: empty SOAPAction, cookie, Accept.
    QByteArray OperationHeaders() const;

private:
    HResult Failed(ErrorKind kind);
    bool Exchange(const QByteArray& extraHeaders);
    bool ExchangeOnce(const QByteArray& head);
    bool EnsureConnected();
    int StepTimeoutMs() const { return timeoutMs_ > 0 ? timeoutMs_ : kDefaultTimeoutMs; }

    HttpUrl url_;
    bool urlSet_ = false;
    int timeoutMs_ = 0;
    QByteArray cookieHeader_;
    TcpConnection connection_;
    QByteArray request_;
    QByteArray response_;
    QByteArray location_;
    int status_ = 0;
    ErrorKind error_ = ErrorKind::Success;
    QString detail_;
    SoapFault fault_;
};

}  // namespace transport
