#include "GlobalParam.h"

#include <QStringList>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "Folder.h"
#include "MsgBox.h"
#include "NamePart.h"
#include "TextFile.h"

namespace GlobalParam {

OptionsRecord Options;

namespace {

bool IsBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Length of the longest decimal number at `from` ([sign] digits [. digits] [exponent]);
// 0 when none starts there.
int NumberLength(const QString& s, int from) {
    int i = from;
    const int n = s.size();
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) ++i;
    int digits = 0;
    while (i < n && IsDigit(s[i])) { ++i; ++digits; }
    if (i < n && s[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && IsDigit(s[i])) { ++i; ++digits; }
    }
    if (digits == 0) return 0;
    if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        int j = i + 1;
        if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-'))) ++j;
        int expDigits = 0;
        while (j < n && IsDigit(s[j])) { ++j; ++expDigits; }
        if (expDigits > 0) i = j;
    }
    return i - from;
}

std::optional<double> Rounded(const QString& number) {
    const std::string text = number.toStdString();
    const double value = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    // Halves go to the even neighbour, as the program has always rounded.
    double r = std::round(value);
    if (std::fabs(value - std::trunc(value)) == 0.5) r = 2.0 * std::round(value / 2.0);
    return r;
}

bool FitsInt16(double v) { return v >= -32768.0 && v <= 32767.0; }
bool FitsInt32(double v) { return v >= -2147483648.0 && v <= 2147483647.0; }

std::optional<int16_t> Int16Of(const QString& field) {
    auto v = NumberOfField(field);
    if (!v || !FitsInt16(*v)) return std::nullopt;
    return static_cast<int16_t>(*v);
}

std::optional<int32_t> Int32Of(const std::optional<double>& v) {
    if (!v || !FitsInt32(*v)) return std::nullopt;
    return static_cast<int32_t>(*v);
}

QString Quoted(const QString& s) { return QLatin1Char('"') + s + QLatin1Char('"'); }

// Fields joined by commas. Texts are put in as they are: never through a format string, which
// would read a "%1" a user typed as a place for the next value.
QString Line(std::initializer_list<QString> fields) { return QStringList(fields).join(QLatin1Char(',')); }

QString KeyLine(const char* key, int value) {
    return Line({Quoted(QString::fromLatin1(key)), QString::number(value)});
}

void ApplyOptionsLine(const QString& key, int16_t count, const QString fields[7],
                      std::optional<WindowPlacement>* placement) {
    // Keys are compared in this order and the first match wins.
    struct Int16Key {
        const char* name;
        int16_t* target;
    };
    const Int16Key ints[] = {
        {"deltrash", &Options.DelTrash},
        {"delcaution", &Options.DelCaution},
        {"cursorkeymode", &Options.CursorKeyMode},
        {"owmode", &Options.owMode},
    };
    for (const auto& k : ints) {
        if (key == QLatin1String(k.name)) {
            if (auto v = Int16Of(fields[1])) *k.target = *v;
            return;
        }
    }
    if (key == QLatin1String("owconnecttext")) {
        // A connector that would lead out of a slot's folder is not taken.
        if (NamePart::Refusal(fields[1]).isEmpty()) Options.owConnectText = fields[1];
        return;
    }
    const Int16Key more[] = {
        {"owsequencenum", &Options.owSequenceNum},
        {"owseqstart", &Options.owSeqStart},
        {"owmemindseqnum", &Options.owMemIndSeqNum},
    };
    for (const auto& k : more) {
        if (key == QLatin1String(k.name)) {
            if (auto v = Int16Of(fields[1])) *k.target = *v;
            return;
        }
    }
    if (key == QLatin1String("currentpagenum")) {
        if (auto v = Int32Of(NumberOfField(fields[1]))) Folder::gl_PageNum = *v;
        return;
    }
    if (key == QLatin1String("currentfullmode")) {
        if (auto v = NumberOfField(fields[1])) Options.CurrentFullMode = (*v != 0);
        return;
    }
    if (key == QLatin1String("statewndmain")) {
        if (count < 4) return;
        int32_t values[5];
        for (int i = 0; i < 5; ++i) {
            auto v = Int32Of(StrictNumber(fields[i + 1]));
            if (!v) return;  // a broken placement is skipped whole
            values[i] = *v;
        }
        WindowPlacement p{values[0], values[1], values[2], values[3], values[4]};
        if (p.right <= p.left || p.bottom <= p.top) return;
        if (placement) *placement = p;
        return;
    }
}

void ApplySequenceLine(const QString& key, int16_t count, const QString fields[7]) {
    if (key != QLatin1String("individualtrans") || count < 5) return;
    // Every value is checked before any is stored, so a bad line changes nothing.
    auto page = Int32Of(NumberOfField(fields[1]));
    auto slot = Int32Of(NumberOfField(fields[2]));
    auto seqSwitch = Int16Of(fields[3]);
    auto seqNum = Int32Of(StrictNumber(fields[5]));
    if (!page || !slot || !seqSwitch || !seqNum) return;
    // A fixed name that would lead out of the slot's folder is not taken.
    if (!NamePart::Refusal(fields[4]).isEmpty()) return;
    if (*page < 0 || *page >= Folder::kPageStorage || *slot < 0 || *slot >= Folder::kSlots) return;
    Folder::gi_SeqSwitch[*page][*slot] = *seqSwitch;
    Folder::gs_SeqName[*page][*slot] = fields[4];
    Folder::gl_SeqNum[*page][*slot] = *seqNum;
}

}  // namespace

std::optional<double> NumberOfField(const QString& field) {
    int i = 0;
    while (i < field.size() && IsBlank(field[i])) ++i;
    const int len = NumberLength(field, i);
    if (len == 0) return 0.0;
    return Rounded(field.mid(i, len));
}

std::optional<double> StrictNumber(const QString& field) {
    int i = 0;
    while (i < field.size() && IsBlank(field[i])) ++i;
    const int len = NumberLength(field, i);
    if (len == 0) return std::nullopt;
    int end = i + len;
    while (end < field.size() && IsBlank(field[end])) ++end;
    if (end != field.size()) return std::nullopt;
    return Rounded(field.mid(i, len));
}

void InitSettings() {
    Options = OptionsRecord();
    for (int p = 0; p < Folder::kPageStorage; ++p) {
        for (int s = 0; s < Folder::kSlots; ++s) {
            Folder::gi_SeqSwitch[p][s] = 0;
            Folder::gs_SeqName[p][s].clear();
            Folder::gl_SeqNum[p][s] = 1;
        }
    }
}

QString SettingsFilePath(const QString& programDir, int16_t index) {
    QString dir = programDir;
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    if (index == 0) return dir + QStringLiteral("config/設定_オプション.ini");
    if (index == 1) return dir + QStringLiteral("config/設定_個別転送.ini");
    return dir;
}

bool SaveSettings(int16_t index, const QString& programDir, MsgBox& msg,
                  const WindowPlacement& placement) {
    QStringList lines;
    if (index == 0) {
        lines << KeyLine("DelTrash", Options.DelTrash) << KeyLine("DelCaution", Options.DelCaution)
              << KeyLine("CursorKeyMode", Options.CursorKeyMode)
              << KeyLine("owMode", Options.owMode)
              << Line({Quoted(QStringLiteral("owConnectText")), Quoted(Options.owConnectText)})
              << KeyLine("owSequenceNum", Options.owSequenceNum)
              << KeyLine("owSeqStart", Options.owSeqStart)
              << KeyLine("owMemIndSeqNum", Options.owMemIndSeqNum)
              << KeyLine("CurrentPageNum", Folder::gl_PageNum)
              << KeyLine("CurrentFullMode", Options.CurrentFullMode ? -1 : 0)
              << Line({Quoted(QStringLiteral("StateWndMain")), QString::number(placement.left),
                       QString::number(placement.top), QString::number(placement.right),
                       QString::number(placement.bottom), QString::number(placement.showCmd)});
    } else if (index == 1) {
        for (int p = 0; p < Folder::gi_PageCount; ++p)
            for (int s = 0; s < Folder::kSlots; ++s)
                lines << Line({Quoted(QStringLiteral("IndividualTrans")), QString::number(p),
                               QString::number(s), QString::number(Folder::gi_SeqSwitch[p][s]),
                               Quoted(Folder::gs_SeqName[p][s]),
                               QString::number(Folder::gl_SeqNum[p][s])});
    } else {
        return false;
    }
    const QString path = SettingsFilePath(programDir, index);
    QString error;
    if (TextFile::WriteLines(path, lines, &error)) return true;
    msg.Show(QStringLiteral("設定ファイルを保存できませんでした。\n%1\n%2").arg(path, error));
    return false;
}

void LoadSettings(int16_t index, const QString& programDir,
                  std::optional<WindowPlacement>* placement) {
    QStringList lines;
    if (!TextFile::ReadLines(SettingsFilePath(programDir, index), &lines)) return;
    for (const QString& line : lines) {
        QString fields[7];
        const int16_t count = SplitSettingsLine(line, fields);
        ApplySettingsLine(index, count, fields, placement);
    }
}

int16_t SplitSettingsLine(const QString& line, QString fields[7]) {
    int n = 0;
    bool inQuotes = false;
    for (const QChar c : line) {
        if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
        } else if (c == QLatin1Char(',') && !inQuotes) {
            ++n;
            if (n > 6) return 0;
        } else {
            fields[n].append(c);
        }
    }
    return static_cast<int16_t>(fields[0].isEmpty() ? n : n + 1);
}

void ApplySettingsLine(int16_t index, int16_t count, const QString fields[7],
                       std::optional<WindowPlacement>* placement) {
    const QString key = fields[0].toLower();
    if (index == 0)
        ApplyOptionsLine(key, count, fields, placement);
    else if (index == 1)
        ApplySequenceLine(key, count, fields);
}

void ResetState() { Options = OptionsRecord(); }

}  // namespace GlobalParam
