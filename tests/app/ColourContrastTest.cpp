// Every text of the program's windows against what is behind it, in the style's light palette
// and a dark desktop palette: at least 4.5:1. VANTORO_SHOTS=folder keeps a picture of each.

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

// The text colour of a widget and what is drawn behind it: its own filled background, else
// that of the nearest ancestor filling its own.
QPair<QColor, QColor> colours(const QWidget& widget, QPalette::ColorRole text,
                              QPalette::ColorRole background)
{
    const QWidget* behind = &widget;
    while (background == QPalette::Window && !behind->isWindow() && !behind->autoFillBackground())
        behind = behind->parentWidget();
    return {widget.palette().color(text), behind->palette().color(background)};
}

TEST(ColourContrast, EveryTextOfEveryWindowReadsInALightAndADarkPalette)
{
    QPalette dark(QColor(0x40, 0x40, 0x40), QColor(0x2a, 0x2a, 0x2a));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        dark.setColor(role, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    const QPalette original = QApplication::palette();
    for (const auto& [name, palette] :
         {qMakePair(QStringLiteral("light"), QApplication::style()->standardPalette()),
          qMakePair(QStringLiteral("dark"), dark)}) {
        QApplication::setPalette(palette);
        ProgramWindows windows;
        for (QWidget* window : windows.all()) {
            int texts = 0;
            for (QWidget* w : window->findChildren<QWidget*>()) {
                QPair<QColor, QColor> pair;
                QString text;
                if (auto* b = qobject_cast<QPushButton*>(w))
                    pair = colours(*b, QPalette::ButtonText, QPalette::Button), text = b->text();
                else if (auto* c = qobject_cast<QAbstractButton*>(w))
                    pair = colours(*c, QPalette::WindowText, QPalette::Window), text = c->text();
                else if (auto* l = qobject_cast<QLabel*>(w))
                    pair = colours(*l, QPalette::WindowText, QPalette::Window), text = l->text();
                else if (auto* g = qobject_cast<QGroupBox*>(w))
                    pair = colours(*g, QPalette::WindowText, QPalette::Window), text = g->title();
                else if (auto* m = qobject_cast<QPlainTextEdit*>(w))
                    pair = colours(*m, QPalette::Text, QPalette::Base), text = m->toPlainText();
                if (w->isHidden() || text.isEmpty())
                    continue;
                ++texts;
                EXPECT_GE(TextContrast::ratio(pair.first, pair.second), TextContrast::kMinimum)
                    << qPrintable(name + u' ' + window->windowTitle() + u' ' + text.left(30) +
                                  u' ' + pair.first.name() + u'/' + pair.second.name());
            }
            EXPECT_GT(texts, 2) << qPrintable(window->windowTitle());
            if (const QString shots = qEnvironmentVariable("VANTORO_SHOTS"); !shots.isEmpty())
                window->grab().save(QDir(shots).filePath(
                    QStringLiteral("%1-%2.png")
                        .arg(QLatin1String(window->metaObject()->className()), name)));
        }
    }
    QApplication::setPalette(original);

    // The guides' HTML colours on their fixed backgrounds: darkened only as far as needed.
    for (const auto& [text, background] :
         {qMakePair(QColor(0x00, 0x99, 0x00), QColor(Qt::white)),
          qMakePair(QColor(0x00, 0x99, 0x00), QColor(0, 255, 255)),
          qMakePair(QColor(0xFF, 0x00, 0x00), QColor(Qt::white))}) {
        const double shown =
            TextContrast::ratio(TextContrast::readableOn(text, background), background);
        EXPECT_GE(shown, TextContrast::kMinimum) << qPrintable(text.name());
        EXPECT_LT(shown, TextContrast::kMinimum + 0.5) << qPrintable(text.name());
    }
}

} // namespace
} // namespace vantoro::test
