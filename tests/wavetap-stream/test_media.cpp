#include "test_media.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

std::vector<std::string> TestAsfPipeline(bool live, int seconds)
{
    const std::string liveness = live ? "is-live=true" : "num-buffers=" + std::to_string(seconds * 25);
    const std::string audioLength = live ? "is-live=true" : "num-buffers=" + std::to_string(seconds * 22050 / 1024);
    // Small frames keep the encoder cheap; a key frame every 12 frames (about half a second);
    // small packets so that they follow each other closely. The libav encoders shift their
    // timestamps by 1000 hours; identity's single segment turns them back into running time,
    // so that asfmux interleaves audio and video.
    return {"gst-launch-1.0", "-q",
            "videotestsrc", liveness, "!", "video/x-raw,width=160,height=120,framerate=25/1", "!",
            "avenc_wmv2", "bitrate=256000", "gop-size=12", "!", "identity", "single-segment=true", "!", "queue", "!",
            "asfmux", "name=mux", "streamable=true", "packet-size=2000", "!", "fdsink", "fd=1",
            "audiotestsrc", audioLength, "samplesperbuffer=1024", "!", "audio/x-raw,rate=22050,channels=1", "!",
            "avenc_wmav2", "bitrate=32000", "!", "identity", "single-segment=true", "!", "queue", "!", "mux."};
}

bool EncodeTestAsf(const std::string& path, int seconds)
{
    std::string command;
    for (const std::string& arg : TestAsfPipeline(false, seconds))
        command += "'" + arg + "' ";
    command += "> '" + path + "'";
    return std::system(command.c_str()) == 0;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}
