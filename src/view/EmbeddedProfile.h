#pragma once
// The ICC colour profile a picture file carries, read from its headers without decoding it.

#include <QByteArray>

class QIODevice;

namespace EmbeddedProfile {

// Larger profiles are not read: real ones are a few kilobytes, a CMYK one a few hundred.
inline constexpr int kMaxProfileBytes = 4 * 1024 * 1024;

// The profile of the JPEG (APP2 "ICC_PROFILE" segments, joined in order), PNG (iCCP, inflated),
// WebP (ICCP chunk) or TIFF (tag 34675, first directory) read from `device`, from its start.
// Empty when the file has none, is another kind of file, or its profile is incomplete or
// larger than kMaxProfileBytes. The device's position is left anywhere.
QByteArray read(QIODevice* device);

}  // namespace EmbeddedProfile
