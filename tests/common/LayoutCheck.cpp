#include "common/LayoutCheck.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QtMath>

#include <gtest/gtest.h>

#include <algorithm>

namespace vantoro::test {

namespace {

QString describe(const QWidget& w)
{
    QString text = QString::fromLatin1(w.metaObject()->className());
    if (!w.objectName().isEmpty())
        text += QStringLiteral(" '%1'").arg(w.objectName());
    QString caption;
    if (const auto* b = qobject_cast<const QAbstractButton*>(&w))
        caption = b->text();
    else if (const auto* g = qobject_cast<const QGroupBox*>(&w))
        caption = g->title();
    else if (const auto* l = qobject_cast<const QLabel*>(&w))
        caption = l->text().left(40);
    if (!caption.isEmpty())
        text += QStringLiteral(" \"%1\"").arg(caption);
    return text;
}

QString rectText(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The size the text takes on screen: mnemonic ampersands are not drawn, "&&" shows one.
QSize textSize(const QWidget& w, const QString& text)
{
    return QFontMetrics(w.font()).size(Qt::TextShowMnemonic, text);
}

QStyleOptionGroupBox groupBoxOption(const QGroupBox& box)
{
    QStyleOptionGroupBox opt;
    opt.initFrom(&box);
    opt.text = box.title();
    opt.lineWidth = 1;
    opt.midLineWidth = 0;
    opt.textAlignment = Qt::Alignment(box.alignment());
    opt.subControls = QStyle::SC_GroupBoxFrame;
    if (!box.title().isEmpty())
        opt.subControls |= QStyle::SC_GroupBoxLabel;
    if (box.isCheckable())
        opt.subControls |= QStyle::SC_GroupBoxCheckBox;
    opt.features = box.isFlat() ? QStyleOptionFrame::Flat : QStyleOptionFrame::None;
    return opt;
}

// Where a parent shows its children: inside the frame of a frame, inside the border and below
// the title of a group box, else its whole rectangle.
QRect childArea(const QWidget& parent)
{
    if (const auto* box = qobject_cast<const QGroupBox*>(&parent)) {
        const QStyleOptionGroupBox opt = groupBoxOption(*box);
        QRect area = box->style()->subControlRect(QStyle::CC_GroupBox, &opt,
                                                  QStyle::SC_GroupBoxContents, box);
        if (!box->isFlat()) {
            // The border line itself belongs to the frame, not to the contents.
            const QRect frame = box->style()->subControlRect(QStyle::CC_GroupBox, &opt,
                                                             QStyle::SC_GroupBoxFrame, box);
            area = area.intersected(frame.adjusted(1, 1, -1, -1));
        }
        return area;
    }
    if (const auto* frame = qobject_cast<const QFrame*>(&parent);
        frame && !qobject_cast<const QAbstractScrollArea*>(&parent))
        return frame->contentsRect();
    return parent.rect();
}

void checkCaption(const QWidget& w, QStringList& faults)
{
    QStyle* style = w.style();
    const auto tooSmall = [&](const QString& what, const QSize& text, const QRect& area) {
        if (text.width() > area.width() || text.height() > area.height())
            faults.append(QStringLiteral("%1: %2 needs %3x%4 but has %5x%6")
                              .arg(describe(w), what)
                              .arg(text.width())
                              .arg(text.height())
                              .arg(area.width())
                              .arg(area.height()));
    };
    if (const auto* push = qobject_cast<const QPushButton*>(&w)) {
        if (push->text().isEmpty())
            return;
        QStyleOptionButton opt;
        opt.initFrom(push);
        opt.text = push->text();
        opt.icon = push->icon();
        opt.iconSize = push->iconSize();
        if (push->isFlat())
            opt.features |= QStyleOptionButton::Flat;
        if (push->isDefault())
            opt.features |= QStyleOptionButton::DefaultButton;
        const QRect area = style->subElementRect(QStyle::SE_PushButtonContents, &opt, push);
        QSize need = textSize(w, push->text());
        if (!push->icon().isNull())
            need.rwidth() += push->iconSize().width() + 4; // the style's gap to the text
        tooSmall(QStringLiteral("caption"), need, area);
        return;
    }
    if (const auto* tool = qobject_cast<const QToolButton*>(&w)) {
        if (tool->text().isEmpty() || tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
            return;
        QSize need = textSize(w, tool->text());
        if (tool->toolButtonStyle() == Qt::ToolButtonTextBesideIcon && !tool->icon().isNull())
            need.rwidth() += tool->iconSize().width() + 4;
        tooSmall(QStringLiteral("caption"), need, tool->contentsRect());
        return;
    }
    const auto checkIndicatorButton = [&](const QAbstractButton& b, QStyle::SubElement contents) {
        if (b.text().isEmpty())
            return;
        QStyleOptionButton opt;
        opt.initFrom(&b);
        opt.text = b.text();
        opt.icon = b.icon();
        opt.iconSize = b.iconSize();
        // The text is drawn in the contents rectangle, clipped to the widget.
        const QRect area = style->subElementRect(contents, &opt, &b).intersected(b.rect());
        QSize need = textSize(w, b.text());
        if (!b.icon().isNull())
            need.rwidth() += b.iconSize().width() + 4;
        tooSmall(QStringLiteral("caption"), need, area);
    };
    if (const auto* check = qobject_cast<const QCheckBox*>(&w)) {
        checkIndicatorButton(*check, QStyle::SE_CheckBoxContents);
        return;
    }
    if (const auto* radio = qobject_cast<const QRadioButton*>(&w)) {
        checkIndicatorButton(*radio, QStyle::SE_RadioButtonContents);
        return;
    }
    if (const auto* box = qobject_cast<const QGroupBox*>(&w)) {
        if (box->title().isEmpty())
            return;
        const QStyleOptionGroupBox opt = groupBoxOption(*box);
        const QRect label =
            style->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
        if (!box->rect().contains(label))
            faults.append(QStringLiteral("%1: title at %2 does not fit in the box %3")
                              .arg(describe(w), rectText(label), rectText(box->rect())));
        return;
    }
    // A read-only text shown in a box is a caption too: all of it must be in view, without
    // scrolling. Lines are not wrapped where the box does not wrap them.
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(&w); memo && memo->isReadOnly()) {
        const QFontMetrics metrics(memo->font());
        const QStringList lines = memo->toPlainText().split(u'\n');
        int widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        const int margin = qCeil(memo->document()->documentMargin());
        const bool wraps = memo->lineWrapMode() != QPlainTextEdit::NoWrap;
        const QSize need(wraps ? 0 : widest + 2 * margin,
                         static_cast<int>(lines.size()) * metrics.lineSpacing() + 2 * margin);
        tooSmall(QStringLiteral("text"), need, memo->viewport()->rect());
        return;
    }
    if (const auto* edit = qobject_cast<const QTextEdit*>(&w); edit && edit->isReadOnly()) {
        const QSize need = edit->document()->size().toSize();
        tooSmall(QStringLiteral("text"), need, edit->viewport()->rect());
        return;
    }
    if (const auto* label = qobject_cast<const QLabel*>(&w)) {
        if (label->text().isEmpty() || label->wordWrap() || !label->pixmap().isNull())
            return;
        QString text = label->text();
        if (label->textFormat() == Qt::RichText ||
            (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text))) {
            QTextDocument doc;
            doc.setHtml(text);
            text = doc.toPlainText();
        }
        const int margin = label->margin();
        const QRect area = label->contentsRect().adjusted(margin, margin, -margin, -margin);
        const QFontMetrics metrics(label->font());
        const QSize need = metrics.size(label->buddy() ? Qt::TextShowMnemonic : 0, text);
        tooSmall(QStringLiteral("text"), need, area);
    }
}

// Widgets whose children are their own business.
bool drawsItsOwnInsides(const QWidget& w)
{
    return qobject_cast<const QAbstractScrollArea*>(&w) ||
           qobject_cast<const QAbstractSpinBox*>(&w) || qobject_cast<const QComboBox*>(&w);
}

bool isBareFrame(const QWidget& w)
{
    return w.metaObject() == &QFrame::staticMetaObject;
}

void checkWidget(const QWidget& parent, QStringList& faults)
{
    QList<const QWidget*> shown;
    for (const QObject* object : parent.children()) {
        const auto* child = qobject_cast<const QWidget*>(object);
        if (child == nullptr || child->isWindow() || !child->isVisible())
            continue;
        shown.append(child);
    }
    const QRect area = childArea(parent);
    for (const QWidget* child : shown) {
        if (!area.contains(child->geometry()))
            faults.append(QStringLiteral("%1: at %2 sticks out of %3 (children area %4)")
                              .arg(describe(*child), rectText(child->geometry()), describe(parent),
                                   rectText(area)));
        checkCaption(*child, faults);
        if (!drawsItsOwnInsides(*child))
            checkWidget(*child, faults);
    }
    for (qsizetype i = 0; i < shown.size(); ++i) {
        for (qsizetype j = i + 1; j < shown.size(); ++j) {
            const QRect a = shown[i]->geometry();
            const QRect b = shown[j]->geometry();
            if (!a.intersects(b))
                continue;
            if ((isBareFrame(*shown[i]) && a.contains(b)) ||
                (isBareFrame(*shown[j]) && b.contains(a)))
                continue;
            faults.append(
                QStringLiteral("%1 at %2 overlaps %3 at %4")
                    .arg(describe(*shown[i]), rectText(a), describe(*shown[j]), rectText(b)));
        }
    }
}

} // namespace

QStringList layoutFaults(const QWidget& window)
{
    QStringList faults;
    checkCaption(window, faults);
    checkWidget(window, faults);
    return faults;
}

QString saveScreenshot(QWidget& window, const QString& name)
{
    const QString build = qEnvironmentVariable("VANTORO_BUILD_DIR");
    const QString folder = build.isEmpty()
                               ? QDir::tempPath() + QStringLiteral("/vantoro-screenshots")
                               : build + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    const QString path = folder + u'/' + name + QStringLiteral(".png");
    window.grab().save(path);
    return path;
}

void expectCleanLayout(QWidget& window, const QString& name)
{
    if (!window.isVisible()) {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    QCoreApplication::processEvents();
    const QString shot = saveScreenshot(window, name);
    for (const QString& fault : layoutFaults(window))
        ADD_FAILURE() << name.toStdString() << ": " << fault.toStdString()
                      << "  (screenshot: " << shot.toStdString() << ")";
}

} // namespace vantoro::test
