#pragma once
// The update check's connection to the update folder: one libcurl session with the agent
// name "UpkeepAgent", kept for the life of the object.

#include <QByteArray>
#include <QString>

#include <curl/curl.h>

class CUpkeepr {
public:
    CUpkeepr();
    ~CUpkeepr();
    CUpkeepr(const CUpkeepr&) = delete;
    CUpkeepr& operator=(const CUpkeepr&) = delete;

    bool IsOpen() const { return session_ != nullptr; }

    // Opens the address as a reload that bypasses caches and keeps at most `limit` bytes
    // of its body (0: the transfer stops at the first byte of the body). False when it
    // cannot be opened: no answer, a transport failure, or an answer other than 2xx
    // (with `challengeOpens`, a request for credentials counts as opened too). A request
    // takes at most twice the stall limit as a whole.
    bool Open(const QString& url, qsizetype limit, QByteArray* body, bool challengeOpens = false);

private:
    CURL* session_ = nullptr;
    curl_slist* headers_ = nullptr;
};
