#include "client/widgets/tab_pages.h"

CTabCtrlSSL::CTabCtrlSSL(QWidget* parent) : QTabWidget(parent) {
    setDocumentMode(false);
    setUsesScrollButtons(true);
}

int CTabCtrlSSL::AddSSLPage(const QString& title, QWidget* page) {
    return addTab(page, title);
}

bool CTabCtrlSSL::RemoveSSLPage(int index) {
    QWidget* page = widget(index);
    if (!page) return false;
    removeTab(index);
    page->deleteLater();
    page->hide();
    return true;
}
