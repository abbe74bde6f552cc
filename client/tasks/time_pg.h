#pragma once
// The wizards' last page: automatic start and stop with their times. Finish refuses a
// begin that is not before the end and an end that is not after now, comparing the texts
// "%Y-%m-%d %H:%M:%S".

#include <QWizardPage>

class QCheckBox;
class QDateEdit;
class QTimeEdit;

class CTimePg : public QWizardPage {
    Q_OBJECT
public:
    explicit CTimePg(QWidget* parent = nullptr);

    int AutoBegin() const;
    int AutoStop() const;
    // The time texts while their box is ticked, else empty.
    QString BeginTime() const;
    QString EndTime() const;
    // From a task file: ticks the boxes and shows the times (an unreadable time leaves the
    // box's time as it was).
    void SetTimes(int autoBegin, const QString& beginTime, int autoStop, const QString& endTime);

    bool validatePage() override;

private:
    QString TimeText(const QDateEdit* date, const QTimeEdit* time) const;

    QCheckBox* autoBegin_;
    QDateEdit* beginDate_;
    QTimeEdit* beginTime_;
    QCheckBox* autoStop_;
    QDateEdit* endDate_;
    QTimeEdit* endTime_;
};
