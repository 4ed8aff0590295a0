#pragma once
#include <QObject>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <optional>

#include "view/PictureBuffer.h"
#include "view/PictureOffset.h"
#include "view/Prefetcher.h"

class ImageView;
class QWidget;

// Puts a picture file on the image view. Its picture comes from a worker thread: decoded ahead
// with the neighbours, or decoded when the file is shown, so no decode and no colour conversion
// holds the window's thread. It draws the picture stretched or at actual size, moves it for the
// arrow keys and the mouse, and then asks for the neighbours in the direction of travel.
// Decoding ahead changes no flag, no text and no order of drawing. Once the window is on screen
// it never waits on a worker: a file whose picture is not ready is shown when its decode is
// done. It knows nothing of what is being sorted: it is told what to show and answers shown or
// failed.
class PictureLoader : public QObject {
    Q_OBJECT
public:
    // The files around the one shown, each side nearest first (wrapping around; a side may
    // name the shown file itself, which is never decoded ahead).
    struct Neighbours {
        QString next, afterNext;
        QString previous, beforePrevious;
    };

    // `window` is the top-level window: its state decides how a stretched redraw clears.
    // `decode` is how the workers decode ahead (tests put in one that stalls).
    // `fs` as the Prefetcher takes it.
    PictureLoader(ImageView& view, QWidget& window, FileSystem& fs, Prefetcher::Decode decode = {});
    ~PictureLoader() override;

    // Shows `path` stretched to the view (`fit`) or at actual size, or empties the view for an
    // empty path (true then). A file shown at once is answered with shown(path) and drawn, one
    // that fails to decode with failed(path), its picture and view emptied: false then. False
    // too while a worker still decodes the file (awaiting()): the view keeps what it showed
    // and the answer follows, then shownLate. Before the window is on screen it waits a while
    // for a decode started here, so it opens with the picture.
    bool show(const QString& path, const Neighbours& neighbours, bool fit);
    // load("") empties the picture and the view and changes nothing else. For a named file it
    // returns false when decoding failed or a worker still decodes it (awaiting() then; the
    // picture is empty either way); else shown(path) is sent and the picture drawn. Nothing is
    // decoded on the calling thread.
    bool load(const QString& path);
    // Stretched to the view or at actual size from now on (the caller draws).
    void setFit(bool fit) { fit_ = fit; }
    // Whether the PNG plug-in is there to decode PNG files (without it they fail to decode).
    void setPngPluginAvailable(bool available) { pngPlugin_ = available; }
    // The file whose decode on a worker the loader waits for, without waiting; empty when none.
    const QString& awaiting() const { return awaited_; }
    // Draws the picture shown on an emptied view: after a load or a toggle of the fit mode.
    void drawAfresh();
    // Draws it over what the view holds: after a resize or a slide. Stretched in a window in
    // the normal state, the view is emptied first all the same.
    void redraw();
    // One step of the arrow keys held, then redraw().
    void slide(const PictureOffset::HeldKeys& held);
    // The view has a new size: the offset is pulled back inside it (the caller draws).
    void fitOffsetToView();

    // The view's mouse: a left drag slides the picture at actual size (a right click is the
    // window's: it toggles the fit mode).
    void onMouseDown(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at);
    void onMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at);

    // A step onto `target` repeated by a held key (`held`, as the key router tells) while its
    // picture is still being decoded ahead is passed over, so a held key never piles up work
    // (the latest step wins). `direction` is +1 forwards, -1 backwards; it also orders the
    // neighbours asked for next.
    bool skipsHeldStep(const QString& target, int direction, bool held);
    // While loading (before the window is shown) pictures are decoded for a view of `size`,
    // the one the window will have; an empty size ends that.
    void expectViewWhileLoading(const QSize& size);

    // The decoded picture (size() is always its natural size) and where it lies in the view.
    const PictureBuffer& picture() const { return picture_; }
    ImageView& view() const { return view_; }
    const PictureOffset& offset() const { return offset_; }
    PictureOffset& offset() { return offset_; }
    Prefetcher& prefetcher() { return prefetcher_; }

signals:
    // The answers for a file show() or load() was given: on screen, or not to be decoded.
    void shown(const QString& path);
    void failed(const QString& path);
    // The file awaited was shown, or failed, once its decode on a worker was done (after the
    // answer).
    void shownLate();

private:
    // The view a reduced decode must cover (see the .cpp).
    QSize coverView() const;
public:
    // A decode that does not end within this (a hung network share) no longer leaves the
    // previous picture on show: the view is emptied.
    static constexpr int kAwaitedLongMs = 1000;

private:
    // How long a window not yet on screen waits for a worker to decode its first picture
    // before it shows without it (a file on a hung share).
    static constexpr int kHiddenWaitMs = 2000;
    // Puts the outcome of decoding `path` on screen and answers shown(); false, with the
    // picture emptied, when it failed to decode (the caller answers).
    bool present(const QString& path, const DecodedPicture& decoded);
    // Asks for the neighbours of the shown file, the direction of travel first; they are
    // decoded once the view has painted (startPrefetch).
    void prefetchAround();
    void startPrefetch();
    // Makes the picture's pixels full size (dest null) or covering `dest`, from the same file:
    // a picture held, else one a worker decodes. False while the window goes on without it.
    bool ensurePixels(const QSize* dest);
    // Takes `d` as the shown picture's pixels when it is the same file and serves `dest` (full
    // size when null); false, changing nothing, when it is the same file but does not serve.
    // Else the file changed, and what is shown is enlarged instead.
    bool adopt(const DecodedPicture& d, const QSize* dest);
    void viewPainted();
    // A worker is done with `path` (posted from the worker).
    void decodeFinished(const QString& path);

    ImageView& view_;
    QWidget& window_;
    PictureBuffer picture_;
    PictureOffset offset_;
    FileSystem& fs_;
    Prefetcher prefetcher_;
    QString path_;           // the file picture_ was decoded from
    Neighbours neighbours_;  // of the file shown last
    bool fit_ = false;
    bool shown_ = false;     // picture_ is on screen, answered with shown()
    bool pngPlugin_ = false;
    FileVersion stamp_;      // and how it looked then
    int direction_ = 1;      // of the last step: +1 forwards, -1 backwards
    // The neighbours asked for wait until the view has painted the shown picture, so its
    // decode and its first paint never share the cores with theirs.
    bool startPending_ = false;
    QSize plannedCover_;     // the view they were asked for
    QTimer startAnyway_;     // a window that does not paint (minimised) starts them after all
    QSize expectedView_;     // while loading, before the window is shown: the view it will have
    QString awaited_;        // the shown file, while a worker decodes it
    // The view a worker decodes the shown file's pixels for (invalid: full size), while the
    // window shows what it has.
    std::optional<QSize> sharpening_;
    // A decode that does not end soon (a hung network share) must not leave the previous
    // picture on show: the view is emptied meanwhile.
    QTimer awaitedLong_;
};
