// `make bench`: Orvane's speed against plain references, measured side by side in one run.
// Drives the real main window with real key events on the offscreen platform; "painted" is
// the end of the view's paint event.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

#include "BenchData.h"
#include "BenchKit.h"
#include "Parts.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString dataRoot = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("build/bench-data");
    const QString root = QDir(dataRoot).absolutePath();
    std::printf("Orvane benchmark, data in %s\n", qPrintable(root));
    std::fflush(stdout);
    const BenchData::Pictures pics = BenchData::Generate(root);

    QTemporaryDir work(root + "/work-XXXXXX");
    QTemporaryDir program;
    QDir(program.path()).mkpath("dll");
    QFile::copy(QStringLiteral(ORVANE_BENCH_PLUGIN), program.path() + "/dll/ifPNG.spi");

    if (Wanted("launch")) BenchLaunch(pics, work.path());

    Bench b;
    b.programDir = program.path();
    b.Start();

    double cold24 = 0;
    if (Wanted("cold")) cold24 = BenchColdShow(b, pics, work.path());

    // The stepping folder, which the memory part steps through too.
    const QString stepFolder = work.path() + "/step";
    const QStringList sources = {pics.jpeg24Baseline, pics.jpeg24BaselineRot, pics.jpeg24Progressive,
                                 pics.jpeg24ProgressiveRot};
    for (int i = 0; i < 16; ++i)
        LinkInto(stepFolder, sources[i % 4], QStringLiteral("s%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
    if (Wanted("stepping")) BenchStepping(b, stepFolder, cold24);
    if (Wanted("pace")) BenchPace(b, pics, work.path());
    if (Wanted("digit")) BenchDigit(b, sources, work.path());
    if (Wanted("open")) BenchOpen(b, pics);
    if (Wanted("moves")) BenchMoves(b, pics, work.path());
    if (Wanted("png")) BenchPng(pics);
    if (Wanted("memory")) BenchMemory(b, stepFolder);
    if (Wanted("formats") || Wanted("colour")) BenchFormats(b, pics, BenchData::GenerateFormats(root, pics), work.path());

    // The table.
    const int cpus = QThread::idealThreadCount();
    QString cpu;
    QFile info(QStringLiteral("/proc/cpuinfo"));
    if (info.open(QIODevice::ReadOnly))
        for (const QByteArray& line : info.readAll().split('\n'))
            if (line.startsWith("model name")) { cpu = QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed()); break; }
    std::printf("\nMachine: %d cores (nproc), %s; Qt %s, offscreen platform, view 1920x1080\n\n", cpus,
                qPrintable(cpu), qVersion());
    std::printf("| Measurement | Orvane | Reference | Ratio | Target | Met |\n|---|---|---|---|---|---|\n");
    for (const Row& r : g_rows)
        std::printf("| %s | %s | %s | %s | %s | %s |\n", qPrintable(r.what), qPrintable(r.orvane),
                    qPrintable(r.reference), qPrintable(r.ratio), qPrintable(r.target), qPrintable(r.met));
    b.window->close();
    b.window.reset();
    return 0;
}
