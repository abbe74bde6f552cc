#pragma once
// Push distribution to a media server's publishing point ([MS-WMHTTP]). Setup sends the
// push setup request (following redirects, answering one authentication challenge with
// the credentials the caller hands over) and keeps the connection for the stream;
// Start runs the push stream, fed with the streamable ASF output.

#include "engine/push_session.h"
#include "engine/push_stream.h"
#include "engine/results.h"

#include <QString>

#include <functional>
#include <memory>

namespace wavetap::engine {

// The encoder's acquire-credentials event: realm and site in, user name and password
// out; false when there are none to give.
using CredentialsRequest =
    std::function<bool(const QString& realm, const QString& site, QString* user, QString* password)>;

class PushClient {
public:
    explicit PushClient(PushTarget target, PushTimeouts timeouts = {}, std::int64_t bodySize = kPushStartBodySize);
    ~PushClient();
    PushClient(const PushClient&) = delete;
    PushClient& operator=(const PushClient&) = delete;

    // The push setup; S_OK, or a failure with its reason (refused account, unknown
    // publishing point, no server, not a media server, no answer in time).
    HRESULT Setup(const CredentialsRequest& credentials, QString* reason);
    // Starts the stream after a successful setup; `lost` runs once, on the push thread.
    void Start(PushStream::LostHandler lost);
    void FeedAsf(const char* data, std::size_t size);
    // Sends the end of the stream and closes (waits at most a short while).
    void Finish();

private:
    PushTarget target_;
    PushTimeouts timeouts_;
    std::int64_t bodySize_;
    PushSession session_;
    std::unique_ptr<PushStream> stream_;
};

}  // namespace wavetap::engine
