#pragma once
// Encoder profiles: one small text file per profile in the profile folder,
// "key=value" lines (UTF-8), '#' starts a comment:
//   name=pal_视频中质量（256K）
//   video.codec=WMV2  video.bitrate=256000  video.width=320  video.height=240  video.framerate=25
//   audio.codec=WMA2  audio.bitrate=32000   audio.samplerate=32000  audio.channels=2
// A profile without a video part is audio-only (and the other way round).

#include "engine/results.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace wavetap::engine {

struct Profile {
    QString name;
    int videoBitrate = 0;
    int width = 0;
    int height = 0;
    int frameRate = 0;
    int audioBitrate = 0;
    int sampleRate = 0;
    int channels = 0;

    bool HasVideo() const { return width > 0; }
    bool HasAudio() const { return sampleRate > 0; }
};

// Parses one profile file; nullopt (with a reason) when it is malformed or incomplete.
std::optional<Profile> ParseProfile(const QByteArray& text, QString* error);

// The encoder's profile collection: the profiles of one folder, read on Refresh.
class ProfileCollection {
public:
    // Fails with E_PATH_NOT_FOUND when the folder does not exist.
    HRESULT SetDirectory(const QString& folder);
    QString Directory() const { return directory_; }
    // Reads every profile file of the folder, skipping malformed ones, in file-name order.
    HRESULT Refresh();
    int Count() const { return static_cast<int>(profiles_.size()); }
    const Profile* Item(int index) const;

private:
    QString directory_;
    std::vector<Profile> profiles_;
};

}  // namespace wavetap::engine
