#include "player/TWplayerF2.h"

#include "htmlview/GuideTexts.h"
#include "htmlview/THtmlTextView.h"
#include "platform/HelpPage.h"
#include "platform/MessageBoxes.h"
#include "platform/ModalRunner.h"
#include "platform/ProfileStrings.h"
#include "platform/ShellOpener.h"
#include "platform/TextContrast.h"
#include "player/PlayerControlBar.h"
#include "player/PlayerMediaSession.h"
#include "player/TSleepF.h"
#include "player/TSpeedF.h"
#include "player/TWMTPlayer.h"
#include "playlists/PlaylistFiles.h"
#include "playlists/ProgramState.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vantoro {

namespace {

// Pixel places at the design resolution (120 pixels per inch), client coordinates. The bottom
// row's vertical places follow from the resize rule instead.
constexpr QRect kPlayerRect(0, 0, 714, 327);
constexpr QRect kMemoMarkRect(0, 327, 612, 126);
constexpr QRect kRadioGroupRect(612, 327, 102, 126);
// Screen pixels between the play order's border and its items.
constexpr int kRadioItemMargin = 4;
constexpr QSize kGoButtonSize(80, 27);
constexpr int kGoButtonLeft = 8;
constexpr QRect kPlayRect(96, 0, 252, 50);
constexpr QRect kDisplayRect(352, 0, 268, 50);
constexpr QRect kPanelRect(628, 0, 80, 34);
constexpr int kBoxTop = 22;
constexpr int kBoxHeight = 20;
constexpr int kGlyphSize = 24;

// The style of the play-order items: the window's own, with round indicators no taller than
// a line of their text. Six items share the group's design height, which leaves each a text
// line; the style's larger indicators would overlap one another there.
class CompactRadioStyle final : public QProxyStyle
{
public:
    explicit CompactRadioStyle(int indicator) : m_indicator(indicator) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override
    {
        const int size = QProxyStyle::pixelMetric(metric, option, widget);
        if (metric == PM_ExclusiveIndicatorWidth || metric == PM_ExclusiveIndicatorHeight)
            return std::min(size, m_indicator);
        return size;
    }

private:
    int m_indicator;
};

// The guide panel, an HTML view with the panel's own look.
THtmlTextView* createMemoMark(QWidget* parent, MessageBoxes* messages)
{
    auto* memo = new THtmlTextView(parent);
    memo->setObjectName(QStringLiteral("MemoMark"));
    QObject::connect(memo, &THtmlTextView::OnError, memo, [messages](const QString& message) {
        if (messages)
            messages->error(message);
    });
    // On its fixed aqua the guide's text is black, whatever the desktop's text colour, and a
    // colour of the guide too weak on aqua is drawn darker.
    memo->setDefBackground(clAqua);
    memo->setDefFontColor(clBlack);
    memo->setTextColourFilter(&TextContrast::readableOn);
    memo->setAccessibleName(QStringLiteral("Guide"));
    memo->setBorderStyle(THTMLBorderStyle::htFocused);
    memo->setHistoryMaxCount(0);
    memo->setDefFontName(QStringLiteral("Arial"));
    memo->setDefPreFontName(QStringLiteral("Courier New"));
    memo->setDefFontSize(10);
    memo->setNoSelect(false);
    memo->setMarginHeight(2);
    return memo;
}

} // namespace

TWplayerF2::TWplayerF2(ProgramState& state, const Services& services, TSpeedF& speed,
                       TSleepF& sleep, PlayerWindowSetup setup, QWidget* parent)
    : QDialog(parent), m_state(state), m_services(services), m_speed(speed), m_sleep(sleep),
      m_setup(std::move(setup)), m_memo1(kPlayerGuideHtml.toString()),
      m_random(clockSeededRandom()), m_marking(state),
      m_sleepTimer(state, *services.timers, [this] { done(QDialog::Rejected); })
{
    Q_ASSERT(services.messages && services.shell && services.modal && services.timers);
    setObjectName(QStringLiteral("WplayerF2"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    m_scale = logicalDpiY() / double(kDesignDpi);
    buildUi();
    FormCreate();
    qApp->installEventFilter(this);
}

TWplayerF2::~TWplayerF2()
{
    qApp->removeEventFilter(this);
    // Before the control it watches goes with the other children.
    delete m_mediaSession;
    m_mediaSession = nullptr;
}

int TWplayerF2::scaled(int designPixels) const
{
    return qRound(designPixels * m_scale);
}

void TWplayerF2::buildUi()
{
    // Edges are scaled, not sizes, so that controls that meet at the design meet on screen
    // too, without a pixel of overlap or gap from rounding.
    const auto place = [this](QWidget* widget, const QRect& design) {
        const int left = scaled(design.x());
        const int top = scaled(design.y());
        widget->setGeometry(left, top, scaled(design.x() + design.width()) - left,
                            scaled(design.y() + design.height()) - top);
    };
    const QFont arial(QStringLiteral("Arial"), 8);
    setFont(arial);

    m_wmtPlayer1 = m_setup.makeControl ? m_setup.makeControl(this) : new TWMTPlayer(this);
    m_wmtPlayer1->setParent(this);
    m_wmtPlayer1->setObjectName(QStringLiteral("WMTPlayer1"));
    m_wmtPlayer1->setFocusPolicy(Qt::NoFocus);
    place(m_wmtPlayer1, kPlayerRect);
    connect(m_wmtPlayer1, &TWMTPlayer::NewStream, this, &TWplayerF2::WMTPlayer1NewStream);
    connect(m_wmtPlayer1, &TWMTPlayer::PictureDoubleClicked, this,
            [this] { setFullScreenView(!m_fullScreen); });

    m_memoMark = createMemoMark(this, m_services.messages);
    place(m_memoMark, kMemoMarkRect);

    m_radioGroup1 = new QGroupBox(QStringLiteral("Play order:"), this);
    m_radioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    m_radioGroup1->setFont(arial);
    place(m_radioGroup1, kRadioGroupRect);
    m_radioItems = new QButtonGroup(this);
    m_radioItems->setExclusive(true);
    // The items share the group's contents area (below the title, inside the border), evenly.
    auto* rows = new QVBoxLayout(m_radioGroup1);
    rows->setContentsMargins(kRadioItemMargin, 0, kRadioItemMargin, 0);
    rows->setSpacing(0);
    auto* itemStyle = new CompactRadioStyle(QFontMetrics(arial).height() - 1);
    itemStyle->setParent(this);
    const QStringList items = playOrderItems();
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QRadioButton(items.at(i), m_radioGroup1);
        item->setStyle(itemStyle);
        rows->addWidget(item);
        m_radioItems->addButton(item, i);
    }
    connect(m_radioItems, &QButtonGroup::idClicked, this, &TWplayerF2::RadioGroup1Click);

    QFont goFont(QStringLiteral("Arial"), 10, QFont::Bold, true);
    m_goButton = new QPushButton(QStringLiteral("Go"), this);
    m_goButton->setObjectName(QStringLiteral("GoButton"));
    m_goButton->setFont(goFont);
    TextContrast::fixButtonText(*m_goButton, QColor(0x00, 0x80, 0x00));
    m_goButton->setAutoDefault(false);
    m_goButton->setDefault(true);
    m_goButton->resize(scaled(kGoButtonSize.width()), scaled(kGoButtonSize.height()));
    connect(m_goButton, &QPushButton::clicked, this, &TWplayerF2::GoButtonClick);

    m_markButton = new QPushButton(QStringLiteral("&Mark"), this);
    m_markButton->setObjectName(QStringLiteral("MarkButton"));
    QFont markFont = m_markButton->font();
    markFont.setBold(true);
    m_markButton->setFont(markFont);
    m_markButton->setAutoDefault(false);
    m_markButton->resize(m_goButton->size());
    m_markButton->hide();
    connect(m_markButton, &QPushButton::clicked, this, &TWplayerF2::MarkButtonClick);

    const auto makeBox = [&](QGroupBox* group, const QString& text, const QString& hint, int left,
                             int width, bool checked) {
        auto* box = new QCheckBox(text, group);
        box->setToolTip(hint);
        box->setChecked(checked);
        place(box, QRect(left, kBoxTop, width, kBoxHeight));
        return box;
    };

    m_play = new QGroupBox(QStringLiteral(" Playback options "), this);
    m_play->setObjectName(QStringLiteral("Play"));
    place(m_play, kPlayRect);
    m_checkBox2 = makeBox(m_play, QStringLiteral("Repeat"), QStringLiteral("Play continuously"), 10,
                          76, false);
    m_checkBox3 = makeBox(m_play, QStringLiteral("Speed"), QStringLiteral("Play slower or faster"),
                          90, 72, false);
    m_checkBox4 =
        makeBox(m_play, QStringLiteral("Sleep"),
                QStringLiteral("Shutdown after play or specified minutes"), 168, 72, false);

    m_display = new QGroupBox(QStringLiteral(" Display options "), this);
    m_display->setObjectName(QStringLiteral("Display"));
    place(m_display, kDisplayRect);
    m_checkBox5 = makeBox(m_display, QStringLiteral("Track Bar"), QString(), 10, 86, true);
    m_checkBox6 = makeBox(m_display, QStringLiteral("Status Bar"), QString(), 100, 92, true);
    m_infoBox = makeBox(m_display, QStringLiteral("Info"),
                        QStringLiteral("Show Title and Artist panel"), 198, 62, true);

    connect(m_checkBox2, &QCheckBox::toggled, this, &TWplayerF2::CheckBox2Click);
    connect(m_checkBox3, &QCheckBox::toggled, this, &TWplayerF2::CheckBox3Click);
    connect(m_checkBox4, &QCheckBox::toggled, this, &TWplayerF2::CheckBox4Click);
    connect(m_checkBox5, &QCheckBox::toggled, this, &TWplayerF2::CheckBox5Click);
    connect(m_checkBox6, &QCheckBox::toggled, this, &TWplayerF2::CheckBox6Click);
    connect(m_infoBox, &QCheckBox::toggled, this, &TWplayerF2::InfoBoxClick);

    m_panel1 = new QFrame(this);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setFrameShape(QFrame::Panel);
    m_panel1->setFrameShadow(QFrame::Raised);
    place(m_panel1, kPanelRect);
    const auto makeGlyph = [&](QStyle::StandardPixmap glyph, const QString& hint, int index) {
        auto* button = new QToolButton(m_panel1);
        button->setIcon(style()->standardIcon(glyph));
        button->setToolTip(hint);
        button->setAccessibleName(hint);
        button->setAutoRaise(true);
        // A Tab stop; a click leaves the focus where it was.
        button->setFocusPolicy(Qt::TabFocus);
        place(button, QRect(2 + index * (kGlyphSize + 2), (kPanelRect.height() - kGlyphSize) / 2,
                            kGlyphSize, kGlyphSize));
        return button;
    };
    m_homeButton = makeGlyph(QStyle::SP_DirHomeIcon, QStringLiteral("Visit our Home Page"), 0);
    m_helpButton = makeGlyph(QStyle::SP_DialogHelpButton, QStringLiteral("Open Help File"), 1);
    m_doneButton = makeGlyph(QStyle::SP_DialogCloseButton, QStringLiteral("Close this window"), 2);
    connect(m_homeButton, &QToolButton::clicked, this, &TWplayerF2::HomeButtonClick);
    connect(m_helpButton, &QToolButton::clicked, this, &TWplayerF2::HelpButtonClick);
    connect(m_doneButton, &QToolButton::clicked, this, &TWplayerF2::DoneButtonClick);
    // The desktop's keys for closing a window; Alt+F4 also where no window manager takes it.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::ALT | Qt::Key_F4)}) {
        auto* closing = new QShortcut(keys, this);
        connect(closing, &QShortcut::activated, this, &TWplayerF2::DoneButtonClick);
    }

    // Fixed border: the client area keeps its scaled design size. The resize rule places the
    // bottom row as soon as the size is set.
    setFixedSize(scaled(kDesignWidth), scaled(kDesignHeight));
    FormResize();
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void TWplayerF2::FormCreate()
{
    m_playOrderFlag = false;
    m_memoMark->ShowHtml(m_memo1);
    // What a screen reader reads of the panel, which draws its text itself.
    m_memoMark->setAccessibleDescription(
        QTextDocumentFragment::fromHtml(m_memo1).toPlainText().simplified());
    m_keys.clear();
    readPlayerSettings();
    // The desktop's session is open as long as the window is.
    m_mediaSession = new PlayerMediaSession(*m_wmtPlayer1, *this, m_services.mediaSession,
                                            m_services.screenSaver, this);
    m_mediaSession->open();
}

void TWplayerF2::readPlayerSettings()
{
    const QString& file = m_state.IniFileName;
    if (file.isEmpty())
        return;
    const QString section = QString::fromLatin1(kSettingsSection);
    // A file from before these values existed reads as full volume, not muted, and the
    // control's own picture time.
    bool valid = false;
    const int volume =
        getPrivateProfileString(section, QStringLiteral("Volume"), QStringLiteral("100"), file)
            .toInt(&valid);
    m_wmtPlayer1->setVolume(valid && volume >= 0 && volume <= 100 ? volume : 100);
    m_wmtPlayer1->setMute(getPrivateProfileString(section, QStringLiteral("Mute"),
                                                  QStringLiteral("0"), file) == u"1");
    const int seconds =
        getPrivateProfileString(section, QStringLiteral("PictureSeconds"), QString(), file)
            .toInt(&valid);
    if (valid)
        m_wmtPlayer1->setPictureSeconds(seconds); // other values than the choices are ignored
}

void TWplayerF2::writePlayerSettings()
{
    const QString& file = m_state.IniFileName;
    if (file.isEmpty())
        return;
    const QString section = QString::fromLatin1(kSettingsSection);
    // A failure here is not shown: the main window writes the same file when it closes and
    // reports it there; the values then simply start as before next time.
    writePrivateProfileString(section, QStringLiteral("Volume"),
                              QString::number(m_wmtPlayer1->Volume()), file);
    writePrivateProfileString(section, QStringLiteral("Mute"),
                              m_wmtPlayer1->Mute() ? QStringLiteral("1") : QStringLiteral("0"),
                              file);
    writePrivateProfileString(section, QStringLiteral("PictureSeconds"),
                              QString::number(m_wmtPlayer1->PictureSeconds()), file);
}

void TWplayerF2::setFullScreenView(bool fullScreen)
{
    if (fullScreen == m_fullScreen)
        return;
    m_fullScreen = fullScreen;
    if (fullScreen) {
        m_normalGeometry = geometry();
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        m_wmtPlayer1->setPictureOnly(true);
        m_wmtPlayer1->raise();
        // Without a window manager nothing else gives the window the whole screen.
        if (const QScreen* screen = this->screen())
            setGeometry(screen->geometry());
        showFullScreen();
        m_wmtPlayer1->setGeometry(rect());
    } else {
        m_wmtPlayer1->setPictureOnly(false);
        showNormal();
        setFixedSize(scaled(kDesignWidth), scaled(kDesignHeight));
        if (m_normalGeometry.isValid())
            setGeometry(m_normalGeometry);
        m_wmtPlayer1->setGeometry(scaled(kPlayerRect.x()), scaled(kPlayerRect.y()),
                                  scaled(kPlayerRect.width()), scaled(kPlayerRect.height()));
    }
    activateWindow();
}

void TWplayerF2::FormResize()
{
    // The offsets are pixels of the running screen, not design pixels.
    const int clientHeight = height();
    m_play->move(m_play->x(), clientHeight - m_play->height() - 4);
    m_display->move(m_display->x(), m_play->y());
    m_markButton->move(scaled(kGoButtonLeft), m_play->y() + 18);
    m_goButton->move(scaled(kGoButtonLeft), m_markButton->y());
    m_panel1->move(m_panel1->x(), m_display->y() + 8);
}

void TWplayerF2::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    FormResize();
    if (m_fullScreen)
        m_wmtPlayer1->setGeometry(rect());
}

QRadioButton* TWplayerF2::radioItem(int index) const
{
    return qobject_cast<QRadioButton*>(m_radioItems->button(index));
}

int TWplayerF2::radioGroup1ItemIndex() const
{
    return m_radioItems->checkedId();
}

void TWplayerF2::setBarSettings(bool trackBar, bool statusBar)
{
    m_checkBox5->setChecked(trackBar);
    m_checkBox6->setChecked(statusBar);
}

bool TWplayerF2::trackBarChecked() const
{
    return m_checkBox5->isChecked();
}

bool TWplayerF2::statusBarChecked() const
{
    return m_checkBox6->isChecked();
}

void TWplayerF2::RadioGroup1Click(int /*index*/)
{
    if (acceptPlayOrderChoice(m_state.AllBox, *m_services.messages))
        m_playOrderFlag = true;
}

void TWplayerF2::GoButtonClick()
{
    if (m_goButton->isHidden())
        return; // Go runs once per window
    // The focus on Go or a play order would pass to the next control (Repeat, or Mark once
    // shown), which Space would then press: the window keeps it, so Space pauses.
    const QWidget* focus = focusWidget();
    const bool focusGoes = focus == m_goButton || m_radioGroup1->isAncestorOf(focus);
    m_goButton->hide();
    m_radioGroup1->hide();
    if (focusGoes)
        setFocus(Qt::OtherFocusReason);
    MessageBoxes& messages = *m_services.messages;
    if (m_playOrderFlag &&
        !applyPlayOrder(radioGroup1ItemIndex(), m_state.AllBox, m_keys, m_random, messages))
        return;
    if (!WritePlaylist(m_state.AllBox, m_state.PlayFile, m_state.PlaylistTitle, messages))
        return;
    m_playlistWritten = true;
    m_captionPrefix = QStringLiteral("Vantoro - (");
    m_countSuffix = u'/' + QString::number(m_state.AllBox.count()) + QStringLiteral(") ");
    m_wmtPlayer1->setEnabled(true);
    if (!m_wmtPlayer1->IsSoundCardEnabled())
        messages.information(QString::fromLatin1(kSoundCardWarning));
    if (m_closingDone)
        return; // the sleep countdown closed the window while the warning was up
    m_memoMark->hide();
    if (!m_wmtPlayer1->Open(m_state.PlayFile))
        messages.error(m_wmtPlayer1->errorString());
}

void TWplayerF2::WMTPlayer1NewStream()
{
    const int entry = m_wmtPlayer1->GetCurrentEntry();
    m_marking.newStream(entry);
    if (entry >= 1 && m_state.Tag == kModeNew)
        m_memoMark->hide();
    // An entry the clip list does not hold (the control reporting 0, or a list changed after
    // Go) shows the counter alone.
    QString caption = m_captionPrefix + QString::number(entry) + m_countSuffix;
    if (entry >= 1 && entry <= m_state.AllBox.count())
        caption += Marking::fileNameOf(m_state.AllBox.at(entry - 1));
    caption += m_keys.captionSuffix(entry);
    setWindowTitle(caption);
    updateMarkButton();
}

void TWplayerF2::updateMarkButton()
{
    const bool wasVisible = !m_markButton->isHidden();
    m_markButton->setVisible(m_marking.buttonVisible());
    m_markButton->setEnabled(m_marking.buttonEnabled());
    if (!wasVisible && m_marking.buttonVisible())
        m_markButton->setDefault(true);
}

void TWplayerF2::MarkButtonClick()
{
    m_marking.MarkButtonClick(m_wmtPlayer1->GetCurrentEntry());
    updateMarkButton();
    giveFocusBack();
}

void TWplayerF2::giveFocusBack()
{
    if (isVisible())
        activateWindow();
}

void TWplayerF2::CheckBox2Click(bool checked)
{
    m_wmtPlayer1->setPlayCount(checked ? 0 : 1);
    giveFocusBack();
}

void TWplayerF2::CheckBox3Click(bool checked)
{
    if (checked) {
        m_speed.setPlayerWindow(this);
        if (m_services.modal->exec(m_speed) == QDialog::Accepted) {
            m_wmtPlayer1->setRate(m_speed.rate());
            // Unchecking runs this handler again, which puts the rate back to 1.0.
            m_checkBox3->setChecked(m_speed.speedBoxChecked());
        }
    } else {
        m_wmtPlayer1->setRate(1.0);
    }
    giveFocusBack();
}

void TWplayerF2::CheckBox4Click(bool checked)
{
    if (checked) {
        if (m_services.modal->exec(m_sleep) == QDialog::Accepted) {
            const int index = m_sleep.itemIndex();
            // Unchecking runs this handler again: no shutdown, no countdown.
            m_checkBox4->setChecked(SleepTimer::sleepBoxChecked(index));
            m_sleepTimer.applyChoice(index, m_checkBox4->isChecked());
        }
    } else {
        m_sleepTimer.sleepBoxUnchecked();
    }
    giveFocusBack();
}

void TWplayerF2::CheckBox5Click(bool checked)
{
    m_wmtPlayer1->setShowTracker(checked);
    giveFocusBack();
}

void TWplayerF2::CheckBox6Click(bool checked)
{
    m_wmtPlayer1->setShowStatusBar(checked);
    giveFocusBack();
}

void TWplayerF2::InfoBoxClick(bool checked)
{
    m_wmtPlayer1->setShowDisplay(checked);
    giveFocusBack();
}

void TWplayerF2::HomeButtonClick()
{
    m_services.shell->open(m_setup.productPage);
}

void TWplayerF2::HelpButtonClick()
{
    openHelpPage(*m_services.shell, *m_services.messages, m_services.executableFolder);
}

void TWplayerF2::DoneButtonClick()
{
    done(QDialog::Rejected);
}

bool TWplayerF2::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    // Keypad keys are the same keys; Alt and Ctrl combinations belong to shortcuts (Alt+M is
    // the Mark button's).
    modifiers &= ~Qt::KeypadModifier;
    const bool shift = modifiers == Qt::ShiftModifier;
    const bool plain = modifiers == Qt::NoModifier;
    // The window's own focus child, also while another window is active; a hidden one (Go and
    // the play order after Go) no longer takes keys.
    const QWidget* focus = focusWidget();
    if (focus != nullptr && !focus->isVisible())
        focus = nullptr;
    // The position and volume bars and the picture time use the arrows (and Space) themselves.
    const bool focusTakesArrows = qobject_cast<const QAbstractSlider*>(focus) != nullptr ||
                                  qobject_cast<const QComboBox*>(focus) != nullptr;
    switch (key) {
    case Qt::Key_Escape:
        if (m_fullScreen) {
            setFullScreenView(false);
            return true;
        }
        m_wmtPlayer1->Stop();
        return false;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const bool forward = key == Qt::Key_Right;
        if (focusTakesArrows)
            return false;
        if (shift) {
            m_wmtPlayer1->seekBy(forward ? kSeekSeconds : -kSeekSeconds);
            return true;
        }
        if (forward)
            m_wmtPlayer1->Next();
        else
            m_wmtPlayer1->Previous();
        return false;
    }
    case Qt::Key_Space:
        if (!plain || focusTakesArrows || qobject_cast<const QAbstractButton*>(focus) != nullptr)
            return false;
        m_wmtPlayer1->togglePlay();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        // A focused play-order item moves with the arrows, and a focused guide scrolls.
        if (!plain || focusTakesArrows || qobject_cast<const QRadioButton*>(focus) != nullptr ||
            (focus != nullptr && (focus == m_memoMark || m_memoMark->isAncestorOf(focus))))
            return false;
        m_wmtPlayer1->setVolume(m_wmtPlayer1->Volume() +
                                (key == Qt::Key_Up ? kVolumeStep : -kVolumeStep));
        return true;
    case Qt::Key_M:
        if (!plain)
            return false;
        m_wmtPlayer1->setMute(!m_wmtPlayer1->Mute());
        return true;
    case Qt::Key_F:
        if (!plain)
            return false;
        setFullScreenView(!m_fullScreen);
        return true;
    default:
        return false;
    }
}

bool TWplayerF2::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease)
        m_previewedKey = nullptr;
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        // Qt offers a key first to the focused widget and then, while it is ignored, to each
        // parent in turn; the window's handler runs once, at the first of these.
        auto* widget = static_cast<QWidget*>(watched);
        const bool passedUp = event == m_previewedKey && watched == m_previewedReceiver;
        m_previewedKey = event;
        m_previewedReceiver = widget->parentWidget();
        if (!passedUp) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (FormKeyDown(key->key(), key->modifiers())) {
                m_previewedKey = nullptr;
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TWplayerF2::keyPressEvent(QKeyEvent* event)
{
    // Escape stops playback (FormKeyDown); it must not close the window as in other dialogs.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TWplayerF2::FormClose()
{
    if (m_closingDone)
        return;
    m_closingDone = true;
    m_keys.clear();
    m_wmtPlayer1->Stop();
    setFullScreenView(false);
    writePlayerSettings();
    m_mediaSession->close();
    m_sleepTimer.playerClosing(*m_services.messages);
}

void TWplayerF2::done(int result)
{
    FormClose();
    QDialog::done(result);
}

} // namespace vantoro
