#include "client/tasks/page_controls.h"

#include "client/widgets/find_control.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QLabel* AddLabel(CResizablePage* page, const QString& text, const QRect& rect, Anchor anchor) {
    auto* label = new QLabel(text, page);
    page->Place(label, rect, anchor, anchor);
    return label;
}

QPushButton* AddButton(CResizablePage* page, const QString& text, int id, const QRect& rect, Anchor anchor) {
    auto* button = new QPushButton(text, page);
    page->Place(button, rect, anchor, anchor);
    SetControlId(button, id, text);
    return button;
}

QComboBox* AddCombo(CResizablePage* page, int id, const QString& name, const QRect& rect, Anchor anchor) {
    auto* combo = new QComboBox(page);
    page->Place(combo, rect, anchor, anchor);
    SetControlId(combo, id, name);
    return combo;
}

QLineEdit* AddEdit(CResizablePage* page, int id, const QString& name, const QRect& rect, bool readOnly,
                   Anchor anchor) {
    auto* edit = new QLineEdit(page);
    edit->setReadOnly(readOnly);
    page->Place(edit, rect, anchor, anchor);
    SetControlId(edit, id, name);
    return edit;
}

QWidget* AddPreviewWindow(CResizablePage* page, int id, const QRect& rect) {
    auto* preview = new QWidget(page);
    preview->setAutoFillBackground(true);
    QPalette black = preview->palette();
    black.setColor(QPalette::Window, Qt::black);
    preview->setPalette(black);
    page->Place(preview, rect, kTopLeft, kTopRight);
    SetControlId(preview, id, QStringLiteral("预览窗口"));
    return preview;
}
