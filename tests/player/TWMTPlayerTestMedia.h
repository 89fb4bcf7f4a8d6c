#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

namespace vantoro::test {

// Media written by the tests themselves, so that playback needs nothing downloaded.

// A 16-bit mono PCM WAV file with a sine tone; with a title or artist, a LIST/INFO chunk
// carries them as tags.
void writeToneWav(const QString& path, double seconds, double frequency = 440.0,
                  const QString& title = {}, const QString& artist = {});

// An uncompressed YUV4MPEG2 video of one colour.
void writeY4mVideo(const QString& path, int width, int height, int frames, int fps,
                   const QColor& colour);

// A still image of one colour; the format follows the suffix (png, jpg).
void writeImage(const QString& path, const QColor& colour, int width = 64, int height = 48);

// An ASX playlist line for line as the program's own writer makes it (CR LF, nothing escaped).
void writeAsx(const QString& path, const QStringList& entries);

// Samples of a 16-bit PCM WAV file (the first "data" chunk), channels interleaved.
QList<qint16> readWavSamples(const QString& path, int* sampleRate = nullptr);

} // namespace vantoro::test
