#include "upkeep/transfer_options.h"

#include <QtGlobal>

#include <mutex>

namespace upkeep {

long StallSeconds() {
    bool ok = false;
    const int configured = qEnvironmentVariableIntValue("UPKEEP_STALL_SECONDS", &ok);
    return ok && configured >= 1 && configured <= 600 ? configured : 30;
}

void InitialiseTransfers() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

curl_slist* NoCacheHeaders() {
    curl_slist* headers = curl_slist_append(nullptr, "Pragma: no-cache");
    return curl_slist_append(headers, "Cache-Control: no-cache");
}

void ApplyTransferOptions(CURL* handle, curl_slist* headers) {
    const long stall = StallSeconds();
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, stall);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, stall);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
}

const char* TransferErrorText(CURLcode code, const char* detail) {
    return detail && *detail ? detail : curl_easy_strerror(code);
}

}  // namespace upkeep
