#pragma once
// The read-only summary of a broadcast task prepared in a wizard: quality, media server,
// stream type, automatic start and stop with their times, reconnection and live DRM.

#include <QWidget>

class CBaseTask;
class QLineEdit;

struct TaskSummaryValues {
    QString profile;
    QString server;
    int streamType = 0;
    int autoBegin = 0;
    QString beginTime;
    int autoStop = 0;
    QString endTime;
    int reconn = 0;
    int isLiveDrm = 0;
};

class CTaskSummary : public QWidget {
    Q_OBJECT
public:
    explicit CTaskSummary(QWidget* parent = nullptr);

    void Show(const TaskSummaryValues& values);

private:
    QLineEdit* AddField(int row, int column, int controlId, const QString& label);

    QLineEdit* profile_;     // 1025
    QLineEdit* server_;      // 1026
    QLineEdit* streamType_;  // 1027
    QLineEdit* autoBegin_;   // 1030
    QLineEdit* beginTime_;   // 1048
    QLineEdit* autoStop_;    // 1042
    QLineEdit* endTime_;     // 1044
    QLineEdit* reconn_;      // 1043
    QLineEdit* drm_;         // 1045
};
