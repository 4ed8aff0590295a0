// Feeds arbitrary bytes, as the text of a configuration file, to every reader of the settings:
// each line split into fields and applied as an options line and as a renaming line, and the
// lines taken as the page file and as the folder file. The lines a save would write from what
// was read are then read into fresh values: both must agree, or a setting would change at
// every start. (That the text of those lines survives the file's encoding is the textfile
// fuzzer's check; leaving it out here keeps the runs fast.)

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

#include "core/FolderLibrary.h"
#include "core/LibraryFiles.h"
#include "core/OptionFiles.h"
#include "core/SettingsLine.h"
#include "platform/TextFile.h"

namespace {

void applyLines(const QStringList& lines, Options& options, LastRun& lastRun, FolderLibrary& library) {
    for (const QString& line : lines) {
        QString fields[7];
        const int16_t count = SettingsLine::split(line, fields);
        if (count < 0 || count > 7) std::abort();
        SettingsLine::strictNumber(fields[1]);
        OptionFiles::applyOptionsLine(count, fields, options, &lastRun);
        OptionFiles::applyRenamingLine(count, fields, library);
    }
}

// The same values, and the same lines written for them: a number no choice stands for is
// written back as read.
bool sameOptions(const Options& a, const Options& b) {
    return a.deleteMode == b.deleteMode && a.confirmDelete == b.confirmDelete && a.arrowKeys == b.arrowKeys &&
           a.collisionMode == b.collisionMode && a.connector == b.connector &&
           a.numberDigits == b.numberDigits && a.firstNumber == b.firstNumber &&
           a.continueNumbers == b.continueNumbers && a.fitToView == b.fitToView &&
           OptionFiles::optionsLines(a, 0, WindowPlacement()) == OptionFiles::optionsLines(b, 0, WindowPlacement());
}

bool samePlacement(const WindowPlacement& a, const WindowPlacement& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom &&
           a.show == b.show;
}

bool sameLibrary(const FolderLibrary& a, const FolderLibrary& b) {
    if (a.pageCount() != b.pageCount()) return false;
    for (int p = 0; p < a.pageCount(); ++p) {
        if (a.page(p).name != b.page(p).name) return false;
        for (int s = 0; s < FolderLibrary::kSlots; ++s) {
            const Slot& x = a.page(p).folderSlots[size_t(s)];
            const Slot& y = b.page(p).folderSlots[size_t(s)];
            if (x.title != y.title || x.folder != y.folder || x.renaming != y.renaming ||
                x.fixedName != y.fixedName || x.nextNumber != y.nextNumber)
                return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QStringList lines = TextFile::decodeFile(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));

    // Pages from the first few lines only: every page is written back as ten renaming lines and
    // twenty folder lines, and a library of a hundred pages would slow each run a hundredfold.
    FolderLibrary library;
    LibraryFiles::applyPageLines(lines.mid(0, 3), library);
    LibraryFiles::applyFolderLines(lines, library);
    Options options;
    LastRun lastRun;
    applyLines(lines, options, lastRun, library);

    FolderLibrary reread;
    LibraryFiles::applyPageLines(LibraryFiles::pageLines(library), reread);
    LibraryFiles::applyFolderLines(LibraryFiles::folderLines(library), reread);
    Options rereadOptions;
    LastRun rereadRun;
    const WindowPlacement placement = lastRun.placement.value_or(WindowPlacement());
    applyLines(OptionFiles::optionsLines(options, lastRun.currentPage.value_or(0), placement),
               rereadOptions, rereadRun, reread);
    applyLines(OptionFiles::renamingLines(library), rereadOptions, rereadRun, reread);

    if (!sameOptions(options, rereadOptions) || !sameLibrary(library, reread)) std::abort();
    if (rereadRun.currentPage.value_or(0) != lastRun.currentPage.value_or(0)) std::abort();
    if (lastRun.placement.has_value() != rereadRun.placement.has_value()) std::abort();
    if (lastRun.placement && !samePlacement(*lastRun.placement, *rereadRun.placement)) std::abort();
    return 0;
}
