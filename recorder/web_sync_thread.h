#pragma once
// webSyncThread: each round pushes the local changes of the show list, asks whether the
// channel's templates changed and, when they did (or the user asked), rebuilds the
// schedule from them. Rounds run at start, every 30 minutes and whenever "Updateevent"
// is signalled, until the user exits.

#include "recorder/schedule_rebuild.h"

#include <QThread>

#include <functional>
#include <memory>

namespace platform {
class Event;
}

struct WebSyncSetup {
    RebuildContext rebuild;
    QString endpoint;
    std::shared_ptr<platform::Event> updateEvent;
    std::function<void()> scheduleRebuilt;  // after each rebuild (refreshList is set as well)
    int roundWaitMs = 1800000;
};

class CWebSyncThread : public QThread {
public:
    explicit CWebSyncThread(WebSyncSetup setup);
    ~CWebSyncThread() override;

protected:
    void run() override;

private:
    void Round();
    // Waits for "Updateevent" up to the round's pause; false when the user exits.
    bool WaitForNextRound();

    WebSyncSetup setup_;
};
