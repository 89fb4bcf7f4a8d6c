// What a screen reader finds, read from the accessibility bus with python3-pyatspi
// (tests/tools/a11y-tree) while the windows are shown: every control has a name, the guide panels
// carry their text, a message box its text. Runs under Xvfb in a private D-Bus session (see
// app.cmake); skipped with the reason where the display, the bus or pyatspi is missing.

#include "ProgramWindows.h"

#include "platform/QtMessageBoxes.h"

#include <QApplication>
#include <QProcess>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

namespace vantoro::test {
namespace {

// Lines "depth, role, name, description, states" of the tree, read while the event loop runs:
// Qt answers the tool's questions on this thread.
QList<QStringList> accessibilityTree(QWidget& window)
{
    EXPECT_TRUE(waitUntil(
        [&] { return window.windowHandle() && window.windowHandle()->isExposed(); }, 10000));
    QProcess tool;
    tool.start(QStringLiteral(VANTORO_SOURCE_DIR "/tests/tools/a11y-tree"),
               {QApplication::applicationName()});
    EXPECT_TRUE(waitUntil([&] { return tool.state() == QProcess::NotRunning; }, 60000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    QList<QStringList> nodes;
    for (const QString& line : QString::fromUtf8(tool.readAllStandardOutput()).split(u'\n'))
        if (const QStringList fields = line.split(u'\t'); fields.size() == 5)
            nodes.append(fields);
    return nodes;
}

bool contains(const QList<QStringList>& nodes, const QString& role, const QString& name,
              const QString& described)
{
    return std::any_of(nodes.begin(), nodes.end(), [&](const QStringList& n) {
        return (role.isEmpty() || n[1] == role) && n[2] == name && n[3].contains(described);
    });
}

class ScreenReader : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() == u"offscreen")
            GTEST_SKIP() << "needs a display (run under tests/tools/with-display)";
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            GTEST_SKIP() << "no D-Bus session bus for the accessibility bus";
        if (QProcess::execute(QStringLiteral("/usr/bin/python3"),
                              {QStringLiteral("-c"), QStringLiteral("import pyatspi")}) != 0)
            GTEST_SKIP() << "python3-pyatspi is not installed";
    }
    ProgramWindows windows;
};

TEST_F(ScreenReader, EveryControlHasANameTheGuidesTheirTextAndABoxItsQuestion)
{
    const QStringList controls = {"push button", "check box", "radio button", "toggle button",
                                  "slider",      "combo box", "list",         "spin button"};
    QList<QStringList> seen[5];
    for (int i = 0; i < 5; ++i) {
        QWidget* window = windows.all().at(i);
        window->show();
        seen[i] = accessibilityTree(*window);
        window->hide();
        const auto named = std::count_if(seen[i].begin(), seen[i].end(), [&](const QStringList& n) {
            EXPECT_TRUE(!controls.contains(n[1]) || !n[2].trimmed().isEmpty())
                << qPrintable(window->windowTitle() + u": a " + n[1] + u" without a name");
            return controls.contains(n[1]);
        });
        EXPECT_GT(named, 2) << qPrintable(window->windowTitle());
    }
    EXPECT_TRUE(contains(seen[0], {}, "Guide", "In the Playlist Box, click"));
    EXPECT_TRUE(contains(seen[1], {}, "Guide", "Play Order"));
    for (const char* name : {"Visit our Home Page", "Open Help File", "Close this window"})
        EXPECT_TRUE(contains(seen[1], "push button", QString::fromLatin1(name), {})) << name;
    EXPECT_TRUE(contains(seen[2], "list", "Action Box", {}));

    // A message box: a dialog named by its caption, described and labelled by its question.
    windows.form->show();
    QList<QStringList> box;
    QTimer::singleShot(0, [&] {
        QWidget* modal = nullptr;
        waitUntil([&] { return (modal = QApplication::activeModalWidget()) != nullptr; }, 5000);
        box = accessibilityTree(*modal);
        modal->close();
    });
    QtMessageBoxes().show(MessageKind::Confirmation, QStringLiteral("Save Playlist?"),
                          MessageButtons::YesNo);
    EXPECT_TRUE(contains(box, "dialog", "Confirm", "Save Playlist?") ||
                contains(box, "alert", "Confirm", "Save Playlist?"));
    EXPECT_TRUE(contains(box, "label", "Save Playlist?", {}));
}

} // namespace
} // namespace vantoro::test
