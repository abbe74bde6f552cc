#pragma once
// libcurl settings that the check and the download share.

#include <curl/curl.h>

namespace upkeep {

// How long a transfer may go without receiving a byte (and a connection may take to be
// set up) before it fails: 30 s, or UPKEEP_STALL_SECONDS (1-600) from the environment.
long StallSeconds();

// Readies libcurl for the process once.
void InitialiseTransfers();

// The request headers of a reload that bypasses caches; owned by the caller.
curl_slist* NoCacheHeaders();

// Options every request of the updater uses: HTTP and HTTPS only (also after redirects),
// at most 10 redirects followed, the stall limit, no signals, the given headers.
void ApplyTransferOptions(CURL* handle, curl_slist* headers);

// The text for a failed transfer: libcurl's detail when it gave one, else its error text.
const char* TransferErrorText(CURLcode code, const char* detail);

}  // namespace upkeep
