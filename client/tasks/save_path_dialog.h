#pragma once
// A save-file dialog that asks its own question before an existing file is replaced; Cancel
// on the question shows the dialog again.

#include <QString>

class QWidget;

struct SavePathRequest {
    QString title;
    QString proposal;   // path the dialog starts with
    QString filter;     // Qt filter text, e.g. "Windows Media 视频文件(*.wmv)"
    QString extension;  // added when the chosen name has another one
    QString question;   // asked (OK/Cancel) when the chosen file exists
    QString questionCaption;
};

// The path chosen, or empty when the operator cancelled the dialog.
QString AskSavePath(QWidget* parent, const SavePathRequest& request);
