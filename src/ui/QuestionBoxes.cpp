#include "QuestionBoxes.h"

#include "TransferMessages.h"

bool QuestionBoxes::confirmOverwrite(const FileStatus& source, const FileStatus& destination) {
    return msg_.Show(Transfer::overwriteQuestion(source, destination), QStringLiteral("上書き確認"),
                     MsgButtons::YesNo, MsgAnswer::Yes) != MsgAnswer::No;
}

bool QuestionBoxes::confirmDelete(const QString& path) {
    return msg_.Show(Transfer::deleteQuestion(path), QStringLiteral("Orvane"), MsgButtons::OkCancel,
                     MsgAnswer::Cancel) == MsgAnswer::Ok;
}

bool QuestionBoxes::confirmGroupOverwrite(const QString& shownName, const FileStatus& source,
                                          const FileStatus* destination, int collidingCompanions) {
    return msg_.Show(Transfer::groupOverwriteQuestion(shownName, source, destination, collidingCompanions),
                     QStringLiteral("上書き確認"), MsgButtons::YesNo, MsgAnswer::Yes) != MsgAnswer::No;
}

bool QuestionBoxes::confirmGroupDelete(const QString& path, int companions) {
    return msg_.Show(Transfer::groupDeleteQuestion(path, companions), QStringLiteral("Orvane"),
                     MsgButtons::OkCancel, MsgAnswer::Cancel) == MsgAnswer::Ok;
}
