// Decoding ahead: the neighbours of the shown file are decoded on worker threads, so a step
// finds its picture ready. Nothing here changes a flag, a text or the order of drawing.
#include <QEvent>
#include <QKeyEvent>

#include "ImageView.h"
#include "MainWindow.h"
#include "Prefetcher.h"

struct MainWindow::PrefetchState {
    Prefetcher prefetcher;
    QString path;         // the file picture_ was decoded from
    FileStamp stamp;      // and how it looked then
    bool heldKey = false; // the key event being handled repeats a held key
    int direction = 1;    // of the last step: +1 forwards, -1 backwards
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
// is shown its size is not yet the real one, so the full picture is decoded then.
QSize CoverView(const ImageView* display, bool fitToView) {
    if (!fitToView || !display->isVisible() || display->width() <= 0 ||
        display->height() <= 0)
        return QSize();
    return display->size();
}

}  // namespace

void MainWindow::InstallPrefetch() {
    prefetch_ = std::make_shared<PrefetchState>();
    auto* watch = new HeldKeyWatch(this, &prefetch_->heldKey);
    installEventFilter(watch);
    for (QWidget* w : {static_cast<QWidget*>(overviewPanel_), static_cast<QWidget*>(imageView_),
                       static_cast<QWidget*>(statusLabel_), centralWidget()})
        w->installEventFilter(watch);
}

Prefetcher& MainWindow::prefetcher() const { return prefetch_->prefetcher; }

bool MainWindow::ObtainPicture(const QString& path, DecodedPicture* out) {
    PrefetchState& ps = *prefetch_;
    const QSize cover = CoverView(imageView_, options().fitToView);
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
    const QSize cover = CoverView(imageView_, options().fitToView);
    const int32_t ahead = step(i, dir);
    std::vector<Prefetcher::Job> jobs;
    for (int32_t j : {ahead, step(i, -dir), step(ahead, dir)})
        if (j != i) jobs.push_back({list.pathAt(j), cover});
    prefetch_->prefetcher.Request(list.shownPath(), jobs, session_.pngPluginAvailable());
}

void MainWindow::EnsurePixels(const QSize* dest) {
    if (!picture_.isReduced()) return;
    if (dest && picture_.covers(*dest)) return;
    PrefetchState& ps = *prefetch_;
    const QSize cover = dest ? CoverView(imageView_, options().fitToView) : QSize();
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
                                  CoverView(imageView_, options().fitToView)) == Prefetcher::Status::Pending;
}
