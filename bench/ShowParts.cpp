// Showing pictures: a cold show, stepping at a human pace and held, stepping while the
// neighbours decode, and a digit's move to the next picture painted.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#include "BenchKit.h"
#include "Parts.h"

// 1. Cold show, fit mode, versus the plain full decode of the same file.
double BenchColdShow(Bench& b, const BenchData::Pictures& pics, const QString& work) {
    double cold24 = 0;
    std::printf("cold show\n");
    const std::vector<std::pair<QString, QString>> cold = {
        {"24 MP baseline", pics.jpeg24Baseline},
        {"24 MP baseline, EXIF 6", pics.jpeg24BaselineRot},
        {"24 MP progressive", pics.jpeg24Progressive},
        {"24 MP progressive, EXIF 6", pics.jpeg24ProgressiveRot},
        {"50 MP baseline", pics.jpeg50Baseline},
        {"50 MP progressive, EXIF 6", pics.jpeg50ProgressiveRot}};
    for (const auto& [label, file] : cold) {
        const QString folder = work + "/cold-" + QFileInfo(file).baseName();
        const QString single = LinkInto(folder, file, "x.jpg");
        std::vector<double> ours, ref;
        for (int run = 0; run < 3; ++run) {
            ref.push_back(LibjpegFullDecodeMs(file));
            b.window->openFolderAt(work);  // an empty view between runs
            b.window->prefetcher().clear();
            b.Pump(10);
            const qint64 t0 = b.paint.clock.nsecsElapsed();
            b.window->openPath(single);
            const qint64 t1 = b.WaitPaint(t0);
            ours.push_back(t1 < 0 ? -1 : Ms(t1 - t0));
        }
        if (label == QLatin1String("24 MP baseline")) cold24 = Median(ours);
        AddRow("Cold show, fit mode, " + label, Median(ours), "libjpeg full decode", Median(ref), 1.0);
    }
    return cold24;
}

// 2. Stepping at a human pace, and held at the auto-repeat rate.
void BenchStepping(Bench& b, const QString& stepFolder, double cold24) {
    std::printf("stepping\n");
    b.window->openFolderAt(stepFolder);
    b.Settle();
    const std::vector<double> human = b.PacedPressesMs(40, 300, Qt::Key_Space, " ");
    AddRow("Space at 300 ms pace, press to painted, median", Median(human), "one frame", 16.7, 0);
    AddRow("Space at 300 ms pace, press to painted, p95", P95(human), "one frame", 16.7, 0);

    // The same steps once the neighbour has been decoded ahead (the worker idle before each).
    std::vector<double> ahead;
    for (int i = 0; i < 40; ++i) {
        b.Settle();
        ahead.push_back(b.PressMs(Qt::Key_Space, " "));
    }
    AddRow("Space, neighbour decoded ahead, press to painted, median", Median(ahead), "one frame", 16.7, 1.0);
    AddRow("Space, neighbour decoded ahead, press to painted, p95", P95(ahead), "one frame", 16.7, 1.0);

    // Held: presses flagged auto-repeat every 33 ms for 5 s, delivered as a queue would
    // deliver them (every press due while the window was busy comes at once).
    b.Settle();
    {
        const int32_t startIndex = b.window->session().list().position();
        std::vector<double> stepped;
        int presses = 0, steps = 0;
        Clock t;
        t.start();
        const qint64 base = b.paint.clock.nsecsElapsed();
        const qint64 period = 33333333, hold = 5000000000LL;
        b.Key(QEvent::KeyPress, Qt::Key_Space, " ");
        qint64 next = period;
        while (next < hold) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            while (t.nsecsElapsed() >= next && next < hold) {
                const int32_t before = b.window->session().list().position();
                const qint64 due = base + next;
                b.Key(QEvent::KeyRelease, Qt::Key_Space, " ", true);
                b.Key(QEvent::KeyPress, Qt::Key_Space, " ", true);
                ++presses;
                if (b.window->session().list().position() != before) {
                    ++steps;
                    const qint64 end = b.WaitPaint(b.paint.clock.nsecsElapsed() - 1, 2000);
                    if (end > 0) stepped.push_back(Ms(end - due));
                }
                next += period;
            }
        }
        const qint64 releaseDue = base + hold;
        while (t.nsecsElapsed() < hold) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        b.Key(QEvent::KeyRelease, Qt::Key_Space, " ");
        b.Pump(5);
        // Settled: the release handled and the last file stepped to on screen.
        const double settle = Ms(std::max(b.paint.lastPaintNs, b.paint.clock.nsecsElapsed() - 5000000) - releaseDue);
        std::printf("  held: %d presses, %d steps (from %d to %d)\n", presses, steps, startIndex,
                    b.window->session().list().position());
        AddRow(QStringLiteral("Space held 5 s (%1 repeats, %2 steps), repeat to painted, median").arg(presses).arg(steps),
               Median(stepped), "one frame", 16.7, 0);
        AddRow("Space held 5 s, repeat to painted, p95", P95(stepped), "one frame", 16.7, 0);
        AddRow("Space held 5 s, release to settled (backlog)", std::max(0.0, settle), "cold show 24 MP", cold24, 1.0);
    }
}

    // 2b. Space at a slow pace, each step starting the decode of a further neighbour: the
    // step's paint must not wait behind that decoding.
void BenchPace(Bench& b, const BenchData::Pictures& pics, const QString& work) {
    std::printf("pace\n");
    const QString paceFolder = work + "/pace";
    const QStringList paceSources = {pics.jpeg24Detailed, pics.jpeg24Baseline, pics.jpeg24Detailed,
                                     pics.jpeg24Progressive};
    for (int i = 0; i < 12; ++i)
        LinkInto(paceFolder, paceSources[i % 4], QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
    b.window->openFolderAt(paceFolder);
    b.Settle();
    const std::vector<double> paced = b.PacedPressesMs(30, 1000, Qt::Key_Space, " ");
    AddRow("Space at 1 step/s (30 steps, neighbours decoded meanwhile), press to painted, median",
           Median(paced), "one frame", 16.7, 0);
    AddRow("Space at 1 step/s, press to painted, p95", P95(paced), "one frame", 16.7, 1.0);
}

    // 3. A digit in move mode: released to the next picture painted.
void BenchDigit(Bench& b, const QStringList& sources, const QString& work) {
    std::printf("digit move\n");
    const QString moveFolder = work + "/move";
    const QString dest = work + "/dest";
    QDir().mkpath(dest);
    // Copies, not links: moving a link changes the shared inode, and with it the stamp of
    // every other name of that file.
    QDir().mkpath(moveFolder);
    for (int i = 0; i < 12; ++i)
        QFile::copy(sources[i % 4], moveFolder + QStringLiteral("/m%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
    b.window->library().current().folderSlots[1].folder = dest;
    b.window->library().current().folderSlots[1].renaming = Renaming::Off;
    b.window->openFolderAt(moveFolder);
    b.Settle();
    const std::vector<double> digit = b.PacedPressesMs(10, 300, Qt::Key_1, "1", true);
    AddRow("Digit (move), release to next painted, median", Median(digit), "one frame", 16.7, 0);
    AddRow("Digit (move), release to next painted, p95", P95(digit), "one frame", 16.7, 0);
}
