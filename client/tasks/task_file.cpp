#include "client/tasks/task_file.h"

#include "client/shell/ini_config.h"
#include "client/tasks/generated_name.h"
#include "client/tasks/task_ini_fields.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

const QString kTask = QStringLiteral("TASK");
const QString kFileList = QStringLiteral("FILELIST");

using task_ini::Kind;
using task_ini::Number;
using task_ini::Text;
using task_ini::Time;

// The keys both kinds share, but for the server's, which live in serverRecord. Fields of
// the base record are named through the task class, so they are spelt with <T>.
template <class T>
const task_ini::Field<T> kSharedFields[] = {
    Number<T>("streamType", &T::streamType, Kind::StreamType),
    Number<T>("checklogo", &T::checklogo, Kind::Flag),
    Text<T>("videoProfile", &T::videoProfile),
    Number<T>("autoBegin", &T::autoBegin, Kind::Flag),
    Time<T>("beginTime", &T::beginTime),
    Number<T>("autoStop", &T::autoStop, Kind::Flag),
    Time<T>("endTime", &T::endTime),
    Number<T>("reconn", &T::reconn, Kind::Flag),
    Number<T>("isLiveDrm", &T::isLiveDrm, Kind::Flag),
    Number<T>("circle", &T::circle, Kind::Flag),
};

template <class Task>
bool WriteSharedKeys(const CINIConfig& ini, const Task& t) {
    bool ok = task_ini::Write(ini, kTask, kSharedFields<Task>, t);
    ok &= ini.WriteInt(kTask, QStringLiteral("mserverId"), t.serverRecord.id);
    ok &= ini.WriteString(kTask, QStringLiteral("mserverName"), t.serverRecord.mediaName);
    return ok;
}

template <class Task>
void ReadSharedKeys(const CINIConfig& ini, Task& t) {
    task_ini::Read(ini, kTask, kSharedFields<Task>, t);
    task_ini::DropSwitchWithoutTime(t.autoBegin, t.beginTime);
    task_ini::DropSwitchWithoutTime(t.autoStop, t.endTime);
    t.serverRecord.id = ini.ReadInt(kTask, QStringLiteral("mserverId"), 0);
    t.serverRecord.mediaName = ini.ReadString(kTask, QStringLiteral("mserverName"));
}

// Writes through a sibling file that replaces `path` only once it is complete, so an old
// file never keeps keys of its previous content and a failed write leaves it intact.
template <class WriteKeys>
bool WriteWhole(const QString& path, WriteKeys writeKeys) {
    const QString partial = path + QStringLiteral(".part%1").arg(QCoreApplication::applicationPid());
    QFile::remove(partial);
    const bool written = writeKeys(CINIConfig(partial));
    if (!written ||
        std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(partial);
        return false;
    }
    return true;
}

bool Readable(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

}  // namespace

QString TaskFileExtension(int kind) {
    if (kind == TASK_FILECAST) return QStringLiteral("tft");
    if (kind == TASK_MULTICAST) return QStringLiteral("tmt");
    return QString();
}

QString TaskFileFilter(int kind) {
    const QString extension = TaskFileExtension(kind);
    if (extension.isEmpty()) return QString();
    return QStringLiteral("文件直播任务配置文件 (*.%1)").arg(extension);
}

QString DefaultTaskFileName(int kind) {
    return LocalTimeText("%Y%m%d%H%M%S") + u'.' + TaskFileExtension(kind);
}

bool WriteTaskFile(const QString& path, const CFileCastTask& task) {
    return WriteWhole(path, [&task](const CINIConfig& ini) {
        bool ok = WriteSharedKeys(ini, task);
        ok &= ini.WriteInt(kFileList, QStringLiteral("filecount"), static_cast<int>(task.fileList.size()));
        for (qsizetype i = 0; i < task.fileList.size(); ++i)
            ok &= ini.WriteString(kFileList, QString::number(i), task.fileList[i]);
        return ok;
    });
}

bool WriteTaskFile(const QString& path, const CMultiCastTask& task) {
    return WriteWhole(path, [&task](const CINIConfig& ini) {
        bool ok = WriteSharedKeys(ini, task);
        ok &= ini.WriteString(kTask, QStringLiteral("outputFile"), task.isRecord ? task.outputFile : QString());
        ok &= ini.WriteInt(kTask, QStringLiteral("isRecord"), task.isRecord);
        return ok;
    });
}

bool ReadTaskFile(const QString& path, CFileCastTask& task) {
    const CINIConfig ini(path);
    ReadSharedKeys(ini, task);
    task.fileList.clear();
    // The list ends at filecount or at the first missing entry, whatever the count claims.
    const int count = ini.ReadInt(kFileList, QStringLiteral("filecount"), 0);
    for (int i = 0; i < count; ++i) {
        const QString file = ini.ReadString(kFileList, QString::number(i));
        if (file.isEmpty()) break;
        task.fileList.append(file);
    }
    return Readable(path);
}

bool ReadTaskFile(const QString& path, CMultiCastTask& task) {
    const CINIConfig ini(path);
    ReadSharedKeys(ini, task);
    task.isRecord = task_ini::ReadNumber(ini, kTask, "isRecord", Kind::Flag);
    task.outputFile = task.isRecord ? ini.ReadString(kTask, QStringLiteral("outputFile")) : QString();
    return Readable(path);
}
