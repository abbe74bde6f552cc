#pragma once
// A group box that draws its own frame: a rounded outline in the palette's colours with
// the title set into the top edge, whatever the style. Children are placed by the page.

#include <QWidget>

class CDrawnGroupBox : public QWidget {
    Q_OBJECT
public:
    explicit CDrawnGroupBox(const QString& title, QWidget* parent = nullptr);

    void SetTitle(const QString& title);
    QString Title() const { return title_; }
    // The area inside the frame, below the title, where children belong.
    QRect ContentsArea() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString title_;
};
