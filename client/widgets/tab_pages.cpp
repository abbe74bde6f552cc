#include "client/widgets/tab_pages.h"

#include "client/widgets/resizable_page.h"

#include <QScrollArea>

CTabCtrlSSL::CTabCtrlSSL(QWidget* parent) : QTabWidget(parent) {
    setDocumentMode(false);
    setUsesScrollButtons(true);
}

int CTabCtrlSSL::AddSSLPage(const QString& title, QWidget* page) {
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    // A page laid out like a dialog template keeps its design size at least: below it the
    // scroll bars appear; above it the page stretches its anchored controls.
    if (auto* designed = qobject_cast<CResizablePage*>(page)) page->setMinimumSize(designed->DesignSize());
    scroll->setWidget(page);
    return addTab(scroll, title);
}

QWidget* CTabCtrlSSL::GetSSLPage(int index) const {
    auto* scroll = qobject_cast<QScrollArea*>(widget(index));
    return scroll ? scroll->widget() : nullptr;
}

int CTabCtrlSSL::IndexOfSSLPage(const QWidget* page) const {
    for (int i = 0; i < count(); ++i)
        if (page && GetSSLPage(i) == page) return i;
    return -1;
}

bool CTabCtrlSSL::RemoveSSLPage(int index) {
    QWidget* scroll = widget(index);
    if (!scroll) return false;
    removeTab(index);
    scroll->hide();
    scroll->deleteLater();
    return true;
}
