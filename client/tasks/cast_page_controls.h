#pragma once
// The lower part the file and multi-source pages share, laid out in their design size
// (640 x 460): the watch addresses (1051, 1059), the elapsed time (1028), the status line
// (1019) and the buttons: save task, start/stop (1010) and leave (1076).

#include <QSize>

class CBaseTaskDlg;
class CStatusText;
class QLineEdit;
class QPushButton;

inline constexpr QSize kCastPageSize(640, 460);

struct CastPageControls {
    QLineEdit* internet = nullptr;  // 1051
    QLineEdit* lan = nullptr;       // 1059
    QLineEdit* elapsed = nullptr;   // 1028
    CStatusText* status = nullptr;  // 1019
    QPushButton* save = nullptr;
    QPushButton* startStop = nullptr;  // 1010
    QPushButton* close = nullptr;      // 1076
};

// Builds the controls on `page`, names its start/stop and close buttons and connects them
// to Start and Close.
CastPageControls AddCastPageControls(CBaseTaskDlg* page);
