// Planning a transfer from a slot, the options and the disk; carrying out a plan with the
// questions answered from a script; the messages made from results.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>

#include <deque>

#include "TestSupport.h"
#include "core/Transfer.h"
#include "core/TransferMessages.h"

namespace {

using Transfer::Collision;
using Transfer::Refusal;

class ScriptedQuestions : public TransferQuestions {
public:
    bool confirmOverwrite(const FileStatus& source, const FileStatus& destination) override {
        overwriteAsked.push_back({source.size, destination.size});
        return Next();
    }
    bool confirmDelete(const QString& path) override {
        deleteAsked << path;
        return Next();
    }
    std::deque<bool> answers;
    std::vector<std::pair<int64_t, int64_t>> overwriteAsked;  // the two sizes
    QStringList deleteAsked;

private:
    bool Next() {
        if (answers.empty()) return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class TransferPlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(work.file("src"));
        QDir().mkpath(work.file("slot"));
        work.write("src/p1.jpg", "new photo");
        slot.folder = work.file("slot");  // without a final "/": the plan adds it
    }
    Transfer::Plan Plan(const QString& name = QStringLiteral("p1.jpg")) {
        return Transfer::makePlan(fs, work.file("src/"), name, slot, options);
    }
    QString InSlot(const QString& name) const { return work.file("slot/" + name); }

    TempDir work;
    PosixFileSystem fs;
    Slot slot;
    Options options;
    ScriptedQuestions questions;
};

TEST_F(TransferPlanTest, TheSourceAndTheSlotsFolderAreCheckedInOrder) {
    EXPECT_EQ(Plan(QStringLiteral("gone.jpg")).refusal, Refusal::SourceMissing);
    QDir().mkpath(work.file("src/folder.jpg"));
    EXPECT_EQ(Plan(QStringLiteral("folder.jpg")).refusal, Refusal::SourceMissing);
    slot.folder.clear();
    EXPECT_EQ(Plan(QStringLiteral("gone.jpg")).refusal, Refusal::SourceMissing);  // the source first
    EXPECT_EQ(Plan().refusal, Refusal::NoFolderSet);
    slot.folder = work.file("missing");
    EXPECT_EQ(Plan().refusal, Refusal::FolderNotFound);
    work.write("plainfile", "x");
    slot.folder = work.file("plainfile");
    EXPECT_EQ(Plan().refusal, Refusal::FolderNotFound);
}

TEST_F(TransferPlanTest, TheCollisionModeDecidesWhatATakenNameGets) {
    const Transfer::Plan free = Plan();
    ASSERT_TRUE(free.ok());
    EXPECT_EQ(free.destination, InSlot("p1.jpg"));
    EXPECT_EQ(free.collision, Collision::None);
    EXPECT_TRUE(free.sourceStatus.isRegular);
    EXPECT_FALSE(free.nextNumber);

    work.write("slot/p1.jpg", "old");
    const std::pair<CollisionMode, Collision> asked[] = {{CollisionMode::Ask, Collision::Ask},
                                                        {CollisionMode::Replace, Collision::Replace}};
    for (const auto& [mode, collision] : asked) {
        options.collisionMode = mode;
        EXPECT_EQ(Plan().collision, collision);
        EXPECT_EQ(Plan().destination, InSlot("p1.jpg"));
    }
    options.collisionMode = CollisionMode::Number;
    work.write("slot/p1_001.jpg", "taken");
    EXPECT_EQ(Plan().destination, InSlot("p1_002.jpg"));
    EXPECT_EQ(Plan().collision, Collision::None);
    options.firstNumber = 0;
    options.connector = QStringLiteral("-");
    options.numberDigits = 1;
    EXPECT_EQ(Plan().destination, InSlot("p1-0.jpg"));
    options.collisionMode = CollisionMode::Unsupported;
    EXPECT_EQ(Plan().refusal, Refusal::UnsupportedCollisionMode);
}

// A slot whose folder is the open folder: asking or replacing would remove the photo itself;
// numbering saves it under a new name beside it.
TEST_F(TransferPlanTest, ATransferOntoItselfIsRefusedUnlessNumbered) {
    slot.folder = work.file("src/");
    for (CollisionMode mode : {CollisionMode::Ask, CollisionMode::Replace}) {
        options.collisionMode = mode;
        EXPECT_EQ(Plan().refusal, Refusal::SameFile);
    }
    options.collisionMode = CollisionMode::Number;
    EXPECT_EQ(Plan().destination, work.file("src/p1_001.jpg"));
}

TEST_F(TransferPlanTest, RenamingTakesTheFirstFreeNumberWhateverTheExtension) {
    slot.renaming = Renaming::On;
    slot.fixedName = QStringLiteral("photo");
    work.write("slot/PHOTO_001.png", "taken");
    Transfer::Plan plan = Plan();
    EXPECT_EQ(plan.destination, InSlot("photo_002.jpg"));
    EXPECT_FALSE(plan.nextNumber);  // numbers do not continue: nothing to store
    // An empty fixed name gives bare numbers without the connector.
    slot.fixedName.clear();
    EXPECT_EQ(Plan().destination, InSlot("001.jpg"));

    // Continued numbers start at the slot's next number and store the one after the used one.
    options.continueNumbers = true;
    slot.fixedName = QStringLiteral("a");
    slot.nextNumber = 41;
    work.write("slot/a_041.txt", "taken");
    plan = Plan();
    EXPECT_EQ(plan.destination, InSlot("a_042.jpg"));
    EXPECT_EQ(plan.nextNumber, 43);
    slot.nextNumber = 1000000;
    EXPECT_EQ(Plan().refusal, Refusal::NoFreeNumber);
}

// A renamed or numbered name keeps the file's whole ending past the classic four: ".jpeg"
// never turns into "jpeg", ".heic" stays ".heic"; the classic four keep their last four.
TEST_F(TransferPlanTest, OtherEndingsKeepEverythingFromTheirLastDot) {
    work.write("src/IMG_1.jpeg", "x");
    work.write("src/a.heic", "x");
    work.write("src/b.tar.GIF", "x");
    slot.renaming = Renaming::On;
    slot.fixedName = QStringLiteral("photo");
    EXPECT_EQ(Plan(QStringLiteral("IMG_1.jpeg")).destination, InSlot("photo_001.jpeg"));
    EXPECT_EQ(Plan(QStringLiteral("b.tar.GIF")).destination, InSlot("photo_001.GIF"));
    slot.renaming = Renaming::Off;
    options.collisionMode = CollisionMode::Number;
    work.write("slot/a.heic", "old");
    work.write("slot/b.tar.GIF", "old");
    EXPECT_EQ(Plan(QStringLiteral("a.heic")).destination, InSlot("a_001.heic"));
    EXPECT_EQ(Plan(QStringLiteral("b.tar.GIF")).destination, InSlot("b.tar_001.GIF"));
}

// A fixed name or connector holding "/" is refused where it is typed and when it is read; one
// that arrives by another road still never leads out of the slot's folder.
TEST_F(TransferPlanTest, ANameLeadingOutOfTheSlotsFolderIsRefused) {
    slot.renaming = Renaming::On;
    slot.fixedName = QStringLiteral("../../escape");
    Transfer::Plan plan = Plan();
    EXPECT_EQ(plan.refusal, Refusal::NameLeavesFolder);
    EXPECT_EQ(plan.outsideName, QStringLiteral("../../escape_001.jpg"));
    slot.renaming = Renaming::Off;
    options.collisionMode = CollisionMode::Number;
    options.connector = QStringLiteral("/../");
    work.write("slot/p1.jpg", "old");
    plan = Plan();
    EXPECT_EQ(plan.refusal, Refusal::NameLeavesFolder);
    EXPECT_EQ(plan.outsideName, QStringLiteral("p1/../001.jpg"));
}

TEST_F(TransferPlanTest, TheOverwriteQuestionDecidesAndIsAskedWithBothFiles) {
    work.write("slot/p1.jpg", "old");
    const Transfer::Plan plan = Plan();
    ASSERT_EQ(plan.collision, Collision::Ask);
    questions.answers = {false};
    EXPECT_EQ(Transfer::carryOut(fs, questions, plan, Transfer::Kind::Move, Transfer::Deletion::Directly).refusal,
              Refusal::Declined);
    EXPECT_EQ(work.read("slot/p1.jpg"), QByteArray("old"));
    EXPECT_TRUE(work.exists("src/p1.jpg"));
    questions.answers = {true};
    const Transfer::Result done =
        Transfer::carryOut(fs, questions, plan, Transfer::Kind::Move, Transfer::Deletion::Directly);
    EXPECT_EQ(done.action, Transfer::Action::MovedOver);
    EXPECT_EQ(work.read("slot/p1.jpg"), QByteArray("new photo"));
    EXPECT_FALSE(work.exists("src/p1.jpg"));
    EXPECT_EQ(questions.overwriteAsked, (std::vector<std::pair<int64_t, int64_t>>{{9, 3}, {9, 3}}));

    // A destination gone since the plan cannot be described: that fails without a question.
    work.write("src/p1.jpg", "again");
    work.write("slot/p1.jpg", "old");
    const Transfer::Plan stale = Plan();
    QFile::remove(InSlot("p1.jpg"));
    const Transfer::Result failed =
        Transfer::carryOut(fs, questions, stale, Transfer::Kind::Copy, Transfer::Deletion::Directly);
    EXPECT_EQ(failed.refusal, Refusal::TransferFailed);
    EXPECT_EQ(failed.error.reason, QStringLiteral("No such file or directory"));
    EXPECT_EQ(questions.overwriteAsked.size(), 2u);
}

TEST_F(TransferPlanTest, DeleteAsksOnlyWhenTheOptionsSay) {
    const QString photo = work.file("src/p1.jpg");
    options.deleteMode = DeleteMode::Directly;
    options.confirmDelete = true;
    EXPECT_EQ(Transfer::deleteFile(fs, questions, photo, options).refusal, Refusal::Declined);
    EXPECT_TRUE(work.exists("src/p1.jpg"));
    options.confirmDelete = false;
    EXPECT_EQ(Transfer::deleteFile(fs, questions, photo, options).action, Transfer::Action::Deleted);
    EXPECT_FALSE(work.exists("src/p1.jpg"));
    EXPECT_EQ(questions.deleteAsked, QStringList{photo});
}

// Every text the window shows for a result, and the two questions.
TEST(TransferMessagesTest, EveryResultHasItsText) {
    const std::pair<Refusal, const char*> table[] = {
        {Refusal::None, ""},
        {Refusal::Declined, ""},
        {Refusal::SourceMissing, "指定の画像ファイルが見当たりません"},
        {Refusal::NoFolderSet, "フォルダパスが設定されていません"},
        {Refusal::FolderNotFound, "転送先フォルダが見つかりません"},
        {Refusal::NoFreeNumber, "これ以上は振り分けられません"},
        {Refusal::NameLeavesFolder, "転送先の名前が転送先フォルダの外を指しています\n../x_001.jpg"},
        {Refusal::SameFile, "転送元と転送先が同じファイルです"},
        {Refusal::UnsupportedCollisionMode, "対応していない上書き対応モードです"},
        {Refusal::CopyToCdRom, "指定のメディアへのコピーはできません。"},
        {Refusal::MoveFromCdRom, "指定のメディアからの移動はできません。\nコピーモード (C キー) なら転送できます"},
        {Refusal::MoveToCdRom, "指定のメディアへの移動はできません。"},
        {Refusal::DeleteOnCdRom, "指定のメディアのファイルは削除はできません。"},
        {Refusal::TransferFailed, "ファイルを転送できませんでした\nドライブの空き容量が足りません"},
        {Refusal::DeleteFailed, "ファイルを削除できませんでした\nドライブの空き容量が足りません"},
    };
    for (const auto& [refusal, text] : table) {
        Transfer::Result r = Transfer::Result::failed(refusal, FsPath::errorFor(ENOSPC));
        r.outsideName = QStringLiteral("../x_001.jpg");
        EXPECT_EQ(Transfer::messageFor(r), QString::fromUtf8(text)) << int(refusal);
    }

    FileStatus source, destination;
    source.size = 1200;
    source.mtimeSec = 1700000000;
    destination.size = 900;
    destination.mtimeSec = 1600000000;
    const QLocale locale;
    EXPECT_EQ(Transfer::overwriteQuestion(source, destination),
              QStringLiteral("同ファイル名が存在。上書き？\n転送元 1200bytes ") +
                  locale.toString(QDateTime::fromSecsSinceEpoch(1700000000), QLocale::ShortFormat) +
                  QStringLiteral("\n転送先 900bytes ") +
                  locale.toString(QDateTime::fromSecsSinceEpoch(1600000000), QLocale::ShortFormat));
    EXPECT_EQ(Transfer::deleteQuestion(QStringLiteral("/pics/a.jpg")), QStringLiteral("/pics/a.jpgを削除しますか？"));
}

}  // namespace
