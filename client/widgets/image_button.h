#pragma once
// A push button drawn from artwork: one image holding the four looks side by side
// (normal, under the mouse, pressed, disabled), stretched to the button, with the
// caption drawn over it. Keyboard focus is shown by a dotted frame.

#include <QAbstractButton>
#include <QPixmap>

class CImageButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CImageButton(const QString& caption, QWidget* parent = nullptr);

    // `strip` holds the four looks, each a quarter of its width.
    void SetImages(const QPixmap& strip);
    // Caption colour over the artwork.
    void SetTextColor(const QColor& color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int LookIndex() const;

    QPixmap strip_;
    QColor textColor_;
    bool hovered_ = false;
};
