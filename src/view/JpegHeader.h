#pragma once
// What a JPEG's headers say about the memory its decoder needs besides the picture itself,
// read before anything is decoded.

#include <cstdint>

class QIODevice;

namespace JpegHeader {

// The decoder's working memory, in bytes, for the JPEG read from `device` (from its current
// position, up to its first scan). A progressive file, or one whose first scan leaves out a
// colour component, is held whole as DCT coefficients until its last scan: 2 bytes for each of
// the 64 coefficients of every 8 x 8 block of every component (subsampled components at their
// own size, as the decoder pads them). A file of one interleaved scan is decoded a few rows at a
// time: 0. -1 when the headers cannot be read; the decoder then judges the file itself.
int64_t workingBytes(QIODevice* device);

}  // namespace JpegHeader
