#pragma once
// What the updater's end-to-end tests share: an update folder published by
// castora-platform, the real libupkeep.so called by name, and a user who answers the
// updater's windows with real mouse and key events while noting what they showed.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace simtest {
class PlatformProcess;
}

namespace upkeeptest {

inline constexpr char kInstaller[] = "CastoraSetup.msi";

// Files published by castora-platform at http://127.0.0.1:PORT/update/.
class PublishedUpdate {
public:
    explicit PublishedUpdate(std::vector<std::string> platformOptions = {});
    ~PublishedUpdate();

    void Write(const QString& name, const QByteArray& bytes);
    // Starts the platform on the folder; false when it did not come up.
    bool Start();
    QString Url() const;

private:
    QTemporaryDir folder_;
    std::vector<std::string> options_;
    std::unique_ptr<simtest::PlatformProcess> platform_;
};

// Pseudo-random bytes of the given size.
QByteArray SomeBytes(qsizetype size);

struct CheckOutcome {
    int returned = -1;
    int code = -1;
};

// Calls CheckUpdate of the built libupkeep.so.
CheckOutcome CallCheckUpdate(const QString& updateAddress, const QString& installerName = kInstaller,
                             void* progressThread = nullptr);

// The user in front of the screen: looks at the active modal window every few
// milliseconds and answers it.
class UpdaterUser {
public:
    UpdaterUser();

    // What to answer.
    bool acceptUpdate = true;                    // the question: 是 or 否
    std::optional<int> cancelAtPercent;          // press 取消 once the bar shows this much
    bool cancelWhenDownloadShows = false;        // press 取消 as soon as the window is up
    bool giveCredentials = true;
    QString userName, password;

    // What was seen.
    QStringList questions, questionCaptions, errors, otherWindows;
    QStringList statusLines, titles, rates, remaining, fromLines;
    QList<int> progressValues;
    int progressAtError = -1;  // the download window's bar when an error box came up over it
    int downloadWindows = 0;
    int credentialRequests = 0;
    bool cancelPressed = false;
    bool cancelDisabledAfterPress = false;
    QString statusAfterCancel;

private:
    void Look();
    void OnDownloadWindow(QWidget* window);
    static void Note(QStringList& seen, const QString& text);

    QTimer timer_;
    QWidget* lastDownloadWindow_ = nullptr;
};

// The temporary folder the updater downloads into, private to one test.
class PrivateTempFolder {
public:
    PrivateTempFolder();
    ~PrivateTempFolder();
    QString Path() const { return folder_.path() + u'/'; }
    QString Installer() const { return Path() + kInstaller; }

private:
    QTemporaryDir folder_;
    QByteArray previous_;
};

}  // namespace upkeeptest
