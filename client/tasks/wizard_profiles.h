#pragma once
// The quality names the wizards and the scene dialog offer, by file kind or stream type.

#include <QString>
#include <QStringList>

// "音频低质量（32K）", "音频中质量（64K）", "音频高质量（128K）".
const QStringList& AudioProfileNames();
// "视频低质量（128K）", "视频中质量（256K）", "视频高质量（512K）".
const QStringList& VideoProfileNames();
// The list for a stream type: 1 audio only, else audio and video.
const QStringList& ProfileNamesForStreamType(int streamType);

// Media files the file page lists, and which of them are audio ("wma", "mp3").
const QStringList& MediaFileFilters();
bool IsAudioMediaFile(const QString& path);
