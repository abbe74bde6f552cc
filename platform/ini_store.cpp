#include "platform/ini_store.h"

#include "platform/code_page.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <map>
#include <memory>
#include <mutex>

namespace platform {
namespace {

enum class Encoding { Utf8, Utf8Bom, Utf16Bom, Ansi };

struct IniText {
    Encoding encoding = Encoding::Utf8;
    QStringList lines;
};

// Profile calls on one file are serialised; the map only grows by one small lock per file.
std::mutex& LockFor(const QString& fileName) {
    static std::mutex mapLock;
    static std::map<QString, std::unique_ptr<std::mutex>> locks;
    const QString key = QFileInfo(fileName).absoluteFilePath();
    std::lock_guard<std::mutex> guard(mapLock);
    auto& slot = locks[key];
    if (!slot) slot = std::make_unique<std::mutex>();
    return *slot;
}

QStringList SplitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\n' && c != u'\r') continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') ++i;
        start = i + 1;
    }
    if (start < n) lines.append(text.mid(start));
    return lines;
}

IniText Decode(const QByteArray& bytes) {
    IniText ini;
    QString text;
    if (bytes.startsWith("\xFF\xFE")) {
        ini.encoding = Encoding::Utf16Bom;
        text = QString(reinterpret_cast<const QChar*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        ini.encoding = Encoding::Utf8Bom;
        text = QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    } else if (IsValidUtf8(bytes)) {
        ini.encoding = Encoding::Utf8;
        text = QString::fromUtf8(bytes);
    } else {
        ini.encoding = Encoding::Ansi;
        text = FromAnsi(bytes);
    }
    ini.lines = SplitLines(text);
    return ini;
}

QByteArray Encode(const IniText& ini) {
    QString text = ini.lines.join(QStringLiteral("\r\n"));
    if (!ini.lines.isEmpty()) text += QStringLiteral("\r\n");
    switch (ini.encoding) {
    case Encoding::Utf16Bom:
        return QByteArray("\xFF\xFE", 2) +
               QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    case Encoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case Encoding::Ansi: {
        // Text that GBK cannot carry would be lost, and GBK bytes that happen to form
        // valid UTF-8 would be read back as UTF-8; either way the file moves to UTF-8,
        // which this reader takes just as well.
        QByteArray ansi = ToAnsi(text);
        if (FromAnsi(ansi) == text && !IsValidUtf8(ansi)) return ansi;
        return text.toUtf8();
    }
    case Encoding::Utf8:
        break;
    }
    return text.toUtf8();
}

IniText Load(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return Decode(file.readAll());
}

bool Save(const QString& fileName, const IniText& ini) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = Encode(ini);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// "[name]" lines: the text between '[' and the first ']', trimmed.
bool SectionHeader(const QString& line, QString* name) {
    const QString t = line.trimmed();
    if (!t.startsWith(u'[')) return false;
    qsizetype close = t.indexOf(u']');
    if (close < 0) close = t.size();
    *name = t.mid(1, close - 1).trimmed();
    return true;
}

bool KeyValue(const QString& line, QString* key, QString* value) {
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) return false;
    *key = line.left(eq).trimmed();
    if (value) *value = line.mid(eq + 1).trimmed();
    return true;
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Line range of the first section of that name: [header, end). False when absent.
bool FindSection(const QStringList& lines, const QString& section, qsizetype* header, qsizetype* end) {
    const QString wanted = section.trimmed();
    QString name;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!SectionHeader(lines[i], &name) || !SameName(name, wanted)) continue;
        *header = i;
        qsizetype j = i + 1;
        while (j < lines.size() && !SectionHeader(lines[j], &name)) ++j;
        *end = j;
        return true;
    }
    return false;
}

qsizetype FindKey(const QStringList& lines, qsizetype from, qsizetype to, const QString& key) {
    const QString wanted = key.trimmed();
    QString name;
    for (qsizetype i = from; i < to; ++i) {
        QString dummy;
        if (SectionHeader(lines[i], &dummy)) continue;
        if (KeyValue(lines[i], &name, nullptr) && SameName(name, wanted)) return i;
    }
    return -1;
}

QString StripQuotes(const QString& value) {
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first) return value.mid(1, value.size() - 2);
    }
    return value;
}

// The raw (trimmed, unquoted) value, or null when the key is missing. Caller holds the lock.
QString LookUp(const QString& section, const QString& key, const QString& fileName) {
    const IniText ini = Load(fileName);
    qsizetype header = 0;
    qsizetype end = 0;
    if (!FindSection(ini.lines, section, &header, &end)) return {};
    const qsizetype at = FindKey(ini.lines, header + 1, end, key);
    if (at < 0) return {};
    QString name;
    QString value;
    KeyValue(ini.lines[at], &name, &value);
    value = StripQuotes(value);
    if (value.isNull()) value = QStringLiteral("");
    return value;
}

}  // namespace

QString GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                                const QString& fileName, int bufferChars) {
    QString value;
    {
        std::lock_guard<std::mutex> guard(LockFor(fileName));
        value = LookUp(section, key, fileName);
    }
    if (value.isNull()) value = defaultValue;
    const qsizetype limit = bufferChars > 0 ? bufferChars - 1 : 0;
    if (value.size() > limit) value.truncate(limit);
    return value;
}

int GetPrivateProfileInt(const QString& section, const QString& key, int defaultValue, const QString& fileName) {
    QString value;
    {
        std::lock_guard<std::mutex> guard(LockFor(fileName));
        value = LookUp(section, key, fileName);
    }
    qsizetype i = 0;
    while (i < value.size() && (value[i] == u' ' || value[i] == u'\t')) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == u'-' || value[i] == u'+')) {
        negative = value[i] == u'-';
        ++i;
    }
    // Accumulate with wrap-around like a 32-bit C accumulator, without signed overflow.
    quint32 result = 0;
    bool anyDigit = false;
    for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
        result = result * 10u + static_cast<quint32>(value[i].unicode() - u'0');
        anyDigit = true;
    }
    if (!anyDigit) return defaultValue;
    if (negative) result = 0u - result;
    return static_cast<int>(result);
}

bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& fileName) {
    std::lock_guard<std::mutex> guard(LockFor(fileName));
    IniText ini = Load(fileName);
    QStringList& lines = ini.lines;

    // A value spanning lines would break the file's structure; line breaks become blanks.
    QString flatValue = value;
    flatValue.replace(u'\r', u' ').replace(u'\n', u' ');

    qsizetype header = 0;
    qsizetype end = 0;
    const bool hasSection = FindSection(lines, section, &header, &end);

    if (key.isNull()) {
        if (!hasSection) return true;
        lines.remove(header, end - header);
        return Save(fileName, ini);
    }
    const QString newLine = key.trimmed() + u'=' + flatValue;
    if (!hasSection) {
        if (value.isNull()) return true;
        lines.append(u'[' + section.trimmed() + u']');
        lines.append(newLine);
        return Save(fileName, ini);
    }
    const qsizetype at = FindKey(lines, header + 1, end, key);
    if (at >= 0) {
        if (value.isNull())
            lines.removeAt(at);
        else
            lines[at] = newLine;
        return Save(fileName, ini);
    }
    if (value.isNull()) return true;
    qsizetype insertAt = end;
    while (insertAt > header + 1 && lines[insertAt - 1].trimmed().isEmpty()) --insertAt;
    lines.insert(insertAt, newLine);
    return Save(fileName, ini);
}

QStringList GetPrivateProfileSectionNames(const QString& fileName) {
    IniText ini;
    {
        std::lock_guard<std::mutex> guard(LockFor(fileName));
        ini = Load(fileName);
    }
    QStringList names;
    QString name;
    for (const QString& line : ini.lines) {
        if (SectionHeader(line, &name)) names.append(name);
    }
    return names;
}

}  // namespace platform
