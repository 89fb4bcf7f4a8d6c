#include "player/MpvAsxReader.h"

#include <QFile>

#include <cerrno>
#include <optional>

namespace vantoro {

namespace {

bool isBlank(QChar c)
{
    return c.unicode() <= 32;
}

// The value of attribute `name` (lower case) inside the tag text (between '<' and '>', after
// the element name); nothing when the tag has no such attribute.
std::optional<QString> attributeValue(const QString& tag, qsizetype pos, const QString& name)
{
    const qsizetype end = tag.size();
    while (pos < end) {
        while (pos < end && (isBlank(tag[pos]) || tag[pos] == u'/'))
            ++pos;
        const qsizetype nameStart = pos;
        while (pos < end && !isBlank(tag[pos]) && tag[pos] != u'=' && tag[pos] != u'/')
            ++pos;
        const QString attribute = tag.mid(nameStart, pos - nameStart).toLower();
        while (pos < end && isBlank(tag[pos]))
            ++pos;
        QString value;
        bool hasValue = false;
        if (pos < end && tag[pos] == u'=') {
            ++pos;
            while (pos < end && isBlank(tag[pos]))
                ++pos;
            hasValue = true;
            if (pos < end && (tag[pos] == u'"' || tag[pos] == u'\'')) {
                const QChar quote = tag[pos++];
                qsizetype close = tag.indexOf(quote, pos);
                if (close < 0)
                    close = end;
                value = tag.mid(pos, close - pos);
                pos = close + 1;
            } else {
                const qsizetype valueStart = pos;
                while (pos < end && !isBlank(tag[pos]))
                    ++pos;
                value = tag.mid(valueStart, pos - valueStart);
            }
        }
        if (attribute == name && hasValue)
            return value;
        if (attribute.isEmpty() && !hasValue && pos == nameStart)
            ++pos; // a stray character; step over it
    }
    return std::nullopt;
}

// The writer's escapes for a CR or LF inside a path; nothing else is an escape.
QString decodeLineBreaks(QString value)
{
    if (value.contains(u"&#1")) {
        value.replace(QStringLiteral("&#13;"), QStringLiteral("\r"));
        value.replace(QStringLiteral("&#10;"), QStringLiteral("\n"));
    }
    return value;
}

} // namespace

QStringList MpvAsxReader::parse(QByteArrayView bytes)
{
    const QString text = QString::fromUtf8(bytes);
    QStringList entries;
    bool inEntry = false;
    bool entryHasRef = false;
    qsizetype pos = 0;
    while ((pos = text.indexOf(u'<', pos)) >= 0) {
        if (text.mid(pos, 4) == u"<!--") {
            const qsizetype close = text.indexOf(u"-->", pos + 4);
            if (close < 0)
                break;
            pos = close + 3;
            continue;
        }
        // The tag ends at the first '>' outside a quoted value: paths may hold a '>'.
        qsizetype end = pos + 1;
        QChar quote;
        for (; end < text.size(); ++end) {
            const QChar c = text[end];
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (c == u'"' || c == u'\'') {
                quote = c;
            } else if (c == u'>') {
                break;
            }
        }
        const QString tag = text.mid(pos + 1, end - pos - 1);
        pos = end + 1;

        qsizetype nameEnd = 0;
        while (nameEnd < tag.size() && !isBlank(tag[nameEnd]) && tag[nameEnd] != u'>' &&
               (nameEnd == 0 || tag[nameEnd] != u'/'))
            ++nameEnd;
        const QString name = tag.left(nameEnd).toLower();
        if (name == u"entry") {
            inEntry = !tag.trimmed().endsWith(u'/');
            entryHasRef = false;
        } else if (name == u"/entry") {
            inEntry = false;
        } else if (name == u"ref") {
            const auto href = attributeValue(tag, nameEnd, QStringLiteral("href"));
            if (!href || (inEntry && entryHasRef))
                continue;
            entries.append(decodeLineBreaks(*href));
            entryHasRef = inEntry;
        }
    }
    return entries;
}

bool MpvAsxReader::readFile(const QString& path, QStringList& entries, int& errnoValue)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        errnoValue = errno != 0 ? errno : ENOENT;
        return false;
    }
    errno = 0;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        errnoValue = errno != 0 ? errno : EIO;
        return false;
    }
    entries = parse(bytes);
    return true;
}

} // namespace vantoro
