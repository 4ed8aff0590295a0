#pragma once
// The fault matrix's fixture: one source folder, one destination folder, the trash, the four
// operations and the oracle every case checks against.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <set>
#include <string>

#include "FakeFileSystem.h"
#include "FileOpsTestUtil.h"
#include "TestSupport.h"
#include "core/Transfer.h"

namespace faultmatrix {

using Contents = std::map<QByteArray, QByteArray>;
using Transfer::Deletion;
using Transfer::Refusal;
using Transfer::Result;
using Call = FakeFileSystem::Call;

enum class Op { Copy, Move, CopyOver, MoveOver };  // *Over: Transfer::overwrite

inline const char* Name(Op op) {
    switch (op) {
        case Op::Copy: return "copy";
        case Op::Move: return "move";
        case Op::CopyOver: return "overwrite-copy";
        case Op::MoveOver: return "overwrite-move";
    }
    return "";
}

inline bool IsMove(Op op) { return op == Op::Move || op == Op::MoveOver; }

// "transfer failed: <reason>" or "delete failed: <reason>", or what else the result is.
inline std::string Outcome(const Result& r) {
    if (r.done()) return "done";
    const char* what = r.refusal == Refusal::TransferFailed ? "transfer failed: "
                       : r.refusal == Refusal::DeleteFailed ? "delete failed: "
                                                            : "refused: ";
    return what + r.error.reason.toStdString();
}

// One source folder, one destination folder (on the tmpfs for the cross cases), and the trash.
class FaultMatrixTest : public ::testing::Test {
protected:
    // Where an old destination or a deleted file goes.
    Deletion deletion = Deletion::ToTrash;

    // Fresh folders for one run: the source "a b*?[.jpg" and, where `old` is set, an existing
    // destination of that name.
    void Prepare(const QString& dstRoot, bool old) {
        src_ = tmp.file(QStringLiteral("src"));
        dst_ = dstRoot + QStringLiteral("/dst");
        QDir().mkpath(src_);
        QDir().mkpath(dst_);
        EmptyFolder(src_);  // also names Qt cannot spell
        EmptyFolder(dst_);
        QDir().mkpath(src_);
        QDir().mkpath(dst_);
        EmptyFolder(TrashFolder());
        WriteRaw(QFile::encodeName(src_ + "/" + kName), kNew);
        if (old) WriteRaw(QFile::encodeName(dst_ + "/" + kName), kOld);
        // A second name for the source elsewhere: a failure must leave the very file, links and
        // all, not a copy of it.
        const QString links = tmp.file(QStringLiteral("links"));
        QDir().mkpath(links);
        EmptyFolder(links);
        ASSERT_EQ(::link(QFile::encodeName(src_ + "/" + kName).constData(),
                         QFile::encodeName(links + "/other name").constData()), 0);
        srcInode_ = InodeOf(src_ + "/" + kName);
        dstInode_ = old ? InodeOf(dst_ + "/" + kName) : 0;
    }

    // Inode and link count of `path` (0, 0 when it is not there).
    static std::pair<ino_t, nlink_t> Links(const QString& path) {
        struct stat st;
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return {0, 0};
        return {st.st_ino, st.st_nlink};
    }
    static ino_t InodeOf(const QString& path) { return Links(path).first; }

    Result Run(Op op, FileSystem& fs) {
        const QString s = src_ + "/" + kName, d = dst_ + "/" + kName;
        switch (op) {
            case Op::Copy: return Transfer::copy(fs, s, dst_ + "/");
            case Op::Move: return Transfer::move(fs, s, dst_ + "/");
            case Op::CopyOver: return Transfer::overwrite(fs, Transfer::Kind::Copy, s, d, deletion);
            case Op::MoveOver: return Transfer::overwrite(fs, Transfer::Kind::Move, s, d, deletion);
        }
        return Result();
    }

    // The oracle. `old` says whether a destination file existed before.
    void Check(Op op, const Result& result, bool old, bool allowDuplicate = false) {
        const bool ok = result.done();
        const QByteArray name = QFile::encodeName(kName);
        const Contents src = RawContents(src_);
        Contents dst = RawContents(dst_);
        if (allowDuplicate) {
            // Nothing can be unlinked: a complete copy may stay, under a temporary name too.
            for (auto it = dst.begin(); it != dst.end();) {
                if (FileSystem::isTemporaryName(QFile::decodeName(it->first)) && it->second == kNew)
                    it = dst.erase(it);
                else
                    ++it;
            }
        }
        const Contents trash = RawContents(TrashFolder() + "/files");
        if (ok && !result.leftover.isEmpty()) {
            // Done, but the replaced file set aside could not be removed: it is told, under a
            // name that says what it is.
            const QByteArray left = QFile::encodeName(FsPath::nameOf(result.leftover));
            EXPECT_TRUE(left.startsWith(".orvane-replaced-")) << left.constData();
            EXPECT_EQ(dst.count(left) ? dst.at(left) : QByteArray(), kOld);
            EXPECT_FALSE(result.leftoverError.reason.isEmpty());
            dst.erase(left);
        }
        Contents wantSrc, wantDst;
        if (ok) {
            if (!IsMove(op)) wantSrc[name] = kNew;
            wantDst[name] = kNew;
        } else {
            EXPECT_TRUE(result.refusal == Refusal::TransferFailed || result.refusal == Refusal::DeleteFailed)
                << int(result.refusal);
            EXPECT_FALSE(result.error.reason.isEmpty()) << "a failure says why";
            wantSrc[name] = kNew;
            if (old) wantDst[name] = kOld;
        }
        EXPECT_EQ(src, wantSrc) << "source folder";
        if (!ok) {
            EXPECT_EQ(Links(src_ + "/" + kName), std::make_pair(srcInode_, nlink_t(2))) << "the very source, links and all";
            if (old && dst.count(name)) {
                EXPECT_EQ(InodeOf(dst_ + "/" + kName), dstInode_) << "the very old file";
            }
        }
        // The old destination lives on: in place, or in the trash once it was trashed. When
        // the final rename failed after trashing, it is the trash copy.
        if (old && !ok && dst.count(name) == 0 && trash.size() == 1 &&
            trash.begin()->second == kOld) {
            wantDst.erase(name);
        }
        if (allowDuplicate && !ok && dst.count(name) && dst.at(name) == kNew) wantDst[name] = kNew;
        EXPECT_EQ(dst, wantDst) << "destination folder";
        for (const auto& entry : trash) {
            EXPECT_TRUE(entry.second == kOld) << "only the old file is trashed";
        }
        if (ok && old && deletion == Deletion::ToTrash) {
            EXPECT_EQ(trash.size(), 1u);
        }
    }

    // Fails call N for every N until the operation runs without meeting call N.
    void EveryStep(Op op, const QString& dstRoot, bool old, int err) {
        for (int n = 1; n < 500; ++n) {
            SCOPED_TRACE(testing::Message() << Name(op) << " failing call " << n);
            Prepare(dstRoot, old);
            PosixFileSystem real;
            FakeFileSystem fs(real);
            fs.failAt = n;
            fs.failErrno = err;
            const Result result = Run(op, fs);
            Check(op, result, old);
            if (!fs.AnyFailed()) {
                EXPECT_TRUE(result.done());
                EXPECT_GT(n, 1);
                return;
            }
        }
        FAIL() << "the operation never ran to the end";
    }

    // Fails every call of the given kinds.
    void EveryCallOf(Op op, const QString& dstRoot, bool old, std::set<Call> kinds) {
        Prepare(dstRoot, old);
        PosixFileSystem real;
        FakeFileSystem fs(real);
        fs.failKinds = kinds;
        fs.failErrno = EIO;
        // Where even the cleanup cannot unlink, a complete copy may stay beside the source.
        Check(op, Run(op, fs), old, kinds.count(Call::Unlink) > 0);
    }

    void Matrix(const QString& dstRoot) {
        for (int trashMode : {0, 1}) {
            deletion = trashMode == 0 ? Deletion::ToTrash : Deletion::Directly;
            for (Op op : {Op::Copy, Op::Move, Op::CopyOver, Op::MoveOver}) {
                const bool old = op == Op::CopyOver || op == Op::MoveOver;
                if (trashMode == 0 && !old) continue;  // the trash only matters when overwriting
                SCOPED_TRACE(testing::Message() << "DelTrash " << trashMode);
                EveryStep(op, dstRoot, old, EIO);
                if (op == Op::Copy) EveryStep(op, dstRoot, true, ENOSPC);  // replacing a file
                for (const auto& kinds : std::vector<std::set<Call>>{
                         {Call::Write}, {Call::Close}, {Call::Fsync},
                         {Call::RenameNoReplace, Call::RenameReplace}, {Call::Unlink},
                         {Call::Trash}, {Call::KeepTimesAndMode}}) {
                    EveryCallOf(op, dstRoot, old, kinds);
                }
            }
        }
    }

    const QString kName = QStringLiteral("a b*?[.jpg");
    const QByteArray kNew = Pattern(150000, 21);  // more than one read buffer
    const QByteArray kOld = Pattern(3000, 22);
    TempDir tmp;
    QString src_, dst_;
    ino_t srcInode_ = 0, dstInode_ = 0;
};

}  // namespace faultmatrix
