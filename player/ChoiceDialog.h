#pragma once

#include <QDialog>
#include <QStringList>

class QButtonGroup;
class QGroupBox;
class QLayout;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace vantoro {

// The frame the option dialogs (speed, sleep) share: a yellow group of radio items, an aqua
// note, and OK (BitBtn1, the default button) and Cancel (BitBtn2) centred below, all in the
// design's 8-point Arial. Such a dialog is created once and kept, hidden between uses; it keeps
// its last selection, also after Cancel.
//
// OK runs BitBtn1Click, which closes with QDialog::Accepted unless a dialog does more; Cancel
// (or Escape) closes with QDialog::Rejected and nothing else.
class ChoiceDialog : public QDialog
{
    Q_OBJECT

public:
    int itemIndex() const;
    void setItemIndex(int index);
    QRadioButton* item(int index) const;
    QPushButton* bitBtn1() const { return m_bitBtn1; }
    QPushButton* bitBtn2() const { return m_bitBtn2; }

    // Fetches the buttons' pictures before the first show.
    void setVisible(bool visible) override;

protected:
    // Margin and spacing of the layout, in screen pixels.
    static constexpr int kGap = 6;

    ChoiceDialog(const QString& title, QWidget* parent);

    // Arial at the design's point size: the dialog is laid out to its size in it.
    QFont designFont() const;
    // The group of `items`, one radio button each, numbered from 0. A column of items stands
    // without spacing, a row with kGap between them.
    QGroupBox* makeItemGroup(const QString& title, const QStringList& items,
                             Qt::Orientation orientation);
    // A read-only note of `lines`, neither wrapped nor scrolled.
    QPlainTextEdit* makeNote(const QStringList& lines);
    // Room for `lines` in `note`'s font and no more.
    static QSize noteRoom(const QPlainTextEdit& note, const QStringList& lines);
    // Makes OK and Cancel and lays the dialog out: `body` (the group and the note) above, the
    // buttons centred below. Call once, after the group and the note: the focus order is the
    // order in which the controls were made.
    void layOut(QLayout* body);
    // `designSize`, given at 120 dots per inch, in the screen's pixels.
    QSize scaledToScreen(QSize designSize) const;
    void centreOnScreen();

    virtual void BitBtn1Click();

private:
    QButtonGroup* m_items = nullptr;
    QPushButton* m_bitBtn1 = nullptr;
    QPushButton* m_bitBtn2 = nullptr;
};

} // namespace vantoro
