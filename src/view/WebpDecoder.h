#pragma once
// Decoding still WebP pictures with libwebp, reduced by its own scaling: Qt's reader decodes
// every pixel at full size first, four times the memory of the picture the view holds.

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <optional>

#include "view/PictureDecoder.h"

namespace WebpDecoder {

// Decodes the still WebP picture in `bytes` at the size a JPEG of its size would be decoded at
// for `coverView` (PictureDecoder::reducedSize; full size for an invalid one) into *out, as
// RGB32, or ARGB32 when it has alpha, turned upright by its EXIF orientation; *natural
// receives its full size, turned. Refused from its headers, before any pixel is decoded, as
// Qt's reader would be (two copies of the full picture past PictureDecoder::kAllocationLimitMB).
// nullopt for an animation, which Qt's reader shows.
std::optional<PictureDecoder::Outcome> decode(const QByteArray& bytes, const QSize& coverView,
                                              QImage* out, QSize* natural);

}  // namespace WebpDecoder
