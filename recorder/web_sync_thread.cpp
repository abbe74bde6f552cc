#include "recorder/web_sync_thread.h"

#include "platform/sync.h"
#include "recorder/push_local_changes.h"
#include "recorder/recorder_globals.h"
#include "recorder/recorder_service.h"
#include "recorder/recorder_trace.h"
#include "recorder/show_list_file.h"

#include <atomic>

namespace {

// Set while a rebuild runs, so that two never overlap.
std::atomic<bool> rebuildRunning{false};

}  // namespace

CWebSyncThread::CWebSyncThread(WebSyncSetup setup) : setup_(std::move(setup)) {}

CWebSyncThread::~CWebSyncThread() { wait(); }

void CWebSyncThread::run() {
    while (!Recorder().exitRequested) {
        Round();
        if (!WaitForNextRound()) break;
    }
}

void CWebSyncThread::Round() {
    RecorderService::CRecorderServiceT service;
    service.SetUrl(setup_.endpoint);
    if (PushLocalChanges(*setup_.rebuild.showFile, service, setup_.endpoint, Recorder().userId) != 0) {
        RecorderTrace(QStringLiteral("UpdateChangeToWeb fail"));
        return;
    }
    bool changed = false;
    const bool answered = service.flag(Recorder().Channel(0).channelId, &changed) >= 0;
    Recorder().channelCount = 1;
    if (!answered || (!changed && !Recorder().forceSync)) return;
    Recorder().forceSync = 0;
    RecorderTrace(QStringLiteral("%1 GetEncInfo").arg(0));
    for (int day = 0; day < 8; ++day) {
        for (int channel = 0; channel < Recorder().channelCount; ++channel)
            Recorder().weekRefresh[day][channel] = day == 0 ? 0 : 1;
    }
    bool idle = false;
    if (!rebuildRunning.compare_exchange_strong(idle, true)) return;
    RebuildSchedule(setup_.rebuild, service);
    rebuildRunning = false;
    Recorder().refreshList = 1;
    if (setup_.scheduleRebuilt) setup_.scheduleRebuilt();
}

bool CWebSyncThread::WaitForNextRound() {
    // In slices, so that closing the control without the exit button ends the wait too.
    for (int waited = 0; waited < setup_.roundWaitMs; waited += 200) {
        if (Recorder().exitRequested) return false;
        const int slice = std::min(200, setup_.roundWaitMs - waited);
        if (!setup_.updateEvent) {
            QThread::msleep(static_cast<unsigned long>(slice));
        } else if (setup_.updateEvent->Wait(slice) == platform::WaitResult::Signalled) {
            setup_.updateEvent->Reset();
            break;
        }
    }
    return !Recorder().exitRequested;
}
