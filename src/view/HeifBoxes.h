#pragma once
// What decoding a HEIF file's primary picture will make libheif hold, read from the file's
// own boxes before anything is decoded. libheif's API tells only the primary item's ispe size,
// while it allocates by what the grid and overlay data and the codecs' own headers say; a
// small file may claim a huge picture in any of them.

#include <cstdint>
#include <optional>

class QIODevice;

namespace HeifBoxes {

struct Demand {
    int64_t canvasPixels = 0;        // the largest picture put together (grid, overlay, coded)
    int64_t largestCodedPixels = 0;  // the largest picture a codec is given to decode
    int64_t codedPixels = 0;         // all the coded pictures decoded for it, together
    int64_t codedPictures = 0;       // how many (tiles, overlay parts, alpha)
};

// The demand of the primary picture of the HEIF file open in `file`, its alpha included.
// nullopt when the boxes that tell it cannot be read or do not agree (a grid whose tiles are
// not its rows x columns, a derived picture made of derived pictures, data outside the file):
// libheif is then not to be asked. The file's position is kept. Reads the meta box (at most
// a few MB) and a few bytes of each coded item, never allocating by a size the file claims.
std::optional<Demand> primaryDemand(QIODevice* file);

}  // namespace HeifBoxes
