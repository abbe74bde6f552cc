#pragma once
// The choices the encoder pages offer: stream type, capture devices and quality, filled
// from the process-wide device lists and the page's remembered settings.

#include <QString>
#include <QStringList>

class QComboBox;

// Items of the stream-type combo: index 0 audio and video, index 1 audio only.
inline const QString kStreamTypeAudioVideo = QStringLiteral("视音频");
inline const QString kStreamTypeAudio = QStringLiteral("音频");

// The record's streamType for the type combo's text: 0 for "视音频", else 1.
int StreamTypeOfText(const QString& typeText);

void FillStreamTypes(QComboBox* types, int streamType);

// Every free video device in list order; selects the remembered one (case-insensitive),
// else index 1 when there is more than one entry (index 0 is screen capture), else 0.
void FillVideoDevices(QComboBox* videos, const QString& remembered);
// Every free audio device; selects the remembered one, else index 0.
void FillAudioDevices(QComboBox* audios, const QString& remembered);

// The quality names for a stream type (1 audio only) and, for video, whether the screen
// is captured.
QStringList QualityChoices(int streamType, bool screenCapture);
// Refills the quality combo with QualityChoices, selects index 1, then the remembered
// profile name when the list has it.
void FillQualities(QComboBox* qualities, int streamType, bool screenCapture, const QString& remembered);

// Keeps a page's quality combo filled for its stream type and video device: it is refilled
// only when the type changed or, for video, screen capture was chosen or left, so the
// chosen quality stays while nothing it depends on changed.
class CQualityRefill {
public:
    // Forgets the last fill, so that the next Refill fills the combo.
    void Reset() { lastStreamType_ = -1; }
    void Refill(QComboBox* qualities, int streamType, bool screenCapture);

private:
    int lastStreamType_ = -1;
    bool lastScreen_ = false;
};
