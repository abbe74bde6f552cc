#pragma once
// The local recording page's encoder thread: builds a CWavetap run that encodes the
// chosen devices (or the screen) into the archive file only, starts it, and keeps it
// running until the stop event is set. The encoder's notifications go to the page's
// window; a set-up step that fails makes the encoder report a failed start (code 7).

#include "platform/sync.h"

#include <QPointer>
#include <QString>
#include <QThread>

#include <memory>

struct LocalRecording {
    QString videoDevice;  // "屏幕捕获" records the screen
    QString audioDevice;
    QString videoProfile;  // quality name as the combo shows it
    int streamType = 0;    // 1 audio only
    int checklogo = 0;
    QString archivePath;   // folder and file name of the recording
    QString profileDir;    // the program's Profiles folder
    QString author;        // company name: author and copyright
    QString description;   // the client's author text
    QObject* owner = nullptr;       // receives WM_WAVETAP_NOTIFY
    QObject* previewWindow = nullptr;
};

// Encoder inputs and profile name for a recording (screen capture, devices, audio only).
struct EncoderInputs {
    QString videoInput;
    QString audioInput;
    QString profileName;
    bool audioOnly = false;
};
EncoderInputs InputsOf(const LocalRecording& recording);

class CDerecordWorker : public QThread {
    Q_OBJECT
public:
    CDerecordWorker(LocalRecording recording, std::shared_ptr<platform::Event> stopEvent, QObject* parent = nullptr);

protected:
    void run() override;

private:
    LocalRecording recording_;
    std::shared_ptr<platform::Event> stopEvent_;
};
