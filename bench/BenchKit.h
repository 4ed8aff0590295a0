#pragma once
// What the benchmark's parts share: the table of rows, the part selection, the plain
// references each part measures against, and the real main window driven with key events.
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QString>

#include <cstdio>

#include <jpeglib.h>
#include <memory>
#include <vector>

#include "platform/FileSystem.h"
#include "view/ImageView.h"
#include "ui/MainWindow.h"
#include "platform/MsgBox.h"
#include "view/Prefetcher.h"

using Clock = QElapsedTimer;

double Ms(qint64 ns);
double Median(std::vector<double> v);
double P95(std::vector<double> v);

struct Row {
    QString what;
    QString orvane;
    QString reference;
    QString ratio;
    QString target;
    QString met;
};
extern std::vector<Row> g_rows;

// ORVANE_BENCH_ONLY="open moves" runs only those parts (launch, cold, stepping, pace, digit,
// open, moves, png, memory, formats); unset, all of them.
bool Wanted(const char* part);

void AddRow(const QString& what, double ours, const QString& refName, double ref,
            double targetRatio, const QString& unit = QStringLiteral("ms"));

class SilentMsgBox : public MsgBox {
public:
    MsgAnswer ask(const QString& text, const QString&, MsgButtons, MsgAnswer defaultAnswer) override {
        std::printf("  (message: %s)\n", qPrintable(text));
        return defaultAnswer != MsgAnswer::None ? defaultAnswer : MsgAnswer::Ok;
    }
};

// Ends the view's paint and notes when it ended.
class PaintClock : public QObject {
public:
    bool eventFilter(QObject* obj, QEvent* event) override {
        if (event->type() != QEvent::Paint || inside_) return false;
        inside_ = true;
        obj->event(event);  // QObject::event is public; dispatches to the widget
        inside_ = false;
        lastPaintNs = clock.nsecsElapsed();
        ++paints;
        return true;
    }
    Clock clock;
    qint64 lastPaintNs = 0;
    int paints = 0;

private:
    bool inside_ = false;
};

// --- references -------------------------------------------------------------------------

// The floor without tricks: libjpeg-turbo, full size, 32-bit output.
// The whole picture of `cinfo`, whose source is set, decoded to 32-bit rows; then destroyed.
void DecodeJpegAndDestroy(jpeg_decompress_struct* cinfo);
double LibjpegFullDecodeMs(const QString& path);
double LibpngSimplifiedMs(const QString& path);
double ReaddirMs(const QString& folder);
qint64 StatusKb(const char* field);

// --- the window ---------------------------------------------------------------------------

struct Bench {
    QString programDir;
    SilentMsgBox msg;
    PosixFileSystem fs;
    Services services;
    std::unique_ptr<MainWindow> window;
    PaintClock paint;

    void Start() {
        services.msgBox = &msg;
        services.fileSystem = &fs;
        window = std::make_unique<MainWindow>(services, programDir, QString());
        window->startUp();
        window->options().fitToView = true;
        window->imageView()->installEventFilter(&paint);
        paint.clock.start();
        // A 1920 x 1080 view.
        window->resize(1920 + 157, 1080 + 21 + 30);
        window->show();
        Pump(50);
        const QSize d = window->imageView()->size();
        window->resize(window->width() + 1920 - d.width(), window->height() + 1080 - d.height());
        Pump(50);
        std::printf("  view %dx%d\n", window->imageView()->width(), window->imageView()->height());
    }
    void Pump(int ms) {
        Clock t;
        t.start();
        do QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        while (t.elapsed() < ms);
    }
    // Runs events until a paint later than `afterNs` ended; its time, or -1.
    qint64 WaitPaint(qint64 afterNs, int timeoutMs = 20000) {
        Clock t;
        t.start();
        while (paint.lastPaintNs <= afterNs && t.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        return paint.lastPaintNs > afterNs ? paint.lastPaintNs : -1;
    }
    void Key(QEvent::Type type, int key, const QString& text, bool repeat = false) {
        QKeyEvent e(type, key, Qt::NoModifier, text, repeat);
        QApplication::sendEvent(window->imageView(), &e);
    }
    // A full press and release; the time from the press (or release, for keys that act on
    // release) to the painted frame.
    double PressMs(int key, const QString& text, bool timeRelease = false) {
        const qint64 t0 = paint.clock.nsecsElapsed();
        Key(QEvent::KeyPress, key, text);
        const qint64 t1 = paint.clock.nsecsElapsed();
        Key(QEvent::KeyRelease, key, text);
        const qint64 start = timeRelease ? t1 : t0;
        const qint64 end = WaitPaint(start, 20000);
        return end < 0 ? -1 : Ms(end - start);
    }
    // `count` presses, one every `paceMs`, the window's events running between them; each
    // press's time as PressMs gives it.
    std::vector<double> PacedPressesMs(int count, int paceMs, int key, const QString& text,
                                       bool timeRelease = false) {
        std::vector<double> times;
        for (int i = 0; i < count; ++i) {
            QElapsedTimer pace;
            pace.start();
            times.push_back(PressMs(key, text, timeRelease));
            while (pace.elapsed() < paceMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return times;
    }
    void Settle() {
        window->prefetcher().waitIdle(20000);
        Pump(20);
    }
};

// A hard link to `file` named `name` in `folder` (made if missing); its path.
QString LinkInto(const QString& folder, const QString& file, const QString& name);
