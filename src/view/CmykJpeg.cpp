// OtherFormats::decodeCmykJpeg: libjpeg hands over the inks, lcms2 turns them into sRGB.
#include <QIODevice>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "view/ColourProfile.h"
#include "view/OtherFormats.h"

namespace OtherFormats {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void jumpOut(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }
void quiet(j_common_ptr, int) {}

// Decodes into `inks` (4 bytes a pixel) at the scale whose result is `size`; false on any error.
// No C++ object lives between setjmp and longjmp here.
bool readInks(const QByteArray& bytes, const QSize& size, QByteArray* inks, bool* adobe) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jumpOut;
    errors.base.emit_message = quiet;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    bool ok = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    if (ok) {
        info.out_color_space = JCS_CMYK;
        info.scale_num = 1;
        info.scale_denom = 1;
        for (unsigned d : {8u, 4u, 2u}) {
            if ((info.image_width + d - 1) / d == unsigned(size.width()) &&
                (info.image_height + d - 1) / d == unsigned(size.height())) {
                info.scale_denom = d;
                break;
            }
        }
        jpeg_start_decompress(&info);
        ok = int(info.output_width) == size.width() && int(info.output_height) == size.height() &&
             info.output_components == 4;
        if (ok) {
            *adobe = info.saw_Adobe_marker;
            unsigned char* base = reinterpret_cast<unsigned char*>(inks->data());
            while (info.output_scanline < info.output_height) {
                JSAMPROW row = base + size_t(info.output_scanline) * size.width() * 4;
                jpeg_read_scanlines(&info, &row, 1);
            }
            jpeg_finish_decompress(&info);
        }
    }
    jpeg_destroy_decompress(&info);
    return ok;
}

}  // namespace

QImage decodeCmykJpeg(QIODevice* file, const QSize& size, const QByteArray& icc) {
    if (!size.isValid() || size.isEmpty() || !file->seek(0)) return {};
    const QByteArray bytes = file->readAll();
    QByteArray inks;
    inks.resize(qsizetype(size.width()) * size.height() * 4);
    bool adobe = false;
    if (!readInks(bytes, size, &inks, &adobe)) return {};
    // Adobe's files, which carry its marker, store the inks inverted.
    return ColourProfile::cmykToSrgb(reinterpret_cast<const uchar*>(inks.constData()), size.width(),
                                     size.height(), qsizetype(size.width()) * 4, adobe, icc);
}

}  // namespace OtherFormats
