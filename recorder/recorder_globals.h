#pragma once
// RecorderGlobals: the values the recorder's dialog and its workers share, one set per
// process. Flags are atomics so that threads read each other's stores without a race;
// the two locks are the recorder's critical sections (recursive, like those).

#include "platform/sync.h"

#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

inline constexpr int kMaxRecorderChannels = 8;

// One channel of the station, as the service knows it (sent widened to 64-bit longs).
struct ChannelRecord {
    int encId = 0;
    int channelId = 0;
    QString channelName;
    int webContent = 0;
};

struct RecorderGlobals {
    std::atomic<int> userId{0};
    std::atomic<int> exitRequested{0};   // set once when the user exits
    std::atomic<int> recordingArmed{0};  // recording started; the idle picture shows while clear
    std::atomic<int> refreshList{0};     // the show list was rewritten; the recording worker reloads
    std::atomic<int> forceSync{1};       // the next sync round fetches the templates again
    std::atomic<int> uploadEnabled{0};   // an FTP account was read from "WEBShowList.ini"
    std::atomic<int> newFileQueued{0};
    std::atomic<int> channelCount{0};
    // [weekday 1..7][channel 0..7]: the day's template is to be fetched again.
    std::atomic<int> weekRefresh[8][kMaxRecorderChannels] = {};
    // The channel records, under their own lock: the web-sync worker writes them while
    // the upload worker reads them. Indexes outside 0..7 read as an empty record.
    ChannelRecord Channel(int index) const;
    void SetChannel(int index, const ChannelRecord& record);

    // Set by the dialog's start-up before any worker runs, then only read.
    QString programFolder;    // ends in '/'
    QString serviceEndpoint;  // SERVER/URL + "/vekservices/ClientService"

    // fileLock guards "CurrentShowList.ini", listLock the show page's list. Whenever both
    // are held, listLock is taken first.
    std::recursive_mutex fileLock;
    std::recursive_mutex listLock;

    // The named manual-reset events "stopevent" and "Updateevent" (null until created).
    std::shared_ptr<platform::Event> stopEvent;
    std::shared_ptr<platform::Event> updateEvent;

private:
    mutable std::mutex channelLock_;
    ChannelRecord channels_[kMaxRecorderChannels];
};

RecorderGlobals& Recorder();
