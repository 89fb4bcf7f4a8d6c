#include "platform/FolderBrowserDialog.h"
#include "platform/FolderTreeModel.h"
#include "platform/QtFolderBrowser.h"

#include "common/TestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>
#include <sys/mount.h>

namespace vantoro {
namespace {

QStringList childNames(FolderTreeModel& model, const QModelIndex& parent)
{
    if (model.canFetchMore(parent))
        model.fetchMore(parent);
    QStringList names;
    for (int row = 0; row < model.rowCount(parent); ++row)
        names << model.index(row, 0, parent).data().toString();
    return names;
}

class FolderTreeTest : public ::testing::Test
{
protected:
    FolderTreeTest() : root(dir.path())
    {
        for (const char* folder :
             {"Disc 10", "disc 2", "Alpha/Inner", "Beta", ".hidden/Inside", "Zeta"})
            QDir().mkpath(dir.filePath(QString::fromLatin1(folder)));
        test::writeFileBytes(dir.filePath(QStringLiteral("a file.txt")), "x");
        model.setRootFolder(root);
    }

    QModelIndex top() { return model.index(0, 0); }

    QTemporaryDir dir;
    QString root;
    FolderTreeModel model;
};

TEST_F(FolderTreeTest, ListsFoldersOnlyOneLevelAtATimeInNaturalOrder)
{
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.pathOf(top()), QDir::cleanPath(root));
    // Nothing is read before it is asked for.
    EXPECT_EQ(model.rowCount(top()), 0);
    EXPECT_TRUE(model.hasChildren(top()));
    EXPECT_TRUE(model.canFetchMore(top()));

    EXPECT_EQ(
        childNames(model, top()),
        (QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("disc 2"),
                     QStringLiteral("Disc 10"), QStringLiteral("Zeta")}));
    const QModelIndex alpha = model.index(0, 0, top());
    EXPECT_EQ(model.rowCount(alpha), 0);
    EXPECT_EQ(childNames(model, alpha), QStringList{QStringLiteral("Inner")});
    const QModelIndex beta = model.index(1, 0, top());
    EXPECT_TRUE(childNames(model, beta).isEmpty());
    EXPECT_FALSE(model.hasChildren(beta)); // the expander goes once it is known to be empty
}

TEST_F(FolderTreeTest, HiddenFoldersOnlyOnRequest)
{
    EXPECT_FALSE(model.indexForPath(dir.filePath(QStringLiteral(".hidden/Inside"))).isValid());
    model.setShowHidden(true);
    EXPECT_TRUE(childNames(model, top()).contains(QStringLiteral(".hidden")));
    const QModelIndex inside = model.indexForPath(dir.filePath(QStringLiteral(".hidden/Inside")));
    ASSERT_TRUE(inside.isValid());
    EXPECT_EQ(inside.data().toString(), QStringLiteral("Inside"));
    model.setShowHidden(false);
    EXPECT_FALSE(childNames(model, top()).contains(QStringLiteral(".hidden")));
}

TEST_F(FolderTreeTest, LinksToFoldersAreFollowedWithoutLooping)
{
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("Alpha")),
                            dir.filePath(QStringLiteral("Beta/to alpha"))));
    ASSERT_TRUE(QFile::link(dir.path(), dir.filePath(QStringLiteral("Alpha/Inner/up"))));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("a file.txt")),
                            dir.filePath(QStringLiteral("Beta/to a file"))));

    const QModelIndex link = model.indexForPath(dir.filePath(QStringLiteral("Beta/to alpha")));
    ASSERT_TRUE(link.isValid());
    EXPECT_EQ(childNames(model, link), QStringList{QStringLiteral("Inner")});
    EXPECT_EQ(childNames(model, link.parent()), QStringList{QStringLiteral("to alpha")});

    // "up" leads back to the top folder: shown, but it has nothing below it.
    const QModelIndex up = model.indexForPath(dir.filePath(QStringLiteral("Alpha/Inner/up")));
    ASSERT_TRUE(up.isValid());
    EXPECT_TRUE(childNames(model, up).isEmpty());
    EXPECT_TRUE(up.data(FolderTreeModel::LoopRole).toBool());
    EXPECT_FALSE(model.hasChildren(up));
    EXPECT_FALSE(model.indexForPath(dir.filePath(QStringLiteral("Alpha/Inner/up/Beta"))).isValid());
    // The same folder reached through the link from Beta is no loop: it is not its own ancestor.
    const QModelIndex viaLink =
        model.indexForPath(dir.filePath(QStringLiteral("Beta/to alpha/Inner/up")));
    ASSERT_TRUE(viaLink.isValid());
    EXPECT_TRUE(childNames(model, viaLink).isEmpty());
}

TEST_F(FolderTreeTest, FoldersTheUserCannotWriteToAreMarked)
{
    const QString locked = dir.filePath(QStringLiteral("Zeta"));
    bool mounted = false;
    if (test::runningAsRoot()) {
        // Root may write anywhere the file system lets it: a read-only mount stops it.
        mounted = ::mount("tmpfs", QFile::encodeName(locked).constData(), "tmpfs", MS_RDONLY,
                          "size=64k") == 0;
        ASSERT_TRUE(mounted);
    } else {
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    }
    const QModelIndex zeta = model.indexForPath(locked);
    const QModelIndex beta = model.indexForPath(dir.filePath(QStringLiteral("Beta")));
    const bool zetaWritable = zeta.data(FolderTreeModel::WritableRole).toBool();
    const QString tip = zeta.data(Qt::ToolTipRole).toString();
    const bool iconsDiffer = zeta.data(Qt::DecorationRole).value<QIcon>().cacheKey() !=
                             beta.data(Qt::DecorationRole).value<QIcon>().cacheKey();
    if (mounted)
        ::umount2(QFile::encodeName(locked).constData(), MNT_DETACH);
    else
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_FALSE(zetaWritable);
    EXPECT_TRUE(beta.data(FolderTreeModel::WritableRole).toBool());
    EXPECT_TRUE(iconsDiffer);
    EXPECT_TRUE(tip.contains(QStringLiteral("cannot")));
}

TEST_F(FolderTreeTest, PathsOutsideTheTreeOrMissingAreNotFound)
{
    EXPECT_TRUE(model.indexForPath(root).isValid());
    EXPECT_TRUE(model.indexForPath(root + QStringLiteral("/Alpha/Inner/")).isValid());
    EXPECT_FALSE(model.indexForPath(root + QStringLiteral("/Missing")).isValid());
    EXPECT_FALSE(model.indexForPath(root + QStringLiteral("/a file.txt")).isValid());
    EXPECT_FALSE(model.indexForPath(QStringLiteral("/")).isValid());
    EXPECT_FALSE(model.indexForPath(QStringLiteral("Alpha")).isValid());
    EXPECT_FALSE(model.indexForPath(QString()).isValid());
}

TEST(FolderTreeDefault, PlacesAndDevicesWithHomeFirst)
{
    const QString videos = QDir::homePath() + QStringLiteral("/Videos");
    QDir().mkpath(videos + QStringLiteral("/Holiday"));
    FolderTreeModel model;
    model.setRootFolder(QString());
    ASSERT_EQ(model.rowCount(), 2);
    const QModelIndex places = model.index(0, 0);
    const QModelIndex devices = model.index(1, 0);
    EXPECT_EQ(places.data().toString(), QStringLiteral("Places"));
    EXPECT_EQ(devices.data().toString(), QStringLiteral("Devices"));
    EXPECT_TRUE(model.pathOf(places).isEmpty());
    EXPECT_EQ(model.pathOf(model.index(0, 0, places)), QDir::cleanPath(QDir::homePath()));
    EXPECT_EQ(model.startIndex(), model.index(0, 0, places));
    EXPECT_EQ(model.pathOf(model.index(0, 0, devices)), QStringLiteral("/"));
    EXPECT_TRUE(childNames(model, places).contains(QStringLiteral("Videos")));

    // A folder below a place is found under the place that holds it most closely.
    const QModelIndex holiday = model.indexForPath(videos + QStringLiteral("/Holiday"));
    ASSERT_TRUE(holiday.isValid());
    EXPECT_EQ(holiday.parent().data().toString(), QStringLiteral("Videos"));
    EXPECT_EQ(holiday.parent().parent(), places);
    // Anything else is found below the root folder.
    const QModelIndex tmp = model.indexForPath(QDir::tempPath());
    ASSERT_TRUE(tmp.isValid());
}

// Callbacks that record what the browser reports and run a script once it is initialised.
class ScriptedCallbacks final : public FolderBrowserCallbacks
{
public:
    void browserInitialized(FolderBrowserWindow& window) override
    {
        ++initialized;
        if (onInitialized)
            onInitialized(window);
    }
    void browserSelectionChanged(FolderBrowserWindow&, const QString& path,
                                 const QString& displayName) override
    {
        selections << path;
        names << displayName;
    }

    int initialized = 0;
    QStringList selections;
    QStringList names;
    std::function<void(FolderBrowserWindow&)> onInitialized;
};

TEST(FolderBrowserDialogTest, OpensCentredOnTheGivenFolderAndAnswersTheChoice)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("Clips/Summer")));
    const QString summer = QDir::cleanPath(dir.filePath(QStringLiteral("Clips/Summer")));
    FolderBrowseSpec spec;
    spec.title = QStringLiteral("Browse to DESTINATION folder:");
    spec.flags = FolderBrowseFlag::kStatusText | FolderBrowseFlag::kReturnOnlyFsDirs;
    ScriptedCallbacks callbacks;
    QRect geometry;
    QString title, status;
    bool selected = false, okEnabled = true;
    callbacks.onInitialized = [&](FolderBrowserWindow& window) {
        selected = window.selectPath(summer);
        window.setStatusText(QStringLiteral("…/Summer"));
        QTimer::singleShot(0, [&, w = window.widget(), win = &window] {
            geometry = w->frameGeometry();
            title = w->findChild<QLabel*>(QStringLiteral("title"))->text();
            status = w->findChild<QLabel*>(QStringLiteral("status"))->text();
            win->enableOk(false);
            okEnabled = static_cast<FolderBrowserDialog*>(w)->okButton()->isEnabled();
            win->enableOk(true);
            QTest::keyClick(static_cast<FolderBrowserDialog*>(w)->tree(), Qt::Key_Return);
        });
    };
    QtFolderBrowser browser;
    const std::optional<QString> chosen = browser.browse(spec, callbacks);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, summer);
    EXPECT_TRUE(selected);
    EXPECT_EQ(callbacks.initialized, 1);
    ASSERT_FALSE(callbacks.selections.isEmpty());
    EXPECT_EQ(callbacks.selections.last(), summer);
    EXPECT_EQ(callbacks.names.last(), QStringLiteral("Summer"));
    EXPECT_EQ(title, spec.title);
    EXPECT_EQ(status, QStringLiteral("…/Summer"));
    EXPECT_FALSE(okEnabled);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(geometry.left(), screen.width() / 2 - geometry.width() / 2);
    EXPECT_EQ(geometry.top(), screen.height() / 2 - geometry.height() / 2);
}

TEST(FolderBrowserDialogTest, CancelAnswersNothingAndAHeadingAnswersAnEmptyPath)
{
    FolderBrowseSpec spec;
    ScriptedCallbacks callbacks;
    callbacks.onInitialized = [](FolderBrowserWindow& window) {
        QTimer::singleShot(0, [&window] { window.closeAsCancelled(); });
    };
    QtFolderBrowser browser;
    EXPECT_FALSE(browser.browse(spec, callbacks).has_value());
    // Without a selection asked for, the browser starts at home.
    ASSERT_EQ(callbacks.selections.size(), 1);
    EXPECT_EQ(callbacks.selections[0], QDir::cleanPath(QDir::homePath()));

    // Closed while it is being set up: it never shows.
    callbacks.onInitialized = [](FolderBrowserWindow& window) { window.closeAsCancelled(); };
    EXPECT_FALSE(browser.browse(spec, callbacks).has_value());

    callbacks.selections.clear();
    callbacks.onInitialized = [](FolderBrowserWindow& window) {
        QTimer::singleShot(0, [&window] {
            auto* dialog = static_cast<FolderBrowserDialog*>(window.widget());
            dialog->tree()->setCurrentIndex(dialog->model()->index(1, 0)); // "Devices"
            dialog->okButton()->click();
        });
    };
    const std::optional<QString> chosen = browser.browse(spec, callbacks);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_TRUE(chosen->isEmpty());
    EXPECT_EQ(callbacks.names.last(), QStringLiteral("Devices"));
}

TEST(FolderBrowserDialogTest, ShowingHiddenFoldersKeepsTheSelection)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral(".config/app")));
    QDir().mkpath(dir.filePath(QStringLiteral("Visible")));
    FolderBrowseSpec spec;
    spec.rootPath = dir.path();
    ScriptedCallbacks callbacks;
    const QString app = QDir::cleanPath(dir.filePath(QStringLiteral(".config/app")));
    bool hiddenFoundBefore = true, hiddenFoundAfter = false;
    QString answeredAfterHiding;
    callbacks.onInitialized = [&](FolderBrowserWindow& window) {
        hiddenFoundBefore = window.selectPath(app);
        window.selectPath(dir.filePath(QStringLiteral("Visible")));
        QTimer::singleShot(0, [&] {
            auto* dialog = static_cast<FolderBrowserDialog*>(window.widget());
            dialog->showHiddenBox()->setChecked(true);
            hiddenFoundAfter = window.selectPath(app);
            dialog->showHiddenBox()->setChecked(false); // back up to the folder still shown
            answeredAfterHiding = dialog->model()->pathOf(dialog->tree()->currentIndex());
            dialog->accept();
        });
    };
    QtFolderBrowser browser;
    const std::optional<QString> chosen = browser.browse(spec, callbacks);
    EXPECT_FALSE(hiddenFoundBefore);
    EXPECT_TRUE(hiddenFoundAfter);
    EXPECT_EQ(answeredAfterHiding, QDir::cleanPath(dir.path()));
    EXPECT_EQ(chosen.value_or(QString()), QDir::cleanPath(dir.path()));
}

} // namespace
} // namespace vantoro
