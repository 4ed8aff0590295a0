#pragma once
#include <QString>
#include <QStringList>

#include "platform/FileSystem.h"
#include "core/TransferResult.h"
#include "core/Undo.h"

namespace Transfer {

// The text the window shows for `result` in an OK box titled "Orvane"; empty when there is
// nothing to say (done, or declined by the user). A failure's first line is followed by its
// Japanese reason and the file and folders involved (failureDetails); a missing slot folder
// is named on a second line.
QString messageFor(const Result& result);

// The text for an undo that did not go through (empty when it did), in an OK box titled
// "Orvane": whatStoodInTheWay, then what the user can do, then whether the action stays on
// the history to be tried again or was set aside.
QString messageFor(const UndoResult& result);
// What stands in the way, then the file, or the Japanese reason and the file, on the lines after.
QString whatStoodInTheWay(const UndoResult& result);

// The start-up notice of temporaries an earlier run left when it was ended mid-way (empty
// when there are none): where each one lies.
QString leftoverTemporariesNotice(const QStringList& paths);

// The overwrite question: "同ファイル名が存在。上書き？\n転送元 <size>bytes <date>\n転送先 ..."
// (sizes in plain decimal, mtimes in the locale's short date-and-time form).
QString overwriteQuestion(const FileStatus& source, const FileStatus& destination);
// "<path>を削除しますか？"
QString deleteQuestion(const QString& path);
// The same for a group (companions): "<path> (付属 2 件) を削除しますか？".
QString groupDeleteQuestion(const QString& path, int companions);
// The overwrite question asked once for a group: the shown file's name and how many of its
// companions collide first, then the shown file's sizes and dates when it collides itself.
QString groupOverwriteQuestion(const QString& shownName, const FileStatus& source, const FileStatus* destination,
                               int collidingCompanions);

}  // namespace Transfer
