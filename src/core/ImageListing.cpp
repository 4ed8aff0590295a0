// Listing a folder's image files through the file-system layer, in one pass of readdir.
#include "platform/FileSystem.h"
#include "core/ImageList.h"
#include "platform/ImageNames.h"
#include "core/NaturalOrder.h"

QStringList ImageList::listFolder(FileSystem& fs, const QString& folder, bool png, bool extra,
                                  bool companions) {
    NaturalOrder::Collector names;
    // The endings are ASCII, so the bytes can be tested before any decoding.
    const auto wanted = [png, extra, companions](const char* name, size_t length) {
        return ImageNames::isListed(name, length, png, extra) ||
               (companions && ImageNames::isCompanionName(name, length));
    };
    FsError ignored;  // an unreadable folder lists what could be read: nothing, mostly
    fs.listFiles(folder, wanted, [&names](const char* name, size_t length) { names.add(name, length); },
                 &ignored);
    return names.sorted();
}
