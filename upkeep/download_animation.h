#pragma once
// The download window's animation: a page flying from a globe into a folder, in a loop.

#include <QBasicTimer>
#include <QWidget>

class CDownloadAnimation : public QWidget {
public:
    explicit CDownloadAnimation(QWidget* parent = nullptr);

    void Start();
    void Stop();
    bool IsPlaying() const { return timer_.isActive(); }

    QSize sizeHint() const override { return {272, 60}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QBasicTimer timer_;
    int frame_ = 0;
};
