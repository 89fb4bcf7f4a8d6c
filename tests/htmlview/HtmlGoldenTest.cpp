#include "htmlview/GuideTexts.h"
#include "htmlview/HtmlDump.h"
#include "htmlview/HtmlParser.h"
#include "htmlview/TSectionList.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace vantoro {
namespace {

QString goldenPath(const QString& name)
{
    return QStringLiteral(VANTORO_HTML_GOLDEN_DIR) + u'/' + name;
}

QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void writeText(const QString& path, const QString& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(text.toUtf8());
}

// Compares the dump of `html` with the golden file `name`.dump. On a mismatch the actual dump
// is written beside it as `name`.actual; VANTORO_UPDATE_GOLDEN=1 rewrites the golden file.
void expectGolden(const QString& name, QStringView html, int defaultFontSize = 12,
                  const QString& fontName = QStringLiteral("Times New Roman"))
{
    TSectionList doc;
    doc.defaultFontSize = defaultFontSize;
    doc.defaultFontName = fontName;
    const HtmlParseResult result = ParseHtmlBuffer(doc, html);
    QString actual = dumpDocument(doc);
    if (!result.title.isEmpty())
        actual.prepend(QStringLiteral("title \"%1\"\n").arg(result.title));
    const QString expectedPath = goldenPath(name + QStringLiteral(".dump"));
    const QString actualPath = goldenPath(name + QStringLiteral(".actual"));
    if (qEnvironmentVariable("VANTORO_UPDATE_GOLDEN") == u"1")
        writeText(expectedPath, actual);
    const QString expected = readText(expectedPath);
    if (expected != actual) {
        writeText(actualPath, actual);
        FAIL() << "dump differs from " << expectedPath.toStdString() << "; actual written to "
               << actualPath.toStdString();
    }
    QFile::remove(actualPath);
}

TEST(HtmlGolden, MainWindowGuide)
{
    expectGolden(QStringLiteral("main-guide"), kMainGuideHtml);
}

TEST(HtmlGolden, PlayerGuide)
{
    expectGolden(QStringLiteral("player-guide"), kPlayerGuideHtml, 10, QStringLiteral("Arial"));
}

TEST(HtmlGolden, DocumentsFromFiles)
{
    const QStringList inputs =
        QDir(QStringLiteral(VANTORO_HTML_GOLDEN_DIR)).entryList({QStringLiteral("*.html")});
    ASSERT_FALSE(inputs.isEmpty());
    for (const QString& input : inputs) {
        SCOPED_TRACE(input.toStdString());
        expectGolden(input.chopped(5), readText(goldenPath(input)));
    }
}

} // namespace
} // namespace vantoro
