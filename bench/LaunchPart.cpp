// 0. Launch: the real program started on a folder whose first file is a detailed photo,
// against the same program started on an empty folder plus a plain decode of that photo.
#include <QDir>
#include <QFileInfo>

#include <cstdio>

#include "BenchKit.h"
#include "Launch.h"
#include "Parts.h"

void BenchLaunch(const BenchData::Pictures& pics, const QString& work) {
    std::printf("launch\n");
    std::fflush(stdout);
    const QString empty = work + "/launch-empty";
    QDir().mkpath(empty);
    const QString photos = work + "/launch-photos";
    LinkInto(photos, pics.jpeg24Detailed, QStringLiteral("a0.jpg"));
    const QStringList others = {pics.jpeg24Baseline, pics.jpeg24Progressive, pics.jpeg24BaselineRot,
                                pics.jpeg24ProgressiveRot, pics.jpeg24Detailed};
    for (int i = 0; i < others.size(); ++i) LinkInto(photos, others[i], QStringLiteral("a%1.jpg").arg(i + 1));
    const QSize window(1200, 900);
    Launcher launcher(work, QStringLiteral(ORVANE_BENCH_PROGRAM), QStringLiteral(ORVANE_BENCH_PLUGIN),
                      window);
    const bool feh = launcher.CanRun(QStringLiteral("feh"));
    launcher.TimeToPaint(photos, true);  // once untimed: the caches of the system warm
    std::vector<double> shell, picture, decode, other;
    for (int run = 0; run < 7; ++run) {
        shell.push_back(launcher.TimeToPaint(empty, false));
        picture.push_back(launcher.TimeToPaint(photos, true));
        decode.push_back(LibjpegFullDecodeMs(pics.jpeg24Detailed));
        if (feh)
            other.push_back(launcher.TimeToWindow(
                QStringLiteral("feh"), {"--geometry", "1200x900", "--scale-down", photos}, QStringLiteral("feh")));
    }
    const QString where = QStringLiteral("%1, window %2 x %3").arg(launcher.Platform()).arg(window.width()).arg(window.height());
    AddRow("Launch to the empty window painted (" + where + ")", Median(shell), "-", 0, 0);
    AddRow(QStringLiteral("Launch to first picture painted (24 MP, %1 MB, fit mode)")
               .arg(QFileInfo(pics.jpeg24Detailed).size() / 1e6, 0, 'f', 0),
           Median(picture), QStringLiteral("empty window %1 ms + libjpeg full decode").arg(Median(shell), 0, 'f', 1),
           Median(shell) + Median(decode), 1.1);
    if (feh)
        AddRow("  the same, beside feh (launch to its window shown)", Median(picture), "feh", Median(other), 1.0);
    else
        g_rows.push_back({"  the same, beside feh", "-", "feh not installed", "-", "<= 1 x", "-"});
}
