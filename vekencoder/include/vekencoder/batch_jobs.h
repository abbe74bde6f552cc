#pragma once
// The batch encoder library's jobs. Each runs one complete encoding on the calling
// thread and returns when it ends, with an HRESULT (negative: failure). While a job
// runs it pumps the thread's messages: WM_WAVETAP_NOTIFY (2024) with wParam 0, posted to
// any object of the thread or to the thread itself, stops it (that message is taken and
// not delivered); every other message is delivered as usual. Window arguments are
// QObjects (widgets for the views); profiles come from "Profiles" beside the program.

#include "vekencoder/export.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>

// Posted to the progress window of EncodeFileFromFile with wParam 0, lParam the percentage.
inline constexpr unsigned WM_ENCODE_PROGRESS = 1124;

// Capture devices to a push server and/or a file. streamType 1: audio only, otherwise audio
// and video. output 0: file only, 1: server only, otherwise both. An empty title is taken
// from the archive file's name. The job ends when a source or the encoder stops.
VEKENCODER_EXPORT std::int32_t EncodeDevice(QString videoInput, QString audioInput, QString profileName,
                                            QString server, QString publishingPoint, int port, int unused,
                                            QString archive, int streamType, int output, QObject* unusedWindow,
                                            QObject* previewWindow, QObject* postviewWindow, QString author,
                                            QString title, QString description, QString user, QString password);

// Capture devices to a file, titled after the file's name (EncodeDevice with output 0).
VEKENCODER_EXPORT std::int32_t EncodeFileFromDevice(QString videoInput, QString audioInput, QString profileName,
                                                    int streamType, QString archive, QObject* window,
                                                    QObject* previewWindow, QString author, QString description);

// A play list of media files pushed to a server: groups SG_0, SG_1, ... follow each other,
// the last one back to SG_0 when `loop` is non-zero. A profile name that matches none takes
// the folder's last profile. The job ends when the encoder stops.
VEKENCODER_EXPORT std::int32_t EncodeFromFile(QStringList& files, QString profileName, int loop, QString server,
                                              QString publishingPoint, int port, int unused, int streamType,
                                              QObject* unusedWindow, QObject* viewWindow, QString author,
                                              QString title, QString description, QString user, QString password);

// One media file transcoded to another as fast as the machine allows; "audio_" is put
// before the profile name for audio only. -1 when no profile has that name. Progress goes
// to `progressWindow` as WM_ENCODE_PROGRESS, rising in steps of at least 3.
VEKENCODER_EXPORT std::int32_t EncodeFileFromFile(QString input, QString output, QString profileName, int audioOnly,
                                                  QObject* progressWindow, QString author, QString description);
