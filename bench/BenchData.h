#pragma once
// The benchmark's test data, generated once into a folder and reused while it is complete.

#include <QString>

namespace BenchData {

inline constexpr int kFolderFiles = 50000;

// The names of the pictures under `root` (made by Generate).
struct Pictures {
    QString jpeg24Baseline;      // 6000 x 4000, orientation 1
    QString jpeg24BaselineRot;   // 6000 x 4000, EXIF orientation 6
    QString jpeg24Progressive;   // 6000 x 4000, progressive, orientation 1
    QString jpeg24ProgressiveRot;
    QString jpeg24Detailed;      // 6000 x 4000, heavy grain: as costly to decode as a detailed photo
    QString jpeg50Baseline;      // 8640 x 5760, orientation 1
    QString jpeg50ProgressiveRot;
    QString png24Rgb;            // 6000 x 4000
    QString png24Rgba;
    QString folder50k;           // kFolderFiles image names, the first a real picture
};

// Makes whatever is missing under `root` (created if needed) and returns the names. Prints a
// line for each file it has to make.
Pictures Generate(const QString& root);

// The formats beyond bitmap, JPEG and GIF, made from the 24 MP baseline picture (FormatData.cpp).
struct FormatPictures {
    QString heic12;          // 4000 x 3000 HEIC (HEVC, libheif's x265 encoder)
    QString webp12;          // 4000 x 3000 lossy WebP
    QString raw24;           // DNG: the 24 MP JPEG as the camera's preview, a 6000 x 4000 sensor
    QString jpeg24Profiled;  // the 24 MP baseline JPEG carrying an Adobe RGB profile
};
FormatPictures GenerateFormats(const QString& root, const Pictures& pics);

}  // namespace BenchData
