#include "LineBreakGuard.h"

#include <QLineEdit>
#include <memory>

#include "MsgBox.h"

namespace LineBreakGuard {

QString Message() {
    return QStringLiteral("改行を含む文字列は設定できません");
}

bool HasLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

void Attach(QLineEdit* edit, MsgBox* msg) {
    // The last text without a line break, to go back to. Shared by the two connections and
    // freed with the edit.
    auto last = std::make_shared<QString>(edit->text());
    QObject::connect(edit, &QLineEdit::textChanged, edit, [last](const QString& text) {
        if (!HasLineBreak(text)) *last = text;
    });
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, last, msg](const QString& text) {
        if (!HasLineBreak(text)) return;
        const int cursor = qMin(edit->cursorPosition(), int(last->size()));
        edit->setText(*last);
        edit->setCursorPosition(cursor);
        if (msg) msg->Show(Message());
    });
}

}  // namespace LineBreakGuard
