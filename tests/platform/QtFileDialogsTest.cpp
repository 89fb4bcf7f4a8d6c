#include "JpegSamples.h"

#include "common/TestSupport.h"
#include "platform/MainWindowDialogs.h"
#include "platform/QtFileDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>

namespace vantoro {
namespace {

QFileDialog* visibleFileDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

QStringList comboTexts(const QFileDialog* dialog)
{
    QStringList texts;
    const auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    for (int i = 0; combo && i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

// The names the dialog lists in its current folder, sorted. The file model loads and filters
// in the background: waits for up to five seconds until they are the expected ones.
QStringList listedNames(const QFileDialog* dialog, const QStringList& expected)
{
    const auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
    if (!view)
        return {};
    auto names = [view] {
        QStringList result;
        const QAbstractItemModel* model = view->model();
        for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
            result << model->index(row, 0, view->rootIndex()).data().toString();
        result.sort();
        return result;
    };
    test::waitUntil([&] { return names() == expected; }, 5000);
    return names();
}

// Runs `script` on the file dialog once it is shown. If the script never gets to close it, the
// watchdog rejects every file dialog and message box so that the test fails instead of hanging.
class DialogDriver
{
public:
    explicit DialogDriver(std::function<void(QFileDialog*)> script) : m_script(std::move(script))
    {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            if (QFileDialog* dialog = visibleFileDialog()) {
                m_poll.stop();
                m_ran = true;
                m_script(dialog);
            }
        });
        m_poll.start();
        m_watchdog.setSingleShot(true);
        QObject::connect(&m_watchdog, &QTimer::timeout, [] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(widget))
                    box->reject();
                if (auto* dialog = qobject_cast<QFileDialog*>(widget))
                    dialog->reject();
            }
        });
        m_watchdog.start(20000);
    }
    bool ran() const { return m_ran; }

private:
    std::function<void(QFileDialog*)> m_script;
    QTimer m_poll;
    QTimer m_watchdog;
    bool m_ran = false;
};

class QtFileDialogsTest : public ::testing::Test
{
protected:
    QString touch(const QString& name, const QByteArray& bytes = QByteArray("x"))
    {
        const QString path = m_dir.filePath(name);
        test::writeFileBytes(path, bytes);
        return path;
    }
    QTemporaryDir m_dir;
    QtFileDialogs m_dialogs;
};

TEST_F(QtFileDialogsTest, ClipDialogListsByFilterPreviewsAndReturnsSeveralFiles)
{
    const QString photo =
        touch(QStringLiteral("PHOTO.JPG"),
              test::encodeJpeg(test::quadrantImage(QSize(640, 480)), test::JpegKind::Baseline));
    const QString song = touch(QStringLiteral("b song.mp3"));
    touch(QStringLiteral("README"));
    touch(QStringLiteral("list.asx"));

    // "*.*" lists names without an extension too; patterns ignore case.
    const QStringList kAllFiles = {QStringLiteral("PHOTO.JPG"), QStringLiteral("README"),
                                   QStringLiteral("b song.mp3"), QStringLiteral("list.asx")};
    const QStringList kImageFiles = {QStringLiteral("PHOTO.JPG")};
    QStringList allFiles, imageFiles, filters;
    QFileDialog::FileMode mode{};
    QString title;
    bool previewShown = false;
    const DialogDriver driver([&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        mode = dialog->fileMode();
        filters = comboTexts(dialog);
        allFiles = listedNames(dialog, kAllFiles);
        dialog->selectNameFilter(dialog->nameFilters().value(3));
        imageFiles = listedNames(dialog, kImageFiles);
        dialog->selectNameFilter(dialog->nameFilters().value(0));
        auto* pane = dialog->findChild<QLabel*>(QStringLiteral("picturePreview"));
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        if (pane && view) {
            // As a click on the file does.
            const QModelIndexList found =
                view->model()->match(view->model()->index(0, 0, view->rootIndex()), Qt::DisplayRole,
                                     QStringLiteral("PHOTO.JPG"), 1, Qt::MatchExactly);
            if (!found.isEmpty())
                view->setCurrentIndex(found.first());
            previewShown = test::waitUntil([pane] { return !pane->pixmap().isNull(); }, 8000);
        }
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (name)
            name->setText(QStringLiteral("\"PHOTO.JPG\" \"b song.mp3\""));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const QStringList picked = m_dialogs.openFiles(openDialog1Spec(m_dir.path()));
    ASSERT_TRUE(driver.ran());
    EXPECT_EQ(title, QStringLiteral("Select clip(s)"));
    EXPECT_EQ(mode, QFileDialog::ExistingFiles);
    EXPECT_EQ(filters,
              QStringList({QStringLiteral("All file types"), QStringLiteral("Audio (music) files"),
                           QStringLiteral("Video (movie) files"),
                           QStringLiteral("Image files (for slideshow)")}));
    EXPECT_EQ(allFiles, kAllFiles);
    EXPECT_EQ(imageFiles, kImageFiles);
    EXPECT_TRUE(previewShown);
    EXPECT_EQ(picked, QStringList({photo, song}));
}

// Select All in a folder with subfolders, then Open: the files, not the first subfolder. Open on
// a folder alone still goes into it.
TEST_F(QtFileDialogsTest, OpenOnFilesAndFoldersTakesTheFiles)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("a folder/inner")));
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("b folder")));
    const QString one = touch(QStringLiteral("c one.mp3"));
    const QString two = touch(QStringLiteral("d two.wav"));
    const QStringList kListed = {QStringLiteral("a folder"), QStringLiteral("b folder"),
                                 QStringLiteral("c one.mp3"), QStringLiteral("d two.wav")};
    QStringList listed;
    QString folderAfterOpen;
    bool stillOpen = false;
    const DialogDriver driver([&](QFileDialog* dialog) {
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        listed = listedNames(dialog, kListed);
        if (!view || listed != kListed) {
            dialog->reject();
            return;
        }
        // A folder alone: Open goes into it.
        const QModelIndexList folder =
            view->model()->match(view->model()->index(0, 0, view->rootIndex()), Qt::DisplayRole,
                                 QStringLiteral("a folder"), 1, Qt::MatchExactly);
        if (!folder.isEmpty())
            view->selectionModel()->select(folder.first(), QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
        QMetaObject::invokeMethod(dialog, "accept");
        stillOpen = dialog->isVisible();
        folderAfterOpen = dialog->directory().absolutePath();
        dialog->setDirectory(m_dir.path());
        listedNames(dialog, kListed);
        // Everything: Open takes the files.
        view->setFocus();
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QStringList picked = m_dialogs.openFiles(openDialog1Spec(m_dir.path()));
    ASSERT_TRUE(driver.ran());
    ASSERT_EQ(listed, kListed);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(folderAfterOpen, QDir(m_dir.filePath(QStringLiteral("a folder"))).absolutePath());
    picked.sort();
    EXPECT_EQ(picked, QStringList({one, two}));
}

// On a 1280 x 1024 screen the clip dialog opens large enough for the file list with its Name
// and Size columns whole beside the picture preview, and no larger than the screen.
TEST_F(QtFileDialogsTest, ClipDialogOpensWithRoomForTheListAndThePreview)
{
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    if (screen.width() < 1280 || screen.height() < 1024)
        GTEST_SKIP() << "needs a 1280 x 1024 screen (run under Xvfb as platform_file_dialogs_xvfb)";
    touch(QStringLiteral("a rather long name of a holiday video clip.mp4"));
    QSize size;
    QRect pane, list;
    int columnsEnd = -1;
    const DialogDriver driver([&](QFileDialog* dialog) {
        auto* tree = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        auto* preview = dialog->findChild<QLabel*>(QStringLiteral("picturePreview"));
        dialog->setViewMode(QFileDialog::Detail);
        QCoreApplication::processEvents();
        size = dialog->size();
        if (tree && preview && tree->isVisible() && preview->isVisible()) {
            list = QRect(tree->mapTo(dialog, QPoint()), tree->size());
            pane = QRect(preview->mapTo(dialog, QPoint()), preview->size());
            const QHeaderView* header = tree->header();
            columnsEnd = header->sectionViewportPosition(1) + header->sectionSize(1);
            if (columnsEnd > tree->viewport()->width())
                columnsEnd = -columnsEnd; // the Size column is cut
        }
        dialog->reject();
    });
    m_dialogs.openFiles(openDialog1Spec(m_dir.path()));
    ASSERT_TRUE(driver.ran());
    EXPECT_LE(size.width(), 1280);
    EXPECT_LE(size.height(), 1024);
    ASSERT_FALSE(pane.isEmpty());
    EXPECT_TRUE(QRect(QPoint(), size).contains(pane));
    EXPECT_FALSE(list.intersects(pane));
    EXPECT_GT(columnsEnd, 0) << "Name and Size must be whole in view; list is " << list.width()
                             << " wide";
    // Name at least wide enough for an ordinary clip name.
    EXPECT_GE(list.width(), 420);
}

TEST_F(QtFileDialogsTest, PlaylistDialogTakesATypedNameOfAFileThatDoesNotExist)
{
    QStringList filters;
    QFileDialog::FileMode mode{};
    QString title;
    const DialogDriver driver([&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        mode = dialog->fileMode();
        filters = comboTexts(dialog);
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("new list"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const QStringList picked = m_dialogs.openFiles(openDialog2Spec(m_dir.path()));
    ASSERT_TRUE(driver.ran());
    EXPECT_EQ(title, QStringLiteral("Select Playlist"));
    EXPECT_EQ(mode, QFileDialog::AnyFile);
    EXPECT_EQ(filters, QStringList({QStringLiteral("Playlists (*.asx) (default style)"),
                                    QStringLiteral("m3u Playlists (*.m3u)"),
                                    QStringLiteral("pls Playlists (*.pls)"),
                                    QStringLiteral("xspf Playlists (*.xspf)"),
                                    QStringLiteral("wpl Playlists (*.wpl)")}));
    EXPECT_EQ(picked, QStringList({m_dir.filePath(QStringLiteral("new list.asx"))}));
    EXPECT_EQ(m_dialogs.lastFilterIndex(), 0);
}

// The filter the user leaves selected is reported after the dialog closes, cancelled or not.
TEST_F(QtFileDialogsTest, TheFilterLeftSelectedIsReported)
{
    EXPECT_EQ(m_dialogs.lastFilterIndex(), -1);
    const DialogDriver driver([&](QFileDialog* dialog) {
        auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        if (combo)
            combo->setCurrentIndex(1); // as the user picks it
        dialog->reject();
    });
    FileDialogSpec spec = openDialog2Spec(m_dir.path());
    EXPECT_TRUE(m_dialogs.openFiles(spec).isEmpty());
    ASSERT_TRUE(driver.ran());
    EXPECT_EQ(m_dialogs.lastFilterIndex(), 1);

    const DialogDriver opened([](QFileDialog* dialog) { dialog->reject(); });
    spec.filterIndex = 1;
    m_dialogs.openFiles(spec);
    ASSERT_TRUE(opened.ran());
    EXPECT_EQ(m_dialogs.lastFilterIndex(), 1);
}

TEST_F(QtFileDialogsTest, SaveDialogProposesItsNameAndOverwritesOnlyWhenToldNotToAsk)
{
    touch(QStringLiteral("Playlist.asx"));
    for (bool prompt : {false, true}) {
        SCOPED_TRACE(prompt);
        FileDialogSpec spec = saveDialog1Spec(m_dir.path());
        spec.overwritePrompt = prompt;
        QString title, proposed, filter;
        bool asked = false;
        const DialogDriver driver([&](QFileDialog* dialog) {
            title = dialog->windowTitle();
            proposed = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            filter = comboTexts(dialog).join(QLatin1Char('|'));
            // A question box would open inside accept(); answer it No from a timer.
            QTimer::singleShot(200, [&asked] {
                for (QWidget* widget : QApplication::topLevelWidgets()) {
                    if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                        asked = true;
                        box->button(QMessageBox::No) ? box->button(QMessageBox::No)->click()
                                                     : box->reject();
                    }
                }
            });
            QMetaObject::invokeMethod(dialog, "accept");
            if (dialog->isVisible())
                dialog->reject();
        });
        const QString saved = m_dialogs.saveFile(spec);
        ASSERT_TRUE(driver.ran());
        EXPECT_EQ(title, QStringLiteral("do NOT include extension in filename"));
        EXPECT_EQ(proposed, QStringLiteral("Playlist"));
        EXPECT_EQ(filter, QStringLiteral("PlayList (*.asx)"));
        EXPECT_EQ(asked, prompt);
        EXPECT_EQ(saved, prompt ? QString() : m_dir.filePath(QStringLiteral("Playlist.asx")));
    }
}

TEST_F(QtFileDialogsTest, CancelAnswersNothing)
{
    const DialogDriver driver([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_TRUE(m_dialogs.openFiles(openDialog1Spec(m_dir.path())).isEmpty());
    EXPECT_TRUE(driver.ran());
}

TEST(QtFileDialogsFilterTest, StarDotStarMeansEveryFile)
{
    const struct
    {
        const char* given;
        const char* expected;
    } cases[] = {
        {"All file types (*.*)", "All file types (*)"},
        {"Image files (for slideshow) (*.jpg *.jpeg)",
         "Image files (for slideshow) (*.jpg *.jpeg)"},
        {"Mixed (*.asx *.* *.m3u)", "Mixed (*.asx * *.m3u)"},
        {"No patterns", "No patterns"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QtFileDialogs::dialogFilter(QString::fromLatin1(c.given)),
                  QString::fromLatin1(c.expected));
}

} // namespace
} // namespace vantoro
