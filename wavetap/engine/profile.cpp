#include "engine/profile.h"

#include <QDir>
#include <QFile>
#include <QHash>

namespace wavetap::engine {
namespace {

constexpr const char* kProfileSuffix = "*.wtp";

bool ReadPositive(const QHash<QString, QString>& values, const QString& key, int* out) {
    bool ok = false;
    const int value = values.value(key).toInt(&ok);
    if (!ok || value <= 0) return false;
    *out = value;
    return true;
}

}  // namespace

std::optional<Profile> ParseProfile(const QByteArray& text, QString* error) {
    QHash<QString, QString> values;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        const int eq = line.indexOf('=');
        if (eq <= 0) {
            if (error) *error = "line without '=': " + line;
            return std::nullopt;
        }
        values.insert(line.left(eq).trimmed().toLower(), line.mid(eq + 1).trimmed());
    }
    Profile profile;
    profile.name = values.value("name");
    if (profile.name.isEmpty()) {
        if (error) *error = "no name";
        return std::nullopt;
    }
    if (values.contains("video.codec")) {
        if (values.value("video.codec").compare("WMV2", Qt::CaseInsensitive) != 0 ||
            !ReadPositive(values, "video.bitrate", &profile.videoBitrate) ||
            !ReadPositive(values, "video.width", &profile.width) ||
            !ReadPositive(values, "video.height", &profile.height) ||
            !ReadPositive(values, "video.framerate", &profile.frameRate) || profile.width % 2 != 0 ||
            profile.height % 2 != 0) {
            if (error) *error = "bad video part";
            return std::nullopt;
        }
    }
    if (values.contains("audio.codec")) {
        if (values.value("audio.codec").compare("WMA2", Qt::CaseInsensitive) != 0 ||
            !ReadPositive(values, "audio.bitrate", &profile.audioBitrate) ||
            !ReadPositive(values, "audio.samplerate", &profile.sampleRate) ||
            !ReadPositive(values, "audio.channels", &profile.channels) || profile.channels > 2) {
            if (error) *error = "bad audio part";
            return std::nullopt;
        }
    }
    if (!profile.HasVideo() && !profile.HasAudio()) {
        if (error) *error = "neither video nor audio";
        return std::nullopt;
    }
    return profile;
}

HRESULT ProfileCollection::SetDirectory(const QString& folder) {
    if (!QDir(folder).exists()) return E_PATH_NOT_FOUND;
    directory_ = folder;
    return S_OK;
}

HRESULT ProfileCollection::Refresh() {
    profiles_.clear();
    if (directory_.isEmpty()) return S_OK;
    const QDir dir(directory_);
    if (!dir.exists()) return E_PATH_NOT_FOUND;
    for (const QString& fileName : dir.entryList({kProfileSuffix}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(fileName));
        if (!file.open(QIODevice::ReadOnly)) continue;
        if (auto profile = ParseProfile(file.read(64 * 1024), nullptr)) profiles_.push_back(*profile);
    }
    return S_OK;
}

const Profile* ProfileCollection::Item(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return &profiles_[static_cast<size_t>(index)];
}

}  // namespace wavetap::engine
