#include "upkeep/download_worker.h"

#include "upkeep/download_report.h"
#include "upkeep/download_texts.h"
#include "upkeep/transfer_options.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QUrl>

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

using upkeep::DownloadReport;

namespace {

// How often the worker looks at the abort flag while waiting for the credentials answer.
constexpr int kAnswerPollMs = 100;

class Transfer {
public:
    Transfer(const DownloadJob& job, CURL* http) : job_(job), http_(http) {}

    enum class Stop { None, Aborted, BadStatus, FileError };

    // Runs one request (with its redirects) to its end.
    CURLcode Perform();
    // What ended the last request early, if the worker ended it.
    Stop StoppedBy() const { return stop_; }
    int FileErrno() const { return fileErrno_; }
    bool StatusSeen() const { return statusSeen_; }
    bool BodyStarted() const { return downloading_ || drained_; }
    bool Downloading() const { return downloading_; }
    long Status() const;
    const QString& Realm() const { return realm_; }

    void Post(DownloadReport* report) const { QCoreApplication::postEvent(job_.window, report); }
    void PostStatus(const QString& text) const;
    void BeginDownload();

private:
    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    static curl_socket_t OnOpenSocket(void* self, curlsocktype, curl_sockaddr* address);
    static int OnConnected(void* self, char* primaryIp, char*, int, int);

    void HeaderLine(const QByteArray& line);
    bool WriteToFile(const char* data, size_t size);
    void ReportProgress();
    bool Aborted() const { return job_.abort->load(); }

    const DownloadJob& job_;
    CURL* http_;
    Stop stop_ = Stop::None;
    int fileErrno_ = 0;
    bool statusSeen_ = false;
    bool bodyDecided_ = false;
    bool downloading_ = false;
    bool drained_ = false;
    QByteArray location_;
    QString realm_;

    qint64 length_ = -1;
    qint64 received_ = 0;
    int lastPercent_ = -1;
    QElapsedTimer clock_;
    qint64 lastRateMs_ = 0;
    qint64 receivedAtRate_ = 0;
};

QString RealmOf(const QByteArray& challenge) {
    const qsizetype at = challenge.toLower().indexOf("realm=");
    if (at < 0) return {};
    QByteArray value = challenge.mid(at + 6).trimmed();
    if (value.startsWith('"')) {
        const qsizetype end = value.indexOf('"', 1);
        return QString::fromUtf8(value.mid(1, end < 0 ? -1 : end - 1));
    }
    const qsizetype end = value.indexOf(',');
    return QString::fromUtf8(end < 0 ? value : value.left(end)).trimmed();
}

long Transfer::Status() const {
    long status = 0;
    curl_easy_getinfo(http_, CURLINFO_RESPONSE_CODE, &status);
    return status;
}

CURLcode Transfer::Perform() {
    stop_ = Stop::None;
    statusSeen_ = bodyDecided_ = downloading_ = drained_ = false;
    curl_easy_setopt(http_, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(http_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(http_, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(http_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(http_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(http_, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(http_, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(http_, CURLOPT_OPENSOCKETFUNCTION, OnOpenSocket);
    curl_easy_setopt(http_, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(http_, CURLOPT_PREREQFUNCTION, OnConnected);
    curl_easy_setopt(http_, CURLOPT_PREREQDATA, this);
    return curl_easy_perform(http_);
}

void Transfer::PostStatus(const QString& text) const {
    auto* report = new DownloadReport(DownloadReport::Kind::Status);
    report->text = text;
    Post(report);
}

void Transfer::BeginDownload() {
    downloading_ = true;
    PostStatus(QStringLiteral("正在获得信息"));
    curl_off_t length = -1;
    curl_easy_getinfo(http_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    length_ = length;
    auto* range = new DownloadReport(DownloadReport::Kind::Length);
    range->lengthKnown = length_ >= 0;
    Post(range);
    PostStatus(QStringLiteral("正在下载文件"));
    clock_.start();
    received_ = 0;
    lastPercent_ = -1;
    lastRateMs_ = 0;
    receivedAtRate_ = 0;
}

size_t Transfer::OnHeader(char* data, size_t size, size_t count, void* self) {
    static_cast<Transfer*>(self)->HeaderLine(QByteArray(data, static_cast<qsizetype>(size * count)).trimmed());
    return size * count;
}

void Transfer::HeaderLine(const QByteArray& line) {
    if (line.startsWith("HTTP/")) {
        // A new answer: a redirect, a challenge or the final one.
        statusSeen_ = true;
        bodyDecided_ = false;
        location_.clear();
        return;
    }
    const QByteArray lower = line.toLower();
    if (lower.startsWith("location:")) {
        location_ = line.mid(9).trimmed();
    } else if (lower.startsWith("www-authenticate:") || lower.startsWith("proxy-authenticate:")) {
        if (realm_.isEmpty() || RealmOf(line).size()) realm_ = RealmOf(line);
    } else if (line.isEmpty()) {
        const long status = Status();
        if (status >= 300 && status < 400 && !location_.isEmpty()) {
            char* current = nullptr;
            curl_easy_getinfo(http_, CURLINFO_EFFECTIVE_URL, &current);
            const QUrl target = QUrl(QString::fromUtf8(current)).resolved(QUrl::fromEncoded(location_));
            PostStatus(QStringLiteral("重定向到 %1").arg(target.toString()));
        }
    }
}

size_t Transfer::OnBody(char* data, size_t size, size_t count, void* self) {
    auto* t = static_cast<Transfer*>(self);
    const size_t bytes = size * count;
    if (!t->bodyDecided_) {
        t->bodyDecided_ = true;
        const long status = t->Status();
        if (status == 200 || status == 206) {
            t->BeginDownload();
        } else if (status == 401 || status == 407) {
            t->drained_ = true;  // the challenge's page is read and dropped
        } else {
            t->stop_ = Stop::BadStatus;
            return 0;
        }
    }
    if (!t->downloading_) return bytes;
    if (!t->Aborted() && !t->WriteToFile(data, bytes)) {
        t->stop_ = Stop::FileError;
        return 0;
    }
    t->received_ += static_cast<qint64>(bytes);
    t->ReportProgress();
    if (t->Aborted()) {
        t->stop_ = Stop::Aborted;
        return 0;
    }
    return bytes;
}

bool Transfer::WriteToFile(const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(job_.file, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            fileErrno_ = written < 0 ? errno : ENOSPC;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

void Transfer::ReportProgress() {
    const qint64 now = clock_.elapsed();
    if (length_ > 0) {
        const int percent = static_cast<int>(qMin<qint64>(100, received_ * 100 / length_));
        if (percent != lastPercent_) {
            lastPercent_ = percent;
            auto* progress = new DownloadReport(DownloadReport::Kind::Progress);
            progress->percent = percent;
            progress->text = upkeep::CompletedTitle(percent, job_.url.fileName);
            Post(progress);
        }
    }
    if (now - lastRateMs_ < 1001) return;
    const qint64 bytes = received_ - receivedAtRate_;
    auto* rate = new DownloadReport(DownloadReport::Kind::Rate);
    rate->text = upkeep::RateText(static_cast<double>(bytes) / static_cast<double>(now - lastRateMs_));
    if (length_ >= 0) {
        rate->remaining = upkeep::RemainingText(upkeep::SecondsLeft(now, received_, length_), received_, length_);
    }
    Post(rate);
    lastRateMs_ = now;
    receivedAtRate_ = received_;
}

int Transfer::OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    // Also called while nothing arrives, so Cancel works against a silent server.
    return static_cast<Transfer*>(self)->Aborted() ? 1 : 0;
}

curl_socket_t Transfer::OnOpenSocket(void* self, curlsocktype, curl_sockaddr* address) {
    auto* t = static_cast<Transfer*>(self);
    char text[INET6_ADDRSTRLEN] = "";
    const void* raw = nullptr;
    if (address->family == AF_INET) raw = &reinterpret_cast<const sockaddr_in*>(&address->addr)->sin_addr;
    if (address->family == AF_INET6) raw = &reinterpret_cast<const sockaddr_in6*>(&address->addr)->sin6_addr;
    if (raw) inet_ntop(address->family, raw, text, sizeof text);
    const QString ip = QString::fromLatin1(text);
    t->PostStatus(QStringLiteral("解析名字 %1").arg(ip));
    t->PostStatus(QStringLiteral("连接到 %1").arg(ip));
    return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

int Transfer::OnConnected(void* self, char* primaryIp, char*, int, int) {
    static_cast<Transfer*>(self)->PostStatus(QStringLiteral("已连接到 %1").arg(QString::fromLatin1(primaryIp)));
    return CURL_PREREQFUNC_OK;
}

// Asks the window for credentials and waits for the answer, or until Cancel is pressed.
bool AskCredentials(const DownloadJob& job, const QString& realm, bool proxy, QString* user, QString* password) {
    auto exchange = std::make_shared<upkeep::CredentialsExchange>();
    exchange->server = job.url.server;
    exchange->realm = realm;
    exchange->proxy = proxy;
    auto* report = new DownloadReport(DownloadReport::Kind::Credentials);
    report->exchange = exchange;
    QCoreApplication::postEvent(job.window, report);
    std::unique_lock guard(exchange->lock);
    while (!exchange->done) {
        if (job.abort->load()) return false;
        exchange->answered.wait_for(guard, std::chrono::milliseconds(kAnswerPollMs));
    }
    *user = exchange->userName;
    *password = exchange->password;
    return exchange->given;
}

QString CurlText(CURLcode code, const char* detail) {
    return QString::fromLocal8Bit(upkeep::TransferErrorText(code, detail));
}

// Runs the request to its end; returns the error text, or empty when the file is complete
// (or the user aborted).
QString Download(const DownloadJob& job, CURL* http) {
    char detail[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(http, CURLOPT_ERRORBUFFER, detail);
    Transfer transfer(job, http);
    transfer.PostStatus(QStringLiteral("正在解析域名：%1").arg(job.url.server));
    for (;;) {
        detail[0] = '\0';
        const CURLcode result = transfer.Perform();
        if (job.abort->load()) return {};
        const long status = transfer.Status();
        if (result == CURLE_OK) {
            if (status == 401 || status == 407) {
                QString user, password;
                if (!AskCredentials(job, transfer.Realm(), status == 407, &user, &password)) {
                    if (job.abort->load()) return {};
                    return QStringLiteral("网络服务器没有响应：%1").arg(status);
                }
                const QByteArray u = user.toUtf8(), p = password.toUtf8();
                curl_easy_setopt(http, status == 407 ? CURLOPT_PROXYUSERNAME : CURLOPT_USERNAME, u.constData());
                curl_easy_setopt(http, status == 407 ? CURLOPT_PROXYPASSWORD : CURLOPT_PASSWORD, p.constData());
                curl_easy_setopt(http, status == 407 ? CURLOPT_PROXYAUTH : CURLOPT_HTTPAUTH, CURLAUTH_ANY);
                continue;
            }
            if (status != 200 && status != 206) return QStringLiteral("网络服务器没有响应：%1").arg(status);
            if (!transfer.Downloading()) transfer.BeginDownload();  // an empty file
            return {};
        }
        switch (transfer.StoppedBy()) {
        case Transfer::Stop::Aborted: return {};
        case Transfer::Stop::BadStatus: return QStringLiteral("网络服务器没有响应：%1").arg(status);
        case Transfer::Stop::FileError:
            return QStringLiteral("下载文件错误：%1").arg(QString::fromLocal8Bit(std::strerror(transfer.FileErrno())));
        case Transfer::Stop::None: break;
        }
        if (transfer.BodyStarted()) return QStringLiteral("发生网络故障：%1").arg(CurlText(result, detail));
        if (transfer.StatusSeen() && result != CURLE_TOO_MANY_REDIRECTS) {
            return QStringLiteral("网络服务器没有响应：%1").arg(CurlText(result, detail));
        }
        return QStringLiteral("网络连接错误：%1").arg(CurlText(result, detail));
    }
}

}  // namespace

void CDownloadWorker::run() {
    upkeep::InitialiseTransfers();
    QString error;
    if (CURL* http = curl_easy_init()) {
        curl_slist* headers = upkeep::NoCacheHeaders();
        const QByteArray address = job_.url.Address().toUtf8();
        upkeep::ApplyTransferOptions(http, headers);
        curl_easy_setopt(http, CURLOPT_URL, address.constData());
        curl_easy_setopt(http, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
        error = Download(job_, http);
        curl_easy_cleanup(http);
        curl_slist_free_all(headers);
    } else {
        error = QStringLiteral("网络连接错误：%1").arg(CurlText(CURLE_FAILED_INIT, nullptr));
    }
    auto* complete = new DownloadReport(DownloadReport::Kind::Complete);
    complete->wParam = error.isEmpty() ? 0 : 1;
    complete->text = error;
    QCoreApplication::postEvent(job_.window, complete);
}
