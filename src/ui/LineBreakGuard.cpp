#include "ui/LineBreakGuard.h"

#include <QLineEdit>
#include <memory>

#include "platform/MsgBox.h"
#include "core/NamePart.h"

namespace LineBreakGuard {

namespace {

// `refusal` gives the message refusing a text, or empty for a text that may stay.
void attachRule(QLineEdit* edit, MsgBox* msg, QString (*refusal)(const QString&)) {
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
        if (msg) msg->ask(why);
    });
}

QString lineBreakRefusal(const QString& text) { return hasLineBreak(text) ? message() : QString(); }

QString namePartRefusal(const QString& text) {
    return hasLineBreak(text) ? message() : NamePart::refusal(text);
}

}  // namespace

QString message() {
    return QStringLiteral("改行を含む文字列は設定できません");
}

bool hasLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

void attach(QLineEdit* edit, MsgBox* msg) { attachRule(edit, msg, lineBreakRefusal); }

void attachNamePart(QLineEdit* edit, MsgBox* msg) { attachRule(edit, msg, namePartRefusal); }

}  // namespace LineBreakGuard
