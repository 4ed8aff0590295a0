// The shown file and its companions as one group: sent, collided, deleted and taken back whole.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "RealFileSystem.h"
#include "core/Companions.h"
#include "FakeFileSystem.h"
#include "FileOpsTestUtil.h"
#include "core/ImageList.h"
#include "TestSupport.h"
#include "core/TransferGroup.h"
#include "core/TransferMessages.h"

namespace {

using Contents = std::map<QByteArray, QByteArray>;
using Transfer::Kind;
using Transfer::Result;

class Answers : public TransferQuestions {
public:
    bool yes = true;
    QStringList asked;
    std::function<void()> whileAsked;
    bool confirmOverwrite(const FileStatus&, const FileStatus&) override { return yes; }
    bool confirmDelete(const QString&) override { return yes; }
    bool confirmGroupOverwrite(const QString& shownName, const FileStatus&, const FileStatus* destination,
                               int colliding) override {
        asked << QStringLiteral("%1 %2 %3").arg(shownName).arg(destination != nullptr).arg(colliding);
        if (whileAsked) whileAsked();
        return yes;
    }
};

const QStringList kCamera{"IMG_0001.JPG", "IMG_0001.CR2", "img_0001.JPG.xmp"};

class CompanionGroupTest : public ::testing::Test {
protected:
    void SetUp() override { Fresh(); }
    void Fresh() {
        src_ = tmp.file("src");
        dst_ = tmp.file("dst");
        for (const QString& f : {src_, dst_}) {
            QDir().mkpath(f);
            EmptyFolder(f);
        }
        EmptyFolder(TrashFolder());
        for (int i = 0; i < kCamera.size(); ++i) WriteRaw(QFile::encodeName(src_ + "/" + kCamera[i]), Pattern(100, char('a' + i)));
        before_ = RawContents(src_);
    }
    Transfer::GroupPlan Plan(FileSystem& fs, const Slot& slot) {
        CompanionIndex index;
        index.assign(kCamera);
        QStringList companions;
        for (const QString& name : index.of(kCamera[0])) companions << src_ + "/" + name;
        return Transfer::planGroup(fs, Transfer::makePlan(fs, src_ + "/", kCamera[0], slot, options), companions,
                                   slot, options);
    }
    Slot PlainSlot() const {
        Slot s;
        s.folder = dst_;
        return s;
    }
    QStringList Names(const QString& folder) const {
        QStringList names;
        for (const auto& [name, bytes] : RawContents(folder)) names << QString::fromUtf8(name);
        names.sort();
        return names;
    }

    TempDir tmp;
    PosixFileSystem real;
    Options options;
    Answers answers;
    QString src_, dst_;
    Contents before_;
    QString leftover_;
};

TEST(CompanionIndexTest, SameStemInAnyCaseAndTheLongSidecarFormOnly) {
    CompanionIndex index;
    index.assign({"IMG_0001.CR2", "img_0001.xmp", "IMG_0001.JPG.xmp", "IMG_0001.JPG.mov", "IMG_00012.xmp",
                  "IMG_0002.CR2"});
    QStringList found = index.of("IMG_0001.JPG");
    found.sort();
    EXPECT_EQ(found, (QStringList{"IMG_0001.CR2", "IMG_0001.JPG.xmp", "img_0001.xmp"}));
    EXPECT_TRUE(index.of("IMG_0003.JPG").isEmpty());
}

TEST(CompanionIndexTest, TheListingKeepsCompanionNamesOfRegularFilesOnly) {
    TempDir dir;
    dir.write("a.jpg", "x");
    dir.write("a.CR2", "x");
    dir.write("a.txt", "x");
    QDir().mkpath(dir.file("a.xmp"));  // a folder never counts
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file("a.mov")).constData(), 0600), 0);
    ASSERT_EQ(::symlink("a.CR2", QFile::encodeName(dir.file("a.AAE")).constData()), 0);
    EXPECT_EQ(ImageList::listFolder(realFileSystem(), dir.path(), true, false, true), (QStringList{"a.AAE", "a.CR2", "a.jpg"}));
    EXPECT_EQ(ImageList::listFolder(realFileSystem(), dir.path(), true, false, false), (QStringList{"a.jpg"}));
}

// A failure at any call of a three-member move, trash, direct delete or undo of a move leaves
// the whole group where it was, and a failed action names the member that failed; a call whose
// failure is mended on the way leaves the whole group where the action takes it.
TEST_F(CompanionGroupTest, AFailureAtEveryStepLeavesTheGroupWhole) {
    enum class Op { Move, Trash, Delete, Undo };
    const char* names[] = {"move", "trash", "delete", "undo"};
    for (const Op op : {Op::Move, Op::Trash, Op::Delete, Op::Undo}) {
        options.deleteMode = op == Op::Delete ? DeleteMode::Directly : DeleteMode::ToTrash;
        // Runs `op` on `fs`, failing its `k`th call (0: none); true when it went through.
        const auto run = [&](FakeFileSystem& fs, int k, int* calls) {
            const Transfer::GroupPlan plan = Plan(fs, PlainSlot());
            Result moved;
            if (op == Op::Undo) moved = Transfer::carryOutGroup(fs, answers, plan, Kind::Move, Transfer::Deletion::ToTrash);
            const int before = fs.CallCount();
            if (k) fs.failAt = before + k;
            bool done = false;
            leftover_.clear();
            if (op == Op::Undo) {
                done = Transfer::undoGroup(fs, moved).done();
                EXPECT_EQ(RawContents(done ? dst_ : src_).size(), 0u);
            } else {
                const Result r = op == Op::Move
                                     ? Transfer::carryOutGroup(fs, answers, plan, Kind::Move, Transfer::Deletion::ToTrash)
                                     : Transfer::deleteGroup(fs, answers, src_ + "/" + kCamera[0],
                                                             {src_ + "/" + kCamera[1], src_ + "/" + kCamera[2]}, options);
                done = r.done();
                leftover_ = r.leftover;
                if (done) EXPECT_EQ(r.companions.size(), 2u);
                else {
                    EXPECT_TRUE(r.strandedMembers.isEmpty());
                    EXPECT_TRUE(kCamera.contains(FsPath::nameOf(r.source))) << r.source.toStdString();
                    EXPECT_TRUE(Transfer::messageFor(r).contains(FsPath::nameOf(r.source)));
                }
            }
            if (calls) *calls = fs.CallCount() - before;
            return done;
        };
        int calls = 0;
        {
            Fresh();
            FakeFileSystem counting(real);
            ASSERT_TRUE(run(counting, 0, &calls));
        }
        ASSERT_GE(calls, 3);
        for (int k = 1; k <= calls; ++k) {
            SCOPED_TRACE(testing::Message() << names[int(op)] << " call " << k);
            Fresh();
            FakeFileSystem fs(real);
            const bool done = run(fs, k, nullptr);
            const bool atSource = op == Op::Undo ? done : !done;
            if (atSource) {
                EXPECT_EQ(RawContents(src_), before_);
                EXPECT_TRUE(RawContents(dst_).empty());
            } else if (leftover_.isEmpty()) {
                EXPECT_TRUE(RawContents(src_).empty());
            } else {
                // A temporary that could not be removed stays, told in the message.
                EXPECT_EQ(RawContents(src_).size(), 1u);
                EXPECT_TRUE(QFile::exists(leftover_));
            }
        }
    }
}

TEST_F(CompanionGroupTest, ARenamingSlotGivesEveryMemberTheNumberFreeForAll) {
    Slot slot = PlainSlot();
    slot.renaming = Renaming::On;
    slot.fixedName = "photo";
    tmp.write("dst/photo_001.cr2", "taken");  // one member's new name is taken: so is the number
    const Transfer::GroupPlan plan = Plan(real, slot);
    const Result r = Transfer::carryOutGroup(real, answers, plan, Kind::Move, Transfer::Deletion::ToTrash);
    ASSERT_TRUE(r.done());
    EXPECT_EQ(Names(dst_), (QStringList{"photo_001.cr2", "photo_002.CR2", "photo_002.JPG", "photo_002.JPG.xmp"}));
}

TEST_F(CompanionGroupTest, CollisionsCountAnyMemberAndAreAskedOnceForTheGroup) {
    tmp.write("dst/img_0001.JPG.xmp", "old sidecar");
    options.collisionMode = CollisionMode::Number;
    Result r = Transfer::carryOutGroup(real, answers, Plan(real, PlainSlot()), Kind::Copy, Transfer::Deletion::ToTrash);
    ASSERT_TRUE(r.done());
    EXPECT_EQ(Names(dst_), (QStringList{"IMG_0001_001.CR2", "IMG_0001_001.JPG", "IMG_0001_001.JPG.xmp",
                                        "img_0001.JPG.xmp"}));

    Fresh();
    tmp.write("dst/IMG_0001.CR2", "old raw");
    options.collisionMode = CollisionMode::Ask;
    answers.yes = false;
    r = Transfer::carryOutGroup(real, answers, Plan(real, PlainSlot()), Kind::Move, Transfer::Deletion::ToTrash);
    EXPECT_EQ(r.refusal, Transfer::Refusal::Declined);
    EXPECT_EQ(answers.asked, (QStringList{"IMG_0001.JPG 0 1"}));
    EXPECT_EQ(RawContents(src_), before_);
    answers.yes = true;
    r = Transfer::carryOutGroup(real, answers, Plan(real, PlainSlot()), Kind::Move, Transfer::Deletion::ToTrash);
    ASSERT_TRUE(r.done());
    EXPECT_EQ(Names(dst_), (QStringList{"IMG_0001.CR2", "IMG_0001.JPG", "img_0001.JPG.xmp"}));
    EXPECT_EQ(RawContents(TrashFolder() + "/files").size(), 1u);  // the old RAW, to the trash
}

// The look of the planning said the RAW was a file; while the question was open it became a
// link into a folder beside it. It moves as a link that still reaches its picture.
TEST_F(CompanionGroupTest, AMemberThatBecameALinkDuringTheQuestionStillReachesItsPicture) {
    tmp.write("dst/IMG_0001.JPG", "old");
    options.collisionMode = CollisionMode::Ask;
    const QString raw = src_ + "/IMG_0001.CR2";
    answers.whileAsked = [&] {
        QDir().mkpath(src_ + "/kept");
        ASSERT_TRUE(QFile::rename(raw, src_ + "/kept/IMG_0001.CR2"));
        ASSERT_EQ(::symlink("kept/IMG_0001.CR2", QFile::encodeName(raw).constData()), 0);
    };
    const Result r = Transfer::carryOutGroup(real, answers, Plan(real, PlainSlot()), Kind::Move, Transfer::Deletion::ToTrash);
    ASSERT_TRUE(r.done()) << r.error.reason.toStdString();
    QFile moved(dst_ + "/IMG_0001.CR2");
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly)) << "the moved link leads nowhere";
    EXPECT_EQ(moved.readAll(), Pattern(100, 'b'));
}

TEST_F(CompanionGroupTest, UndoTakesTheGroupBackOrTouchesNothingWhenAMemberChanged) {
    const Result r = Transfer::carryOutGroup(real, answers, Plan(real, PlainSlot()), Kind::Move, Transfer::Deletion::ToTrash);
    ASSERT_TRUE(r.done());
    const Contents moved = RawContents(dst_);
    tmp.write("dst/img_0001.JPG.xmp", "edited since");
    FakeFileSystem watched(real);
    Transfer::UndoResult u = Transfer::undoGroup(watched, r);
    EXPECT_EQ(watched.CountOf(FakeFileSystem::Call::RenameNoReplace), 0);  // not even for a while
    EXPECT_EQ(u.status, Transfer::UndoResult::Status::AnotherFile);
    EXPECT_EQ(u.path, dst_ + "/img_0001.JPG.xmp");
    EXPECT_TRUE(RawContents(src_).empty());
    EXPECT_EQ(RawContents(dst_).size(), 3u);

    Fresh();
    const Result again = Transfer::carryOutGroup(real, answers, Plan(real, PlainSlot()), Kind::Move, Transfer::Deletion::ToTrash);
    ASSERT_TRUE(again.done());
    u = Transfer::undoGroup(real, again);
    EXPECT_TRUE(u.done());
    EXPECT_EQ(RawContents(src_), before_);
    EXPECT_TRUE(RawContents(dst_).empty());
}

}  // namespace
