#include "clipmanager/TShellFileOp.h"

#include "common/FakeFileOperationEngine.h"

#include <gtest/gtest.h>

namespace vantoro {
namespace {

namespace Flag = FileOperationFlag;

// The clip manager window's settings of its component.
void configureAsClipManager(TShellFileOp& op)
{
    op.setFilesOnly(true);
    op.setNoConfirmation(false);
    op.setAutoMakeDir(false);
    op.setRenameOnCollision(false);
    op.setAnimate(true);
    op.setProgressTitle(QStringLiteral("Vantoro"));
}

TEST(TShellFileOp, ClipManagerSettingsGiveTheirFlagsAndAllowUndoStaysAfterADelete)
{
    test::FakeFileOperationEngine engine;
    TShellFileOp op(engine);
    configureAsClipManager(op);

    op.AddFile(QStringLiteral("/v/a.avi"));
    op.CopyFiles(QStringLiteral("/keep"));
    op.AddFile(QStringLiteral("/v/b.avi"));
    op.MoveFiles(QStringLiteral("/keep2"));
    EXPECT_FALSE(op.AllowUndo());
    op.AddFile(QStringLiteral("/v/c.avi"));
    EXPECT_FALSE(op.DeleteFiles());
    EXPECT_TRUE(op.AllowUndo());
    op.AddFile(QStringLiteral("/v/d.avi"));
    op.CopyFiles(QStringLiteral("/keep3"));
    op.AddFile(QStringLiteral("/v/e.avi"));
    op.MoveFiles(QStringLiteral("/keep4"));
    EXPECT_TRUE(op.AllowUndo());

    ASSERT_EQ(engine.requests.size(), 5);
    const struct
    {
        FileOperationCode code;
        quint16 flags;
        const char* source;
        const char* destination;
    } expected[] = {
        {FileOperationCode::Copy, 0x0180, "/v/a.avi", "/keep"},
        {FileOperationCode::Move, 0x0180, "/v/b.avi", "/keep2"},
        {FileOperationCode::Delete, 0x01C0, "/v/c.avi", "/keep2"},
        {FileOperationCode::Copy, 0x01C0, "/v/d.avi", "/keep3"},
        {FileOperationCode::Move, 0x01C0, "/v/e.avi", "/keep4"},
    };
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const FileOperationRequest& r = engine.requests.at(i);
        EXPECT_EQ(r.operation, expected[i].code);
        EXPECT_EQ(r.flags, expected[i].flags);
        EXPECT_EQ(r.sources, QStringList{QString::fromUtf8(expected[i].source)});
        EXPECT_EQ(r.destination, QString::fromUtf8(expected[i].destination));
        EXPECT_EQ(r.progressTitle, QStringLiteral("Vantoro"));
    }
    EXPECT_EQ(op.Destination(), QStringLiteral("/keep4"));
}

TEST(TShellFileOp, EachSwitchAddsItsFlagAndCopyOnlySwitchesLeaveADeleteAlone)
{
    test::FakeFileOperationEngine engine;
    TShellFileOp op(engine);
    // A new component: everything off, so only "no progress window" is set.
    op.AddFile(QStringLiteral("/x"));
    op.CopyFiles(QStringLiteral("/d"));
    ASSERT_EQ(engine.requests.size(), 1);
    EXPECT_EQ(engine.requests.at(0).flags, Flag::kSilent);
    EXPECT_TRUE(engine.requests.at(0).progressTitle.isEmpty());

    op.setNoConfirmation(true);
    op.setAutoMakeDir(true);
    op.setRenameOnCollision(true);
    op.setAnimate(true);
    for (const FileOperationCode code : {FileOperationCode::Copy, FileOperationCode::Move}) {
        op.AddFile(QStringLiteral("/x"));
        if (code == FileOperationCode::Copy)
            op.CopyFiles(QStringLiteral("/d"));
        else
            op.MoveFiles(QStringLiteral("/d"));
        EXPECT_EQ(engine.requests.last().flags,
                  Flag::kNoConfirmation | Flag::kNoConfirmMkdir | Flag::kRenameOnCollision);
    }
    op.AddFile(QStringLiteral("/x"));
    op.DeleteFiles();
    EXPECT_EQ(engine.requests.last().flags, Flag::kNoConfirmation | Flag::kAllowUndo);
}

TEST(TShellFileOp, HandsPathsOverInAscendingOrderIgnoringCaseDroppingOnlyExactDuplicates)
{
    test::FakeFileOperationEngine engine;
    TShellFileOp op(engine);
    for (const char* p : {"/v/c.avi", "/V/b.avi", "/v/A.avi", "/v/a.avi", "/v/c.avi", "/v/a.avi",
                          "/v/B.AVI", "/v/b.avi"})
        op.AddFile(QString::fromUtf8(p));
    // Letter case makes different files here; a path given twice is handed over once.
    const QStringList sorted{"/v/A.avi", "/v/a.avi", "/V/b.avi",
                             "/v/B.AVI", "/v/b.avi", "/v/c.avi"};
    EXPECT_EQ(op.PendingFiles(), sorted);

    // The same paths added in the reverse order give the same list.
    TShellFileOp reversed(engine);
    for (auto it = sorted.crbegin(); it != sorted.crend(); ++it)
        reversed.AddFile(*it);
    EXPECT_EQ(reversed.PendingFiles(), sorted);

    EXPECT_FALSE(op.DeleteFiles());
    ASSERT_EQ(engine.requests.size(), 1);
    EXPECT_EQ(engine.requests.at(0).sources, sorted);
    EXPECT_TRUE(op.PendingFiles().isEmpty());
}

TEST(TShellFileOp, AnEmptyListCallsNothingAndEveryOperationConsumesTheList)
{
    test::FakeFileOperationEngine engine;
    engine.result.anyOperationsAborted = true;
    TShellFileOp op(engine);
    EXPECT_FALSE(op.DeleteFiles());
    op.CopyFiles(QStringLiteral("/d"));
    op.MoveFiles(QStringLiteral("/e"));
    EXPECT_TRUE(engine.requests.isEmpty());
    // The allow-undo switch is set by the call even when nothing was run.
    EXPECT_TRUE(op.AllowUndo());
    EXPECT_EQ(op.Destination(), QStringLiteral("/e"));

    // A cancelled or failed delete still empties the list; the next one sees only new paths.
    op.AddFile(QStringLiteral("/v/1"));
    op.AddFile(QStringLiteral("/v/2"));
    EXPECT_TRUE(op.DeleteFiles());
    engine.result.anyOperationsAborted = false;
    op.AddFile(QStringLiteral("/v/3"));
    EXPECT_FALSE(op.DeleteFiles());
    ASSERT_EQ(engine.requests.size(), 2);
    EXPECT_EQ(engine.requests.at(0).sources, QStringList({"/v/1", "/v/2"}));
    EXPECT_EQ(engine.requests.at(1).sources, QStringList({"/v/3"}));
}

} // namespace
} // namespace vantoro
