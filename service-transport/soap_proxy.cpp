#include "service-transport/soap_proxy.h"

#include <QLoggingCategory>

#include <chrono>
#include <new>

#include "service-transport/call_outcome.h"
#include "service-transport/envelope_writer.h"
#include "service-transport/http_response_reader.h"
#include "service-transport/request_head.h"

namespace transport {

namespace {

Q_LOGGING_CATEGORY(TransportLog, "castora.transport")

constexpr std::size_t kBlockBytes = 4096;

bool IsRedirect(int status) { return status == 301 || status == 302 || status == 303; }
}  // namespace

bool SoapProxy::SetUrl(const QString& url) {
    const auto parsed = ParseHttpUrl(url.toStdString());
    if (!parsed) {
        return false;
    }
    url_ = *parsed;
    urlSet_ = true;
    return true;
}

QByteArray SoapProxy::OperationHeaders() const {
    return "SOAPAction: \"\"\r\n" + cookieHeader_ + "Accept: text/xml\r\n";
}

HResult SoapProxy::Failed(ErrorKind kind) {
    error_ = kind;
    return kFail;
}

bool SoapProxy::EnsureConnected() {
    if (connection_.IsOpen() && connection_.Host() == url_.host && connection_.Port() == url_.port) {
        return true;
    }
    return connection_.Connect(url_.host, url_.port, StepTimeoutMs());
}

bool SoapProxy::ExchangeOnce(const QByteArray& head) {
    const int timeout = StepTimeoutMs();
    if (!connection_.SendAll(head.constData(), static_cast<std::size_t>(head.size()), timeout)) {
        return false;
    }
    for (qsizetype sent = 0; sent < request_.size(); sent += kBlockBytes) {
        const auto block = std::min<std::size_t>(kBlockBytes, static_cast<std::size_t>(request_.size() - sent));
        if (!connection_.SendAll(request_.constData() + sent, block, timeout)) {
            return false;
        }
    }
    HttpResponseReader reader;
    char buffer[kBlockBytes];
    HttpResponseReader::State state = HttpResponseReader::State::NeedMore;
    while (state == HttpResponseReader::State::NeedMore) {
        const long received = connection_.Receive(buffer, sizeof buffer, timeout);
        if (received < 0) {
            return false;
        }
        state = received == 0 ? reader.FinishAtClose() : reader.Feed(buffer, received);
    }
    if (state != HttpResponseReader::State::Complete) {
        return false;
    }
    status_ = reader.Status();
    response_ = reader.Body();
    location_ = reader.Header("Location").value_or(QByteArray());
    if (reader.ConnectionEnds()) {
        connection_.Close();
    }
    return true;
}

bool SoapProxy::Exchange(const QByteArray& extraHeaders) {
    for (int redirects = 0;; ++redirects) {
        const bool reused = connection_.IsOpen();
        if (!EnsureConnected()) {
            return false;
        }
        const QByteArray head = BuildRequestHead(url_, request_.size(), extraHeaders);
        if (!ExchangeOnce(head)) {
            connection_.Close();
            // A kept-alive connection the server has dropped meanwhile: one fresh try.
            if (!reused || !EnsureConnected() || !ExchangeOnce(head)) {
                connection_.Close();
                return false;
            }
        }
        if (!IsRedirect(status_)) {
            return true;
        }
        const auto next = ResolveLocation(url_, location_.toStdString());
        if (!next || redirects >= kMaxRedirects) {
            return false;
        }
        // The request carries the password digest and the session: it goes nowhere but
        // the server it was meant for (the scheme is http on both sides).
        if (next->host != url_.host || next->port != url_.port) {
            return false;
        }
        url_ = *next;
    }
}

HResult SoapProxy::SendRequest(const QByteArray& extraHeaders) {
    status_ = 0;
    response_.clear();
    fault_ = SoapFault();
    if (!urlSet_) {
        return Failed(ErrorKind::SendError);
    }
    connection_.SetDeadline(std::chrono::steady_clock::now() +
                            std::chrono::milliseconds(static_cast<long long>(StepTimeoutMs()) * kCallDeadlineSteps));
    const bool exchanged = Exchange(extraHeaders);
    connection_.SetDeadline(std::chrono::steady_clock::time_point::max());
    if (!exchanged) {
        return Failed(ErrorKind::SendError);
    }
    const ErrorKind kind = ClassifyAnswer(status_, response_, fault_);
    if (kind != ErrorKind::Success) {
        return Failed(kind);
    }
    error_ = ErrorKind::Success;
    return kOk;
}

HResult SoapProxy::Invoke(const OperationDesc& operation, const std::vector<SoapValue>& inputs, SoapValue& output) {
    HResult result = kFail;
    detail_.clear();
    try {
        error_ = ErrorKind::Success;
        const auto envelope = WriteEnvelope(operation, inputs);
        if (!envelope) {
            result = Failed(ErrorKind::GenerateError);
        } else {
            request_ = *envelope;
            result = SendRequest(OperationHeaders());
            if (result == kOk && status_ == 200) {
                SoapValue parsed;
                std::string detail;
                const ErrorKind kind = ReadAnswer(operation, status_, response_, parsed, fault_, &detail);
                if (kind == ErrorKind::Success) {
                    output = std::move(parsed);
                } else {
                    detail_ = QString::fromStdString(detail);
                    qCWarning(TransportLog, "%s: answer not read (error=%d): %s", std::string(operation.name).c_str(),
                              static_cast<int>(kind), detail.c_str());
                    result = Failed(kind);
                }
            }
        }
    } catch (const std::bad_alloc&) {
        result = Failed(ErrorKind::OutOfMemory);
    }
    request_.clear();
    response_.clear();
    return result;
}

}  // namespace transport
