#pragma once
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstddef>

// The kind of picture a name's ending stands for. Heif covers .heic, .heif and .avif; Raw the
// camera formats. None: no ending Orvane knows.
enum class ImageFormat { Bmp, Jpeg, Gif, Png, Webp, Tiff, Heif, Raw, None };

// The one rule for which file names are pictures: what a folder's list takes, what a single
// file opened is taken as, and which decoder a name goes to. It lives beside the platform so
// that the listing, the session and the decoders all read the same one.
//
// Two sets of endings:
//  - the classic four, ".bmp" ".jpg" ".gif" ".png", taken as a name's last four characters;
//    always listed (".png" only while the PNG plug-in is there);
//  - the extended endings (extendedEndings()), listed only while the option extraFormats is on.
// Endings are ASCII and their letter case is folded in ASCII only, so a name tests the same as
// text and as the bytes readdir gives (no locale, no Unicode folding: "ſ" is no "s").
namespace ImageNames {

// The extended endings, lower case with their dot: .jpeg .jpe .jfif .webp .tif .tiff .heic
// .heif .avif and the camera RAW ones.
const QStringList& extendedEndings();

// The last four characters are ".bmp", ".jpg", ".gif" or ".png" in any letter case (".png"
// whether or not the plug-in is there).
bool hasClassicEnding(QStringView name);
// The name ends in one of extendedEndings(), in any letter case.
bool hasExtendedEnding(QStringView name);

// Whether a folder's list takes the entry `name`: a classic ending in any letter case, ".png"
// only with the plug-in; with extraFormats also an extended ending.
bool isListed(QStringView name, bool pngPlugin, bool extraFormats);
// The same on a name's bytes as the file system holds them.
bool isListed(const char* name, size_t length, bool pngPlugin, bool extraFormats);

// Whether the name ends in an ending a companion file may have (the option companions): a
// camera RAW ending, or .xmp .aae .thm .pp3 .dop .mov .mp4, in any letter case.
bool isCompanionName(QStringView name);
bool isCompanionName(const char* name, size_t length);

// Whether a single file opened by the dialog, a drop, the command line or a second start is
// taken: a classic ending in exactly that (lower) case, ".png" only with the plug-in; with
// extraFormats also an extended ending in any letter case.
bool isOpenable(QStringView path, bool pngPlugin, bool extraFormats);

// The format the name's ending stands for, whatever the options; None for any other name.
ImageFormat formatOf(QStringView name);

// The open-file dialog's filter for the names isOpenable takes.
QString dialogFilter(bool pngPlugin, bool extraFormats);

}  // namespace ImageNames
