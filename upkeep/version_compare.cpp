#include "upkeep/version_compare.h"

#include "platform/code_page.h"

#include <QStringList>

namespace upkeep {
namespace {

constexpr int kMaxFields = 4;

QStringList Fields(const QString& text) {
    QStringList fields = text.split(u'.', Qt::SkipEmptyParts);
    if (fields.size() > kMaxFields) fields.erase(fields.begin() + kMaxFields, fields.end());
    return fields;
}

bool AllDigits(const QString& field) {
    for (const QChar c : field) {
        if (c < u'0' || c > u'9') return false;
    }
    return true;
}

// -1, 0 or 1 for two digit strings, by numeric value.
int CompareNumbers(QString a, QString b) {
    while (a.size() > 1 && a.startsWith(u'0')) a.remove(0, 1);
    while (b.size() > 1 && b.startsWith(u'0')) b.remove(0, 1);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int order = a.compare(b);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

}  // namespace

PublishedVersion ComparePublishedVersion(const QString& local, const QString& published) {
    const QStringList localFields = Fields(local);
    const QStringList publishedFields = Fields(published);
    for (const QStringList* fields : {&localFields, &publishedFields}) {
        for (const QString& field : *fields) {
            if (!AllDigits(field)) return PublishedVersion::NotNumeric;
        }
    }
    for (int i = 0; i < kMaxFields; ++i) {
        const QString a = i < localFields.size() ? localFields[i] : QStringLiteral("0");
        const QString b = i < publishedFields.size() ? publishedFields[i] : QStringLiteral("0");
        const int order = CompareNumbers(a, b);
        if (order < 0) return PublishedVersion::Newer;
        if (order > 0) return PublishedVersion::Older;
    }
    return PublishedVersion::Same;
}

QString PublishedVersionText(const QByteArray& updateFile) {
    const qsizetype end = updateFile.indexOf('\0');
    return platform::FromAnsi(end < 0 ? updateFile : updateFile.left(end)).trimmed();
}

}  // namespace upkeep
