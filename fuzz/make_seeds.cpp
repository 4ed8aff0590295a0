// Writes small PNG files of every colour type, depth and interlacing, and files whose chunks
// declare far more than they hold, into the folder given as the argument: the fuzzer's
// starting corpus.

#include <cstdio>
#include <string>

#include "PngWriter.h"

using pngwriter::Bytes;
using pngwriter::Image;

static Image Make(int colorType, int depth, bool interlaced, uint32_t w, uint32_t h) {
    Image image;
    image.width = w;
    image.height = h;
    image.colorType = colorType;
    image.bitDepth = depth;
    image.interlaced = interlaced;
    int channels = colorType == PNG_COLOR_TYPE_RGB ? 3
                   : colorType == PNG_COLOR_TYPE_RGBA ? 4
                   : colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2 : 1;
    const size_t rowBytes = (size_t(w) * channels * depth + 7) / 8;
    for (uint32_t y = 0; y < h; ++y) {
        Bytes row(rowBytes);
        for (size_t i = 0; i < rowBytes; ++i) row[i] = static_cast<unsigned char>(y * 31 + i * 7);
        image.rows.push_back(row);
    }
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < (1 << depth); ++i) {
            image.palette.push_back({static_cast<png_byte>(i * 3), static_cast<png_byte>(255 - i),
                                     static_cast<png_byte>(i * 7)});
        }
        image.paletteAlpha = {0, 128, 255};
    }
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_RGB) {
        image.hasTransparentColor = true;
        image.transparentColor.gray = 1;
        image.transparentColor.red = 1;
    }
    return image;
}

static bool WriteSeed(const std::string& folder, int n, const Bytes& file) {
    if (file.empty()) return false;
    const std::string name = folder + "/seed" + std::to_string(n) + ".png";
    FILE* f = std::fopen(name.c_str(), "wb");
    if (f == nullptr) return false;
    std::fwrite(file.data(), 1, file.size(), f);
    return std::fclose(f) == 0;
}

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const struct { int type; int depth; } kinds[] = {
        {PNG_COLOR_TYPE_GRAY, 1}, {PNG_COLOR_TYPE_GRAY, 4}, {PNG_COLOR_TYPE_GRAY, 16},
        {PNG_COLOR_TYPE_PALETTE, 2}, {PNG_COLOR_TYPE_PALETTE, 8}, {PNG_COLOR_TYPE_RGB, 8},
        {PNG_COLOR_TYPE_RGB, 16}, {PNG_COLOR_TYPE_GRAY_ALPHA, 8}, {PNG_COLOR_TYPE_RGBA, 8},
        {PNG_COLOR_TYPE_RGBA, 16}};
    int n = 0;
    for (const auto& kind : kinds) {
        for (bool interlaced : {false, true}) {
            if (!WriteSeed(argv[1], n++, pngwriter::Encode(Make(kind.type, kind.depth, interlaced, 9, 7))))
                return 1;
        }
    }
    // A chunk declaring 2 GiB in a file of a hundred bytes, and one declaring just past the
    // decoder's working-memory cap.
    for (uint32_t declared : {0x7fffffffu, (64u << 20) + 1}) {
        if (!WriteSeed(argv[1], n++, pngwriter::TextChunkClaiming(declared))) return 1;
    }
    return 0;
}
