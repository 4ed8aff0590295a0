#include "Folder.h"

#include <QDir>

#include "MsgBox.h"
#include "TextFile.h"

namespace Folder {

int16_t gi_PageCount = 0;
int32_t gl_PageNum = 0;
QString gs_PageName[kPageStorage];
QString gs_FolderTitle[kPageStorage][kSlots];
QString gs_FolderPath[kPageStorage][kSlots];
int16_t gi_SeqSwitch[kPageStorage][kSlots];
QString gs_SeqName[kPageStorage][kSlots];
int32_t gl_SeqNum[kPageStorage][kSlots];

namespace {

void CopyPage(int from, int to) {
    gs_PageName[to] = gs_PageName[from];
    for (int s = 0; s < kSlots; ++s) {
        gs_FolderTitle[to][s] = gs_FolderTitle[from][s];
        gs_FolderPath[to][s] = gs_FolderPath[from][s];
        gi_SeqSwitch[to][s] = gi_SeqSwitch[from][s];
        gs_SeqName[to][s] = gs_SeqName[from][s];
        gl_SeqNum[to][s] = gl_SeqNum[from][s];
    }
}

bool ValidPage(int32_t p) { return p >= 0 && p < kPageStorage; }

QString ConfigFile(const QString& programDir, const QString& name) {
    QString dir = programDir;
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir + QStringLiteral("config/") + name;
}

bool Save(const QString& path, const QStringList& lines, MsgBox& msg) {
    QString error;
    if (TextFile::WriteLines(path, lines, &error)) return true;
    msg.Show(QStringLiteral("設定ファイルを保存できませんでした。\n%1\n%2").arg(path, error));
    return false;
}

}  // namespace

void ResetState() {
    gi_PageCount = 0;
    gl_PageNum = 0;
    for (int p = 0; p < kPageStorage; ++p) {
        gs_PageName[p].clear();
        for (int s = 0; s < kSlots; ++s) {
            gs_FolderTitle[p][s].clear();
            gs_FolderPath[p][s].clear();
            gi_SeqSwitch[p][s] = 0;
            gs_SeqName[p][s].clear();
            gl_SeqNum[p][s] = 0;
        }
    }
}

bool AddPage(int32_t pos, MsgBox& msg) {
    if (gi_PageCount >= kMaxPages) {
        msg.Show(QStringLiteral("ページはこれ以上追加できません"));
        return false;
    }
    if (pos < 0 || pos > gi_PageCount) return false;
    for (int i = gi_PageCount - 1; i >= pos; --i) CopyPage(i, i + 1);
    gs_PageName[pos] = QStringLiteral("新しいページ");
    for (int s = 0; s < kSlots; ++s) {
        gs_FolderTitle[pos][s].clear();
        gs_FolderPath[pos][s].clear();
        gs_SeqName[pos][s].clear();
        gi_SeqSwitch[pos][s] = 0;
        gl_SeqNum[pos][s] = 1;
    }
    ++gi_PageCount;
    return true;
}

bool DeletePage(int32_t pos, MsgBox& msg) {
    if (gi_PageCount <= 1) {
        msg.Show(QStringLiteral("ページはこれ以上削除できません"));
        return false;
    }
    if (pos < 0 || pos >= gi_PageCount) return false;
    for (int i = pos; i <= gi_PageCount - 2; ++i) CopyPage(i + 1, i);
    --gi_PageCount;
    if (gl_PageNum > gi_PageCount - 1) gl_PageNum = gi_PageCount - 1;
    return true;
}

void SwapPages(int32_t a, int32_t b) {
    if (!ValidPage(a) || !ValidPage(b)) return;
    const QString name = gs_PageName[a];
    FolderSlot saved[kSlots];
    for (int s = 0; s < kSlots; ++s)
        saved[s] = {gs_FolderTitle[a][s], gs_FolderPath[a][s], gi_SeqSwitch[a][s],
                    gs_SeqName[a][s], gl_SeqNum[a][s]};
    CopyPage(b, a);
    gs_PageName[b] = name;
    for (int s = 0; s < kSlots; ++s) {
        gs_FolderTitle[b][s] = saved[s].Title;
        gs_FolderPath[b][s] = saved[s].Path;
        gi_SeqSwitch[b][s] = saved[s].SeqSwitch;
        gs_SeqName[b][s] = saved[s].SeqName;
        gl_SeqNum[b][s] = saved[s].SeqNum;
    }
}

QString PageFilePath(const QString& programDir) {
    return ConfigFile(programDir, QStringLiteral("設定_ページ.ini"));
}

QString FolderFilePath(const QString& programDir) {
    return ConfigFile(programDir, QStringLiteral("設定_フォルダ.ini"));
}

void LoadPageFile(const QString& programDir) {
    QStringList lines;
    TextFile::ReadLines(PageFilePath(programDir), &lines);
    for (int i = 0; i < kMaxPages; ++i) {
        if (i >= lines.size()) {
            // Ran out of lines (or there was no file): the first ten names get defaults.
            for (int j = 0; j < 10; ++j)
                if (gs_PageName[j].isEmpty())
                    gs_PageName[j] = QStringLiteral("グループ") + QString::number(j + 1);
            return;
        }
        gs_PageName[i] = lines.at(i);
        ++gi_PageCount;
    }
}

void LoadFolderFile(const QString& programDir) {
    QStringList lines;
    if (!TextFile::ReadLines(FolderFilePath(programDir), &lines)) return;
    int n = 0;
    for (int p = 0; p < gi_PageCount && p < kPageStorage; ++p) {
        for (int s = 0; s < kSlots; ++s) {
            if (n >= lines.size()) return;
            gs_FolderTitle[p][s] = lines.at(n++);
            if (n >= lines.size()) return;
            gs_FolderPath[p][s] = lines.at(n++);
        }
    }
}

bool SaveFolderFile(const QString& programDir, MsgBox& msg) {
    QStringList lines;
    for (int p = 0; p < gi_PageCount; ++p)
        for (int s = 0; s < kSlots; ++s) lines << gs_FolderTitle[p][s] << gs_FolderPath[p][s];
    return Save(FolderFilePath(programDir), lines, msg);
}

bool SavePageFile(const QString& programDir, MsgBox& msg) {
    QStringList lines;
    for (int p = 0; p < gi_PageCount; ++p) lines << gs_PageName[p];
    return Save(PageFilePath(programDir), lines, msg);
}

}  // namespace Folder

void FolderLibrary::setCurPageNum(int32_t value) {
    curPageNum_ = static_cast<int16_t>(value < 0 ? 0 : (value > 200 ? 200 : value));
}
