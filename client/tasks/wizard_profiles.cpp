#include "client/tasks/wizard_profiles.h"

#include <QFileInfo>

const QStringList& AudioProfileNames() {
    static const QStringList names{QStringLiteral("音频低质量（32K）"), QStringLiteral("音频中质量（64K）"),
                                   QStringLiteral("音频高质量（128K）")};
    return names;
}

const QStringList& VideoProfileNames() {
    static const QStringList names{QStringLiteral("视频低质量（128K）"), QStringLiteral("视频中质量（256K）"),
                                   QStringLiteral("视频高质量（512K）")};
    return names;
}

const QStringList& ProfileNamesForStreamType(int streamType) {
    return streamType == 1 ? AudioProfileNames() : VideoProfileNames();
}

const QStringList& MediaFileFilters() {
    static const QStringList filters{QStringLiteral("*.wmv"), QStringLiteral("*.asf"), QStringLiteral("*.wma"),
                                     QStringLiteral("*.mp3")};
    return filters;
}

bool IsAudioMediaFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"wma" || suffix == u"mp3";
}
