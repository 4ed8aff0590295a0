#include "view/PictureOrientation.h"

#include <libexif/exif-data.h>

#include <cstring>
#include <vector>

namespace PictureOrientation {

int fromExifBlock(const uint8_t* exif, size_t size) {
    // libexif takes the block as a JPEG's APP1 holds it, behind "Exif\0\0"; WebP and HEIF store
    // the bare TIFF structure (some writers keep the marker).
    static const uint8_t kMarker[6] = {'E', 'x', 'i', 'f', 0, 0};
    std::vector<uint8_t> block;
    if (size < sizeof kMarker || std::memcmp(exif, kMarker, sizeof kMarker) != 0) {
        block.assign(kMarker, kMarker + sizeof kMarker);
        block.insert(block.end(), exif, exif + size);
        exif = block.data();
        size = block.size();
    }
    ExifData* data = exif_data_new();
    if (!data) return 1;
    // Read as written: nothing added where the writer left an entry out.
    exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data, exif, unsigned(size));
    int orientation = 1;
    const ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry && entry->format == EXIF_FORMAT_SHORT && entry->components >= 1 && entry->data &&
        entry->size >= 2)
        orientation = exif_get_short(entry->data, exif_data_get_byte_order(data));
    exif_data_unref(data);
    return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

}  // namespace PictureOrientation
