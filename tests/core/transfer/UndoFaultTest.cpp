// Taking transfers and deletes back under injected and real faults. One oracle for all: every
// photo's bytes exist under exactly one name the user can find (its folder, the slot's folder,
// or the trash with its .trashinfo; a copy may stay beside its original), no temporary is
// left, a failure says why, and a complete undo leaves folders and trash as they were.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <functional>

#include "FakeFileSystem.h"
#include "FileOpsTestUtil.h"
#include "TestSupport.h"
#include "core/Transfer.h"
#include "core/TransferMessages.h"
#include "core/Undo.h"

namespace {

using Contents = std::map<QByteArray, QByteArray>;
using Transfer::Deletion;
using Transfer::Result;
using Transfer::UndoResult;
using Status = UndoResult::Status;
using Call = FakeFileSystem::Call;

enum class Op { Copy, Move, CopyOver, MoveOver, Trash };

bool Replaces(Op op) { return op == Op::CopyOver || op == Op::MoveOver; }
bool Copies(Op op) { return op == Op::Copy || op == Op::CopyOver; }

class UndoFaultTest : public ::testing::Test {
protected:
    // Fresh folders, then `op` done on the real file system; the destination folder under
    // `dstRoot`.
    Result Done(Op op, const QString& dstRoot, Deletion deletion = Deletion::ToTrash) {
        src_ = tmp.file("src");
        dst_ = dstRoot + "/dst";
        for (const QString& f : {src_, dst_}) {
            QDir().mkpath(f);
            EmptyFolder(f);
        }
        EmptyFolder(TrashFolder());
        WriteRaw(QFile::encodeName(src_ + "/" + kName), kNew);
        if (Replaces(op)) WriteRaw(QFile::encodeName(dst_ + "/" + kName), kOld);
        PosixFileSystem fs;
        const QString s = src_ + "/" + kName, d = dst_ + "/" + kName;
        Result r;
        switch (op) {
            case Op::Copy: r = Transfer::copy(fs, s, dst_ + "/", false); break;
            case Op::Move: r = Transfer::move(fs, s, dst_ + "/"); break;
            case Op::CopyOver: r = Transfer::overwrite(fs, Transfer::Kind::Copy, s, d, deletion); break;
            case Op::MoveOver: r = Transfer::overwrite(fs, Transfer::Kind::Move, s, d, deletion); break;
            case Op::Trash: r = Transfer::remove(fs, s, deletion); break;
        }
        EXPECT_TRUE(r.done());
        return r;
    }

    // The oracle.
    void Check(Op op, const UndoResult& u) {
        const QByteArray name = QFile::encodeName(kName);
        const Contents src = RawContents(src_), dst = RawContents(dst_);
        const Contents trash = RawContents(TrashFolder() + "/files");
        if (u.done()) {
            EXPECT_EQ(src, (Contents{{name, kNew}})) << "source folder as before";
            const Contents wantDst = Replaces(op) ? Contents{{name, kOld}} : Contents{};
            EXPECT_EQ(dst, wantDst) << "slot folder as before";
            EXPECT_TRUE(trash.empty()) << "trash as before";
            return;
        }
        EXPECT_FALSE(Transfer::messageFor(u).isEmpty()) << "a failure is told";
        int news = 0, olds = 0;
        for (const Contents* folder : {&src, &dst, &trash}) {
            for (const auto& [n, bytes] : *folder) {
                EXPECT_FALSE(FileSystem::isTemporaryName(QFile::decodeName(n))) << "a temporary is left";
                news += bytes == kNew;
                olds += bytes == kOld;
            }
        }
        // A copy may stay beside its original, which never leaves the source folder.
        if (Copies(op)) {
            EXPECT_EQ(src, (Contents{{name, kNew}}));
        }
        EXPECT_EQ(news, Copies(op) && dst.count(name) && dst.at(name) == kNew ? 2 : 1) << "the new photo once";
        EXPECT_EQ(olds, Replaces(op) ? 1 : 0) << "the replaced photo once";
        for (const auto& entry : trash) {
            EXPECT_TRUE(QFile::exists(TrashFolder() + "/info/" + QFile::decodeName(entry.first) + ".trashinfo"))
                << "a file in the trash a file manager can restore";
        }
    }

    // Fails call N of the undo for every N until the undo runs without meeting call N; each
    // failed undo is then tried again without faults, and must go through.
    void EveryStep(Op op, const QString& dstRoot, Deletion deletion = Deletion::ToTrash) {
        for (int n = 1; n < 200; ++n) {
            SCOPED_TRACE(testing::Message() << int(op) << " failing call " << n);
            const Result done = Done(op, dstRoot, deletion);
            PosixFileSystem real;
            FakeFileSystem fs(real);
            fs.failAt = n;
            const UndoResult u = Transfer::undo(fs, done);
            Check(op, u);
            if (!fs.AnyFailed()) {
                EXPECT_TRUE(u.done());
                return;
            }
            if (u.keepsAction()) Check(op, Transfer::undo(real, done));
        }
        FAIL() << "the undo never ran to the end";
    }

    const QString kName = QStringLiteral("a b*?[.jpg");
    const QByteArray kNew = Pattern(150000, 31);
    const QByteArray kOld = Pattern(3000, 32);
    TempDir tmp;
    QString src_, dst_;
};

TEST_F(UndoFaultTest, EveryStepOfEveryActionOnOneFileSystem) {
    for (Op op : {Op::Copy, Op::Move, Op::CopyOver, Op::MoveOver, Op::Trash}) EveryStep(op, tmp.path());
}

TEST_F(UndoFaultTest, EveryStepAcrossFileSystems) {
    TmpfsMount m("size=8m");
    if (!m.mounted()) GTEST_SKIP() << m.reason().toStdString();
    for (Op op : {Op::Copy, Op::Move}) EveryStep(op, m.path(), Deletion::Directly);
}

// What stands in the way is said, nothing moves, and only what the user can mend stays to be
// tried again.
TEST_F(UndoFaultTest, WhatStandsInTheWayIsToldAndNothingMoves) {
    PosixFileSystem fs;
    struct Case {
        const char* what;
        Op op;
        Deletion deletion;
        std::function<void()> meanwhile;
        Status want;
    };
    auto taken = [&] { WriteRaw(QFile::encodeName(src_ + "/" + kName), "taken"); };
    auto emptied = [&] { EmptyFolder(TrashFolder()); };
    const std::vector<Case> cases = {
        {"moved file gone", Op::Move, Deletion::ToTrash, [&] { EmptyFolder(dst_); }, Status::Missing},
        {"old name taken", Op::Move, Deletion::ToTrash, taken, Status::NameTaken},
        {"copy changed", Op::Copy, Deletion::ToTrash, [&] { WriteRaw(QFile::encodeName(dst_ + "/" + kName), "x"); },
         Status::CopyChanged},
        {"original gone", Op::Copy, Deletion::ToTrash, [&] { EmptyFolder(src_); }, Status::OriginalMissing},
        {"trash emptied", Op::Trash, Deletion::ToTrash, emptied, Status::NotInTrash},
        {"trashed name taken", Op::Trash, Deletion::ToTrash, taken, Status::NameTaken},
        {"deleted directly", Op::Trash, Deletion::Directly, [] {}, Status::DeletedForGood},
        {"replaced deleted directly", Op::MoveOver, Deletion::Directly, [] {}, Status::ReplacedForGood},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Result done = Done(c.op, tmp.path(), c.deletion);
        c.meanwhile();
        const Contents src = RawContents(src_), dst = RawContents(dst_);
        const Contents trash = RawContents(TrashFolder() + "/files");
        const UndoResult u = Transfer::undo(fs, done);
        EXPECT_EQ(u.status, c.want);
        EXPECT_FALSE(Transfer::messageFor(u).isEmpty());
        EXPECT_EQ(RawContents(src_), src);
        EXPECT_EQ(RawContents(dst_), dst);
        EXPECT_EQ(RawContents(TrashFolder() + "/files"), trash);
    }
    EXPECT_EQ(Transfer::whatStoodInTheWay(Transfer::undo(fs, Done(Op::Trash, tmp.path(), Deletion::Directly))),
              QStringLiteral("完全に削除したファイルは元に戻せません"));

    // A replaced file emptied from the trash: the new file goes back, the user is told.
    const Result over = Done(Op::MoveOver, tmp.path());
    emptied();
    const UndoResult u = Transfer::undo(fs, over);
    EXPECT_EQ(u.status, Status::ReplacedNotRestored);
    EXPECT_EQ(RawContents(src_), (Contents{{QFile::encodeName(kName), kNew}}));
    EXPECT_TRUE(RawContents(dst_).empty());

    // The trash did its work but its entry could not be found: the file waits in the trash.
    PosixFileSystem real;
    FakeFileSystem lost(real);
    lost.loseTrashEntries = true;
    Done(Op::Copy, tmp.path());  // fresh folders
    const QString source = src_ + "/" + kName;
    const Result trashed = Transfer::remove(lost, source, Deletion::ToTrash);
    ASSERT_TRUE(trashed.done());
    EXPECT_EQ(Transfer::undo(lost, trashed).status, Status::TrashEntryUnknown);
    EXPECT_EQ(RawContents(TrashFolder() + "/files").size(), 1u);
}

// Another program puts its own file at the copy's name the moment the copy lands: the undo must
// not take that file for the copy.
TEST_F(UndoFaultTest, AFileSwappedInAsTheCopyLandsIsNotTakenForIt) {
    Done(Op::Copy, tmp.path());  // fresh folders
    EmptyFolder(dst_);
    const QByteArray target = QFile::encodeName(dst_ + "/" + kName);
    const QByteArray theirs = QFile::encodeName(tmp.file("theirs"));
    bool landed = false;
    auto swapIn = [&] {
        landed = false;
        WriteRaw(theirs, "theirs");
        ASSERT_EQ(::rename(theirs.constData(), target.constData()), 0);
    };
    PosixFileSystem real;
    FakeFileSystem fs(real);
    fs.beforeCall = [&](Call call, const QString& path) {
        if (landed) swapIn();
        landed = (call == Call::RenameNoReplace || call == Call::RenameReplace) && !path.endsWith(kName);
    };
    const Result done = Transfer::copy(fs, src_ + "/" + kName, dst_ + "/", false);
    ASSERT_TRUE(done.done());
    if (landed) swapIn();
    EXPECT_EQ(Transfer::undo(real, done).status, Status::CopyChanged);
    EXPECT_EQ(RawContents(dst_), (Contents{{QFile::encodeName(kName), "theirs"}}));
}

// The trash already holds a file of that name: the entry made is found all the same, and the
// other one stays.
TEST_F(UndoFaultTest, TheTrashedFileIsFoundAmongOthersOfItsName) {
    PosixFileSystem fs;
    Done(Op::Copy, tmp.path());
    const QString source = src_ + "/" + kName;
    WriteRaw(QFile::encodeName(source), kOld);
    ASSERT_TRUE(Transfer::remove(fs, source, Deletion::ToTrash).done());
    WriteRaw(QFile::encodeName(source), kNew);
    const Result trashed = Transfer::remove(fs, source, Deletion::ToTrash);
    ASSERT_TRUE(trashed.done());
    EXPECT_TRUE(Transfer::undo(fs, trashed).done());
    EXPECT_EQ(RawContents(src_), (Contents{{QFile::encodeName(kName), kNew}}));
    const Contents trash = RawContents(TrashFolder() + "/files");
    ASSERT_EQ(trash.size(), 1u);
    EXPECT_EQ(trash.begin()->second, kOld);
}

// A file at the moved file's place with its device and inode (ext4 hands a deleted file's inode
// to the next new one) but another birth time, size or modification time is another file; so is
// any file where the action could not look at what it left: nothing moves.
TEST_F(UndoFaultTest, AFileWithTheMovedFilesInodeIsAnotherFile) {
    PosixFileSystem fs;
    const Result moved = Done(Op::Move, tmp.path());
    ASSERT_TRUE(moved.written);
    const Contents dst = RawContents(dst_);
    std::vector<std::function<void(Result&)>> strangers = {
        [](Result& r) { r.written->size += 1; },
        [](Result& r) { r.written->mtimeNsec += 1; },
        [](Result& r) { r.written.reset(); },
    };
    if (moved.written->hasBirth) strangers.push_back([](Result& r) { r.written->birthNsec += 1; });
    for (const auto& stranger : strangers) {
        Result r = moved;
        stranger(r);
        const UndoResult u = Transfer::undo(fs, r);
        EXPECT_EQ(u.status, Status::AnotherFile);
        EXPECT_EQ(RawContents(dst_), dst);
        EXPECT_TRUE(RawContents(src_).empty());
    }
}

// The original of a copy replaced by a file of the same size and time: the copy is the only
// one of those bytes left and stays.
TEST_F(UndoFaultTest, ACopyStaysWhenItsOriginalWasReplacedByALookalike) {
    PosixFileSystem fs;
    const Result copied = Done(Op::Copy, tmp.path());
    const QByteArray original = QFile::encodeName(src_ + "/" + kName);
    struct stat was;
    ASSERT_EQ(::stat(original.constData(), &was), 0);
    ASSERT_EQ(::unlink(original.constData()), 0);
    WriteRaw(original, Pattern(kNew.size(), 35));
    const struct timespec times[2] = {was.st_atim, was.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, original.constData(), times, 0), 0);
    EXPECT_EQ(Transfer::undo(fs, copied).status, Status::OriginalMissing);
    EXPECT_EQ(RawContents(dst_), (Contents{{QFile::encodeName(kName), kNew}}));
}

// A full disk and a read-only folder where the photo came from: the undo fails, says why, and
// the photo stays where it was.
TEST_F(UndoFaultTest, AFullOrReadOnlyFolderOfOriginFails) {
    const QString origin = tmp.file("card");
    ScopedMount card(origin, "size=1m");
    if (!card.ok()) GTEST_SKIP() << card.reason().toStdString();
    PosixFileSystem fs;
    const QByteArray photo = Pattern(600 * 1024, 33);
    WriteRaw(QFile::encodeName(origin + "/p.jpg"), photo);
    QDir().mkpath(tmp.file("dst"));
    const Result moved = Transfer::move(fs, origin + "/p.jpg", tmp.file("dst/"));
    ASSERT_TRUE(moved.done());
    WriteRaw(QFile::encodeName(origin + "/filler"), Pattern(600 * 1024, 34));
    UndoResult u = Transfer::undo(fs, moved);
    EXPECT_EQ(u.status, Status::Failed);
    EXPECT_EQ(Transfer::whatStoodInTheWay(u),
              QStringLiteral("元に戻せませんでした\nドライブの空き容量が足りません\n") + origin + "/p.jpg");
    EXPECT_EQ(RawContents(tmp.file("dst")), (Contents{{"p.jpg", photo}}));
    EXPECT_EQ(RawContents(origin), (Contents{{"filler", Pattern(600 * 1024, 34)}}));

    ASSERT_TRUE(QFile::remove(origin + "/filler"));
    ASSERT_TRUE(card.remountReadOnly()) << card.reason().toStdString();
    u = Transfer::undo(fs, moved);
    EXPECT_EQ(Transfer::whatStoodInTheWay(u),
              QStringLiteral("元に戻せませんでした\n読み取り専用のドライブのため、書き込めません\n") + origin + "/p.jpg");
    EXPECT_EQ(RawContents(tmp.file("dst")), (Contents{{"p.jpg", photo}}));
}

}  // namespace
