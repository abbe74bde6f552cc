// A live ASF stream encoded by GStreamer (WMV2 test pattern and WMA2 tone), read from
// gst-launch's output and fed to stream servers as it arrives (tests and benchmarks).
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <thread>

#include "test_media.h"

class LiveAsfSource {
public:
    using Sink = std::function<void(const char* data, std::size_t size)>;

    explicit LiveAsfSource(Sink sink, const TestAsfFormat& format = {});
    ~LiveAsfSource();

    // Starts the encoder; false when gst-launch-1.0 cannot be started.
    bool Start();
    void Stop();
    std::size_t BytesFed() const { return bytesFed_.load(); }
    pid_t EncoderPid() const { return pid_; }

private:
    void Pump(int fd);

    Sink sink_;
    TestAsfFormat format_;
    pid_t pid_ = -1;
    std::thread reader_;
    std::atomic<std::size_t> bytesFed_{0};
};
