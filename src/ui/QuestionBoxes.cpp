#include "ui/QuestionBoxes.h"

#include "core/TransferMessages.h"

bool QuestionBoxes::confirmOverwrite(const FileStatus& source, const FileStatus& destination) {
    return msg_.ask(Transfer::overwriteQuestion(source, destination), QStringLiteral("上書き確認"),
                     MsgButtons::YesNo, MsgAnswer::Yes) != MsgAnswer::No;
}

bool QuestionBoxes::confirmDelete(const QString& path) {
    return msg_.ask(Transfer::deleteQuestion(path), QStringLiteral("Orvane"), MsgButtons::OkCancel,
                     MsgAnswer::Cancel) == MsgAnswer::Ok;
}

bool QuestionBoxes::confirmGroupOverwrite(const QString& shownName, const FileStatus& source,
                                          const FileStatus* destination, int collidingCompanions) {
    return msg_.ask(Transfer::groupOverwriteQuestion(shownName, source, destination, collidingCompanions),
                     QStringLiteral("上書き確認"), MsgButtons::YesNo, MsgAnswer::Yes) != MsgAnswer::No;
}

bool QuestionBoxes::confirmGroupDelete(const QString& path, int companions) {
    return msg_.ask(Transfer::groupDeleteQuestion(path, companions), QStringLiteral("Orvane"),
                     MsgButtons::OkCancel, MsgAnswer::Cancel) == MsgAnswer::Ok;
}
