#include "recorder/show_list_file.h"

#include "platform/ini_store.h"
#include "recorder/ini_values.h"
#include "recorder/numbered_sections.h"
#include "recorder/recorder_globals.h"

namespace {

const QString kListSection = QStringLiteral("SHOWLIST");
const QString kCountKey = QStringLiteral("CURCOUNT");

bool Same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace

ShowListFile::ShowListFile(QString path, std::recursive_mutex& fileLock) : path_(std::move(path)), lock_(fileLock) {}

QString ShowListFile::SectionName(int n) { return QStringLiteral("%1_%2").arg(kListSection).arg(n); }

int ShowListFile::Count() const {
    std::lock_guard guard(lock_);
    return std::max(0, platform::GetPrivateProfileInt(kListSection, kCountKey, 0, path_));
}

int ShowListFile::LastSectionNumber() const {
    std::lock_guard guard(lock_);
    return std::max(0, LastNumberedSection(path_, kListSection + u'_'));
}

bool ShowListFile::HasSection(int n) const {
    std::lock_guard guard(lock_);
    const QString wanted = SectionName(n);
    for (const QString& name : platform::GetPrivateProfileSectionNames(path_)) {
        if (Same(name, wanted)) return true;
    }
    return false;
}

ShowEntry ShowListFile::Read(int n) const {
    std::lock_guard guard(lock_);
    const QString s = SectionName(n);
    ShowEntry e;
    e.name = ReadIniText(s, QStringLiteral("SHOWNAME"), path_);
    e.start = ReadIniText(s, QStringLiteral("SHOWSTARTTIME"), path_);
    e.end = ReadIniText(s, QStringLiteral("SHOWENDTIME"), path_);
    e.cycle = ReadIniText(s, QStringLiteral("SHOWCYCLE"), path_);
    e.format = ReadIniText(s, QStringLiteral("SHOWFORMAT"), path_);
    e.type = ReadIniText(s, QStringLiteral("SHOWTYPE"), path_);
    e.pgid = ReadIniText(s, QStringLiteral("PGID"), path_);
    e.showId = ReadIniText(s, QStringLiteral("SHOWID"), path_);
    e.updateKey = ReadIniInt(s, QStringLiteral("SHOWUPDATEKEY"), path_);
    e.conflict = ReadIniInt(s, QStringLiteral("CONFLICT"), path_);
    return e;
}

void ShowListFile::Append(const ShowEntry& entry) const {
    if (entry.updateKey != kShowFromService && entry.updateKey != kShowAdded) return;
    std::lock_guard guard(lock_);
    const int n = Count() + 1;
    const QString s = SectionName(n);
    WriteFields(s, {{"SHOWNAME", entry.name},
                    {"SHOWSTARTTIME", entry.start},
                    {"SHOWENDTIME", entry.end},
                    {"SHOWCYCLE", entry.cycle},
                    {"SHOWFORMAT", entry.format},
                    {"SHOWTYPE", entry.type},
                    {"PGID", entry.pgid},
                    {"SHOWID", entry.showId},
                    {"SHOWUPDATEKEY", QString::number(entry.updateKey)}});
    if (entry.updateKey == kShowFromService) WriteFields(s, {{"CONFLICT", QString::number(entry.conflict)}});
    WriteIniText(kListSection, kCountKey, QString::number(n), path_);
}

bool ShowListFile::WriteBack(const ShowEntry& identity, const ShowEntry& row, int key) const {
    std::lock_guard guard(lock_);
    const int last = std::min(Count(), LastSectionNumber());
    for (int n = 0; n <= last; ++n) {
        const QString s = SectionName(n);
        // A deleted show is no longer listed, so it is never the row being written back.
        if (ReadIniInt(s, QStringLiteral("SHOWUPDATEKEY"), path_) == kShowDeleted) continue;
        bool match = false;
        if (!identity.showId.isEmpty()) {
            match = Same(ReadIniText(s, QStringLiteral("SHOWID"), path_), identity.showId);
        } else {
            match = Same(ReadIniText(s, QStringLiteral("SHOWSTARTTIME"), path_), identity.start) &&
                    Same(ReadIniText(s, QStringLiteral("SHOWENDTIME"), path_), identity.end) &&
                    Same(ReadIniText(s, QStringLiteral("SHOWCYCLE"), path_), identity.cycle);
        }
        if (!match) continue;
        WriteFields(s, {{"SHOWNAME", row.name},
                        {"SHOWSTARTTIME", row.start},
                        {"SHOWENDTIME", row.end},
                        {"SHOWTYPE", row.type},
                        {"SHOWID", row.showId},
                        {"SHOWCYCLE", row.cycle},
                        {"PGID", row.pgid},
                        {"SHOWUPDATEKEY", QString::number(key)}});
        if (key == kShowEdited) Recorder().refreshList = 1;
        return true;
    }
    return false;
}

void ShowListFile::WriteFields(const QString& section, std::initializer_list<Field> fields) const {
    for (const Field& field : fields) WriteIniText(section, QString::fromLatin1(field.key), field.value, path_);
}

void ShowListFile::MarkPushed(int n, const QString& pgid, const QString& showId) const {
    std::lock_guard guard(lock_);
    WriteFields(SectionName(n), {{"PGID", pgid}, {"SHOWID", showId}, {"SHOWUPDATEKEY", QStringLiteral("0")}});
}

void ShowListFile::Clear() const {
    std::lock_guard guard(lock_);
    WriteIniText(kListSection, kCountKey, QStringLiteral("0"), path_);
}
