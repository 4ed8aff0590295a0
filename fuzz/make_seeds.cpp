// Writes small PNG files of every colour type, depth and interlacing into the folder given as
// the argument: the fuzzer's starting corpus.

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
            const Bytes file = pngwriter::Encode(Make(kind.type, kind.depth, interlaced, 9, 7));
            const std::string name = std::string(argv[1]) + "/seed" + std::to_string(n++) + ".png";
            FILE* f = std::fopen(name.c_str(), "wb");
            if (f == nullptr || file.empty()) return 1;
            std::fwrite(file.data(), 1, file.size(), f);
            std::fclose(f);
        }
    }
    return 0;
}
