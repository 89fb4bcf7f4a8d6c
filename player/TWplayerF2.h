#pragma once

#include "platform/Services.h"
#include "player/Marking.h"
#include "player/PlayOrder.h"
#include "player/SleepTimer.h"

#include <QDialog>
#include <QString>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QFrame;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace vantoro {

struct ProgramState;
class THtmlTextView;
class TSleepF;
class TSpeedF;
class PlayerMediaSession;
class TWMTPlayer;

// Creates the media control of a player window as a child of `parent`.
using PlayerControlFactory = std::function<TWMTPlayer*(QWidget* parent)>;

// What a player window is built with besides the program state and the services.
struct PlayerWindowSetup
{
    // The address the Home button opens.
    QString productPage;
    // Null: the program's control on the shared libmpv with the system's outputs.
    PlayerControlFactory makeControl;
};

// The player window: the media control, the guide panel, the play order, the playback and
// display options, Go and Mark. A new window is made for every playlist played, shown modally
// and destroyed when it closes (see PlayerWindowOpener).
//
// Services used: messages, shell, modal (the speed and sleep dialogs) and timers (the sleep
// countdown); none of them may be null. The media session and the screen saver (see
// PlayerMediaSession) may be null. The speed and sleep dialogs live for the whole run and
// are only borrowed.
//
// Keys are previewed: they reach FormKeyDown before the focused control. Escape, Left and Right
// are then passed on to it; Escape never closes the window. The player's own keys (Space,
// Shift+Left/Right, Up/Down, M, F) are consumed; see FormKeyDown. Ctrl+W and Alt+F4 close the
// window as Done does. Tab reaches every control, the media control's bars and buttons included.
//
// Full screen shows the picture alone on the whole screen (F, or a double-click on the
// picture); F or Escape go back to the window as it was. Playback goes on across the switch.
//
// Volume, mute and picture time are kept in the settings file (IniFileName) under [Player]:
// read when the window is made, written when it closes. Without a file name nothing is read or
// written.
class TWplayerF2 final : public QDialog
{
    Q_OBJECT

public:
    TWplayerF2(ProgramState& state, const Services& services, TSpeedF& speed, TSleepF& sleep,
               PlayerWindowSetup setup, QWidget* parent = nullptr);
    ~TWplayerF2() override;

    // The client size at the design resolution of 120 pixels per inch.
    static constexpr int kDesignWidth = 714;
    static constexpr int kDesignHeight = 508;
    static constexpr int kDesignDpi = 120;

    static constexpr char kCaption[] = "Vantoro - Player";
    static constexpr char kSoundCardWarning[] = "Warning - Sound Card Not Enabled";

    // Scale from design pixels to this screen's pixels, fixed when the window is created.
    double scale() const { return m_scale; }

    // The two bar settings, handed over before the window is shown and taken back after it
    // has closed. Setting a box runs its handler when the state changes.
    void setBarSettings(bool trackBar, bool statusBar);
    bool trackBarChecked() const;
    bool statusBarChecked() const;

    // The closing steps (forget the play-order keys, stop playback, the shutdown question).
    // Runs once, when the window is done; safe to call again.
    void FormClose();
    bool closingDone() const { return m_closingDone; }

    // Handlers, public so that the window can be driven as the user drives it.
    void GoButtonClick();
    void MarkButtonClick();
    void RadioGroup1Click(int index);
    void WMTPlayer1NewStream();
    void HomeButtonClick();
    void HelpButtonClick();
    void DoneButtonClick();
    // Escape stops (in full screen it only leaves full screen), Left goes to the previous entry,
    // Right to the next. Besides: Space pauses and resumes (not while a button has the focus:
    // Space presses it); Shift+Right/Left seek 10 s (in a picture: next/previous entry);
    // Up/Down change the volume by 5 (not while a play-order item has the focus: they move
    // between the items, nor while the guide has it: they scroll it); M mutes; F switches full
    // screen. While the position or volume bar or the picture time has the focus, the arrows
    // and Space are left to it. Answers whether the key was the player's own and is consumed;
    // Escape, Left and Right never are.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    static constexpr double kSeekSeconds = 10.0;
    static constexpr int kVolumeStep = 5;
    static constexpr char kSettingsSection[] = "Player";

    bool isFullScreenView() const { return m_fullScreen; }
    void setFullScreenView(bool fullScreen);

    TWMTPlayer* wmtPlayer1() const { return m_wmtPlayer1; }
    PlayerMediaSession* mediaSession() const { return m_mediaSession; }
    THtmlTextView* memoMark() const { return m_memoMark; }
    QGroupBox* radioGroup1() const { return m_radioGroup1; }
    QRadioButton* radioItem(int index) const;
    // Index of the selected play order, -1 when none is.
    int radioGroup1ItemIndex() const;
    QPushButton* goButton() const { return m_goButton; }
    QPushButton* markButton() const { return m_markButton; }
    QGroupBox* playGroup() const { return m_play; }
    QGroupBox* displayGroup() const { return m_display; }
    QCheckBox* checkBox2() const { return m_checkBox2; }
    QCheckBox* checkBox3() const { return m_checkBox3; }
    QCheckBox* checkBox4() const { return m_checkBox4; }
    QCheckBox* checkBox5() const { return m_checkBox5; }
    QCheckBox* checkBox6() const { return m_checkBox6; }
    QCheckBox* infoBox() const { return m_infoBox; }
    QFrame* panel1() const { return m_panel1; }
    QToolButton* homeButton() const { return m_homeButton; }
    QToolButton* helpButton() const { return m_helpButton; }
    QToolButton* doneButton() const { return m_doneButton; }

    // Go has written the clip list to PlayFile.
    bool playlistWritten() const { return m_playlistWritten; }
    bool playOrderFlag() const { return m_playOrderFlag; }
    const PlayOrderKeys& playOrderKeys() const { return m_keys; }
    const SleepTimer& sleepTimer() const { return m_sleepTimer; }
    // The HTML source the guide panel shows (Memo1).
    const QString& memo1() const { return m_memo1; }

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildUi();
    void FormCreate();
    void FormResize();
    int scaled(int designPixels) const;
    void giveFocusBack();
    void updateMarkButton();
    void readPlayerSettings();
    void writePlayerSettings();

    void CheckBox2Click(bool checked);
    void CheckBox3Click(bool checked);
    void CheckBox4Click(bool checked);
    void CheckBox5Click(bool checked);
    void CheckBox6Click(bool checked);
    void InfoBoxClick(bool checked);

    ProgramState& m_state;
    Services m_services;
    TSpeedF& m_speed;
    TSleepF& m_sleep;
    PlayerWindowSetup m_setup;
    double m_scale = 1.0;

    QString m_memo1;
    bool m_playOrderFlag = false;
    PlayOrderKeys m_keys;
    ShuffleRandom m_random;
    Marking m_marking;
    SleepTimer m_sleepTimer;
    QString m_captionPrefix;
    QString m_countSuffix;
    bool m_closingDone = false;
    bool m_playlistWritten = false;
    bool m_fullScreen = false;
    QRect m_normalGeometry;

    // Key preview: the key press last handled and the parent it travels to next if ignored,
    // so that a key passed up from a child to its parents is handled once. Compared, never
    // dereferenced.
    const QEvent* m_previewedKey = nullptr;
    const QObject* m_previewedReceiver = nullptr;

    TWMTPlayer* m_wmtPlayer1 = nullptr;
    PlayerMediaSession* m_mediaSession = nullptr;
    THtmlTextView* m_memoMark = nullptr;
    QGroupBox* m_radioGroup1 = nullptr;
    QButtonGroup* m_radioItems = nullptr;
    QPushButton* m_goButton = nullptr;
    QPushButton* m_markButton = nullptr;
    QGroupBox* m_play = nullptr;
    QCheckBox* m_checkBox2 = nullptr;
    QCheckBox* m_checkBox3 = nullptr;
    QCheckBox* m_checkBox4 = nullptr;
    QGroupBox* m_display = nullptr;
    QCheckBox* m_checkBox5 = nullptr;
    QCheckBox* m_checkBox6 = nullptr;
    QCheckBox* m_infoBox = nullptr;
    QFrame* m_panel1 = nullptr;
    QToolButton* m_homeButton = nullptr;
    QToolButton* m_helpButton = nullptr;
    QToolButton* m_doneButton = nullptr;
};

} // namespace vantoro
