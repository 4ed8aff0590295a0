#pragma once
#include <QSignalSpy>

#include "view/PictureLoader.h"

// Waits, running the event loop, until no shown file is still being decoded on a worker
// (a window on screen shows a picture not decoded ahead when its worker is done).
inline bool pictureSettled(PictureLoader& loader) {
    if (loader.awaiting().isEmpty()) return true;
    QSignalSpy late(&loader, &PictureLoader::shownLate);
    return late.wait(10000);
}
