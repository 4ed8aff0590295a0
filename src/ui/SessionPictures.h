#pragma once
#include <QObject>

#include "view/PictureLoader.h"

class SortingSession;

// The one place where the session's shown file meets the picture loader: it hands the loader
// the file, its neighbours and the fit mode, and the loader's answers (shown / failed) back to
// the session, which takes them only for the file it still shows. A fit mode toggled on the
// session redraws; a right click on the view toggles it.
class SessionPictures : public QObject {
    Q_OBJECT
public:
    SessionPictures(SortingSession& session, PictureLoader& loader, QObject* parent = nullptr);

    // Shows the session's shown file, or empties the view when there is none: the loader's
    // show(), true when the picture is on screen (or there is none).
    bool showShownFile();
    // A step by a held key onto a picture still decoded ahead is passed over (see
    // PictureLoader::skipsHeldStep); `direction` +1 forwards, -1 backwards.
    bool skipsHeldStep(int direction, bool held);

private:
    SortingSession& session_;
    PictureLoader& loader_;
};
