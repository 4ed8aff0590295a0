#pragma once
// Builds PNG files in memory for the plug-in's tests and the fuzzer's seeds: whole images
// through libpng, and hand-made chunk sequences (with correct CRCs) for files libpng would
// refuse to write.

#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace pngwriter {

using Bytes = std::vector<unsigned char>;

struct Image {
    uint32_t width = 1;
    uint32_t height = 1;
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;   // PNG_COLOR_TYPE_PALETTE
    Bytes paletteAlpha;               // tRNS of a palette image
    bool hasTransparentColor = false; // tRNS of a grey or RGB image
    png_color_16 transparentColor{};
    // Rows as libpng packs them: samples big-endian at 16 bits, several pixels a byte below 8.
    std::vector<Bytes> rows;
};

inline void AppendBytes(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
inline void NoFlush(png_structp) {}

// The encoded file; empty if libpng refused.
inline Bytes Encode(const Image& image) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rowPointers;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, AppendBytes, NoFlush);
    png_set_IHDR(png, info, image.width, image.height, image.bitDepth, image.colorType,
                 image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!image.palette.empty()) {
        png_set_PLTE(png, info, image.palette.data(), static_cast<int>(image.palette.size()));
    }
    if (!image.paletteAlpha.empty()) {
        png_set_tRNS(png, info, image.paletteAlpha.data(),
                     static_cast<int>(image.paletteAlpha.size()), nullptr);
    } else if (image.hasTransparentColor) {
        png_set_tRNS(png, info, nullptr, 0, &image.transparentColor);
    }
    png_write_info(png, info);
    for (const Bytes& row : image.rows) rowPointers.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, rowPointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

inline void PutBE32(Bytes* out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<unsigned char>(value >> shift));
}

// One chunk: length, type, data, CRC.
inline Bytes Chunk(const char type[4], const Bytes& data) {
    Bytes out;
    PutBE32(&out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    PutBE32(&out, static_cast<uint32_t>(crc));
    return out;
}

inline Bytes Signature() { return {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'}; }

inline Bytes Ihdr(uint32_t width, uint32_t height, int bitDepth, int colorType) {
    Bytes data;
    PutBE32(&data, width);
    PutBE32(&data, height);
    data.push_back(static_cast<unsigned char>(bitDepth));
    data.push_back(static_cast<unsigned char>(colorType));
    data.push_back(0);  // deflate
    data.push_back(0);  // adaptive filtering
    data.push_back(0);  // not interlaced
    return Chunk("IHDR", data);
}

// `raw` deflated in zlib format at the best compression.
inline Bytes Deflate(const Bytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) return {};
    out.resize(size);
    return out;
}

// A grey 8-bit image of `width` x `height` zero pixels whose IDAT inflates to
// (width + 1) * height bytes: a few kilobytes that ask for much more.
inline Bytes ZeroImage(uint32_t width, uint32_t height) {
    Bytes out = Signature();
    Bytes ihdr = Ihdr(width, height, 8, PNG_COLOR_TYPE_GRAY);
    out.insert(out.end(), ihdr.begin(), ihdr.end());
    // Deflate in pieces so the test itself never holds the inflated size.
    z_stream z{};
    deflateInit(&z, 9);
    Bytes compressed;
    std::vector<unsigned char> zeros(1 << 20, 0);
    uint64_t left = (uint64_t{width} + 1) * height;
    unsigned char buffer[1 << 16];
    while (true) {
        const uInt piece = static_cast<uInt>(left < zeros.size() ? left : zeros.size());
        left -= piece;
        z.next_in = zeros.data();
        z.avail_in = piece;
        const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        int rc;
        do {
            z.next_out = buffer;
            z.avail_out = sizeof buffer;
            rc = deflate(&z, flush);
            compressed.insert(compressed.end(), buffer, buffer + (sizeof buffer - z.avail_out));
        } while (z.avail_out == 0);
        if (flush == Z_FINISH && rc == Z_STREAM_END) break;
    }
    deflateEnd(&z);
    Bytes idat = Chunk("IDAT", compressed);
    out.insert(out.end(), idat.begin(), idat.end());
    Bytes iend = Chunk("IEND", {});
    out.insert(out.end(), iend.begin(), iend.end());
    return out;
}

// A 1 x 1 grey image with a tEXt chunk before its IDAT whose length field claims `declared`
// bytes: a file of about a hundred bytes that asks a decoder allocating a chunk's declared
// length before reading it for that much.
inline Bytes TextChunkClaiming(uint32_t declared) {
    Bytes text = Chunk("tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'h', 'i'});
    text[0] = static_cast<unsigned char>(declared >> 24);
    text[1] = static_cast<unsigned char>(declared >> 16);
    text[2] = static_cast<unsigned char>(declared >> 8);
    text[3] = static_cast<unsigned char>(declared);
    Bytes out = Signature();
    for (const Bytes& part : {Ihdr(1, 1, 8, PNG_COLOR_TYPE_GRAY), text,
                              Chunk("IDAT", Deflate({0, 0})), Chunk("IEND", {})})
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

}  // namespace pngwriter
