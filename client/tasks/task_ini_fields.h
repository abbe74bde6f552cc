#pragma once
// Task settings kept as INI keys, described once as a table of (key, field, kind) and read
// or written by the table. Reading brings back values that anyone may have edited into
// what a page can show.

#include "client/shell/ini_config.h"

#include <QString>

#include <span>
#include <type_traits>

namespace task_ini {

enum class Kind {
    Text,        // as it stands
    Int,         // decimal
    Flag,        // yes/no: anything but 0 reads as 1
    StreamType,  // 1 audio only; anything else reads as 0, audio and video
    Time,        // "%Y-%m-%d %H:%M:%S"; anything else reads as empty
};

template <class T>
struct Field {
    const char* key;
    Kind kind;
    QString T::*text = nullptr;
    int T::*number = nullptr;
};

template <class T>
constexpr Field<T> Text(const char* key, QString T::*member) {
    return {key, Kind::Text, member, nullptr};
}
template <class T>
constexpr Field<T> Time(const char* key, QString T::*member) {
    return {key, Kind::Time, member, nullptr};
}
template <class T>
constexpr Field<T> Number(const char* key, int T::*member, Kind kind = Kind::Int) {
    return {key, kind, nullptr, member};
}

QString ReadText(const CINIConfig& ini, const QString& section, const char* key, Kind kind);
int ReadNumber(const CINIConfig& ini, const QString& section, const char* key, Kind kind);

template <class T>
using Fields = std::span<const Field<std::type_identity_t<T>>>;

template <class T>
void Read(const CINIConfig& ini, const QString& section, Fields<T> fields, T& into) {
    for (const Field<T>& f : fields) {
        if (f.text)
            into.*f.text = ReadText(ini, section, f.key, f.kind);
        else
            into.*f.number = ReadNumber(ini, section, f.key, f.kind);
    }
}

// Writes every field (strings as they are, numbers in decimal); false when any write failed.
template <class T>
bool Write(const CINIConfig& ini, const QString& section, Fields<T> fields, const T& from) {
    bool ok = true;
    for (const Field<T>& f : fields) {
        const QString key = QString::fromLatin1(f.key);
        ok &= f.text ? ini.WriteString(section, key, from.*f.text) : ini.WriteInt(section, key, from.*f.number);
    }
    return ok;
}

// An automatic start or stop whose time did not read is off: an empty time would compare
// as long past and fire at once.
inline void DropSwitchWithoutTime(int& flag, const QString& time) {
    if (time.isEmpty()) flag = 0;
}

}  // namespace task_ini
