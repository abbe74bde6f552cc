// Test media: ASF streams encoded by GStreamer (WMV2 test pattern and WMA2 tone).
#pragma once

#include <string>
#include <vector>

// gst-launch-1.0 arguments writing the stream to standard output. A live pipeline runs in
// real time until stopped; otherwise it encodes `seconds` of media as fast as it can.
std::vector<std::string> TestAsfPipeline(bool live, int seconds);

// Encodes `seconds` of media into a file; false when gst-launch fails.
bool EncodeTestAsf(const std::string& path, int seconds);

std::string ReadWholeFile(const std::string& path);
