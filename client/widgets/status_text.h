#pragma once
// A status line drawn over its parent's background; it tells who listens what it shows.

#include <QLabel>

class CStatusText : public QLabel {
    Q_OBJECT
public:
    explicit CStatusText(QWidget* parent = nullptr);

    void SetText(const QString& text);

signals:
    void shown(const QString& text);
};
