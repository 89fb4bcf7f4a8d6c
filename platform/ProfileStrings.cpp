#include "platform/ProfileStrings.h"

#include "platform/AtomicFileWriter.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace vantoro {

namespace {

// Reads a file line by line through a fixed buffer, so that memory stays bounded by the longest
// line however large the file is. Lines end in CR LF, LF or CR; a last line without an end
// counts, an empty remainder after the last end does not.
class LineReader
{
public:
    explicit LineReader(int fd) : m_fd(fd) {}

    // The next line without its end; false at the end of the file or on a read error.
    bool next(QByteArray* line)
    {
        line->clear();
        for (;;) {
            if (m_pos == m_len && !fill())
                return !line->isEmpty() && m_error == 0;
            if (m_skipLf) {
                m_skipLf = false;
                if (m_buffer[m_pos] == '\n') {
                    ++m_pos;
                    continue;
                }
            }
            const char* begin = m_buffer + m_pos;
            const char* end = m_buffer + m_len;
            const char* stop =
                std::find_if(begin, end, [](char c) { return c == '\r' || c == '\n'; });
            line->append(begin, stop - begin);
            if (stop == end) {
                m_pos = m_len;
                continue;
            }
            m_skipLf = *stop == '\r';
            m_pos = (stop - m_buffer) + 1;
            return true;
        }
    }
    // The errno of a failed read, 0 otherwise.
    int error() const { return m_error; }

    // Starts again at the beginning of the file.
    bool rewind()
    {
        m_pos = m_len = 0;
        m_skipLf = false;
        if (::lseek(m_fd, 0, SEEK_SET) != 0) {
            m_error = errno;
            return false;
        }
        return true;
    }

private:
    bool fill()
    {
        if (m_error != 0)
            return false;
        for (;;) {
            const ssize_t n = ::read(m_fd, m_buffer, sizeof m_buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                m_error = errno;
            m_pos = 0;
            m_len = n > 0 ? n : 0;
            return n > 0;
        }
    }

    int m_fd;
    char m_buffer[64 * 1024];
    qsizetype m_pos = 0;
    qsizetype m_len = 0;
    bool m_skipLf = false;
    int m_error = 0;
};

// An open file that closes with the object.
class ReadFile
{
public:
    explicit ReadFile(const QString& fileName)
        : m_fd(::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC)),
          m_error(m_fd < 0 ? errno : 0)
    {}
    ~ReadFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ReadFile(const ReadFile&) = delete;
    ReadFile& operator=(const ReadFile&) = delete;

    int fd() const { return m_fd; }
    int error() const { return m_error; }

private:
    int m_fd;
    int m_error;
};

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

} // namespace

QString getPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultValue, const QString& fileName, int maxChars)
{
    const ReadFile file(fileName);
    if (file.fd() < 0)
        return defaultValue.left(maxChars);
    LineReader reader(file.fd());
    const QString wantedSection = section.trimmed();
    bool inSection = false;
    QByteArray bytes;
    while (reader.next(&bytes)) {
        const QString line = QString::fromUtf8(bytes);
        const QString name = sectionName(line);
        if (!name.isNull()) {
            inSection = name.compare(wantedSection, Qt::CaseInsensitive) == 0;
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
    const ReadFile file(fileName);
    if (file.fd() < 0 && file.error() != ENOENT)
        return file.error();
    // Refuses a file the user may not write before anything is read.
    AtomicFileWriter writer(fileName);
    if (!writer.begin())
        return writer.error();

    // First pass: where the key's line goes. Only positions are kept, never the lines.
    const QString wantedSection = section.trimmed();
    qsizetype sectionAt = -1;
    qsizetype lastContentInSection = -1;
    qsizetype replaceAt = -1;
    bool lastLineHasContent = false;
    qsizetype lineCount = 0;
    std::optional<LineReader> reader;
    QByteArray bytes;
    if (file.fd() >= 0) {
        reader.emplace(file.fd());
        for (qsizetype i = 0; reader->next(&bytes); ++i) {
            lineCount = i + 1;
            const QString line = QString::fromUtf8(bytes);
            lastLineHasContent = !line.trimmed().isEmpty();
            const QString name = sectionName(line);
            if (!name.isNull()) {
                if (sectionAt >= 0)
                    break; // past the end of our section
                if (name.compare(wantedSection, Qt::CaseInsensitive) == 0) {
                    sectionAt = i;
                    lastContentInSection = i;
                }
                continue;
            }
            if (sectionAt < 0)
                continue;
            if (isKeyLine(line, key, nullptr)) {
                replaceAt = i;
                break;
            }
            if (lastLineHasContent)
                lastContentInSection = i;
        }
        if (reader->error() != 0)
            return reader->error();
    }

    // Second pass: copy the file line by line with the key's line replaced or inserted.
    const QByteArray newLine = (key.trimmed() + u'=' + value).toUtf8() + "\r\n";
    const qsizetype insertAfter = replaceAt < 0 ? lastContentInSection : -1;
    QByteArray out;
    const auto flush = [&out, &writer](qsizetype atLeast) {
        if (out.size() < atLeast)
            return true;
        const bool ok = writer.write(out) == out.size();
        out.clear();
        return ok;
    };
    constexpr qsizetype kChunk = 64 * 1024;
    if (reader) {
        if (!reader->rewind())
            return reader->error();
        for (qsizetype i = 0; reader->next(&bytes); ++i) {
            if (i == replaceAt) {
                out += newLine;
            } else {
                out += bytes;
                out += "\r\n";
            }
            if (i == insertAfter)
                out += newLine;
            if (!flush(kChunk))
                return writer.error();
        }
        if (reader->error() != 0)
            return reader->error();
    }
    if (sectionAt < 0) {
        if (lineCount > 0 && lastLineHasContent)
            out += "\r\n";
        out += ('[' + wantedSection + u']').toUtf8() + "\r\n";
        out += newLine;
    }
    if (!flush(0) || !writer.commit())
        return writer.error() != 0 ? writer.error() : EIO;
    return 0;
}

} // namespace vantoro
