#pragma once
// The logo dialog's picture: the bitmap stretched over the whole control, or nothing.

#include <QImage>
#include <QWidget>

class LogoPreview : public QWidget {
public:
    explicit LogoPreview(QWidget* parent = nullptr);

    // Shows the bitmap of a block (information header and rows right behind it); an
    // empty or unreadable block shows nothing.
    void SetBits(const QByteArray& bits);
    bool HasPicture() const { return !picture.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture;
};
