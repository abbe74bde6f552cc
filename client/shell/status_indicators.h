#pragma once
// The frame's status bar: the message pane ("就绪" when idle) and the three standard
// indicators CAP, NUM and SCRL, lit while Caps Lock, Num Lock and Scroll Lock are on.
// The lock states are read from the X server; without one the indicators stay dark.

#include <QStatusBar>

class QLabel;
class QTimer;

class CStatusIndicators : public QStatusBar {
    Q_OBJECT
public:
    explicit CStatusIndicators(QWidget* parent = nullptr);

    // The four panes' texts as shown (an unlit indicator shows nothing).
    QStringList PaneTexts() const;

private:
    void Refresh();

    QLabel* message_ = nullptr;
    QLabel* caps_ = nullptr;
    QLabel* num_ = nullptr;
    QLabel* scroll_ = nullptr;
    QTimer* poll_ = nullptr;
};
