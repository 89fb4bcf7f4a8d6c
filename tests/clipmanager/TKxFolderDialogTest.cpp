#include "clipmanager/TKxFolderDialog.h"

#include "common/FakeFolderBrowser.h"
#include "common/FakeMessageBoxes.h"
#include "common/FakeTextInput.h"
#include "common/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/mount.h>

namespace vantoro {
namespace {

using test::FakeFolderBrowser;
using Window = FakeFolderBrowser::Window;

class FolderDialogTest : public ::testing::Test
{
protected:
    FolderDialogTest()
    {
        services.folderBrowser = &browser;
        services.textInput = &input;
        services.messages = &messages;
        videos = dir.filePath(QStringLiteral("Videos"));
        QDir().mkpath(videos);
    }

    QPushButton* button(Window& window)
    {
        return window.widget()->findChild<QPushButton*>(QStringLiteral("NewFolderButton"));
    }

    // A script that selects `path` and presses the new-folder button.
    FakeFolderBrowser::Script selectAndMakeFolder(const QString& path)
    {
        return [this, path](Window& window, FolderBrowserCallbacks& callbacks) {
            window.selectPath(path);
            callbacks.browserSelectionChanged(window, path, QFileInfo(path).fileName());
            if (QPushButton* b = button(window); b && b->isEnabled())
                b->click();
            return std::optional<QString>(); // Cancel, when the button did not close it
        };
    }

    QStringList entries(const QString& folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                      QDir::Name);
    }

    QTemporaryDir dir;
    QString videos;
    FakeFolderBrowser browser;
    test::FakeTextInput input;
    test::FakeMessageBoxes messages;
    Services services;
};

TEST(FolderDialogCaptions, PickedByLocaleCodeWithDefaultAndFirstEntryFallbacks)
{
    Services none;
    TKxFolderDialog dialog(none);
    dialog.setLocaleCode(QStringLiteral("0407"));
    EXPECT_EQ(dialog.NewFolderCaption(), QStringLiteral("Neu Mappe"));
    EXPECT_EQ(dialog.LabelCaption(), QStringLiteral("Mappe gewählt:"));
    dialog.setLocaleCode(QStringLiteral("0406"));
    EXPECT_EQ(dialog.NewFolderCaption(), QStringLiteral("Ny mappe"));
    // No Swedish entry: the Default ones.
    dialog.setLocaleCode(QStringLiteral("041D"));
    EXPECT_EQ(dialog.NewFolderCaption(), QStringLiteral("New folder"));
    EXPECT_EQ(dialog.LabelCaption(), QStringLiteral("Current folder:"));
    dialog.setLocaleCode(QString());
    EXPECT_EQ(dialog.LabelCaption(), QStringLiteral("Current folder:"));

    // The clip manager's own label list; codes are compared ignoring case.
    dialog.setLabelCaptions({QStringLiteral("Default=Browse to DESTINATION folder:"),
                             QStringLiteral("0c0a=Carpeta:"),
                             QStringLiteral("0409=Browse to DESTINATION folder:")});
    EXPECT_EQ(dialog.LabelCaption(), QStringLiteral("Browse to DESTINATION folder:"));
    dialog.setLocaleCode(QStringLiteral("0C0A"));
    EXPECT_EQ(dialog.LabelCaption(), QStringLiteral("Carpeta:"));

    EXPECT_EQ(TKxFolderDialog::pickCaption(
                  {QStringLiteral("0406=Ny mappe"), QStringLiteral("0413=Nieuwe map")},
                  QStringLiteral("041D")),
              QStringLiteral("Ny mappe"));
    EXPECT_EQ(TKxFolderDialog::pickCaption({}, QStringLiteral("0409")), QString());
    EXPECT_EQ(TKxFolderDialog::pickCaption({QStringLiteral("0409=a=b")}, QStringLiteral("0409")),
              QStringLiteral("a=b"));

    dialog.setNewFolderCaptions({});
    EXPECT_EQ(dialog.NewFolderCaption(), QString());
}

TEST(FolderDialogCaptions, LocaleCodeComesFromTheProcessLocale)
{
    const QByteArray saved = qgetenv("LANG");
    const QByteArray savedAll = qgetenv("LC_ALL");
    const QByteArray savedMessages = qgetenv("LC_MESSAGES");
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    qputenv("LANG", "de_DE.UTF-8");
    Services none;
    TKxFolderDialog german(none);
    qputenv("LANG", "C.UTF-8");
    TKxFolderDialog plain(none);
    qputenv("LANG", saved);
    qputenv("LC_ALL", savedAll);
    qputenv("LC_MESSAGES", savedMessages);

    EXPECT_EQ(german.LocaleCode(), QStringLiteral("0407"));
    EXPECT_EQ(german.NewFolderCaption(), QStringLiteral("Neu Mappe"));
    EXPECT_EQ(german.LabelCaption(), QStringLiteral("Mappe gewählt:"));
    EXPECT_EQ(plain.LocaleCode(), QString());
    EXPECT_EQ(plain.NewFolderCaption(), QStringLiteral("New folder"));
}

TEST(FolderDialogProperties, DefaultsAndCorrectedValues)
{
    Services none;
    TKxFolderDialog dialog(none);
    EXPECT_EQ(dialog.Flags(), TKxFolderDialog::TBrowseInfoFlagSet(TKxFolderDialog::ShowPath));
    EXPECT_EQ(dialog.RootFolder(), TKxFolderDialog::TSHFolders::foDesktopExpanded);
    EXPECT_TRUE(dialog.NewFolderVisible());
    EXPECT_TRUE(dialog.NewFolderEnabled());
    EXPECT_TRUE(dialog.SelectionIsFolder());
    EXPECT_EQ(dialog.NewFolderWidth(), 75);
    dialog.setVersion(QStringLiteral("2.0"));
    EXPECT_EQ(dialog.Version(), QStringLiteral("1.30.00.00"));

    dialog.setNewFolderWidth(0);
    EXPECT_EQ(dialog.NewFolderWidth(), 75);
    dialog.setNewFolderWidth(90);
    dialog.setNewFolderWidth(-5);
    EXPECT_EQ(dialog.NewFolderWidth(), 75);
    dialog.setNewFolderWidth(1);
    EXPECT_EQ(dialog.NewFolderWidth(), 1);
}

TEST(FolderDialogProperties, NewFolderButtonSizeFollowsPixelsPerInch)
{
    EXPECT_EQ(TKxFolderDialog::newFolderButtonSize(75, 96), QSize(75, 23));
    EXPECT_EQ(TKxFolderDialog::newFolderButtonSize(75, 72), QSize(75, 23));
    EXPECT_EQ(TKxFolderDialog::newFolderButtonSize(75, 120), QSize(93, 28));
    EXPECT_EQ(TKxFolderDialog::newFolderButtonSize(75, 144), QSize(112, 35));
    EXPECT_EQ(TKxFolderDialog::newFolderButtonSize(75, 192), QSize(150, 41));
    EXPECT_EQ(TKxFolderDialog::newFolderButtonSize(75, 110), QSize(85, 26));
    EXPECT_EQ(TKxFolderDialog::newFolderButtonGeometry(75, 120, 400, 20), QRect(15, 355, 93, 28));
    EXPECT_EQ(TKxFolderDialog::newFolderButtonGeometry(75, 110, 400, 20), QRect(13, 363, 85, 26));
}

struct CompactCase
{
    const char* path;
    int limit;
    const char* expected;
};

TEST(FolderDialogCompactPath, ShortensLongPathsForTheStatusLine)
{
    const QString longName(60, QLatin1Char('n'));
    const CompactCase cases[] = {
        {"/mnt/Documents and Settings/User/My Documents/My Videos/Holiday 2002", 50,
         "/mnt/.../User/My Documents/My Videos/Holiday 2002"},
        {"//server/share/Video collection/Family/Summer holiday in the mountains", 50,
         "//server/.../Summer holiday in the mountains"},
        {"/home/user/Documents/My Videos/Holiday 2002 at the lake", 50,
         "/home/.../My Videos/Holiday 2002 at the lake"},
        // Fits: unchanged, at the limit and below it.
        {"/home/user/Videos", 50, "/home/user/Videos"},
        {"/home/user/Videos/Holiday 2002/Second week/Da", 50,
         "/home/user/Videos/Holiday 2002/Second week/Da"},
        // One character over the limit.
        {"/home/user/Videos/Holiday 2002/Second week/Day", 45,
         "/home/.../Videos/Holiday 2002/Second week/Day"},
        // Relative paths keep their first folder too.
        {"clips/of the first summer/at the sea/and the rest of it", 40,
         "clips/.../at the sea/and the rest of it"},
        // Limits below 6 cut without any "...".
        {"/home/user/Videos", 5, "/home"},
        {"/home/user/Videos", 0, ""},
        // No folder separator, or fewer than two after the first two characters.
        {"just-a-very-long-file-name-without-any-folders-in-it-at-all", 20, "just-a-very-long-fil"},
        {"/home/a-very-long-folder-name-well-beyond-the-limit-of-fifty", 50,
         "/home/a-very-long-folder-name-well-beyond-the-limi"},
        {"//server/a-very-long-share-name-well-beyond-the-limit-of-fifty", 50,
         "//server/a-very-long-share-name-well-beyond-the-li"},
        // The last folder alone is too long: cut, ending in "...".
        {"/home/user/a-last-folder-name-that-is-much-too-long-to-fit-in-the-line", 50,
         "/home/.../a-last-folder-name-that-is-much-too-l..."},
        {"/", 50, "/"},
        {"", 50, ""},
    };
    for (const CompactCase& c : cases) {
        const QString result = TKxFolderDialog::CompactPath(QString::fromUtf8(c.path), c.limit);
        EXPECT_EQ(result, QString::fromUtf8(c.expected)) << c.path << " limit " << c.limit;
        EXPECT_LE(result.size(), qMax(c.limit, 0)) << c.path;
    }
}

TEST_F(FolderDialogTest, ExecuteHandsTheBrowserTitleFlagsRootAndAnswersTheChosenFolder)
{
    TKxFolderDialog dialog(services);
    dialog.setLocaleCode(QStringLiteral("0409"));
    dialog.setFlags(TKxFolderDialog::OnlyFileSystem | TKxFolderDialog::ShowPath);
    dialog.setFolder(videos);
    QSignalSpy initialized(&dialog, &TKxFolderDialog::OnInitialized);
    QSignalSpy changed(&dialog, &TKxFolderDialog::OnSelectionChanged);
    const QString chosen = dir.filePath(QStringLiteral("Videos"));
    browser.scripts.append(FakeFolderBrowser::choose(chosen));

    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Folder(), chosen);
    EXPECT_EQ(dialog.SelectedPath(), chosen);
    ASSERT_EQ(browser.specs.size(), 1);
    EXPECT_EQ(browser.specs[0].title, QStringLiteral("Current folder:"));
    EXPECT_EQ(browser.specs[0].flags,
              FolderBrowseFlag::kReturnOnlyFsDirs | FolderBrowseFlag::kStatusText);
    EXPECT_TRUE(browser.specs[0].rootPath.isEmpty());
    // The folder given is selected first.
    EXPECT_EQ(browser.lastSelected, chosen);
    EXPECT_EQ(initialized.size(), 1);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][3].toString(), chosen);
}

TEST_F(FolderDialogTest, CancelKeepsTheFolderGivenAndAMissingFolderIsNotSelected)
{
    TKxFolderDialog dialog(services);
    const QString missing = dir.filePath(QStringLiteral("no such folder"));
    dialog.setFolder(missing);
    QStringList selectedAtStart;
    browser.scripts.append([&](Window& window, FolderBrowserCallbacks&) {
        selectedAtStart = window.selectedPaths;
        return std::optional<QString>();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(selectedAtStart.isEmpty());
    EXPECT_EQ(dialog.Folder(), missing);
}

TEST_F(FolderDialogTest, RootFoldersMapToTheirFoldersOrTheDefaultTree)
{
    const QString documents = QDir::homePath() + QStringLiteral("/Documents");
    QDir().mkpath(documents);
    TKxFolderDialog dialog(services);
    const struct
    {
        TKxFolderDialog::TSHFolders root;
        QString expected;
    } cases[] = {
        {TKxFolderDialog::TSHFolders::foDesktopExpanded, QString()},
        {TKxFolderDialog::TSHFolders::foDesktop, QString()},
        {TKxFolderDialog::TSHFolders::foPersonal, documents},
        {TKxFolderDialog::TSHFolders::foMyComputer, QStringLiteral("/")},
        {TKxFolderDialog::TSHFolders::foControlPanel, QString()},
        {TKxFolderDialog::TSHFolders::foNetwork, QString()},
        {TKxFolderDialog::TSHFolders::foRecycleBin, QString()},
    };
    for (const auto& c : cases) {
        dialog.setRootFolder(c.root);
        dialog.Execute();
        EXPECT_EQ(browser.specs.last().rootPath, c.expected) << int(c.root);
    }
}

TEST_F(FolderDialogTest, ItemWithoutAPathDisablesOkUnderOnlyFileSystemAndShowsItsName)
{
    TKxFolderDialog dialog(services);
    dialog.setFlags(TKxFolderDialog::OnlyFileSystem | TKxFolderDialog::ShowPath);
    bool okOnHeading = true, okOnFolder = false, buttonOnHeading = true;
    QString statusOnHeading, statusOnFolder;
    const QString deep = videos + QStringLiteral("/Holiday 2002/Second week/Monday at the lake");
    browser.scripts.append([&](Window& window, FolderBrowserCallbacks& callbacks) {
        callbacks.browserSelectionChanged(window, QString(), QStringLiteral("Devices"));
        okOnHeading = window.okEnabled;
        statusOnHeading = window.statusText;
        buttonOnHeading = button(window)->isEnabled();
        callbacks.browserSelectionChanged(window, deep, QStringLiteral("Monday at the lake"));
        okOnFolder = window.okEnabled;
        statusOnFolder = window.statusText;
        return std::optional<QString>();
    });
    dialog.Execute();
    EXPECT_FALSE(okOnHeading);
    EXPECT_FALSE(buttonOnHeading);
    EXPECT_EQ(statusOnHeading, QStringLiteral("Devices"));
    EXPECT_TRUE(okOnFolder);
    EXPECT_EQ(statusOnFolder, TKxFolderDialog::CompactPath(deep, 50));
    EXPECT_LE(statusOnFolder.size(), 50);

    // Without OnlyFileSystem OK stays enabled; without ShowPath the status line is left alone.
    dialog.setFlags({});
    browser.scripts.append([&](Window& window, FolderBrowserCallbacks& callbacks) {
        callbacks.browserSelectionChanged(window, QString(), QStringLiteral("Devices"));
        okOnHeading = window.okEnabled;
        statusOnHeading = window.statusText;
        return std::optional<QString>(QString());
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_TRUE(okOnHeading);
    EXPECT_TRUE(statusOnHeading.isEmpty());
    EXPECT_EQ(dialog.Folder(), QString());
}

TEST_F(FolderDialogTest, NewFolderButtonIsPlacedShownAndEnabledAsSet)
{
    TKxFolderDialog dialog(services);
    dialog.setLocaleCode(QStringLiteral("0413"));
    QRect geometry, resized;
    QString text;
    bool visible = false, enabled = false;
    int ppi = 0;
    browser.scripts.append([&](Window& window, FolderBrowserCallbacks&) {
        QPushButton* b = button(window);
        geometry = b->geometry();
        text = b->text();
        ppi = window.widget()->logicalDpiX();
        visible = !b->isHidden();
        enabled = b->isEnabled();
        window.widget()->show();
        window.widget()->resize(400, 500); // the button follows the bottom edge
        resized = b->geometry();
        return std::optional<QString>();
    });
    dialog.Execute();
    EXPECT_EQ(text, QStringLiteral("Nieuwe map"));
    EXPECT_TRUE(visible);
    EXPECT_TRUE(enabled);
    if (ppi == 96) {
        EXPECT_EQ(geometry, QRect(12, 380 - 36, 75, 23));
        EXPECT_EQ(resized, QRect(12, 500 - 36, 75, 23));
    }

    dialog.setNewFolderVisible(false);
    dialog.setNewFolderEnabled(false);
    browser.scripts.append([&](Window& window, FolderBrowserCallbacks& callbacks) {
        callbacks.browserSelectionChanged(window, videos, QStringLiteral("Videos"));
        visible = !button(window)->isHidden();
        enabled = button(window)->isEnabled();
        return std::optional<QString>();
    });
    dialog.Execute();
    EXPECT_FALSE(visible);
    EXPECT_FALSE(enabled);
    EXPECT_TRUE(input.asked.isEmpty());
}

TEST_F(FolderDialogTest, NewFolderIsMadeInsideTheSelectedFolderAndSelectedAfterTheReopen)
{
    TKxFolderDialog dialog(services);
    dialog.setFolder(dir.path());
    input.answers = {QStringLiteral("  Clips ")};
    browser.scripts.append(selectAndMakeFolder(videos + QLatin1Char('/')));
    QString selectedAfterReopen;
    browser.scripts.append([&](Window& window, FolderBrowserCallbacks& callbacks) {
        selectedAfterReopen = window.selected;
        callbacks.browserSelectionChanged(window, window.selected, QStringLiteral("Clips"));
        return std::optional<QString>(window.selected);
    });
    QSignalSpy initialized(&dialog, &TKxFolderDialog::OnInitialized);

    ASSERT_TRUE(dialog.Execute());
    const QString clips = videos + QStringLiteral("/Clips");
    EXPECT_TRUE(QFileInfo(clips).isDir());
    EXPECT_EQ(selectedAfterReopen, clips);
    EXPECT_EQ(dialog.Folder(), clips);
    EXPECT_EQ(browser.specs.size(), 2);
    EXPECT_EQ(initialized.size(), 2);
    EXPECT_EQ(input.asked, QStringList{QStringLiteral("New folder")});
    EXPECT_TRUE(messages.shown.isEmpty());

    // Cancelled after the reopen: Folder holds the folder just made.
    dialog.setFolder(dir.path());
    input.answers = {QStringLiteral("More")};
    browser.scripts.append(selectAndMakeFolder(videos));
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.Folder(), videos + QStringLiteral("/More"));
    EXPECT_TRUE(QFileInfo(dialog.Folder()).isDir());

    // A folder of that name already there is simply selected.
    input.answers = {QStringLiteral("More")};
    browser.scripts.append(selectAndMakeFolder(videos));
    browser.scripts.append([&](Window& window, FolderBrowserCallbacks&) {
        selectedAfterReopen = window.selected;
        return std::optional<QString>(window.selected);
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(selectedAfterReopen, videos + QStringLiteral("/More"));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(FolderDialogTest, RefusedNamesAreExplainedAndAskedAgainAndNothingIsMadeElsewhere)
{
    TKxFolderDialog dialog(services);
    input.answers = {QStringLiteral("."),
                     QStringLiteral(".."),
                     QStringLiteral("../Escaped"),
                     QStringLiteral("a/./b"),
                     QStringLiteral("a//b"),
                     QStringLiteral("a/"),
                     QStringLiteral("/tmp/elsewhere"),
                     QStringLiteral("nul") + QChar(u'\0') + QStringLiteral("name"),
                     QStringLiteral("Good")};
    browser.scripts.append(selectAndMakeFolder(videos));
    EXPECT_FALSE(dialog.Execute());

    EXPECT_EQ(input.asked.size(), 9);
    ASSERT_EQ(messages.shown.size(), 8);
    for (const auto& shown : messages.shown)
        EXPECT_EQ(shown.kind, MessageKind::Error);
    EXPECT_TRUE(messages.shown[2].text.contains(QStringLiteral("\"..\"")));
    EXPECT_TRUE(messages.shown[3].text.contains(QStringLiteral("\".\"")));
    EXPECT_TRUE(messages.shown[4].text.contains(QStringLiteral("empty")));
    EXPECT_TRUE(messages.shown[6].text.contains(QStringLiteral("empty")));
    EXPECT_TRUE(messages.shown[7].text.contains(QStringLiteral("NUL")));
    EXPECT_EQ(entries(videos), QStringList{QStringLiteral("Good")});
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("Videos")});
    EXPECT_EQ(dialog.Folder(), videos + QStringLiteral("/Good"));

    // Cancel on the question: nothing made, no reopen.
    messages.shown.clear();
    input.answers = {QStringLiteral(".."), std::nullopt};
    browser.scripts.append(selectAndMakeFolder(videos));
    dialog.setFolder(videos);
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(browser.specs.size(), 3);
    EXPECT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(entries(videos), QStringList{QStringLiteral("Good")});

    // An empty answer is a Cancel too: no message, nothing made, no reopen.
    for (const QString& empty : {QString(), QStringLiteral("   ")}) {
        messages.shown.clear();
        input.answers = {empty};
        browser.scripts.append(selectAndMakeFolder(videos));
        const qsizetype shown = browser.specs.size();
        EXPECT_FALSE(dialog.Execute());
        EXPECT_EQ(browser.specs.size(), shown + 1);
        EXPECT_TRUE(messages.shown.isEmpty());
        EXPECT_TRUE(input.answers.isEmpty()) << "asked only once";
        EXPECT_EQ(entries(videos), QStringList{QStringLiteral("Good")});
    }
}

TEST_F(FolderDialogTest, ANameWithSlashesMakesTheNestedFoldersItNames)
{
    TKxFolderDialog dialog(services);
    QDir().mkpath(videos + QStringLiteral("/Old"));
    input.answers = {QStringLiteral("Old/2024/Summer trip")};
    browser.scripts.append(selectAndMakeFolder(videos));
    QString selectedAfterReopen;
    browser.scripts.append([&](Window& window, FolderBrowserCallbacks&) {
        selectedAfterReopen = window.selected;
        return std::optional<QString>(window.selected);
    });
    ASSERT_TRUE(dialog.Execute());
    const QString made = videos + QStringLiteral("/Old/2024/Summer trip");
    EXPECT_TRUE(QFileInfo(made).isDir());
    EXPECT_EQ(selectedAfterReopen, made);
    EXPECT_EQ(dialog.Folder(), made);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("Videos")});

    // A file in the way of a part: reported.
    test::writeFileBytes(videos + QStringLiteral("/Old/file"), "x");
    input.answers = {QStringLiteral("Old/file/x")};
    messages.shown.clear();
    browser.scripts.append(selectAndMakeFolder(videos));
    browser.scripts.append(
        [](Window&, FolderBrowserCallbacks&) { return std::optional<QString>(); });
    EXPECT_FALSE(dialog.Execute());
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("could not be made")));
    EXPECT_TRUE(messages.shown[0].text.contains(videos + QStringLiteral("/Old/file/x")));
    EXPECT_TRUE(QFileInfo(videos + QStringLiteral("/Old/file")).isFile());
}

TEST_F(FolderDialogTest, AFolderThatCannotBeMadeIsReportedAndTheDialogReopensOnTheSelection)
{
    test::writeFileBytes(videos + QStringLiteral("/Clips"), "not a folder");
    TKxFolderDialog dialog(services);
    input.answers = {QStringLiteral("Clips")};
    browser.scripts.append(selectAndMakeFolder(videos));
    QString selectedAfterReopen;
    browser.scripts.append([&](Window& window, FolderBrowserCallbacks&) {
        selectedAfterReopen = window.selected;
        return std::optional<QString>();
    });
    EXPECT_FALSE(dialog.Execute());
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("File exists")))
        << messages.shown[0].text.toStdString();
    EXPECT_TRUE(messages.shown[0].text.contains(videos + QStringLiteral("/Clips")));
    EXPECT_EQ(selectedAfterReopen, videos);
    EXPECT_EQ(dialog.Folder(), videos);
    EXPECT_TRUE(QFileInfo(videos + QStringLiteral("/Clips")).isFile());

    // The selected folder vanished meanwhile.
    messages.shown.clear();
    const QString gone = dir.filePath(QStringLiteral("Gone"));
    input.answers = {QStringLiteral("Clips")};
    browser.scripts.append(selectAndMakeFolder(gone));
    browser.scripts.append(
        [](Window&, FolderBrowserCallbacks&) { return std::optional<QString>(); });
    dialog.Execute();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("No such file or directory")));
    EXPECT_FALSE(QFileInfo::exists(gone));
}

TEST_F(FolderDialogTest, AFolderOnAReadOnlyFileSystemIsReported)
{
    if (!test::runningAsRoot())
        GTEST_SKIP() << "mounting a read-only file system needs root";
    const QString mountPoint = dir.filePath(QStringLiteral("readonly"));
    QDir().mkpath(mountPoint);
    const QByteArray target = QFile::encodeName(mountPoint);
    ASSERT_EQ(::mount("tmpfs", target.constData(), "tmpfs", MS_RDONLY, "size=64k"), 0);
    TKxFolderDialog dialog(services);
    input.answers = {QStringLiteral("Clips")};
    browser.scripts.append(selectAndMakeFolder(mountPoint));
    dialog.Execute();
    ::umount2(target.constData(), MNT_DETACH);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("Read-only file system")))
        << messages.shown[0].text.toStdString();
}

} // namespace
} // namespace vantoro
