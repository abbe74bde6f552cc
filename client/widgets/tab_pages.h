#pragma once
// A tab control whose pages are child widgets: adding a page makes it a descendant of the
// control and gives it a tab; removing a tab deletes its page. Each page sits in a
// frameless scroll area, so a page laid out for a larger size than the tab offers (a small
// screen) scrolls instead of being cut off.

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
    // The page of a tab (not the scroll area around it); null when there is no such tab.
    QWidget* GetSSLPage(int index) const;
    // The tab holding `page`, or -1.
    int IndexOfSSLPage(const QWidget* page) const;
    int GetSSLActivePage() const { return currentIndex(); }
    void SetActiveSSLPage(int index) { setCurrentIndex(index); }
};
