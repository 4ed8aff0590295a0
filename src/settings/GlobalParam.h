#pragma once
#include <QString>

#include <cstdint>
#include <optional>

class MsgBox;

// The user's preferences and the two option files that keep them between runs.
namespace GlobalParam {

struct OptionsRecord {
    int16_t DelTrash = 0;        // 0: to the trash, 1: delete directly
    int16_t DelCaution = 0;      // 1: ask before deleting
    int16_t CursorKeyMode = 1;   // 0: arrows slide; 1: arrows change page and file
    int16_t owMode = 0;          // name taken: 0 ask, 1 overwrite, 2 number the new name
    QString owConnectText = QStringLiteral("_");
    int16_t owSequenceNum = 2;   // digits of sequence numbers minus one (0..5)
    int16_t owSeqStart = 1;      // first sequence number tried (0..2)
    int16_t owMemIndSeqNum = 0;  // 1: individual sequence numbers continue from gl_SeqNum
    bool CurrentFullMode = false;  // fit the image to the view
};

extern OptionsRecord Options;

// The main window's restored rectangle and show state (1 normal, 2 minimised, 3 maximised).
struct WindowPlacement {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t showCmd = 1;
};

// Sets every option to its default and every slot of all 251 pages to switch 0, empty fixed
// name and next number 1. Leaves gl_PageNum, page names, titles and paths alone.
void InitSettings();

// "<programDir>/config/設定_オプション.ini" (0) or "<programDir>/config/設定_個別転送.ini" (1);
// any other index gives the directory with a final "/".
QString SettingsFilePath(const QString& programDir, int16_t index);

// Rewrites file 0 (eleven lines; `placement` is the main window's at this moment) or file 1
// (ten lines per page in use). A failed save is reported naming the file; returns false.
bool SaveSettings(int16_t index, const QString& programDir, MsgBox& msg,
                  const WindowPlacement& placement = WindowPlacement());

// Applies the lines of file `index` over the current values; a missing file changes nothing.
// A valid "StateWndMain" line of file 0 is handed back in `placement`.
void LoadSettings(int16_t index, const QString& programDir,
                  std::optional<WindowPlacement>* placement = nullptr);

// Splits one line into at most seven fields (quotes dropped, commas inside quotes kept).
// Returns the field count, or 0 for an empty line or one with an eighth field.
int16_t SplitSettingsLine(const QString& line, QString fields[7]);

// Applies one split line of file `index`. Lines whose values cannot be held are skipped.
void ApplySettingsLine(int16_t index, int16_t count, const QString fields[7],
                       std::optional<WindowPlacement>* placement = nullptr);

// "The number of a field": the longest leading decimal number after leading blanks (sign,
// point, exponent), no number giving 0, rounded half to even. Empty when it is not finite.
std::optional<double> NumberOfField(const QString& field);
// The whole field must be a number (blanks around it allowed); rounded half to even.
std::optional<double> StrictNumber(const QString& field);

// Back to the defaults of OptionsRecord. For tests.
void ResetState();

}  // namespace GlobalParam
