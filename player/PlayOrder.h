#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <ctime>
#include <random>

namespace vantoro {

class ClipList;
class MessageBoxes;

// The player's play orders, by their index in the "Play order:" group. No selection is -1.
enum class PlayOrderKind : int { Alphabet = 0, Largest, Smallest, Newest, Oldest, Shuffle };

// The items of the "Play order:" group, in index order.
QStringList playOrderItems();

// Refusal shown when an order is picked for a list of fewer than two clips.
inline constexpr char kPlayOrderRefusal[] = "You must have more than 1 clip to change play order";

// A click on a play-order item: answers true when the list has two clips or more (the player
// then sets its play-order flag); otherwise shows the refusal as an error box and answers false.
bool acceptPlayOrderChoice(const ClipList& clips, MessageBoxes& messages);

// What the play-order key list holds.
enum class OrderKeyKind { None, Length, DateStamp };

// The play-order key list: after a size or date order one key per clip, in clip-list order
// (lengths in bytes, or MS-DOS packed local date stamps, kNoKey for a clip whose date could not
// be read); empty after any other order.
struct PlayOrderKeys
{
    static constexpr qint64 kNoKey = -1;

    OrderKeyKind kind = OrderKeyKind::None;
    QList<qint64> values;

    void clear()
    {
        kind = OrderKeyKind::None;
        values.clear();
    }

    // The caption suffix for clip-list entry `entry`, counted from 1: " - Bytes: " and the
    // grouped length, or " - " and the local date and time. Empty when the list holds no key
    // for that entry, or kNoKey.
    QString captionSuffix(qsizetype entry) const;
};

// The generator Shuffle draws from. The player keeps one seeded from the clock; tests seed
// their own.
using ShuffleRandom = std::mt19937_64;
ShuffleRandom clockSeededRandom();

// Applies the order with index `selectedIndex` (-1: none, nothing changes) to `clips` and fills
// `keys`. Alphabet switches the list's sorted mode on; every other order leaves it off.
// Size and date orders sort by (key, path) with paths compared as the clip list's sorted mode
// compares them (case ignored, locale collation); entries equal in both keep their relative
// order, and Largest and Newest are the exact reverse of Smallest and Oldest. A clip whose date
// cannot be read (it vanished, or its folder cannot be searched) has no date to sort by: the
// date orders put it last, after the others, ascending by path.
// Answers 0, or the errno value of the first clip whose length could not be read; then neither
// `clips` nor `keys` has changed.
int applyPlayOrder(int selectedIndex, ClipList& clips, PlayOrderKeys& keys, ShuffleRandom& random);

// The same, showing the I/O error text as an error box on failure; answers true on success.
bool applyPlayOrder(int selectedIndex, ClipList& clips, PlayOrderKeys& keys, ShuffleRandom& random,
                    MessageBoxes& messages);

// MS-DOS packed date and time of a moment, in local time: bits 31-25 year - 1980, 24-21 month,
// 20-16 day, 15-11 hour, 10-5 minute, 4-0 seconds / 2. The format spans 1980-01-01 00:00:00 to
// 2107-12-31 23:59:58; earlier and later moments are clamped to those ends.
quint32 dosDateStamp(std::time_t moment);

// " - Bytes: " suffix text: the length with thousands grouped by the locale's group separator
// ("###,##0").
QString formatByteCount(qint64 length);
// A date stamp as the locale's short date and long time (without time zone); the time is
// left out when it is exactly midnight.
QString formatDateStamp(quint32 stamp);

} // namespace vantoro
