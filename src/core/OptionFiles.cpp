#include "core/OptionFiles.h"

#include <QStringList>

#include "core/LibraryFiles.h"
#include "core/NamePart.h"
#include "core/SettingsLine.h"
#include "platform/TextFile.h"

using namespace SettingsLine;

namespace OptionFiles {

namespace {

QString quoted(const QString& s) { return QLatin1Char('"') + s + QLatin1Char('"'); }

// Fields joined by commas. Texts are put in as they are: never through a format string, which
// would read a "%1" a user typed as a place for the next value.
QString line(std::initializer_list<QString> fields) { return QStringList(fields).join(QLatin1Char(',')); }

// The renaming file's switch numbers: 0 off, 1 on. Any other number is carried through the
// enum unchanged, so a save writes back what was read.
static_assert(static_cast<int16_t>(Renaming::Off) == 0 && static_cast<int16_t>(Renaming::On) == 1);
Renaming renamingOfStored(int16_t stored) { return static_cast<Renaming>(stored); }
int16_t storedRenaming(Renaming renaming) { return static_cast<int16_t>(renaming); }

// The placement line's show numbers: 1 normal, 2 minimised, 3 maximised; any other reads as
// normal (the window saves its own state at the close, so nothing else is written back).
WindowShow windowShowOfStored(int32_t stored) {
    if (stored == 3) return WindowShow::Maximized;
    return stored == 2 ? WindowShow::Minimized : WindowShow::Normal;
}
int32_t storedWindowShow(WindowShow show) {
    switch (show) {
        case WindowShow::Minimized: return 2;
        case WindowShow::Maximized: return 3;
        case WindowShow::Normal: break;
    }
    return 1;
}

QString keyLine(const char* key, int value) {
    return line({quoted(QString::fromLatin1(key)), QString::number(value)});
}

// Each line is split and applied in turn; a missing file changes nothing.
template <typename Apply>
void applyLines(const QString& path, Apply apply) {
    QStringList lines;
    if (!TextFile::readLines(path, &lines)) return;
    for (const QString& line : lines) {
        QString fields[7];
        const int16_t count = split(line, fields);
        apply(count, fields);
    }
}

}  // namespace

// The typed options and the numbers the file writes for them. A number read is kept beside
// its value and written back while the value is still what it reads as, so a number no
// choice stands for survives a run; a changed value writes its own number.
struct CodeAccess {
    static DeleteMode deleteModeOf(int16_t code) { return code == 0 ? DeleteMode::ToTrash : DeleteMode::Directly; }
    static bool switchOf(int16_t code) { return code == 1; }
    static ArrowKeys arrowKeysOf(int16_t code) {
        return code == 0 ? ArrowKeys::Slide : code == 1 ? ArrowKeys::PagesAndFiles : ArrowKeys::Unassigned;
    }
    static CollisionMode collisionModeOf(int16_t code) {
        switch (code) {
            case 0: return CollisionMode::Ask;
            case 1: return CollisionMode::Replace;
            case 2: return CollisionMode::Number;
            default: return CollisionMode::Unsupported;
        }
    }

    static int16_t codeOf(DeleteMode mode) { return mode == DeleteMode::ToTrash ? 0 : 1; }
    static int16_t codeOf(bool on) { return on ? 1 : 0; }
    // The enums' members in order are their numbers; a member for "none of them" takes the
    // next number, which reads back as the same member.
    static int16_t codeOf(ArrowKeys keys) { return static_cast<int16_t>(keys); }
    static int16_t codeOf(CollisionMode mode) { return static_cast<int16_t>(mode); }

    template <typename T>
    static int16_t codeFor(T value, const std::optional<int16_t>& stored, T (*decode)(int16_t)) {
        return stored && decode(*stored) == value ? *stored : codeOf(value);
    }
    static int16_t deleteMode(const Options& o) {
        return codeFor(o.deleteMode, o.storedCodes.deleteMode, deleteModeOf);
    }
    static int16_t confirmDelete(const Options& o) {
        return codeFor(o.confirmDelete, o.storedCodes.confirmDelete, switchOf);
    }
    static int16_t arrowKeys(const Options& o) { return codeFor(o.arrowKeys, o.storedCodes.arrowKeys, arrowKeysOf); }
    static int16_t collisionMode(const Options& o) {
        return codeFor(o.collisionMode, o.storedCodes.collisionMode, collisionModeOf);
    }
    static int16_t continueNumbers(const Options& o) {
        return codeFor(o.continueNumbers, o.storedCodes.continueNumbers, switchOf);
    }

    // Applies the line of a key (in lower case) that holds one of the numbered options; false
    // for any other key. A value that is no 16-bit number changes nothing.
    static bool take(const QString& key, const QString& field, Options& o) {
        StoredOptionCodes& codes = o.storedCodes;
        const std::optional<int16_t> read = int16Of(field);
        auto keep = [&read](auto& value, std::optional<int16_t>& stored, auto decode) {
            if (read) {
                stored = *read;
                value = decode(*read);
            }
            return true;
        };
        if (key == QLatin1String("deltrash")) return keep(o.deleteMode, codes.deleteMode, deleteModeOf);
        if (key == QLatin1String("delcaution")) return keep(o.confirmDelete, codes.confirmDelete, switchOf);
        if (key == QLatin1String("cursorkeymode")) return keep(o.arrowKeys, codes.arrowKeys, arrowKeysOf);
        if (key == QLatin1String("owmode")) return keep(o.collisionMode, codes.collisionMode, collisionModeOf);
        if (key == QLatin1String("owmemindseqnum")) return keep(o.continueNumbers, codes.continueNumbers, switchOf);
        if (key == QLatin1String("owsequencenum")) {
            if (read) o.numberDigits = int32_t(*read) + 1;
            return true;
        }
        if (key == QLatin1String("owseqstart")) {
            if (read) o.firstNumber = *read;
            return true;
        }
        return false;
    }
};

QString optionsFilePath(const QString& programDir) {
    return LibraryFiles::configFilePath(programDir, QStringLiteral("設定_オプション.ini"));
}

QString renamingFilePath(const QString& programDir) {
    return LibraryFiles::configFilePath(programDir, QStringLiteral("設定_個別転送.ini"));
}

void applyOptionsLine(int16_t count, const QString fields[7], Options& options, LastRun* lastRun) {
    const QString key = fields[0].toLower();
    if (key == QLatin1String("owconnecttext")) {
        // A connector that would lead out of a slot's folder is not taken.
        if (NamePart::refusal(fields[1]).isEmpty()) options.connector = fields[1];
        return;
    }
    if (CodeAccess::take(key, fields[1], options)) return;
    if (key == QLatin1String("currentpagenum")) {
        if (auto v = int32Of(numberOfField(fields[1])); v && lastRun) lastRun->currentPage = *v;
        return;
    }
    if (key == QLatin1String("currentfullmode")) {
        if (auto v = numberOfField(fields[1])) options.fitToView = (*v != 0);
        return;
    }
    if (key == QLatin1String("statewndmain")) {
        if (count < 4) return;
        int32_t values[5];
        for (int i = 0; i < 5; ++i) {
            auto v = int32Of(strictNumber(fields[i + 1]));
            if (!v) return;  // a broken placement is skipped whole
            values[i] = *v;
        }
        WindowPlacement p{values[0], values[1], values[2], values[3], windowShowOfStored(values[4])};
        if (p.right <= p.left || p.bottom <= p.top) return;
        if (lastRun) lastRun->placement = p;
        return;
    }
}

void applyRenamingLine(int16_t count, const QString fields[7], FolderLibrary& library) {
    if (fields[0].toLower() != QLatin1String("individualtrans") || count < 5) return;
    // Every value is checked before any is stored, so a bad line changes nothing.
    auto page = int32Of(numberOfField(fields[1]));
    auto slot = int32Of(numberOfField(fields[2]));
    auto renaming = int16Of(fields[3]);
    auto nextNumber = int32Of(strictNumber(fields[5]));
    if (!page || !slot || !renaming || !nextNumber) return;
    // A fixed name that would lead out of the slot's folder is not taken.
    if (!NamePart::refusal(fields[4]).isEmpty()) return;
    if (!library.hasPage(*page) || *slot < 0 || *slot >= FolderLibrary::kSlots) return;
    Slot& s = library.page(*page).folderSlots[static_cast<size_t>(*slot)];
    s.renaming = renamingOfStored(*renaming);
    s.fixedName = fields[4];
    s.nextNumber = *nextNumber;
}

QString extrasFilePath(const QString& programDir) {
    return LibraryFiles::configFilePath(programDir, QStringLiteral("設定_拡張.ini"));
}

// The widest panel a drag can leave: any real screen's width is below it.
constexpr int32_t kWidestPanel = 16384;

void applyExtrasLine(int16_t count, const QString fields[7], Options& options) {
    if (count < 2) return;
    const QString key = fields[0].toLower();
    const auto value = int32Of(strictNumber(fields[1]));
    if (!value) return;
    const std::pair<const char*, bool*> switches[] = {
        {"extraformats", &options.extraFormats},
        {"transferlog", &options.transferLog},
        {"companions", &options.companions},
    };
    for (const auto& [name, target] : switches) {
        if (key != QLatin1String(name)) continue;
        if (*value == 0 || *value == 1) *target = (*value == 1);
        return;
    }
    if (key == QLatin1String("panelwidth") && *value > 0 && *value <= kWidestPanel)
        options.panelWidth = *value;
}

void loadExtras(const QString& programDir, Options& options) {
    applyLines(extrasFilePath(programDir), [&](int16_t count, const QString fields[7]) {
        applyExtrasLine(count, fields, options);
    });
}

std::optional<SaveFailure> saveExtras(const QString& programDir, const Options& o) {
    QStringList lines;
    lines << keyLine("ExtraFormats", o.extraFormats ? 1 : 0) << keyLine("TransferLog", o.transferLog ? 1 : 0);
    // Written only when on: a file saved with the option off stays as it always was.
    if (o.companions) lines << keyLine("Companions", 1);
    if (o.panelWidth > 0) lines << keyLine("PanelWidth", o.panelWidth);
    return LibraryFiles::saveLines(extrasFilePath(programDir), lines);
}

void loadOptions(const QString& programDir, Options& options, LastRun* lastRun) {
    applyLines(optionsFilePath(programDir), [&](int16_t count, const QString fields[7]) {
        applyOptionsLine(count, fields, options, lastRun);
    });
}

void loadRenaming(const QString& programDir, FolderLibrary& library) {
    applyLines(renamingFilePath(programDir), [&](int16_t count, const QString fields[7]) {
        applyRenamingLine(count, fields, library);
    });
}

QStringList optionsLines(const Options& o, int32_t currentPage, const WindowPlacement& placement) {
    using Codes = CodeAccess;
    QStringList lines;
    lines << keyLine("DelTrash", Codes::deleteMode(o)) << keyLine("DelCaution", Codes::confirmDelete(o))
          << keyLine("CursorKeyMode", Codes::arrowKeys(o)) << keyLine("owMode", Codes::collisionMode(o))
          << line({quoted(QStringLiteral("owConnectText")), quoted(o.connector)})
          // The file counts the digits beyond the first.
          << keyLine("owSequenceNum", o.numberDigits - 1) << keyLine("owSeqStart", o.firstNumber)
          << keyLine("owMemIndSeqNum", Codes::continueNumbers(o)) << keyLine("CurrentPageNum", currentPage)
          << keyLine("CurrentFullMode", o.fitToView ? -1 : 0)
          << line({quoted(QStringLiteral("StateWndMain")), QString::number(placement.left),
                   QString::number(placement.top), QString::number(placement.right),
                   QString::number(placement.bottom),
                   QString::number(storedWindowShow(placement.show))});
    return lines;
}

std::optional<SaveFailure> saveOptions(const QString& programDir, const Options& options,
                                       int32_t currentPage, const WindowPlacement& placement) {
    return LibraryFiles::saveLines(optionsFilePath(programDir), optionsLines(options, currentPage, placement));
}

QStringList renamingLines(const FolderLibrary& library) {
    QStringList lines;
    for (int p = 0; p < library.pageCount(); ++p)
        for (int s = 0; s < FolderLibrary::kSlots; ++s) {
            const Slot& slot = library.page(p).folderSlots[static_cast<size_t>(s)];
            lines << line({quoted(QStringLiteral("IndividualTrans")), QString::number(p),
                           QString::number(s), QString::number(storedRenaming(slot.renaming)),
                           quoted(slot.fixedName),
                           QString::number(slot.nextNumber)});
        }
    return lines;
}

std::optional<SaveFailure> saveRenaming(const QString& programDir, const FolderLibrary& library) {
    return LibraryFiles::saveLines(renamingFilePath(programDir), renamingLines(library));
}

}  // namespace OptionFiles
