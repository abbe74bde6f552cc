#pragma once
// What the download worker tells the download window: events posted to the window and
// handled on its thread, so the worker never touches a widget.

#include <QEvent>
#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace upkeep {

// The completion message; wParam 0 when the transfer ended normally, 1 after an error.
inline constexpr unsigned kDownloadComplete = 0x8001;

// A server or proxy asked for credentials; the window asks the user and answers here
// while the worker waits.
struct CredentialsExchange {
    QString server;
    QString realm;
    bool proxy = false;

    std::mutex lock;
    std::condition_variable answered;
    bool done = false;
    bool given = false;
    QString userName;
    QString password;

    void Answer(bool accepted, const QString& user, const QString& pass);
};

class DownloadReport : public QEvent {
public:
    enum class Kind {
        Status,       // text: the status line
        Length,       // lengthKnown: whether the answer gave a content length
        Progress,     // percent, text: the window title
        Rate,         // text: the rate; remaining: the time left (empty when the length is unknown)
        Credentials,  // exchange
        Complete,     // wParam; text: the error when wParam is 1
    };

    explicit DownloadReport(Kind kind) : QEvent(TypeId()), kind(kind) {}
    static QEvent::Type TypeId();

    Kind kind;
    QString text;
    QString remaining;
    int percent = 0;
    bool lengthKnown = false;
    int wParam = 0;
    std::shared_ptr<CredentialsExchange> exchange;
};

}  // namespace upkeep
