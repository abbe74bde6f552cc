#pragma once
// What the batch jobs share: their event sink, the message pump that watches for the
// stop request, the profile folder and lookup, and the title taken from a file name.

#include "engine/encoder.h"
#include "platform/messages.h"
#include "wavetap/encoder_events.h"

#include <QString>

#include <atomic>

namespace vekencoder {

using wavetap::engine::HRESULT;

// Keeps the last encoder and source states and answers credential requests.
class JobSink : public wavetap::EncoderEventSink {
public:
    JobSink(QString user, QString password) : user_(std::move(user)), password_(std::move(password)) {}
    std::int32_t OnStateChange(int state) override;
    std::int32_t OnSourceStateChange(int state, int type, int index, const QString& group) override;
    std::int32_t OnArchiveStateChange(int, int) override { return 0; }
    std::int32_t OnAcquireCredentials(const QString& realm, const QString& site, QString* user, QString* password,
                                      int* flags) override;
    std::int32_t OnError(std::int32_t) override { return 0; }

    int state = 0;
    int sourceState = 0;
    std::uint32_t cookie = 0xFEFEFEFE;

private:
    QString user_;
    QString password_;
};

// Pumps the calling thread's messages for a job. A posted WM_WAVETAP_NOTIFY with wParam
// 0, to an object of the thread or to the thread's own queue, is the stop request.
class JobPump {
public:
    JobPump();
    // Delivers what is pending; true once the stop request came.
    bool Pump();

private:
    std::atomic<bool> stop_{false};
    platform::ScopedPostFilter filter_;
};

// The program's folder followed by "Profiles".
QString ProfileDirectory();
// The part after the last '\\' or '/', without its last four characters.
QString TitleFromPath(const QString& path);
// Walks the profiles of the folder; `match` gets the first named so (case aside) and
// `last` the last one walked. Failure only when the folder cannot be read.
HRESULT LookUpProfile(wavetap::engine::Encoder& encoder, const QString& name,
                      const wavetap::engine::Profile** match, const wavetap::engine::Profile** last);
// Sleeps one tick of a job's run loop.
void JobTick();

}  // namespace vekencoder
