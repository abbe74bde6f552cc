#pragma once
// Catches what the program hands to the desktop's default handler for one URL scheme,
// for as long as it lives. Tests list this header among their sources (it needs moc).

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

namespace test_support {

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    explicit UrlCatcher(const QString& scheme) : scheme_(scheme) {
        QDesktopServices::setUrlHandler(scheme_, this, "Open");
    }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(scheme_); }

    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened << url; }

private:
    QString scheme_;
};

}  // namespace test_support
