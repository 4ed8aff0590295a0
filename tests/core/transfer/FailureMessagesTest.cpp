// The messages of failed transfers and deletes: a Japanese reason from the one table, the copy
// mode hint where a move's source folder refuses, and the file and folders named.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>

#include <cerrno>
#include <set>

#include "core/FailureReasons.h"
#include "FakeFileSystem.h"
#include "FileOpsTestUtil.h"
#include "TestSupport.h"
#include "core/Transfer.h"
#include "core/TransferMessages.h"
#include "core/TransferQuestions.h"

namespace {

using Transfer::Kind;
using Transfer::Refusal;

// Nothing here collides or asks before a delete.
class NoQuestions : public TransferQuestions {
public:
    bool confirmOverwrite(const FileStatus&, const FileStatus&) override { return false; }
    bool confirmDelete(const QString&) override { return false; }
};

// Every reason is Japanese, once per errno, with the errnos a file operation gives all there;
// the trash's own refusals and a source changed while copied have theirs too.
TEST(ReasonTable, EveryErrnoItNamesHasAJapaneseText) {
    const QRegularExpression japanese(QStringLiteral("[\\x{3040}-\\x{30FF}\\x{4E00}-\\x{9FFF}]"));
    const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    std::set<int> named;
    for (const Transfer::ErrnoReason& r : Transfer::errnoReasons()) {
        const QString text = Transfer::reasonFor(FsPath::errorFor(r.code));
        EXPECT_EQ(text, QString::fromUtf8(r.text)) << r.code;
        EXPECT_TRUE(text.contains(japanese) && !text.contains(latin)) << r.code << " " << text.toStdString();
        EXPECT_TRUE(named.insert(r.code).second) << "named twice: " << r.code;
    }
    for (int code : {ENOSPC, EROFS, EACCES, EPERM, ENOENT, EXDEV, EIO, ENAMETOOLONG, EDQUOT, EBUSY, ETXTBSY,
                     ELOOP, EMLINK, ENOTDIR, EISDIR, EEXIST, ENOTEMPTY, EFBIG, EINVAL, ENOMEM, EMFILE, ENFILE,
                     EAGAIN, EINTR, ESTALE, ENODEV, ENXIO, EOPNOTSUPP, ENOTSUP, ECANCELED})
        EXPECT_TRUE(named.count(code)) << "missing: " << code;
    for (FsError::Cause cause : {FsError::Cause::ChangedWhileCopied, FsError::Cause::TrashNotSupported,
                                 FsError::Cause::NoTrashFolder}) {
        const QString text = Transfer::reasonFor(FsError{EIO, QStringLiteral("English"), cause});
        EXPECT_TRUE(text.contains(japanese) && !text.contains(latin)) << text.toStdString();
    }
}

// An errno the table does not know still says something: its number and the system's text.
TEST(ReasonTable, AnUnknownErrnoShowsItsNumberAndTheSystemsText) {
    EXPECT_EQ(Transfer::reasonFor(FsPath::errorFor(EREMOTEIO)), QStringLiteral("エラー番号 121: Remote I/O error"));
    EXPECT_FALSE(Transfer::reasonFor(FsError{}).isEmpty());
}

class FailureMessages : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(work.file("src"));
        QDir().mkpath(work.file("slot"));
        work.write("src/a.jpg", "photo");
    }
    Transfer::Plan PlanTo(const QString& slotFolder) {
        Slot slot;
        slot.folder = slotFolder;
        return Transfer::makePlan(fs, work.file("src") + '/', QStringLiteral("a.jpg"), slot, options);
    }
    QString Message(const Transfer::Plan& plan, Kind kind) {
        return Transfer::messageFor(
            Transfer::carryOut(fs, questions, plan, kind, Transfer::Deletion::Directly));
    }

    TempDir work;
    PosixFileSystem real;
    FakeFileSystem fs{real};
    Options options;
    NoQuestions questions;
};

// A full disk: the first line as ever, then the reason, the file and both folders, whole.
TEST_F(FailureMessages, AFullDiskNamesTheReasonTheFileAndBothFolders) {
    fs.failKinds = {FakeFileSystem::Call::Write};
    fs.failErrno = ENOSPC;
    EXPECT_EQ(Message(PlanTo(work.file("slot")), Kind::Copy),
              QStringLiteral("ファイルを転送できませんでした\nドライブの空き容量が足りません\nファイル: a.jpg\n"
                             "転送元: %1/\n転送先: %2/")
                  .arg(work.file("src"), work.file("slot")));
    fs.failKinds.clear();
    EXPECT_EQ(Message(PlanTo(work.file("gone")), Kind::Move),
              QStringLiteral("転送先フォルダが見つかりません\n") + work.file("gone") + '/');
}

// A move off a write-protected card cannot remove the source: copy mode is offered, and does go;
// a read-only destination gets no such hint, as a copy would fail there too.
TEST_F(FailureMessages, AMoveOffAReadOnlyCardOffersCopyMode) {
    ScopedMount card(work.file("card"), "size=1m");
    if (!card.ok()) GTEST_SKIP() << card.reason().toStdString();
    work.write("card/c.jpg", "photo");
    ASSERT_TRUE(card.remountReadOnly());
    Slot slot;
    slot.folder = work.file("slot");
    const Transfer::Plan fromCard =
        Transfer::makePlan(fs, work.file("card") + '/', QStringLiteral("c.jpg"), slot, options);
    EXPECT_EQ(Message(fromCard, Kind::Move),
              QStringLiteral("ファイルを転送できませんでした\n読み取り専用のドライブのため、書き込めません\n"
                             "コピーモード (C キー) なら転送できます\nファイル: c.jpg\n転送元: %1/\n転送先: %2/")
                  .arg(work.file("card"), work.file("slot")));
    EXPECT_TRUE(work.exists("card/c.jpg"));
    EXPECT_TRUE(Transfer::carryOut(fs, questions, fromCard, Kind::Copy, Transfer::Deletion::Directly).done());

    const QString toCard = Message(PlanTo(work.file("card")), Kind::Move);
    EXPECT_TRUE(toCard.startsWith(QStringLiteral("ファイルを転送できませんでした\n読み取り専用"))) << toCard.toStdString();
    EXPECT_FALSE(toCard.contains(Transfer::copyModeHint()));
}

// GIO refuses the trash on a system-internal mount such as a tmpfs: said by its code, in Japanese,
// with the file and its folder.
TEST_F(FailureMessages, ATrashGioRefusesIsToldInJapanese) {
    ScopedMount scratch(work.file("scratch"), "size=1m");
    if (!scratch.ok()) GTEST_SKIP() << scratch.reason().toStdString();
    work.write("scratch/b.jpg", "photo");
    options.deleteMode = DeleteMode::ToTrash;
    options.confirmDelete = false;
    const Transfer::Result r = Transfer::deleteFile(real, questions, work.file("scratch/b.jpg"), options);
    ASSERT_EQ(r.refusal, Refusal::DeleteFailed);
    EXPECT_EQ(r.error.cause, FsError::Cause::TrashNotSupported) << r.error.reason.toStdString();
    EXPECT_EQ(Transfer::messageFor(r),
              QStringLiteral("ファイルを削除できませんでした\n") + Transfer::reasonFor(r.error) +
                  QStringLiteral("\nファイル: b.jpg\nフォルダ: ") + work.file("scratch") + '/');
    EXPECT_TRUE(work.exists("scratch/b.jpg"));
}

}  // namespace
