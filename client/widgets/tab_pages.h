#pragma once
// A tab control whose pages are child widgets: adding a page makes it a child of the
// control and gives it a tab; removing a tab deletes its page.

#include <QTabWidget>

class CTabCtrlSSL : public QTabWidget {
    Q_OBJECT
public:
    explicit CTabCtrlSSL(QWidget* parent = nullptr);

    // Adds `page` as the last tab; returns its index.
    int AddSSLPage(const QString& title, QWidget* page);
    // Removes the tab and deletes its page; false when there is no such tab.
    bool RemoveSSLPage(int index);
    int GetSSLPageCount() const { return count(); }
    QWidget* GetSSLPage(int index) const { return widget(index); }
    int GetSSLActivePage() const { return currentIndex(); }
    void SetActiveSSLPage(int index) { setCurrentIndex(index); }
};
