#include "upkeep/upkeepr.h"

#include "upkeep/transfer_options.h"

namespace {

struct BodyLimit {
    QByteArray* body;
    qsizetype limit;
    bool reached = false;
};

// Keeps the body up to its limit, then stops the transfer: nothing past it is wanted.
size_t KeepBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<BodyLimit*>(user);
    const qsizetype room = sink->limit - sink->body->size();
    const qsizetype bytes = static_cast<qsizetype>(size * count);
    sink->body->append(data, qMin(room, bytes));
    if (sink->body->size() < sink->limit) return size * count;
    sink->reached = true;
    return 0;
}

}  // namespace

CUpkeepr::CUpkeepr() {
    upkeep::InitialiseTransfers();
    session_ = curl_easy_init();
    if (!session_) return;
    headers_ = upkeep::NoCacheHeaders();
}

CUpkeepr::~CUpkeepr() {
    if (session_) curl_easy_cleanup(session_);
    curl_slist_free_all(headers_);
}

bool CUpkeepr::Open(const QString& url, qsizetype limit, QByteArray* body, bool challengeOpens) {
    if (!session_) return false;
    body->clear();
    BodyLimit sink{body, limit};
    const QByteArray address = url.toUtf8();
    curl_easy_reset(session_);
    upkeep::ApplyTransferOptions(session_, headers_);
    curl_easy_setopt(session_, CURLOPT_URL, address.constData());
    curl_easy_setopt(session_, CURLOPT_USERAGENT, "UpkeepAgent");
    // Start-up waits for the check with no window up: a trickling server gets a deadline
    // for the whole request, not only for each silence.
    curl_easy_setopt(session_, CURLOPT_TIMEOUT, 2 * upkeep::StallSeconds());
    curl_easy_setopt(session_, CURLOPT_WRITEFUNCTION, KeepBody);
    curl_easy_setopt(session_, CURLOPT_WRITEDATA, &sink);
    const CURLcode result = curl_easy_perform(session_);
    long status = 0;
    curl_easy_getinfo(session_, CURLINFO_RESPONSE_CODE, &status);
    const bool transferred = result == CURLE_OK || (result == CURLE_WRITE_ERROR && sink.reached);
    if (!transferred) return false;
    return (status >= 200 && status < 300) || (challengeOpens && (status == 401 || status == 407));
}
