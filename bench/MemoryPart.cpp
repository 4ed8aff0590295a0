// 7. Peak memory over 200 steps, stretched mode, 24 MP pictures.
#include <QFile>

#include <cstdio>

#include "BenchKit.h"
#include "Parts.h"

void BenchMemory(Bench& b, const QString& stepFolder) {
    std::printf("memory\n");
    b.window->openFolderAt(stepFolder);
    b.Settle();
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    const bool reset = clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
    clear.close();
    const qint64 baseKb = StatusKb("VmRSS:");
    for (int i = 0; i < 200; ++i) {
        b.PressMs(i % 10 == 9 ? Qt::Key_Backspace : Qt::Key_Space, i % 10 == 9 ? "\b" : " ");
        b.window->prefetcher().waitIdle(5000);
    }
    const qint64 peakKb = StatusKb("VmHWM:");
    const double peakMb = peakKb / 1024.0, baseMb = baseKb / 1024.0;
    std::printf("  rss before %.0f MiB, peak %.0f MiB (peak %s)\n", baseMb, peakMb,
                reset ? "since the steps began" : "of the whole run");
    AddRow("Peak memory over 200 steps (resident, whole process)", peakMb, "budget 256 MiB + before",
           256 + baseMb, 1.0, QStringLiteral("MiB"));
}
