#pragma once
// The picture size a video codec allocates for, read from the codec's own headers: the HEVC
// sequence parameter set and the AV1 sequence header. A HEIF file's ispe box may say less
// than these, and the codec trusts them, not the box.

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace CodedSize {

// width x height, each side taken as at most 2^25, so sums of many stay far from overflowing.
int64_t area(uint64_t width, uint64_t height);

// Width x height in luma samples of the HEVC NAL unit `nal` (its two-byte header included),
// when it is a sequence parameter set; 0 for another unit; -1 when it is one that cannot be read.
int64_t hevcNalPixels(const uint8_t* nal, size_t size);

// The largest frame (max_frame_width x max_frame_height) of the AV1 sequence header OBU
// payload `payload`; -1 when it cannot be read.
int64_t av1SequenceHeaderPixels(const uint8_t* payload, size_t size);

// The `count`-byte big-endian number at `at` in `bytes` (which holds it).
uint64_t bigEndian(const QByteArray& bytes, int at, int count);

// Up to `count` bytes of a stream from `at`; fewer at its end.
using Reader = std::function<QByteArray(uint64_t at, size_t count)>;

// The largest size any of the parameter sets or sequence headers in a stream of `size` bytes
// declares: HEVC NAL units each after a 4-byte length (as libheif hands them to its decoder),
// or AV1 OBUs. Reads a few bytes of each unit. -1 when one cannot be read.
int64_t largestDeclared(bool hevc, uint64_t size, const Reader& read);

// The same for the units in a configuration box's body (hvcC, av1C, after the box header).
int64_t configurationPixels(bool hevc, const uint8_t* box, size_t size);

}  // namespace CodedSize
