// Test media: ASF streams encoded by GStreamer (WMV2 test pattern and WMA2 tone).
#pragma once

#include <string>
#include <vector>

struct TestAsfFormat {
    int width = 160;
    int height = 120;
    int videoBitrate = 256000;
    int audioBitrate = 32000;
    int packetSize = 2000;
    int keyFrameDistance = 12;  // frames (25 a second)
};

// gst-launch-1.0 arguments writing the stream to standard output. A live pipeline runs in
// real time until stopped; otherwise it encodes `seconds` of media as fast as it can.
std::vector<std::string> TestAsfPipeline(bool live, int seconds, const TestAsfFormat& format = {});

// Encodes `seconds` of media and returns the stream's bytes; empty when gst-launch fails.
std::string EncodeTestAsf(int seconds);
