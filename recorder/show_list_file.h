#pragma once
// "CurrentShowList.ini": [SHOWLIST] CURCOUNT counts the show sections SHOWLIST_1 ...
// SHOWLIST_<CURCOUNT>. Every read-modify-write holds fileLock. Sections of deleted
// shows (SHOWUPDATEKEY 3) stay in the file so that the deletion can be reported.

#include "recorder/show_entry.h"

#include <QString>

#include <initializer_list>
#include <mutex>

class ShowListFile {
public:
    ShowListFile(QString path, std::recursive_mutex& fileLock);

    const QString& Path() const { return path_; }
    std::recursive_mutex& Lock() const { return lock_; }

    // CURCOUNT; 0 when missing, garbage or negative.
    int Count() const;
    // The highest n of a SHOWLIST_n section in the file (0 for none), so that a CURCOUNT
    // beyond the file's sections costs nothing.
    int LastSectionNumber() const;
    bool HasSection(int n) const;
    ShowEntry Read(int n) const;

    // AppendShow: writes the entry as section CURCOUNT + 1 and counts it. Entries whose
    // updateKey is neither 0 nor 1 are not written.
    void Append(const ShowEntry& entry) const;
    // WriteBackRow: finds the row's section (by SHOWID when `identity` has one, else by
    // its start, end and cycle; case ignored; deleted sections never match) and writes
    // the fields of `row` with SHOWUPDATEKEY = key. `identity` is the row as it was before
    // an edit, so that a changed time still finds its section. False when none matched.
    bool WriteBack(const ShowEntry& identity, const ShowEntry& row, int key) const;
    bool WriteBack(const ShowEntry& row, int key) const { return WriteBack(row, row, key); }
    // The service stored show n: its PGID and SHOWID become the service's, SHOWUPDATEKEY 0.
    void MarkPushed(int n, const QString& pgid, const QString& showId) const;
    // ClearShowList: CURCOUNT = 0; the sections stay.
    void Clear() const;

    static QString SectionName(int n);

private:
    struct Field {
        const char* key;
        QString value;
    };
    // Writes the keys one after another, in the order given.
    void WriteFields(const QString& section, std::initializer_list<Field> fields) const;

    QString path_;
    std::recursive_mutex& lock_;
};
