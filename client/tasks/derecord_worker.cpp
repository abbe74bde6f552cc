#include "client/tasks/derecord_worker.h"

#include "client/shell/client_globals.h"
#include "platform/messages.h"
#include "wavetap/wavetap.h"

namespace {

const QString kScreenInput = QStringLiteral("ScreenCap://ScreenCapture1");
const QString kDeviceScheme = QStringLiteral("DEVICE://");
const QString kGroupName = QStringLiteral("record_1");
constexpr int kStopSliceMs = 50;

}  // namespace

EncoderInputs InputsOf(const LocalRecording& recording) {
    EncoderInputs inputs;
    if (recording.videoDevice == kScreenCaptureDevice) {
        inputs.videoInput = kScreenInput;
        inputs.profileName = QStringLiteral("ntsc_") + recording.videoProfile;
    } else {
        inputs.videoInput = kDeviceScheme + recording.videoDevice;
        inputs.profileName = QStringLiteral("pal_") + recording.videoProfile;
    }
    inputs.audioInput = kDeviceScheme + recording.audioDevice;
    inputs.audioOnly = recording.streamType == 1;
    if (inputs.audioOnly) inputs.profileName = recording.videoProfile;
    return inputs;
}

CDerecordWorker::CDerecordWorker(LocalRecording recording, std::shared_ptr<platform::Event> stopEvent, QObject* parent)
    : QThread(parent), recording_(std::move(recording)), stopEvent_(std::move(stopEvent)) {}

void CDerecordWorker::run() {
    const EncoderInputs inputs = InputsOf(recording_);
    const QString archiveName = recording_.archivePath.mid(recording_.archivePath.lastIndexOf('/') + 1);
    auto encoder = std::make_unique<CWavetap>(recording_.owner);
    encoder->SetPreview(recording_.previewWindow);
    encoder->SetProfileDir(recording_.profileDir);
    const bool prepared =
        encoder->AddSource(kGroupName, inputs.videoInput, inputs.audioInput, inputs.profileName,
                           inputs.audioOnly ? WAVETAP_AUDIO_ONLY : WAVETAP_AUDIO_VIDEO, recording_.checklogo, QString(), 0) &&
        encoder->SetSaveInfo(recording_.archivePath) &&
        encoder->SetDisplayInfo(recording_.author, recording_.author, recording_.description, archiveName);
    if (!prepared) {
        encoder->SendOwnerMessage(WM_WAVETAP_PREPARE_FAIL, 0);
        return;
    }
    // A failed start reports itself to the owner (code 7).
    if (!encoder->StartEncode()) return;
    while (stopEvent_->Wait(kStopSliceMs) != platform::WaitResult::Signalled) platform::PumpMessages();
    encoder->StopEncode();
}
