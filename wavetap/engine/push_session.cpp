#include "engine/push_session.h"

namespace wavetap::engine {

PushAuthorization PushAuthorization::Basic(const std::string& user, const std::string& password)
{
    PushAuthorization authorization;
    authorization.basic_ = http::BasicAuthorization(user, password);
    return authorization;
}

PushAuthorization PushAuthorization::Digest(const http::AuthParams& challenge, const std::string& user,
                                            const std::string& password)
{
    PushAuthorization authorization;
    authorization.digest_.emplace(challenge, user, password);
    return authorization;
}

std::string PushAuthorization::For(const std::string& method, const std::string& uri)
{
    if (digest_)
        return digest_->Authorization(method, uri);
    return basic_;
}

}  // namespace wavetap::engine
