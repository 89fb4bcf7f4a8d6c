#include "platform/ProfileStrings.h"

#include "platform/AtomicFileWriter.h"

#include <QFile>
#include <QStringList>

#include <cerrno>

namespace vantoro {

namespace {

QStringList splitLines(const QByteArray& bytes)
{
    QStringList lines;
    const QString text = QString::fromUtf8(bytes);
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

// "[name]" with optional blanks around; answers the trimmed name, or a null string.
QString sectionName(const QString& line)
{
    const QString t = line.trimmed();
    if (t.size() < 2 || t.front() != u'[')
        return {};
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return {};
    return t.mid(1, close - 1).trimmed();
}

bool isKeyLine(const QString& line, const QString& key, QString* value)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return false;
    if (line.left(eq).trimmed().compare(key.trimmed(), Qt::CaseInsensitive) != 0)
        return false;
    if (value)
        *value = line.mid(eq + 1);
    return true;
}

QString unquoted(const QString& raw)
{
    QString v = raw.trimmed();
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

bool readLines(const QString& fileName, QStringList* lines, int* error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QFile::exists(fileName) ? EACCES : ENOENT;
        return false;
    }
    *lines = splitLines(file.readAll());
    *error = 0;
    return true;
}

} // namespace

QString getPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultValue, const QString& fileName,
                                int maxChars)
{
    QStringList lines;
    int error = 0;
    if (!readLines(fileName, &lines, &error))
        return defaultValue.left(maxChars);
    bool inSection = false;
    for (const QString& line : lines) {
        const QString name = sectionName(line);
        if (!name.isNull()) {
            inSection = name.compare(section.trimmed(), Qt::CaseInsensitive) == 0;
            continue;
        }
        QString value;
        if (inSection && isKeyLine(line, key, &value))
            return unquoted(value).left(maxChars);
    }
    return defaultValue.left(maxChars);
}

int writePrivateProfileString(const QString& section, const QString& key, const QString& value,
                              const QString& fileName)
{
    QStringList lines;
    int error = 0;
    if (!readLines(fileName, &lines, &error) && error != ENOENT)
        return error;

    const QString newLine = key.trimmed() + u'=' + value;
    qsizetype sectionAt = -1;
    qsizetype lastContentInSection = -1;
    bool replaced = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString name = sectionName(lines.at(i));
        if (!name.isNull()) {
            if (sectionAt >= 0)
                break; // past the end of our section
            if (name.compare(section.trimmed(), Qt::CaseInsensitive) == 0) {
                sectionAt = i;
                lastContentInSection = i;
            }
            continue;
        }
        if (sectionAt < 0)
            continue;
        if (isKeyLine(lines.at(i), key, nullptr)) {
            lines[i] = newLine;
            replaced = true;
            break;
        }
        if (!lines.at(i).trimmed().isEmpty())
            lastContentInSection = i;
    }
    if (!replaced) {
        if (sectionAt >= 0) {
            lines.insert(lastContentInSection + 1, newLine);
        } else {
            if (!lines.isEmpty() && !lines.back().trimmed().isEmpty())
                lines.append(QString());
            lines.append(u'[' + section.trimmed() + u']');
            lines.append(newLine);
        }
    }

    QByteArray bytes;
    for (const QString& line : std::as_const(lines)) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return AtomicFileWriter::writeWhole(fileName, bytes);
}

} // namespace vantoro
