// Files: opening a big folder, moving a file, decoding PNG through the plug-in.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "BenchKit.h"
#include "core/ImageList.h"
#include "Parts.h"
#include "view/PngPlugin.h"
#include "core/Transfer.h"
#include "core/TransferGroup.h"

    // 4. Opening 50,000 files.
void BenchOpen(Bench& b, const BenchData::Pictures& pics) {
    std::printf("opening %d files\n", BenchData::kFolderFiles);
    std::vector<double> ours, ref, listing;
    for (int run = 0; run < 5; ++run) {
        ref.push_back(ReaddirMs(pics.folder50k));
        Clock t;
        t.start();
        b.window->openFolderAt(pics.folder50k);
        ours.push_back(Ms(t.nsecsElapsed()));
        t.restart();
        ImageList::listFolder(b.fs, pics.folder50k, true, false);
        listing.push_back(Ms(t.nsecsElapsed()));
    }
    std::printf("  listed %d\n", b.window->session().list().count());
    AddRow(QStringLiteral("Open folder of %1 files (list, sort, first show)").arg(BenchData::kFolderFiles),
           Median(ours), "readdir loop", Median(ref), 3.0);
    AddRow("  of which listing and sorting alone", Median(listing), "readdir loop", Median(ref), 0);
}

    // 5. Moves.
namespace {
// No collision is planned in the bench: nothing is ever asked.
class SilentQuestions : public TransferQuestions {
public:
    bool confirmOverwrite(const FileStatus&, const FileStatus&) override { return false; }
    bool confirmDelete(const QString&) override { return false; }
};
}  // namespace

void BenchMoves(Bench& b, const BenchData::Pictures& pics, const QString& work) {
    std::printf("moves\n");
    const QString a = work + "/mv-a", c = work + "/mv-c";
    QDir().mkpath(a);
    QDir().mkpath(c);
    QFile::copy(pics.jpeg24Baseline, a + "/f.jpg");
    // Paths built before the clocks start, on both sides: the program holds them already.
    const QString from = a + "/f.jpg", into = c + "/", moved = c + "/f.jpg";
    const QByteArray fromBytes = QFile::encodeName(from), movedBytes = QFile::encodeName(moved);
    // Medians in microseconds of two ways to move the file from mv-a to mv-c, timed in turn
    // over 2,000 rounds (a few microseconds need many to settle); the file is put back,
    // untimed, after each.
    const auto paired = [&](const std::function<void()>& ours, const std::function<void()>& ref) {
        std::vector<double> times[2];
        for (int i = 0; i < 2000; ++i) {
            for (int side = 0; side < 2; ++side) {
                Clock t;
                t.start();
                (side == 0 ? ours : ref)();
                times[side].push_back(t.nsecsElapsed() / 1e3);
                ::rename(movedBytes.constData(), fromBytes.constData());
            }
        }
        return std::make_pair(Median(times[0]), Median(times[1]));
    };
    // A digit press looks at the photo first ("指定の画像ファイルが見当たりません") and hands
    // that status to the move, with the destination's full path it built to look for a
    // file of the same name, as here; other callers leave the move to look itself.
    FileStatus looked;
    FsError lookError;
    b.fs.stat(from, &looked, &lookError);
    const auto pressed = [&] { Transfer::move(b.fs, from, moved, &looked); };
    const auto guarded = [&] { Transfer::move(b.fs, from, into); };
    const auto bareRename = [&] { ::rename(fromBytes.constData(), movedBytes.constData()); };
    // The least a move that looks at its source can do: one stat(2) (is it a file, on which
    // drive), then the rename.
    const auto checkedRename = [&] {
        struct stat st;
        if (::stat(fromBytes.constData(), &st) == 0 && S_ISREG(st.st_mode)) bareRename();
    };
    const auto [ours, ref] = paired(pressed, bareRename);
    AddRow("Move, same file system (10 MB), after the press's look", ours, "rename(2)", ref, 1.1,
           QStringLiteral("us"));
    const auto [again, floorRef] = paired(guarded, checkedRename);
    AddRow("  the same, the move looking itself", again, "stat(2) + rename(2)", floorRef, 0,
           QStringLiteral("us"));

    // A photo with two companions (the option companions), planned as a press plans it; the
    // group's sending against the three renames it cannot do without.
    {
        const QStringList members{"f.jpg", "f.CR2", "f.jpg.xmp"};
        for (const QString& m : members.mid(1)) QFile::copy(pics.jpeg24Baseline, a + "/" + m);
        Slot slot;
        slot.folder = c;
        Options options;
        const Transfer::GroupPlan plan = Transfer::planGroup(
            b.fs, Transfer::makePlan(b.fs, a + "/", members[0], slot, options), {a + "/f.CR2", a + "/f.jpg.xmp"},
            slot, options);
        std::vector<QByteArray> fromPaths, toPaths;
        for (const QString& m : members) {
            fromPaths.push_back(QFile::encodeName(a + "/" + m));
            toPaths.push_back(QFile::encodeName(c + "/" + m));
        }
        const auto putBack = [&] {
            for (size_t i = 0; i < fromPaths.size(); ++i) ::rename(toPaths[i].constData(), fromPaths[i].constData());
        };
        SilentQuestions questions;
        std::vector<double> times[2];
        for (int i = 0; i < 2000; ++i) {
            for (int side = 0; side < 2; ++side) {
                Clock t;
                t.start();
                if (side == 0)
                    Transfer::carryOutGroup(b.fs, questions, plan, Transfer::Kind::Move, Transfer::Deletion::ToTrash);
                else
                    for (size_t k = 0; k < fromPaths.size(); ++k) ::rename(fromPaths[k].constData(), toPaths[k].constData());
                times[side].push_back(t.nsecsElapsed() / 1e3);
                putBack();
            }
        }
        AddRow("  a photo with two companions, after the press's look", Median(times[0]), "3 x rename(2)",
               Median(times[1]), 1.1, QStringLiteral("us"));
        for (const QString& m : members.mid(1)) QFile::remove(a + "/" + m);
    }

    QTemporaryDir shm(QStringLiteral("/dev/shm/orvane-bench-XXXXXX"));
    struct stat s1, s2;
    if (shm.isValid() && ::stat(QFile::encodeName(a).constData(), &s1) == 0 &&
        ::stat(QFile::encodeName(shm.path()).constData(), &s2) == 0 && s1.st_dev != s2.st_dev) {
        std::vector<double> xo, xr;
        for (int i = 0; i < 10; ++i) {
            Clock t;
            t.start();
            Transfer::move(b.fs, a + "/f.jpg", shm.path() + "/");
            xo.push_back(Ms(t.nsecsElapsed()));
            ::rename(QFile::encodeName(shm.path() + "/f.jpg").constData(), QFile::encodeName(shm.path() + "/g.jpg").constData());
            QFile::copy(shm.path() + "/g.jpg", a + "/f.jpg");
            QFile::remove(shm.path() + "/g.jpg");
            t.restart();
            QProcess::execute(QStringLiteral("cp"), {QStringLiteral("--preserve=timestamps"), a + "/f.jpg", shm.path() + "/f.jpg"});
            ::unlink(QFile::encodeName(a + "/f.jpg").constData());
            xr.push_back(Ms(t.nsecsElapsed()));
            QFile::copy(shm.path() + "/f.jpg", a + "/f.jpg");
            QFile::remove(shm.path() + "/f.jpg");
        }
        AddRow("Move, across file systems (to tmpfs /dev/shm)", Median(xo), "cp --preserve=timestamps + unlink", Median(xr), 1.2);
    } else {
        g_rows.push_back({"Move, across file systems", "skipped: no second file system", "-", "-", "<= 1.2 x", "-"});
    }
}

    // 6. PNG through the plug-in versus libpng's simplified API.
void BenchPng(const BenchData::Pictures& pics) {
    std::printf("png\n");
    for (const auto& [label, file] : std::vector<std::pair<QString, QString>>{
             {"24 MP RGB", pics.png24Rgb}, {"24 MP RGBA", pics.png24Rgba}}) {
        std::vector<double> ours, ref;
        for (int run = 0; run < 3; ++run) {
            ref.push_back(LibpngSimplifiedMs(file));
            QImage img;
            Clock t;
            t.start();
            const PngLoadResult result = PngPlugin::loadPngWithPlugin(&img, file);
            ours.push_back(result == PngLoadResult::Loaded ? Ms(t.nsecsElapsed()) : -1);
        }
        AddRow("PNG plug-in decode, " + label, Median(ours), "libpng simplified API", Median(ref), 0);
    }
}
