#pragma once
// The About dialog (dialog 102): the program's icon, name and version.

#include <QDialog>

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // "Castora 1.0.0 版": the name and the version set at build time.
    static QString VersionLine();
};
