#include "client/shell/style_sheet_text.h"

#include <QRegularExpression>

namespace {

// The text without /* */ comments; false when a comment does not end.
bool StripComments(const QString& text, QString& out) {
    out.clear();
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'/' && i + 1 < text.size() && text[i + 1] == u'*') {
            const qsizetype end = text.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0) return false;
            out += u' ';
            i = end + 1;
            continue;
        }
        out += text[i];
    }
    return true;
}

bool IsDeclaration(const QString& declaration) {
    static const QRegularExpression propertyName(QStringLiteral("^[A-Za-z-]+$"));
    const QString trimmed = declaration.trimmed();
    if (trimmed.isEmpty()) return true;
    const qsizetype colon = trimmed.indexOf(u':');
    if (colon <= 0 || trimmed.mid(colon + 1).trimmed().isEmpty()) return false;
    return propertyName.match(trimmed.left(colon).trimmed()).hasMatch();
}

// Splits a block's declarations on ';' outside quotes and parentheses.
bool DeclarationsValid(const QString& block) {
    QString current;
    QChar quote;
    int depth = 0;
    for (QChar c : block) {
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            current += c;
            continue;
        }
        if (c == u'"' || c == u'\'') quote = c;
        if (c == u'(') ++depth;
        if (c == u')' && --depth < 0) return false;
        if (c == u';' && depth == 0) {
            if (!IsDeclaration(current)) return false;
            current.clear();
            continue;
        }
        current += c;
    }
    return quote.isNull() && depth == 0 && IsDeclaration(current);
}

QString HexOf(const QColor& c, bool withAlpha) {
    return withAlpha ? c.name(QColor::HexArgb) : c.name(QColor::HexRgb);
}

bool IsColorProperty(const QString& name) {
    static const char* const parts[] = {"color", "background", "border", "outline", "selection", "gridline"};
    for (const char* part : parts) {
        if (name.contains(QLatin1String(part), Qt::CaseInsensitive)) return true;
    }
    return false;
}

}  // namespace

bool IsStyleSheet(const QString& text) {
    if (text.contains(QChar(0)) || text.contains(QChar::ReplacementCharacter)) return false;
    QString sheet;
    if (!StripComments(text, sheet)) return false;
    int rules = 0;
    qsizetype pos = 0;
    while (true) {
        const qsizetype open = sheet.indexOf(u'{', pos);
        if (open < 0) return rules > 0 && sheet.mid(pos).trimmed().isEmpty();
        const QString selector = sheet.mid(pos, open - pos).trimmed();
        if (selector.isEmpty() || selector.contains(u'}') || selector.contains(u';')) return false;
        const qsizetype close = sheet.indexOf(u'}', open + 1);
        if (close < 0) return false;
        const QString block = sheet.mid(open + 1, close - open - 1);
        if (block.contains(u'{') || !DeclarationsValid(block)) return false;
        ++rules;
        pos = close + 1;
    }
}

QString FilterStyleSheetColors(const QString& sheet, const std::function<QColor(const QColor&)>& filter) {
    // Hex colours and rgb()/rgba() anywhere (gradients included).
    static const QRegularExpression literal(
        QStringLiteral("#([0-9A-Fa-f]{8}|[0-9A-Fa-f]{6}|[0-9A-Fa-f]{3})\\b|"
                       "rgba?\\(\\s*(\\d{1,3})\\s*,\\s*(\\d{1,3})\\s*,\\s*(\\d{1,3})\\s*(?:,\\s*([0-9.]+%?)\\s*)?\\)"));
    QString out;
    qsizetype last = 0;
    for (auto it = literal.globalMatch(sheet); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(sheet).mid(last, m.capturedStart() - last);
        QString replacement = m.captured(0);
        if (!m.captured(1).isEmpty()) {
            const QString hex = m.captured(1);
            // Qt reads #AARRGGBB with the alpha first, as QColor does.
            const QColor color = QColor::fromString(QStringLiteral("#") + hex);
            if (color.isValid()) replacement = HexOf(filter(color), hex.size() == 8);
        } else {
            const QColor color(std::min(m.captured(2).toInt(), 255), std::min(m.captured(3).toInt(), 255),
                               std::min(m.captured(4).toInt(), 255));
            const QColor shifted = filter(color);
            replacement = m.captured(5).isEmpty()
                              ? QStringLiteral("rgb(%1, %2, %3)").arg(shifted.red()).arg(shifted.green()).arg(shifted.blue())
                              : QStringLiteral("rgba(%1, %2, %3, %4)")
                                    .arg(shifted.red())
                                    .arg(shifted.green())
                                    .arg(shifted.blue())
                                    .arg(m.captured(5));
        }
        out += replacement;
        last = m.capturedEnd();
    }
    out += QStringView(sheet).mid(last);

    // Colour names in the values of colour properties.
    static const QRegularExpression declaration(QStringLiteral("([A-Za-z-]+)(\\s*:\\s*)([^;{}]*)"));
    static const QRegularExpression word(QStringLiteral("(?<![#\\w-])([A-Za-z]+)(?![\\w(-])"));
    QString named;
    last = 0;
    for (auto it = declaration.globalMatch(out); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!IsColorProperty(m.captured(1)) || m.captured(3).contains(QLatin1String("url("))) continue;
        named += QStringView(out).mid(last, m.capturedStart(3) - last);
        QString value = m.captured(3);
        QString rewritten;
        qsizetype from = 0;
        for (auto w = word.globalMatch(value); w.hasNext();) {
            const QRegularExpressionMatch n = w.next();
            rewritten += QStringView(value).mid(from, n.capturedStart() - from);
            const QString name = n.captured(1);
            const bool isColor = QColor::isValidColorName(name) && name.compare(QLatin1String("transparent"), Qt::CaseInsensitive) != 0;
            rewritten += isColor ? HexOf(filter(QColor::fromString(name)), false) : name;
            from = n.capturedEnd();
        }
        rewritten += QStringView(value).mid(from);
        named += rewritten;
        last = m.capturedEnd(3);
    }
    named += QStringView(out).mid(last);
    return named;
}
