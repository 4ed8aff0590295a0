// Every PNG colour type, bit depth and interlace method comes out as the same 32-bit B, G, R, A
// rows, bottom-up, with a BITMAPINFOHEADER the host can trust.

#include <gtest/gtest.h>

#include <cmath>

#include "DecodeHelpers.h"

using pngwriter::Bytes;
using pngwriter::Image;

namespace {

constexpr uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}

// An image whose rows are filled by `sample(x, y, channel)` with `channels` samples a pixel,
// packed at `depth` bits as PNG stores them.
template <typename F>
Image Filled(int colorType, int depth, uint32_t w, uint32_t h, int channels, F sample) {
    Image image;
    image.width = w;
    image.height = h;
    image.colorType = colorType;
    image.bitDepth = depth;
    for (uint32_t y = 0; y < h; ++y) {
        Bytes row((size_t(w) * channels * depth + 7) / 8, 0);
        size_t bit = 0;
        for (uint32_t x = 0; x < w; ++x) {
            for (int c = 0; c < channels; ++c, bit += depth) {
                const uint32_t v = sample(x, y, c);
                if (depth == 16) {
                    row[bit / 8] = static_cast<unsigned char>(v >> 8);
                    row[bit / 8 + 1] = static_cast<unsigned char>(v);
                } else {
                    row[bit / 8] |= static_cast<unsigned char>(v << (8 - depth - bit % 8));
                }
            }
        }
        image.rows.push_back(row);
    }
    return image;
}

Decoded DecodeImage(const Image& image) {
    const Bytes file = pngwriter::Encode(image);
    EXPECT_FALSE(file.empty());
    return DecodeBytes(file);
}

void ExpectHeader(const Decoded& d, uint32_t w, uint32_t h) {
    ASSERT_EQ(d.result, ifpng::kOk);
    EXPECT_EQ(d.header.biSize, 40u);
    EXPECT_EQ(d.header.biWidth, int32_t(w));
    EXPECT_EQ(d.header.biHeight, int32_t(h));  // positive: bottom-up rows
    EXPECT_EQ(d.header.biPlanes, 1);
    EXPECT_EQ(d.header.biBitCount, 32);
    EXPECT_EQ(d.header.biCompression, 0u);
    ASSERT_EQ(d.pixels.size(), size_t(w) * h);
}

}  // namespace

TEST(IfPngColour, RgbAndRgbaKeepPositionsAndAlpha) {
    // Distinct per pixel so a swapped channel or a flipped row shows.
    auto rgbSample = [](uint32_t x, uint32_t y, int c) { return (x * 40 + y * 90 + c * 7) & 0xFF; };
    const Decoded rgb = DecodeImage(Filled(PNG_COLOR_TYPE_RGB, 8, 5, 3, 3, rgbSample));
    ExpectHeader(rgb, 5, 3);
    for (uint32_t y = 0; y < 3; ++y) {
        for (uint32_t x = 0; x < 5; ++x) {
            EXPECT_EQ(rgb.at(x, y), Argb(255, rgbSample(x, y, 0), rgbSample(x, y, 1), rgbSample(x, y, 2)))
                << x << "," << y;
        }
    }

    auto rgbaSample = [](uint32_t x, uint32_t y, int c) { return c == 3 ? x * 60 : (y * 100 + c * 50) & 0xFF; };
    const Decoded rgba = DecodeImage(Filled(PNG_COLOR_TYPE_RGBA, 8, 4, 2, 4, rgbaSample));
    ExpectHeader(rgba, 4, 2);
    EXPECT_EQ(rgba.at(0, 0), Argb(0, 0, 50, 100));
    EXPECT_EQ(rgba.at(3, 1), Argb(180, 100, 150, 200));
}

TEST(IfPngColour, GreyAtEveryDepthScalesToFullRange) {
    for (int depth : {1, 2, 4, 8, 16}) {
        const uint32_t maxValue = (1u << depth) - 1;
        auto sample = [&](uint32_t x, uint32_t, int) { return x % (maxValue + 1); };
        const uint32_t width = std::min<uint32_t>(maxValue + 1, 19);
        const Decoded d = DecodeImage(Filled(PNG_COLOR_TYPE_GRAY, depth, width, 2, 1, sample));
        ExpectHeader(d, width, 2);
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t v = std::lround(double(x) * 255.0 / maxValue);
            EXPECT_EQ(d.at(x, 1), Argb(255, v, v, v)) << "depth " << depth << " x " << x;
        }
    }
}

TEST(IfPngColour, GreyAlphaAndSixteenBitChannelsScaleToEightBits) {
    const Decoded ga = DecodeImage(Filled(PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2, 1, 2,
                                          [](uint32_t x, uint32_t, int c) { return c ? 77 : 200 + x; }));
    ExpectHeader(ga, 2, 1);
    EXPECT_EQ(ga.at(1, 0), Argb(77, 201, 201, 201));

    // 16-bit samples are rounded to the nearest 8-bit value, alpha too.
    const uint32_t samples[4] = {0xABCD, 0x0080, 0xFF7F, 0x8000};
    const Decoded wide = DecodeImage(Filled(PNG_COLOR_TYPE_RGBA, 16, 1, 1, 4,
                                            [&](uint32_t, uint32_t, int c) { return samples[c]; }));
    ExpectHeader(wide, 1, 1);
    auto to8 = [](uint32_t v) { return uint32_t(std::lround(v / 257.0)); };
    EXPECT_EQ(wide.at(0, 0), Argb(to8(samples[3]), to8(samples[0]), to8(samples[1]), to8(samples[2])));

    const Decoded rgb16 = DecodeImage(Filled(PNG_COLOR_TYPE_RGB, 16, 1, 1, 3,
                                             [](uint32_t, uint32_t, int c) { return c == 0 ? 0xFFFF : 0; }));
    ExpectHeader(rgb16, 1, 1);
    EXPECT_EQ(rgb16.at(0, 0), Argb(255, 255, 0, 0));
}

TEST(IfPngColour, PaletteWithPartialTransparencyTable) {
    for (int depth : {1, 2, 4, 8}) {
        const uint32_t entries = 1u << std::min(depth, 4);
        Image image = Filled(PNG_COLOR_TYPE_PALETTE, depth, entries, 1, 1,
                             [](uint32_t x, uint32_t, int) { return x; });
        for (uint32_t i = 0; i < entries; ++i) {
            image.palette.push_back({png_byte(i * 10), png_byte(255 - i), png_byte(i * 3)});
        }
        // Shorter than the palette: the entries past its end are opaque.
        image.paletteAlpha = {0, 128};
        const Decoded d = DecodeImage(image);
        ExpectHeader(d, entries, 1);
        EXPECT_EQ(d.at(0, 0), Argb(0, 0, 255, 0)) << depth;
        EXPECT_EQ(d.at(1, 0), Argb(128, 10, 254, 3)) << depth;
        if (entries > 2) {
            EXPECT_EQ(d.at(2, 0), Argb(255, 20, 253, 6)) << depth;
        }
    }
}

TEST(IfPngColour, TransparentColourOfGreyAndRgbBecomesAlphaZero) {
    Image grey = Filled(PNG_COLOR_TYPE_GRAY, 8, 3, 1, 1, [](uint32_t x, uint32_t, int) { return x * 100; });
    grey.hasTransparentColor = true;
    grey.transparentColor.gray = 100;
    const Decoded g = DecodeImage(grey);
    ExpectHeader(g, 3, 1);
    EXPECT_EQ(g.at(0, 0), Argb(255, 0, 0, 0));
    EXPECT_EQ(g.at(1, 0) >> 24, 0u);
    EXPECT_EQ(g.at(2, 0), Argb(255, 200, 200, 200));

    Image rgb = Filled(PNG_COLOR_TYPE_RGB, 8, 2, 1, 3, [](uint32_t x, uint32_t, int c) { return x + c; });
    rgb.hasTransparentColor = true;
    rgb.transparentColor.red = 1;
    rgb.transparentColor.green = 2;
    rgb.transparentColor.blue = 3;
    const Decoded c = DecodeImage(rgb);
    ExpectHeader(c, 2, 1);
    EXPECT_EQ(c.at(0, 0), Argb(255, 0, 1, 2));
    EXPECT_EQ(c.at(1, 0) >> 24, 0u);
}

TEST(IfPngColour, InterlacedDecodesLikeSequential) {
    // Sizes below, at and across the 8x8 Adam7 block, where passes are empty or partial.
    const uint32_t sizes[][2] = {{1, 1}, {2, 3}, {5, 1}, {8, 8}, {9, 7}, {17, 13}};
    const struct { int type; int depth; int channels; } kinds[] = {
        {PNG_COLOR_TYPE_GRAY, 2, 1}, {PNG_COLOR_TYPE_GRAY, 16, 1}, {PNG_COLOR_TYPE_RGB, 8, 3},
        {PNG_COLOR_TYPE_RGBA, 16, 4}, {PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2}, {PNG_COLOR_TYPE_PALETTE, 4, 1}};
    for (const auto& kind : kinds) {
        for (const auto& size : sizes) {
            const uint32_t maxValue = (kind.depth == 16 ? 0xFFFFu : (1u << kind.depth) - 1);
            auto sample = [&](uint32_t x, uint32_t y, int c) {
                return (x * 7 + y * 13 + uint32_t(c) * 5) % (maxValue + 1);
            };
            Image image = Filled(kind.type, kind.depth, size[0], size[1], kind.channels, sample);
            if (kind.type == PNG_COLOR_TYPE_PALETTE) {
                for (int i = 0; i < 16; ++i) image.palette.push_back({png_byte(i), png_byte(i * 2), png_byte(i * 3)});
            }
            const Decoded plain = DecodeImage(image);
            image.interlaced = true;
            const Decoded laced = DecodeImage(image);
            ExpectHeader(laced, size[0], size[1]);
            EXPECT_EQ(plain.pixels, laced.pixels) << kind.type << "/" << kind.depth << " "
                                                  << size[0] << "x" << size[1];
        }
    }
}
