#pragma once
// Events the media engine delivers to an attached sink, on the thread that owns the
// encoder while that thread pumps its messages. Every handler answers a result code.

#include <QString>

#include <cstdint>

namespace wavetap {

class EncoderEventSink {
public:
    virtual ~EncoderEventSink() = default;
    // state: 1 starting, 2 running, 4 stopping, 5 stopped.
    virtual std::int32_t OnStateChange(int state) = 0;
    // state: 1 started, 2 stopped; type: 1 audio, 2 video; index of the source in its group.
    virtual std::int32_t OnSourceStateChange(int state, int type, int index, const QString& group) = 0;
    // state 3: the archive file stopped.
    virtual std::int32_t OnArchiveStateChange(int type, int state) = 0;
    virtual std::int32_t OnAcquireCredentials(const QString& realm, const QString& site, QString* user,
                                              QString* password, int* flags) = 0;
    virtual std::int32_t OnError(std::int32_t error) = 0;
};

}  // namespace wavetap
