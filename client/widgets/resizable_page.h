#pragma once
// A page laid out like a dialog template (controls at fixed positions in a design size)
// whose controls follow the page's size: each anchored control keeps its two corners at
// fixed distances from anchor points given in percent of the page's width and height.

#include <QPointer>
#include <QSize>
#include <QWidget>

#include <vector>

// A point of the page in percent of its width (x) and height (y).
struct Anchor {
    int x = 0;
    int y = 0;
};
inline constexpr Anchor kTopLeft{0, 0};
inline constexpr Anchor kTopCenter{50, 0};
inline constexpr Anchor kTopRight{100, 0};
inline constexpr Anchor kMiddleLeft{0, 50};
inline constexpr Anchor kMiddleRight{100, 50};
inline constexpr Anchor kBottomLeft{0, 100};
inline constexpr Anchor kBottomCenter{50, 100};
inline constexpr Anchor kBottomRight{100, 100};

class CResizablePage : public QWidget {
    Q_OBJECT
public:
    // `designSize` is the size the controls' positions were given for.
    explicit CResizablePage(const QSize& designSize, QWidget* parent = nullptr);

    // Anchors a child placed in design coordinates. Its top-left corner follows
    // `topLeft`, its bottom-right corner follows `bottomRight`.
    void AddAnchor(QWidget* control, Anchor topLeft, Anchor bottomRight);
    void AddAnchor(QWidget* control, Anchor both) { AddAnchor(control, both, both); }
    // Places a control in design coordinates and anchors it.
    void Place(QWidget* control, const QRect& designRect, Anchor topLeft = kTopLeft,
               Anchor bottomRight = kTopLeft);

    QSize DesignSize() const { return designSize_; }
    QSize sizeHint() const override { return designSize_; }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Anchored {
        QPointer<QWidget> control;
        Anchor topLeft;
        Anchor bottomRight;
        QPoint topLeftOffset;      // from the top-left anchor point in the design size
        QPoint bottomRightOffset;  // from the bottom-right anchor point in the design size
    };
    static QPoint PointOf(Anchor anchor, const QSize& size);
    void Arrange();

    QSize designSize_;
    std::vector<Anchored> anchored_;
};
