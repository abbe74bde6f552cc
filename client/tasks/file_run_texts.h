#pragma once
// The texts of a run of the pages that work through a list of files (upload, DRM protection).

#include <QString>

inline const QString kFileRunCaption = QStringLiteral("提示");                         // 123
inline const QString kFileRunAnalysing = QStringLiteral("正在分析目录：");
inline const QString kFileRunProcessing = QStringLiteral("正在处理第%1/%2个文件！");  // 159
inline const QString kFileRunReportFailed = QStringLiteral("文件%1信息入库失败！");   // 165
inline const QString kFileRunStopQuestion = QStringLiteral("您确定要中止任务吗？");   // 101

// The end-of-run summary: 166 (successes of files) when stopped, else 163 (files, successes).
QString FileRunSummary(bool stopped, int files, int successes);
