#pragma once
// Shared pieces of the recorder's window tests: one QApplication, a clean program folder
// (each test program has a folder of its own), message boxes answered and noted, a host
// window that notes the messages the control sends, and ffprobe readings.

#include "client/shell/message_box.h"
#include "platform/messages.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace recorder_test {

// The program folder the recorder works in; emptied of the recorder's files, with a log
// folder, the test devices and the idle picture.
QString PrepareProgramFolder();
void WriteFile(const QString& path, const QByteArray& text);
QString ReadText(const QString& path);  // UTF-8 or GBK, as the recorder's files are
QString TraceText();

// Answers every message box through the message-box layer: the queued answers first,
// then `fallback`; notes each box's text.
class BoxAnswers {
public:
    explicit BoxAnswers(int fallback = IDYES);
    ~BoxAnswers();
    void Queue(int answer) { answers_.push_back(answer); }
    QStringList texts;
    std::vector<MessageBoxRequest> requests;

private:
    std::vector<int> answers_;
    int fallback_;
};

// The host page's window handle: notes every message.
class HostWindow : public platform::MessageTarget {
public:
    struct Message {
        unsigned msg;
        platform::WPARAM wParam;
        platform::LPARAM lParam;
    };
    std::vector<Message> messages;

protected:
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam) override;
};

// Dispatches this thread's events until `done` holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);
void PumpFor(int milliseconds);

// A clock that starts at `start` and runs at the real pace.
class RunningClock {
public:
    explicit RunningClock(const QDateTime& start) : start_(start) { timer_.start(); }
    QDateTime Now() const { return start_.addMSecs(timer_.elapsed()); }

private:
    QDateTime start_;
    QElapsedTimer timer_;
};

struct Probe {
    QStringList codecs;
    double duration = 0;
};
Probe ProbeFile(const QString& path);

}  // namespace recorder_test
