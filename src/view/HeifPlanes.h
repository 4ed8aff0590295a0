#pragma once
// A HEIF picture's own Y'CbCr planes, as its codec decoded them, made into the view's 32-bit
// picture in one pass that reduces as it converts: the full-size interleaved RGB libheif would
// convert them into, and a reduction of that, are never made.

#include <QImage>
#include <QSize>

struct heif_image;

namespace HeifPlanes {

// `image` (decoded as Y'CbCr) as an opaque RGB32 picture, box-reduced to the
// size a JPEG of its size would be decoded at for `coverView` (PictureDecoder::reducedSize;
// full size for an invalid one). Handles 8-bit Y'CbCr 4:2:0, 4:2:2 and 4:4:4 with the matrices
// in use (BT.601, BT.709, BT.2020 and the like), full or limited range, as the decoded
// picture's nclx says (BT.601 full range, libheif's own coding, when it says nothing). Null for anything else
// (alpha, more bits, RGB or monochrome planes, another matrix), or when memory runs out.
QImage toRgb32(const heif_image* image, const QSize& coverView);

}  // namespace HeifPlanes
