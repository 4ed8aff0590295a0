#pragma once
// Showing camera RAW files with LibRaw: the camera's own preview where it has a usable one,
// the sensor data developed otherwise.

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QSize>

#include "view/PictureDecoder.h"

namespace RawDecoder {

// A preview smaller than this on its long side, and than half the developed picture's, is a
// thumbnail for a file browser, not a picture to sort by: the sensor data is developed instead.
inline constexpr int kUsablePreviewSide = 1024;

// Decodes the RAW file open in `file` (read from its start; only the parts LibRaw asks for): its embedded JPEG preview
// (reduced for `coverView` as a JPEG file is), turned by the RAW's
// orientation and converted to sRGB from a profile it carries; without one, the sensor data
// developed by LibRaw (at half size when that still covers `coverView`). *natural receives the
// size of what is shown at full size: the preview's, or the developed picture's. Sizes are
// checked against PictureDecoder::kAllocationLimitMB before anything is unpacked. *out is left
// alone on failure.
PictureDecoder::Outcome decode(QIODevice* file, const QSize& coverView, QImage* out,
                               QSize* natural);

}  // namespace RawDecoder
