#include "engine/push_client.h"

#include <QUrl>

namespace wavetap::engine {

namespace {

constexpr int kMaxRedirects = 3;
constexpr int kFinishWaitMs = 2000;

bool IsRedirect(int status)
{
    return (status >= 300 && status <= 304) || status == 307 || status == 308;
}

// Prefers Digest (MD5) over Basic; nullptr when the server offers neither.
const http::AuthParams* ChooseChallenge(const std::vector<http::AuthParams>& challenges)
{
    const http::AuthParams* basic = nullptr;
    for (const http::AuthParams& challenge : challenges) {
        const QString algorithm = QString::fromStdString(challenge.Param("algorithm"));
        if (challenge.scheme == http::AuthScheme::Digest &&
            (algorithm.isEmpty() || algorithm.compare("MD5", Qt::CaseInsensitive) == 0))
            return &challenge;
        if (challenge.scheme == http::AuthScheme::Basic && !basic)
            basic = &challenge;
    }
    return basic;
}

}  // namespace

PushClient::PushClient(PushTarget target, PushTimeouts timeouts, std::int64_t bodySize)
    : target_(std::move(target)), timeouts_(timeouts), bodySize_(bodySize)
{
}

PushClient::~PushClient()
{
    stream_.reset();
}

HRESULT PushClient::Setup(const CredentialsRequest& credentials, QString* reason)
{
    session_ = PushSession{};
    session_.autoRemove = target_.autoRemove;
    session_.target = {target_.server, target_.port, PublishingPointPath(target_.publishingPoint)};
    bool answeredChallenge = false;
    int redirects = 0;
    for (;;) {
        // Every push setup goes on a new connection (a challenge's answer too).
        auto connection = std::make_unique<PushConnection>();
        if (!connection->Connect(session_.target.host, session_.target.port, timeouts_.connectMs, reason))
            return NS_E_NOCONNECTION;
        const std::string path = session_.target.path.toStdString();
        const std::string authorization =
            session_.authorization->Active() ? session_.authorization->For("POST", path) : std::string();
        const QByteArray request = PushSetupRequest(session_.target, session_.pushId, authorization, target_.autoRemove);
        http::ResponseHead answer;
        if (!connection->SendAll(request, timeouts_.responseMs, reason) ||
            !connection->ReadResponse(&answer, timeouts_.responseMs, reason)) {
            *reason = "push setup: " + *reason;
            return NS_E_NOCONNECTION;
        }
        const int status = answer.Status();
        if (const auto pushId = answer.Cookie("push-id"))
            session_.pushId = QString::fromStdString(*pushId);
        if (status == 401) {
            const std::vector<http::AuthParams> challenges = http::ParseChallenges(answer.Fields("WWW-Authenticate"));
            const http::AuthParams* challenge = ChooseChallenge(challenges);
            if (answeredChallenge) {
                *reason = "the media server refused the push account (401)";
                return E_ACCESSDENIED;
            }
            if (!challenge) {
                *reason = "the media server asks for an authentication scheme other than Basic and Digest";
                return E_ACCESSDENIED;
            }
            QString user, password;
            if (!credentials || !credentials(QString::fromStdString(challenge->Param("realm")), session_.target.host,
                                             &user, &password) ||
                user.isEmpty()) {
                *reason = "the media server asks for credentials and there are none";
                return E_ACCESSDENIED;
            }
            *session_.authorization =
                challenge->scheme == http::AuthScheme::Digest
                    ? PushAuthorization::Digest(*challenge, user.toStdString(), password.toStdString())
                    : PushAuthorization::Basic(user.toStdString(), password.toStdString());
            answeredChallenge = true;
            continue;
        }
        if (IsRedirect(status)) {
            const QUrl location(QString::fromStdString(answer.Field("Location").value_or(std::string())));
            if (++redirects > kMaxRedirects || location.scheme() != "http" || location.host().isEmpty()) {
                *reason = QString("push setup: the media server redirects (%1) to no usable address").arg(status);
                return E_FAIL;
            }
            session_.target = {location.host(), location.port(80), location.path(QUrl::FullyEncoded).toUtf8()};
            if (session_.target.path.isEmpty())
                session_.target.path = "/";
            session_.pushId = "0";
            continue;
        }
        if (status < 200 || status > 299) {
            *reason = QString("push setup to %1: the media server answered %2 %3")
                          .arg(QString::fromUtf8(session_.target.path))
                          .arg(status)
                          .arg(QString::fromStdString(answer.Reason()));
            return status == 403 ? E_ACCESSDENIED : E_FAIL;
        }
        if (!IsWindowsMediaServer(answer.Field("Server").value_or(std::string()))) {
            *reason = "push setup: the server is not a Windows Media server (Server: " +
                      QString::fromStdString(answer.Field("Server").value_or("none")) + ")";
            return E_FAIL;
        }
        if (session_.pushId.isEmpty() || session_.pushId == "0") {
            *reason = "push setup: the media server gave no push-id";
            return E_FAIL;
        }
        session_.connection = std::move(connection);
        return S_OK;
    }
}

void PushClient::Start(PushStream::LostHandler lost)
{
    stream_ = std::make_unique<PushStream>(std::move(session_), timeouts_, bodySize_);
    stream_->Start(std::move(lost));
}

void PushClient::FeedAsf(const char* data, std::size_t size)
{
    if (stream_)
        stream_->FeedAsf(data, size);
}

void PushClient::Finish()
{
    if (stream_)
        stream_->Finish(kFinishWaitMs);
}

}  // namespace wavetap::engine
