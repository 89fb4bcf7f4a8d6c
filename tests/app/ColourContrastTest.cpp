// Every text of the program's windows against what is behind it, in the style's own light
// palette and in a dark desktop palette: at least 4.5:1 everywhere. With VANTORO_SHOTS set to a
// folder, each window is saved there in both palettes to look at.

#include "ProgramWindows.h"

#include "platform/TextContrast.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

#include <gtest/gtest.h>

namespace vantoro::test {
namespace {

QPalette darkPalette()
{
    QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::Button, QColor(0x40, 0x40, 0x40));
    return dark;
}

// What is drawn behind a widget's text: its own filled background, else that of the nearest
// ancestor that fills its own, else the window's.
QColor backgroundBehind(const QWidget& widget, QPalette::ColorRole role)
{
    if (role != QPalette::Window)
        return widget.palette().color(role);
    const QWidget* w = &widget;
    while (!w->isWindow() && !w->autoFillBackground())
        w = w->parentWidget();
    return w->palette().color(QPalette::Window);
}

struct TextPair
{
    QString what;
    QColor text;
    QColor background;
};

// The text colour and background of every text a window draws through its palette.
QList<TextPair> textsOf(QWidget& window)
{
    QList<TextPair> pairs;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->isHidden())
            continue;
        if (auto* button = qobject_cast<QPushButton*>(w); button && !button->text().isEmpty())
            pairs.append({button->text(), button->palette().color(QPalette::ButtonText),
                          button->palette().color(QPalette::Button)});
        else if (auto* box = qobject_cast<QAbstractButton*>(w); box && !box->text().isEmpty())
            pairs.append({box->text(), box->palette().color(QPalette::WindowText),
                          backgroundBehind(*box, QPalette::Window)});
        else if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty())
            pairs.append({label->text(), label->palette().color(QPalette::WindowText),
                          backgroundBehind(*label, QPalette::Window)});
        else if (auto* group = qobject_cast<QGroupBox*>(w); group && !group->title().isEmpty())
            pairs.append({group->title(), group->palette().color(QPalette::WindowText),
                          backgroundBehind(*group, QPalette::Window)});
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(w))
            pairs.append({memo->toPlainText().left(30), memo->palette().color(QPalette::Text),
                          memo->palette().color(QPalette::Base)});
    }
    return pairs;
}

TEST(ColourContrast, EveryTextOfEveryWindowReadsInALightAndADarkPalette)
{
    const QPalette original = QApplication::palette();
    const QString shots = qEnvironmentVariable("VANTORO_SHOTS");
    const QList<QPair<QString, QPalette>> palettes = {
        {QStringLiteral("light"), QApplication::style()->standardPalette()},
        {QStringLiteral("dark"), darkPalette()}};
    for (const auto& [name, palette] : palettes) {
        QApplication::setPalette(palette);
        ProgramWindows windows;
        for (QWidget* window : windows.all()) {
            int checked = 0;
            for (const TextPair& pair : textsOf(*window)) {
                ++checked;
                EXPECT_GE(TextContrast::ratio(pair.text, pair.background), TextContrast::kMinimum)
                    << qPrintable(name) << " palette, " << qPrintable(window->windowTitle())
                    << ": \"" << qPrintable(pair.what) << "\" " << qPrintable(pair.text.name())
                    << " on " << qPrintable(pair.background.name());
            }
            EXPECT_GT(checked, 2) << qPrintable(window->windowTitle());
            if (!shots.isEmpty()) {
                window->show();
                window->grab().save(QDir(shots).filePath(
                    QStringLiteral("%1-%2.png").arg(window->metaObject()->className(), name)));
                window->hide();
            }
        }
    }
    QApplication::setPalette(original);
}

// Fixed colours of the program on the backgrounds they meet: kept where they read, else moved
// towards black or white in the same hue just far enough.
TEST(ColourContrast, AWeakFixedColourIsDarkenedOrLightenedJustEnough)
{
    const QColor white(Qt::white), aqua(0, 255, 255), teal(0, 128, 128), dark(0x35, 0x35, 0x35);
    const struct
    {
        QColor text;
        QColor background;
        bool kept;
    } cases[] = {
        {QColor(0x33, 0x33, 0xFF), white, true},  {QColor(0x00, 0x00, 0x80), white, true},
        {QColor(0x00, 0x99, 0x00), white, false}, {QColor(0xFF, 0x00, 0x00), white, false},
        {QColor(0x00, 0x99, 0x00), aqua, false},  {QColor(0x00, 0xFF, 0xFF), teal, false},
        {QColor(0x00, 0x00, 0xFF), dark, false},  {QColor(Qt::black), aqua, true},
    };
    for (const auto& c : cases) {
        const QColor shown = TextContrast::readableOn(c.text, c.background);
        const std::string what =
            c.text.name().toStdString() + " on " + c.background.name().toStdString();
        EXPECT_GE(TextContrast::ratio(shown, c.background), TextContrast::kMinimum) << what;
        EXPECT_EQ(shown == c.text, c.kept) << what << " became " << shown.name().toStdString();
        if (!c.kept && c.text.hsvHue() >= 0) {
            EXPECT_NEAR(shown.hsvHue(), c.text.hsvHue(), 2) << what;
            // Just enough: a step less would not read.
            EXPECT_LT(TextContrast::ratio(shown, c.background), TextContrast::kMinimum + 1.0)
                << what;
        }
    }
    EXPECT_NEAR(TextContrast::ratio(Qt::black, Qt::white), 21.0, 0.01);
    EXPECT_NEAR(TextContrast::ratio(aqua, aqua), 1.0, 0.001);
}

} // namespace
} // namespace vantoro::test
