// An encoder owned by a worker thread gets its events on that thread while it pumps.

#include "wavetap_test_support.h"

#include <QThread>

#include <atomic>

#include <gtest/gtest.h>

using namespace wavetap_test;

TEST(WorkerThread, RunThatEndsByItselfIsNoticedByThePumpingWorker) {
    const QString archive = TempDir("worker") + "/worker.wmv";
    NotifyRecorder owner;  // lives on this thread
    std::atomic<int> started{-1};
    std::atomic<int> finalState{-1};
    std::atomic<bool> sawRunning{false};
    QThread* worker = QThread::create([&] {
        CWavetap wavetap(&owner);
        wavetap.SetProfileDir(ProfileDir());
        started = wavetap.AddSource("SG", "DEVICE://Short Camera", kMicrophone, kProfile256, WAVETAP_AUDIO_VIDEO, 0,
                                    "", 0) &&
                  wavetap.SetSaveInfo(archive) && wavetap.StartEncode();
        sawRunning = wavetap.GetState() == WAVETAP_RUNNING;
        // The engine's events (source stopped, run stopped) only arrive while this thread pumps.
        PumpUntil([&] { return wavetap.GetState() == WAVETAP_STOPPED; }, 10000);
        finalState = wavetap.GetState();
    });
    worker->start();
    ASSERT_TRUE(PumpUntil([&] { return worker->isFinished(); }, 15000));
    delete worker;
    PumpFor(100);
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(sawRunning);
    EXPECT_EQ(finalState, WAVETAP_STOPPED);
    ASSERT_FALSE(owner.codes.empty());
    EXPECT_EQ(owner.codes.front(), WM_WAVETAP_START);
    EXPECT_EQ(owner.codes.back(), WM_WAVETAP_STOP);
}
