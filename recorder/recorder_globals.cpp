#include "recorder/recorder_globals.h"

RecorderGlobals& Recorder() {
    static RecorderGlobals globals;
    return globals;
}

ChannelRecord RecorderGlobals::Channel(int index) const {
    if (index < 0 || index >= kMaxRecorderChannels) return {};
    std::lock_guard guard(channelLock_);
    return channels_[index];
}

void RecorderGlobals::SetChannel(int index, const ChannelRecord& record) {
    if (index < 0 || index >= kMaxRecorderChannels) return;
    std::lock_guard guard(channelLock_);
    channels_[index] = record;
}
