#include "TWMTPlayerTestMedia.h"

#include "common/TestSupport.h"

#include <QImage>
#include <QtEndian>

#include <cmath>
#include <numbers>

namespace vantoro::test {

namespace {

void appendLe32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void appendLe16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

QByteArray infoItem(const char* id, const QString& text)
{
    QByteArray value = text.toUtf8();
    value.append('\0');
    if (value.size() % 2 != 0)
        value.append('\0');
    QByteArray item(id, 4);
    appendLe32(item, static_cast<quint32>(text.toUtf8().size() + 1));
    item.append(value);
    return item;
}

} // namespace

void writeToneWav(const QString& path, double seconds, double frequency, const QString& title,
                  const QString& artist)
{
    constexpr int kRate = 8000;
    const int samples = static_cast<int>(seconds * kRate);
    QByteArray data;
    data.reserve(samples * 2);
    for (int i = 0; i < samples; ++i) {
        const double value = 0.5 * std::sin(2.0 * std::numbers::pi * frequency * i / kRate);
        appendLe16(data, static_cast<quint16>(static_cast<qint16>(value * 32767)));
    }
    QByteArray info;
    if (!title.isEmpty())
        info += infoItem("INAM", title);
    if (!artist.isEmpty())
        info += infoItem("IART", artist);

    QByteArray body("WAVE");
    body += "fmt ";
    appendLe32(body, 16);
    appendLe16(body, 1); // PCM
    appendLe16(body, 1); // mono
    appendLe32(body, kRate);
    appendLe32(body, kRate * 2);
    appendLe16(body, 2);
    appendLe16(body, 16);
    if (!info.isEmpty()) {
        body += "LIST";
        appendLe32(body, static_cast<quint32>(info.size() + 4));
        body += "INFO";
        body += info;
    }
    body += "data";
    appendLe32(body, static_cast<quint32>(data.size()));
    body += data;
    QByteArray file("RIFF");
    appendLe32(file, static_cast<quint32>(body.size()));
    file += body;
    writeFileBytes(path, file);
}

void writeY4mVideo(const QString& path, int width, int height, int frames, int fps,
                   const QColor& colour)
{
    // BT.601 studio range, as the C420jpeg header leaves the range to the player's default.
    const double r = colour.redF(), g = colour.greenF(), b = colour.blueF();
    const auto y = static_cast<char>(16 + 65.481 * r + 128.553 * g + 24.966 * b);
    const auto u = static_cast<char>(128 - 37.797 * r - 74.203 * g + 112.0 * b);
    const auto v = static_cast<char>(128 + 112.0 * r - 93.786 * g - 18.214 * b);
    QByteArray file = QStringLiteral("YUV4MPEG2 W%1 H%2 F%3:1 Ip A1:1 C420jpeg\n")
                          .arg(width)
                          .arg(height)
                          .arg(fps)
                          .toLatin1();
    const int lumaSize = width * height;
    const int chromaSize = (width / 2) * (height / 2);
    for (int f = 0; f < frames; ++f) {
        file += "FRAME\n";
        file += QByteArray(lumaSize, y);
        file += QByteArray(chromaSize, u);
        file += QByteArray(chromaSize, v);
    }
    writeFileBytes(path, file);
}

void writeImage(const QString& path, const QColor& colour, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    if (!image.save(path))
        qFatal("cannot write test image %s", qPrintable(path));
}

void writeAsx(const QString& path, const QStringList& entries)
{
    QString text = QStringLiteral("<ASX VERSION=\"3.0\">\r\n"
                                  "<!-- https://vantoro.example/ -->\r\n"
                                  "<Title>%1</Title>\r\n"
                                  "<Author>Vantoro Media Manager</Author>\r\n"
                                  "<Copyright>(c) Vantoro</Copyright>\r\n")
                       .arg(path);
    for (const QString& entry : entries)
        text +=
            QStringLiteral(" <ENTRY><REF HREF=\"") + entry + QStringLiteral("\" /></ENTRY>\r\n");
    text += QStringLiteral("</ASX>\r\n");
    writeFileBytes(path, text.toUtf8());
}

QList<qint16> readWavSamples(const QString& path, int* sampleRate)
{
    const QByteArray file = readFileBytes(path);
    QList<qint16> samples;
    const qsizetype fmt = file.indexOf("fmt ");
    if (fmt >= 0 && sampleRate != nullptr && fmt + 16 <= file.size())
        *sampleRate = static_cast<int>(qFromLittleEndian<quint32>(file.constData() + fmt + 12));
    const qsizetype data = file.indexOf("data");
    if (data < 0)
        return samples;
    for (qsizetype i = data + 8; i + 1 < file.size(); i += 2)
        samples.append(qFromLittleEndian<qint16>(file.constData() + i));
    return samples;
}

} // namespace vantoro::test
