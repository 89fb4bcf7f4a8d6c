// The clip dialog on a Wayland compositor that offers no seat (run by tests/tools/with-display
// --wayland, whose headless Weston has none, with QT_IM_MODULE removed from the environment):
// typing a name into its file-name field crashed inside Qt's Wayland text input. The program
// turns input methods off first when the compositor has no seat; this process does the same and
// must live through the typing. Exit 0 when it did, 77 (skipped) off Wayland.

#include "platform/MainWindowDialogs.h"
#include "platform/QtFileDialogs.h"
#include "platform/WaylandSeat.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    using namespace vantoro;
    if (qEnvironmentVariableIsSet("QT_IM_MODULE")) {
        std::fprintf(stderr, "run without QT_IM_MODULE: it hides what is tested\n");
        return 2;
    }
    const int seat = waylandSeatOffered();
    const bool turnedOff = disableInputMethodsWithoutWaylandSeat();
    QApplication app(argc, argv);
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        std::printf("SKIP: not on a Wayland compositor\n");
        return 77;
    }
    std::printf("seat offered: %d, input methods turned off: %s\n", seat, turnedOff ? "yes" : "no");
    if (seat == 0 && !turnedOff)
        return 1;

    QTemporaryDir dir;
    bool typed = false;
    // Waits for the dialog and its field, types a name past a cursor blink, then cancels.
    std::function<void()> typeName = [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QLineEdit* field =
            dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (field == nullptr || !field->isVisible()) {
            QTimer::singleShot(100, typeName);
            return;
        }
        field->setFocus();
        QTest::keyClicks(field, QStringLiteral("clip name"));
        QTimer::singleShot(1500, dialog, [&typed, dialog, field] {
            typed = field->text() == QStringLiteral("clip name");
            dialog->reject();
        });
    };
    QTimer::singleShot(0, typeName);
    QTimer::singleShot(20000, [] {
        std::fprintf(stderr, "the clip dialog never came\n");
        std::exit(1);
    });
    QtFileDialogs dialogs;
    dialogs.openFiles(openDialog1Spec(dir.path()));
    std::printf("typed into the file-name field: %s\n", typed ? "yes" : "no");
    return typed ? 0 : 1;
}
