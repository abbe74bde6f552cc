#pragma once
// The combos every encoder page fills the same way: capture devices from the free entries
// of the shared lists, the quality names by stream type and video device, and the
// media servers of the account.

#include <QString>
#include <QStringList>

class QComboBox;

// The quality (profile) names offered for a stream type: audio only, else the screen
// capture names when `screen`, else the camera names.
QStringList QualityNames(bool audioOnly, bool screen);

// Refills `combo` with QualityNames and selects index 1, then `remembered` when listed.
void FillQualityCombo(QComboBox* combo, bool audioOnly, bool screen, const QString& remembered = QString());

// Every free video device in list order; selects `remembered` (case-insensitive), else
// index 1 when there is more than one entry (index 0 is the screen), else index 0.
void FillVideoDeviceCombo(QComboBox* combo, const QString& remembered);
// Every free audio device; selects `remembered`, else index 0.
void FillAudioDeviceCombo(QComboBox* combo, const QString& remembered);
// The account's media servers (each name once); selects `remembered`.
void FillMediaServerCombo(QComboBox* combo, const QString& remembered);

// Selects the item whose text equals `text` (case-insensitive); false when none does.
bool SelectComboText(QComboBox* combo, const QString& text);

// The stream-type combo's two items, "视音频" (index 0) and "音频".
void FillStreamTypeCombo(QComboBox* combo, int streamType);
