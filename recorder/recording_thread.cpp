#include "recorder/recording_thread.h"

#include "client/shell/ini_config.h"
#include "client/tasks/generated_name.h"
#include "platform/messages.h"
#include "recorder/recorder_globals.h"
#include "recorder/recorder_messages.h"
#include "recorder/recorder_trace.h"
#include "recorder/recording_folder.h"
#include "recorder/recording_names.h"
#include "recorder/show_list_file.h"
#include "recorder/show_list_load.h"
#include "recorder/show_list_store.h"
#include "recorder/show_status.h"
#include "recorder/upload_queue.h"
#include "wavetap/wavetap.h"

#include <QFileInfo>

namespace {

// While a show is recorded the worker checks its end this often; a short pause keeps
// the check from taking a whole processor away from the encoder.
constexpr int kRecordingCheckMs = 20;
constexpr int kSearchPauseMs = 999;

}  // namespace

CRecordingThread::CRecordingThread(RecordingWorkerSetup setup) : setup_(std::move(setup)) {
    setObjectName(QStringLiteral("recordingThread"));
}

CRecordingThread::~CRecordingThread() { wait(); }

QDateTime CRecordingThread::Now() const { return setup_.clock ? setup_.clock() : QDateTime::currentDateTime(); }

bool CRecordingThread::Stopping() const { return setup_.stopRequested && *setup_.stopRequested != 0; }

void CRecordingThread::Post(unsigned msg, unsigned long long wParam) {
    platform::PostMessage(setup_.owner, msg, static_cast<platform::WPARAM>(wParam), 0);
}

void CRecordingThread::SetStatus(unsigned long long key, const QString& status) {
    std::lock_guard guard(setup_.list->Lock());
    const int row = setup_.list->RowOf(key);
    if (row >= 0) setup_.list->SetCell(row, kColStatus, status);
}

void CRecordingThread::Pause(int milliseconds) const {
    for (int slept = 0; slept < milliseconds && !Stopping() && !Recorder().exitRequested; slept += 100)
        msleep(static_cast<unsigned long>(std::min(100, milliseconds - slept)));
}

void CRecordingThread::run() {
    RecorderTrace(QStringLiteral("StartRecordThread"));
    settings_ = ReadRecordingSettings(CINIConfig(setup_.settingsPath));
    bool leave = false;
    while (!Recorder().exitRequested && !leave) {
        platform::PumpMessages();
        HandleRefresh();
        if (!recording_) {
            const int due = FindDueShow(*setup_.list, from_, Now());
            if (Stopping()) break;
            if (due >= 0 && !StartShow(due)) break;
        }
        while (recording_) {
            platform::PumpMessages();
            HandleRefresh();
            const bool present = ReadWindow(&window_);
            if (!present || ShowHasEnded(window_.start, window_.end, Now()) || Stopping()) {
                EndShow();
                if (Stopping()) {
                    leave = true;
                    break;
                }
                recording_ = false;
                from_ = 0;
                break;
            }
            if (Recorder().exitRequested) {
                msleep(kSearchPauseMs);
                break;
            }
            msleep(kRecordingCheckMs);
        }
        if (!leave) Pause(kSearchPauseMs);
    }
    Finish();
}

void CRecordingThread::HandleRefresh() {
    if (!Recorder().refreshList) return;
    RecorderTrace(QStringLiteral("g_bFreshKey == TRUE"));
    Recorder().refreshList = 0;
    setup_.list->Clear();
    LoadShowList(*setup_.file, *setup_.list, false);
    if (!recording_) return;
    std::lock_guard guard(setup_.list->Lock());
    const int row = FindDueShow(*setup_.list, 0, Now());
    if (row < 0) return;
    setup_.list->SetCell(row, kColStatus, kStatusRecording);
    currentKey_ = setup_.list->KeyOf(row);
}

QString CRecordingThread::UsableFolder() const {
    if (QFileInfo(settings_.folder).isDir()) return settings_.folder;
    RecorderTrace(QStringLiteral("录制目录不存在：%1").arg(settings_.folder));
    return ChooseRecordingFolder(settings_.folder, setup_.programFolder);
}

bool CRecordingThread::StartShow(int row) {
    const unsigned long long key = setup_.list->KeyOf(row);
    if (!wavetap_) {
        wavetap_ = std::make_unique<CWavetap>(setup_.owner);
        wavetap_->SetPostview(setup_.preview.data());
    }
    Post(WM_RECORDER_LOCK_CONTROLS, 1);
    const RecordingPlan plan = PlanRecording(settings_, UsableFolder(), setup_.programFolder, Now(), SeededNumber());
    outputFile_ = plan.outputFile;
    dateText_ = plan.dateText;
    wavetap_->SetProfileDir(plan.profileDir);
    const auto streamType = plan.audioOnly ? WAVETAP_AUDIO_ONLY : WAVETAP_AUDIO_VIDEO;
    const bool prepared = wavetap_->AddSource(plan.groupName, plan.videoSource, plan.audioSource, plan.profileName,
                                              streamType, 0, QString(), 0) &&
                          wavetap_->SetSaveInfo(plan.outputFile);
    if (!prepared) {
        RecorderTrace(QStringLiteral("录制失败"));
        RecorderTrace(QStringLiteral("BOOL f = m_pWavetap->StartEncode()"));
        Post(WM_RECORDER_ENCODER, WM_WAVETAP_PREPARE_FAIL);
        SetStatus(key, kStatusFailed);
        // A fresh encoder object for the next try: this one holds a half-built group.
        wavetap_.reset();
        return true;
    }
    if (setup_.list->Cell(setup_.list->RowOf(key), kColStatus) != kStatusReady) {
        wavetap_.reset();
        return true;
    }
    if (wavetap_->GetState() == WAVETAP_STOPPED && wavetap_->StartEncode()) {
        RecorderTrace(QStringLiteral("正在录制"));
        recording_ = true;
        currentKey_ = key;
        SetStatus(key, kStatusRecording);
        return true;
    }
    RecorderTrace(QStringLiteral("录制失败"));
    Post(WM_RECORDER_ENABLE_EXIT, 0);
    SetStatus(key, kStatusFailed);
    recording_ = false;
    RecorderTrace(QStringLiteral("BOOL f = m_pWavetap->StartEncode()"));
    // A failed start leaves the object starting; the next try needs a fresh one.
    wavetap_.reset();
    return !Stopping();
}

bool CRecordingThread::ReadWindow(ShowWindow* window) const {
    std::lock_guard guard(setup_.list->Lock());
    const int row = setup_.list->RowOf(currentKey_);
    if (row < 0) return false;
    window->start = setup_.list->Cell(row, kColStart);
    window->end = setup_.list->Cell(row, kColEnd);
    window->pgid = setup_.list->Cell(row, kColPgid);
    window->showId = setup_.list->Cell(row, kColShowId);
    return true;
}

void CRecordingThread::EndShow() {
    try {
        SetStatus(currentKey_, kStatusStopped);
        if (wavetap_) wavetap_->StopEncode();
        SetStatus(currentKey_, Stopping() ? kStatusStopped : kStatusSucceeded);
        wavetap_.reset();
        QueueUpload(setup_.queueFile, setup_.fileQueued.get(),
                    {outputFile_, window_.start, window_.end, window_.pgid, dateText_, window_.showId});
        Post(WM_RECORDER_LOCK_CONTROLS, 0);
    } catch (...) {
        RecorderTrace(QStringLiteral("节目结束时出错"));
    }
}

void CRecordingThread::Finish() {
    if (!wavetap_) return;
    RecorderTrace(QStringLiteral("退出采集线程"));
    wavetap_->StopEncode();
    if (recording_) SetStatus(currentKey_, kStatusStopped);
    wavetap_.reset();
}
