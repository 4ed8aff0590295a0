#pragma once
#include <QString>

// The button sets the program uses, and the answers a message box gives back.
enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgAnswer { None, Ok, Cancel, Yes, No };

// Every message box the program shows goes through this interface, so tests can read the
// text and give the answer. `defaultAnswer` is the button that Enter chooses (None: the first).
class MsgBox {
public:
    virtual ~MsgBox() = default;
    virtual MsgAnswer ask(const QString& text, const QString& title = QStringLiteral("Orvane"),
                     MsgButtons buttons = MsgButtons::Ok, MsgAnswer defaultAnswer = MsgAnswer::None) = 0;
};
