// Decoding ahead: the neighbours of the shown file are decoded on worker threads, so a step
// finds its picture ready. Nothing here changes a flag, a text or the order of drawing.
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <ctime>

#include "ImageView.h"
#include "MainWindow.h"
#include "Prefetcher.h"
#include "ViewGeometry.h"

struct MainWindow::PrefetchState {
    Prefetcher prefetcher;
    QString path;         // the file picture_ was decoded from
    FileStamp stamp;      // and how it looked then
    bool heldKey = false; // the key event being handled repeats a held key
    int direction = 1;    // of the last step: +1 forwards, -1 backwards
    // The neighbours asked for wait until the view has painted the shown picture, so its decode
    // and its first paint never share the cores with theirs.
    bool startPending = false;
    QSize plannedCover;   // the view they were asked for
    QTimer startAnyway;   // a window that does not paint (minimised) starts them after all
    QSize expectedView;   // while loading, before the window is shown: the view it will have
};

namespace {

// Notes whether the key press being handled is a repetition of a held key. Installed after
// the key routing, so it sees each event first, and lets every event through. An X server
// with detectable auto-repeat sends a held key as presses alone, none flagged auto-repeat: a
// press of the key pressed last, with no release between, repeats it too.
class HeldKeyWatch : public QObject {
public:
    HeldKeyWatch(QObject* parent, bool* held) : QObject(parent), held_(held) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const quint32 id = key->nativeScanCode() ? key->nativeScanCode() : quint32(key->key());
        if (event->type() == QEvent::KeyPress) {
            *held_ = key->isAutoRepeat() || id == down_;
            down_ = id;
        } else if (!key->isAutoRepeat() && id == down_) {
            down_ = 0;
        }
        return false;
    }

private:
    bool* held_;
    quint32 down_ = 0;  // the key pressed last, while it is down
};

// The view a reduced decode must cover: stretched mode in a view on screen. Before the window
// is shown its size is not yet the real one: the full picture is decoded then, but while
// loading, when the size the view will have is `expected`.
QSize CoverView(const ImageView* display, bool fitToView, const QSize& expected) {
    if (!fitToView) return QSize();
    if (!display->isVisible()) return expected;
    if (display->width() <= 0 || display->height() <= 0) return QSize();
    return display->size();
}

// `make bench` times the start from outside: with ORVANE_BENCH_PAINT_CLOCK set, the first paint
// of the view and the first one holding a picture print the monotonic clock on stderr.
void NoteFirstPaints(bool holdsPicture) {
    static const bool wanted = qEnvironmentVariableIsSet("ORVANE_BENCH_PAINT_CLOCK");
    static bool window = false, picture = false;
    if (!wanted || (window && (picture || !holdsPicture))) return;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long ns = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
    if (!window) std::fprintf(stderr, "orvane-paint-clock window %lld\n", ns);
    if (holdsPicture && !picture) std::fprintf(stderr, "orvane-paint-clock picture %lld\n", ns);
    window = true;
    picture = picture || holdsPicture;
}

}  // namespace

void MainWindow::InstallPrefetch() {
    prefetch_ = std::make_shared<PrefetchState>();
    connect(imageView_, &ImageView::painted, this, [this] {
        NoteFirstPaints(session_.imageShown() && !picture_.isNull());
        // Once the frame is on screen, after the rest of this paint.
        if (prefetch_->startPending)
            QMetaObject::invokeMethod(this, &MainWindow::StartPrefetch, Qt::QueuedConnection);
    });
    prefetch_->startAnyway.setSingleShot(true);
    prefetch_->startAnyway.setInterval(250);
    connect(&prefetch_->startAnyway, &QTimer::timeout, this, &MainWindow::StartPrefetch);
    auto* watch = new HeldKeyWatch(this, &prefetch_->heldKey);
    installEventFilter(watch);
    for (QWidget* w : {static_cast<QWidget*>(overviewPanel_), static_cast<QWidget*>(imageView_),
                       static_cast<QWidget*>(statusLabel_), centralWidget()})
        w->installEventFilter(watch);
}

Prefetcher& MainWindow::prefetcher() const { return prefetch_->prefetcher; }

void MainWindow::ExpectViewWhileLoading(bool loading) {
    QSize view;
    if (loading) {
        // The window's client area below the menu bar, as the layout will divide it; a window
        // that starts maximised gets at most the screen's.
        QSize client = size();
        if (startMaximized_)
            if (const QScreen* screen = QGuiApplication::primaryScreen())
                client = screen->availableGeometry().size();
        client.rheight() -= menuBar()->sizeHint().height();
        view = ViewGeometry::ComputeLayout(client.width(), client.height()).view.size();
        if (view.isEmpty()) view = QSize();
    }
    prefetch_->expectedView = view;
}

void MainWindow::StartPrefetch() {
    PrefetchState& ps = *prefetch_;
    if (!ps.startPending) return;
    // Asked for before the view had its size (while loading): asked for again at the real one.
    if (CoverView(imageView_, options().fitToView, ps.expectedView) != ps.plannedCover)
        PrefetchAround();
    ps.startPending = false;
    ps.startAnyway.stop();
    ps.prefetcher.Start();
}

bool MainWindow::ObtainPicture(const QString& path, DecodedPicture* out) {
    PrefetchState& ps = *prefetch_;
    const QSize cover = CoverView(imageView_, options().fitToView, ps.expectedView);
    // Being decoded ahead already: waiting costs less than a second decode beside it.
    if (ps.prefetcher.StatusOf(path, cover) == Prefetcher::Status::Pending)
        ps.prefetcher.AwaitPending(path, 60000);
    if (!ps.prefetcher.Take(path, cover, out)) {
        *out = DecodePictureFile(path, session_.pngPluginAvailable(), cover);
        if (out->ok) ps.prefetcher.Keep(path, *out);
    }
    ps.path = path;
    ps.stamp = out->stamp;
    return out->ok;
}

void MainWindow::PrefetchAround() {
    const ImageList& list = session_.list();
    const int32_t count = list.count();
    const int32_t i = list.position();
    if (count <= 0 || i < 1 || i > count) return;
    const int dir = prefetch_->direction;
    auto step = [&list](int32_t at, int d) { return d > 0 ? list.after(at) : list.before(at); };
    PrefetchState& ps = *prefetch_;
    const QSize cover = CoverView(imageView_, options().fitToView, ps.expectedView);
    const int32_t ahead = step(i, dir);
    std::vector<Prefetcher::Job> jobs;
    for (int32_t j : {ahead, step(i, -dir), step(ahead, dir)})
        if (j != i) jobs.push_back({list.pathAt(j), cover});
    ps.prefetcher.Request(list.shownPath(), jobs, session_.pngPluginAvailable(), false);
    ps.plannedCover = cover;
    ps.startPending = true;
    ps.startAnyway.start();
}

void MainWindow::EnsurePixels(const QSize* dest) {
    if (!picture_.isReduced()) return;
    if (dest && picture_.covers(*dest)) return;
    PrefetchState& ps = *prefetch_;
    const QSize cover = dest ? CoverView(imageView_, options().fitToView, ps.expectedView) : QSize();
    DecodedPicture d;
    if (!ps.prefetcher.Take(ps.path, cover, &d))
        d = DecodePictureFile(ps.path, session_.pngPluginAvailable(), cover);
    const bool sameFile = d.ok && d.stamp == ps.stamp && d.picture.size() == picture_.size();
    if (sameFile && (dest ? d.picture.covers(*dest) : !d.picture.isReduced())) {
        picture_ = d.picture;
        ps.prefetcher.Keep(ps.path, d);
        return;
    }
    // The file changed or vanished since it was shown: what was shown stays, enlarged to the
    // natural size, as the full picture held in memory would have.
    const QSize natural = picture_.size();
    picture_ = PictureBuffer(
        picture_.pixels().scaled(natural, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
        natural);
}

bool MainWindow::SkipHeldStep(int direction) {
    PrefetchState& ps = *prefetch_;
    const bool held = ps.heldKey;
    ps.heldKey = false;
    ps.direction = direction;
    const ImageList& list = session_.list();
    if (!held || list.count() <= 0) return false;
    const int32_t target = direction > 0 ? list.after(list.position()) : list.before(list.position());
    return ps.prefetcher.StatusOf(list.pathAt(target),
                                  CoverView(imageView_, options().fitToView, ps.expectedView)) ==
           Prefetcher::Status::Pending;
}
