#pragma once
// An edit box holding a watch address or file path that can be played: its 播放 button,
// a double click or Ctrl+Enter hands the text to the desktop's default handler.

#include <QLineEdit>

class CPlayAddressEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CPlayAddressEdit(QWidget* parent = nullptr);

    // Opens the text with the desktop's handler; false when it is empty or nothing took it.
    bool Play();

signals:
    void played(const QString& address, bool opened);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
