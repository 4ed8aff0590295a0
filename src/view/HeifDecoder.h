#pragma once
// Decoding HEIC, HEIF and AVIF pictures with libheif.

#include <QByteArray>
#include <QImage>
#include <QSize>

class QIODevice;

#include "view/PictureDecoder.h"

namespace HeifDecoder {

// Whether the file starting with `head` (its first 12 bytes or more) is one libheif decodes.
bool recognises(const QByteArray& head);

// Decodes the primary picture of the file open in `file` (read as libheif needs it), turned
// and mirrored as its container says (irot, imir), converted to sRGB from its colr box, opaque.
// libheif has no reduced decoding: for a valid `coverView` the picture is scaled down as it is
// converted (HeifPlanes), to the size a JPEG of its size would be decoded at
// (PictureDecoder::reducedSize), so it is held small. *natural receives the picture's natural size; *out is left alone on failure.
// The size in the headers is checked against PictureDecoder::kAllocationLimitMB before any
// pixel is decoded.
PictureDecoder::Outcome decode(QIODevice* file, const QSize& coverView, QImage* out,
                               QSize* natural);

}  // namespace HeifDecoder
