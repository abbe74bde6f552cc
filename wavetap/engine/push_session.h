#pragma once
// What a push to a media server is set up with, and what the push setup leaves for the
// stream: the target, the session's push-id, the way requests are authorised and the
// connection the setup was answered on.

#include "engine/push_connection.h"
#include "engine/push_requests.h"
#include "wavetap/stream/http_auth.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace wavetap::engine {

struct PushTarget {
    QString server;  // host name or address
    int port = 80;
    QString publishingPoint;
    bool autoRemove = false;
};

struct PushTimeouts {
    int connectMs = 5000;
    int responseMs = 10000;
    // The server takes nothing of the stream for this long: the connection is lost.
    int stallMs = 10000;
};

// The Authorization value for each request once the server has challenged (Basic, or
// Digest with its nonce count going up); empty while none is needed.
class PushAuthorization {
public:
    PushAuthorization() = default;
    static PushAuthorization Basic(const std::string& user, const std::string& password);
    static PushAuthorization Digest(const http::AuthParams& challenge, const std::string& user,
                                    const std::string& password);
    bool Active() const { return !basic_.empty() || digest_.has_value(); }
    std::string For(const std::string& method, const std::string& uri);

private:
    std::string basic_;
    std::optional<http::DigestAnswer> digest_;
};

struct PushSession {
    PushRequestTarget target;
    QString pushId = "0";
    bool autoRemove = false;
    std::shared_ptr<PushAuthorization> authorization = std::make_shared<PushAuthorization>();
    std::unique_ptr<PushConnection> connection;  // kept open for the first push start
};

}  // namespace wavetap::engine
