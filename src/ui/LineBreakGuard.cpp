#include "LineBreakGuard.h"

#include <QLineEdit>
#include <memory>

#include "MsgBox.h"
#include "NamePart.h"

namespace LineBreakGuard {

namespace {

// `refusal` gives the message refusing a text, or empty for a text that may stay.
void AttachRule(QLineEdit* edit, MsgBox* msg, QString (*refusal)(const QString&)) {
    // The last text that may stay, to go back to. Shared by the two connections and freed
    // with the edit.
    auto last = std::make_shared<QString>(edit->text());
    QObject::connect(edit, &QLineEdit::textChanged, edit, [last, refusal](const QString& text) {
        if (refusal(text).isEmpty()) *last = text;
    });
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, last, msg, refusal](const QString& text) {
        const QString why = refusal(text);
        if (why.isEmpty()) return;
        const int cursor = qMin(edit->cursorPosition(), int(last->size()));
        edit->setText(*last);
        edit->setCursorPosition(cursor);
        if (msg) msg->Show(why);
    });
}

QString LineBreakRefusal(const QString& text) { return HasLineBreak(text) ? Message() : QString(); }

QString NamePartRefusal(const QString& text) {
    return HasLineBreak(text) ? Message() : NamePart::Refusal(text);
}

}  // namespace

QString Message() {
    return QStringLiteral("改行を含む文字列は設定できません");
}

bool HasLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

void Attach(QLineEdit* edit, MsgBox* msg) { AttachRule(edit, msg, LineBreakRefusal); }

void AttachNamePart(QLineEdit* edit, MsgBox* msg) { AttachRule(edit, msg, NamePartRefusal); }

}  // namespace LineBreakGuard
