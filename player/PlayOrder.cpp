#include "player/PlayOrder.h"

#include "fileops/IoError.h"
#include "platform/MessageBoxes.h"
#include "playlists/ClipList.h"

#include <QCollator>
#include <QDate>
#include <QFile>
#include <QLocale>
#include <QTime>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <numeric>

namespace vantoro {

namespace {

struct SortEntry
{
    qint64 key;      // PlayOrderKeys::kNoKey: the clip's date could not be read
    qsizetype index; // position in the clip list before the order
};

// Reads the key of every clip, in clip-list order. Answers 0 or the errno of the first failure.
// A length that cannot be read is a failure; a date that cannot be read is not: that clip has
// no key and goes last, and the player skips it as any clip it cannot play.
int readKeys(const QStringList& paths, OrderKeyKind kind, QList<SortEntry>& entries)
{
    entries.reserve(paths.size());
    for (qsizetype i = 0; i < paths.size(); ++i) {
        struct stat st;
        if (::stat(QFile::encodeName(paths.at(i)).constData(), &st) != 0) {
            const int error = errno != 0 ? errno : EIO;
            if (kind == OrderKeyKind::Length)
                return error;
            entries.append({PlayOrderKeys::kNoKey, i});
            continue;
        }
        const qint64 key = kind == OrderKeyKind::Length
                               ? static_cast<qint64>(st.st_size)
                               : static_cast<qint64>(dosDateStamp(st.st_mtim.tv_sec));
        entries.append({key, i});
    }
    return 0;
}

void applyKeyedOrder(ClipList& clips, PlayOrderKeys& keys, OrderKeyKind kind, bool descending,
                     QList<SortEntry>& entries)
{
    const QStringList& paths = clips.items();
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    // Ascending by (key, path); a stable sort keeps entries equal in both in list order, as
    // the sorted list does when it takes entries one by one. Clips without a key come after
    // all others, in both directions, ascending by path.
    const auto keyless = [](const SortEntry& e) { return e.key == PlayOrderKeys::kNoKey; };
    const auto withoutKeys = std::stable_partition(entries.begin(), entries.end(),
                                                   [&](const SortEntry& e) { return !keyless(e); });
    const auto ascending = [&](const SortEntry& a, const SortEntry& b) {
        if (a.key != b.key)
            return a.key < b.key;
        return collator.compare(paths.at(a.index), paths.at(b.index)) < 0;
    };
    std::stable_sort(entries.begin(), withoutKeys, ascending);
    std::stable_sort(withoutKeys, entries.end(), ascending);
    if (descending)
        std::reverse(entries.begin(), withoutKeys);

    QStringList ordered;
    ordered.reserve(entries.size());
    QList<qint64> values;
    values.reserve(entries.size());
    for (const SortEntry& e : entries) {
        ordered.append(paths.at(e.index));
        values.append(e.key);
    }
    clips.setItems(std::move(ordered));
    keys.kind = kind;
    keys.values = std::move(values);
}

void shuffle(ClipList& clips, ShuffleRandom& random)
{
    // Draw uniformly among the entries not yet taken; the last one of the remaining range
    // fills the hole, which keeps each draw uniform over what is left.
    QStringList remaining = clips.items();
    QStringList drawn;
    drawn.reserve(remaining.size());
    while (!remaining.isEmpty()) {
        std::uniform_int_distribution<qsizetype> pick(0, remaining.size() - 1);
        const qsizetype at = pick(random);
        drawn.append(remaining.at(at));
        if (at != remaining.size() - 1)
            remaining[at] = remaining.constLast();
        remaining.removeLast();
    }
    clips.setItems(std::move(drawn));
}

// The locale's long time format without its time-zone part: a date stamp has no zone.
QString longTimeFormatWithoutZone(const QLocale& locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        result.append(c);
    }
    return result.simplified();
}

} // namespace

QStringList playOrderItems()
{
    return {QStringLiteral("Alphabet"), QStringLiteral("Largest"), QStringLiteral("Smallest"),
            QStringLiteral("Newest"),   QStringLiteral("Oldest"),  QStringLiteral("Shuffle")};
}

bool acceptPlayOrderChoice(const ClipList& clips, MessageBoxes& messages)
{
    if (clips.count() >= 2)
        return true;
    messages.error(QString::fromLatin1(kPlayOrderRefusal));
    return false;
}

ShuffleRandom clockSeededRandom()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch().count();
    const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<quint64>(now) & 0xffffffffu, static_cast<quint64>(now) >> 32,
                       static_cast<quint64>(tick) & 0xffffffffu};
    return ShuffleRandom(seed);
}

int applyPlayOrder(int selectedIndex, ClipList& clips, PlayOrderKeys& keys, ShuffleRandom& random)
{
    if (selectedIndex < 0 || selectedIndex > static_cast<int>(PlayOrderKind::Shuffle))
        return 0;
    const auto kind = static_cast<PlayOrderKind>(selectedIndex);
    switch (kind) {
    case PlayOrderKind::Alphabet:
        clips.setSorted(true);
        keys.clear();
        return 0;
    case PlayOrderKind::Shuffle:
        shuffle(clips, random);
        keys.clear();
        return 0;
    case PlayOrderKind::Largest:
    case PlayOrderKind::Smallest:
    case PlayOrderKind::Newest:
    case PlayOrderKind::Oldest:
        break;
    }
    const bool bySize = kind == PlayOrderKind::Largest || kind == PlayOrderKind::Smallest;
    const OrderKeyKind keyKind = bySize ? OrderKeyKind::Length : OrderKeyKind::DateStamp;
    QList<SortEntry> entries;
    if (const int error = readKeys(clips.items(), keyKind, entries))
        return error;
    const bool descending = kind == PlayOrderKind::Largest || kind == PlayOrderKind::Newest;
    applyKeyedOrder(clips, keys, keyKind, descending, entries);
    return 0;
}

bool applyPlayOrder(int selectedIndex, ClipList& clips, PlayOrderKeys& keys, ShuffleRandom& random,
                    MessageBoxes& messages)
{
    const int error = applyPlayOrder(selectedIndex, clips, keys, random);
    if (error == 0)
        return true;
    messages.error(ioErrorText(error));
    return false;
}

quint32 dosDateStamp(std::time_t moment)
{
    std::tm local{};
    if (!localtime_r(&moment, &local))
        return moment < 0 ? 0x00210000u : 0xFF9FBF7Du;
    const int year = local.tm_year + 1900;
    if (year < 1980)
        return 0x00210000u; // 1980-01-01 00:00:00
    if (year > 2107)
        return 0xFF9FBF7Du; // 2107-12-31 23:59:58
    return static_cast<quint32>(year - 1980) << 25 | static_cast<quint32>(local.tm_mon + 1) << 21 |
           static_cast<quint32>(local.tm_mday) << 16 | static_cast<quint32>(local.tm_hour) << 11 |
           static_cast<quint32>(local.tm_min) << 5 |
           static_cast<quint32>(std::min(local.tm_sec, 59) / 2);
}

QString formatByteCount(qint64 length)
{
    const QString digits = QString::number(length < 0 ? -length : length);
    const QString separator = QLocale().groupSeparator();
    QString grouped;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += separator;
        grouped += digits.at(i);
    }
    if (length < 0)
        grouped.prepend(QLatin1Char('-'));
    return grouped;
}

QString formatDateStamp(quint32 stamp)
{
    const QDate date(static_cast<int>(stamp >> 25) + 1980, static_cast<int>(stamp >> 21 & 0xF),
                     static_cast<int>(stamp >> 16 & 0x1F));
    const QTime time(static_cast<int>(stamp >> 11 & 0x1F), static_cast<int>(stamp >> 5 & 0x3F),
                     static_cast<int>(stamp & 0x1F) * 2);
    const QLocale locale;
    QString text = locale.toString(date, QLocale::ShortFormat);
    if (time != QTime(0, 0))
        text += QLatin1Char(' ') + locale.toString(time, longTimeFormatWithoutZone(locale));
    return text;
}

QString PlayOrderKeys::captionSuffix(qsizetype entry) const
{
    if (kind == OrderKeyKind::None || entry < 1 || entry > values.size())
        return {};
    const qint64 key = values.at(entry - 1);
    if (key == kNoKey)
        return {};
    if (kind == OrderKeyKind::Length)
        return QStringLiteral(" - Bytes: ") + formatByteCount(key);
    return QStringLiteral(" - ") + formatDateStamp(static_cast<quint32>(key));
}

} // namespace vantoro
