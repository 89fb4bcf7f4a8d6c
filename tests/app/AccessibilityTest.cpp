// What a screen reader finds in the program's windows, read from the accessibility bus with
// python3-pyatspi (tests/tools/a11y-tree) while the windows are shown: every control has a name,
// the guide panels carry their text, and a message box is announced with its text. Runs under
// Xvfb in a private D-Bus session (see app.cmake); skipped with the reason where the display,
// the bus or pyatspi is missing.

#include "ProgramWindows.h"

#include "platform/QtMessageBoxes.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

namespace vantoro::test {
namespace {

const QString kTreeTool = QStringLiteral(VANTORO_SOURCE_DIR "/tests/tools/a11y-tree");

struct Node
{
    int depth = 0;
    QString role;
    QString name;
    QString description;
    QStringList states;
};

// The tree as the tool prints it; the event loop runs meanwhile, as Qt answers the tool's
// questions on this thread. Empty, with `error` set, when the tool fails.
QList<Node> accessibilityTree(QString& error)
{
    QProcess tool;
    tool.start(kTreeTool, {QApplication::applicationName(), QStringLiteral("10")});
    if (!waitUntil([&] { return tool.state() == QProcess::NotRunning; }, 60000)) {
        tool.kill();
        tool.waitForFinished();
        error = QStringLiteral("a11y-tree did not finish");
        return {};
    }
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        error = QString::fromUtf8(tool.readAllStandardError());
        return {};
    }
    QList<Node> nodes;
    for (const QString& line : QString::fromUtf8(tool.readAllStandardOutput()).split(u'\n')) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() == 5)
            nodes.append(
                {fields[0].toInt(), fields[1], fields[2], fields[3], fields[4].split(u',')});
    }
    return nodes;
}

// The roles of controls a person operates; each needs a name to be told apart.
bool isControl(const Node& node)
{
    static const QStringList roles = {
        QStringLiteral("push button"),  QStringLiteral("check box"),
        QStringLiteral("radio button"), QStringLiteral("toggle button"),
        QStringLiteral("slider"),       QStringLiteral("combo box"),
        QStringLiteral("list"),         QStringLiteral("spin button")};
    return roles.contains(node.role);
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

    // Shows a window and reads the tree while it is in front.
    QList<Node> treeWith(QWidget& window)
    {
        window.show();
        EXPECT_TRUE(waitUntil(
            [&] { return window.windowHandle() && window.windowHandle()->isExposed(); }, 10000));
        QString error;
        QList<Node> nodes = accessibilityTree(error);
        EXPECT_FALSE(nodes.isEmpty()) << error.toStdString();
        window.hide();
        return nodes;
    }
};

TEST_F(ScreenReader, EveryControlOfEveryWindowHasANameAndTheGuidesTheirText)
{
    ProgramWindows windows;
    for (QWidget* window : windows.all()) {
        const QList<Node> nodes = treeWith(*window);
        int controls = 0;
        for (const Node& node : nodes) {
            if (!isControl(node))
                continue;
            ++controls;
            EXPECT_FALSE(node.name.trimmed().isEmpty())
                << qPrintable(window->windowTitle()) << ": a " << qPrintable(node.role)
                << " without a name (" << qPrintable(node.description) << ")";
        }
        EXPECT_GT(controls, 2) << qPrintable(window->windowTitle());
    }

    const auto has = [](const QList<Node>& nodes, const QString& role, const QString& name,
                        const QString& described = QString()) {
        for (const Node& node : nodes) {
            if (node.role == role && node.name == name && node.description.contains(described))
                return true;
        }
        return false;
    };
    const QList<Node> player = treeWith(*windows.player);
    // The three picture-only buttons, and the guide panel, which draws its own text.
    for (const char* name : {"Visit our Home Page", "Open Help File", "Close this window"})
        EXPECT_TRUE(has(player, QStringLiteral("push button"), QString::fromLatin1(name))) << name;
    EXPECT_TRUE(std::any_of(player.begin(), player.end(), [](const Node& node) {
        return node.name == u"Guide" && node.description.contains(u"Play Order");
    }));
    const QList<Node> main = treeWith(*windows.form);
    EXPECT_TRUE(std::any_of(main.begin(), main.end(), [](const Node& node) {
        return node.name == u"Guide" && node.description.contains(u"In the Playlist Box, click");
    }));
    const QList<Node> manager = treeWith(*windows.clipManager);
    EXPECT_TRUE(has(manager, QStringLiteral("list"), QStringLiteral("Action Box")));
    EXPECT_TRUE(has(manager, QStringLiteral("push button"), QStringLiteral(">>")));
}

// A box a person must answer is read out at once: the screen reader finds a dialog named by its
// caption whose description, and a label in it, hold the question.
TEST_F(ScreenReader, AMessageBoxIsAnnouncedWithItsText)
{
    ProgramWindows windows;
    windows.form->show();
    const QString question = QStringLiteral("Save Playlist?");
    QList<Node> nodes;
    QString error;
    QTimer::singleShot(0, [&] {
        QWidget* box = nullptr;
        waitUntil(
            [&] {
                box = QApplication::activeModalWidget();
                return box && box->windowHandle() && box->windowHandle()->isExposed();
            },
            10000);
        nodes = accessibilityTree(error);
        if (box)
            box->close();
    });
    QtMessageBoxes boxes;
    boxes.show(MessageKind::Confirmation, question, MessageButtons::YesNo);
    ASSERT_FALSE(nodes.isEmpty()) << error.toStdString();
    bool announced = false;
    bool labelled = false;
    for (const Node& node : nodes) {
        if ((node.role == u"dialog" || node.role == u"alert") && node.name == u"Confirm" &&
            node.description == question)
            announced = true;
        if (node.role == u"label" && node.name == question)
            labelled = true;
    }
    EXPECT_TRUE(announced);
    EXPECT_TRUE(labelled);
}

} // namespace
} // namespace vantoro::test
