#pragma once
#include "platform/MsgBox.h"
#include "core/TransferQuestions.h"

// The transfer questions as message boxes: the overwrite question in a Yes/No box titled
// "上書き確認" with Yes the default; the delete question in an OK/Cancel box titled "Orvane"
// with Cancel the default.
class QuestionBoxes : public TransferQuestions {
public:
    explicit QuestionBoxes(MsgBox& msg) : msg_(msg) {}
    bool confirmOverwrite(const FileStatus& source, const FileStatus& destination) override;
    bool confirmDelete(const QString& path) override;
    bool confirmGroupOverwrite(const QString& shownName, const FileStatus& source, const FileStatus* destination,
                               int collidingCompanions) override;
    bool confirmGroupDelete(const QString& path, int companions) override;

private:
    MsgBox& msg_;
};
