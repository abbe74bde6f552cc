#include "client/tasks/file_run_texts.h"

QString FileRunSummary(bool stopped, int files, int successes) {
    return stopped ? QStringLiteral("停止处理所有文件（成功%1个文件/总共%2个文件）！").arg(successes).arg(files)
                   : QStringLiteral("处理完所有文件（总共%1个文件/成功%2个文件）！").arg(files).arg(successes);
}
