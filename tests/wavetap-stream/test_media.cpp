#include "test_media.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <sstream>

std::vector<std::string> TestAsfPipeline(bool live, int seconds, const TestAsfFormat& format)
{
    const std::string liveness = live ? "is-live=true" : "num-buffers=" + std::to_string(seconds * 25);
    const std::string audioLength = live ? "is-live=true" : "num-buffers=" + std::to_string(seconds * 22050 / 1024);
    // A key frame every 12 frames (about half a second) unless asked otherwise. The libav encoders shift their
    // timestamps by 1000 hours; identity's single segment turns them back into running time,
    // so that asfmux interleaves audio and video.
    const std::string videoCaps = "video/x-raw,width=" + std::to_string(format.width) +
                                  ",height=" + std::to_string(format.height) + ",framerate=25/1";
    return {"gst-launch-1.0", "-q",
            "videotestsrc", liveness, "!", videoCaps, "!",
            "avenc_wmv2", "bitrate=" + std::to_string(format.videoBitrate), "gop-size=" + std::to_string(format.keyFrameDistance), "!", "identity", "single-segment=true", "!", "queue", "!",
            "asfmux", "name=mux", "streamable=true", "packet-size=" + std::to_string(format.packetSize), "!", "fdsink", "fd=1",
            "audiotestsrc", audioLength, "samplesperbuffer=1024", "!", "audio/x-raw,rate=22050,channels=1", "!",
            "avenc_wmav2", "bitrate=" + std::to_string(format.audioBitrate), "!", "identity", "single-segment=true", "!", "queue", "!", "mux."};
}

std::string EncodeTestAsf(int seconds)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("encoded.asf").toStdString();
    std::string command;
    for (const std::string& arg : TestAsfPipeline(false, seconds))
        command += "'" + arg + "' ";
    command += "> '" + path + "'";
    if (!dir.isValid() || std::system(command.c_str()) != 0)
        return {};
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}
