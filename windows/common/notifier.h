// Every message box of the program goes through here: a plain box with an OK
// button (or Yes and No for a question) and the application's title. Tests install a handler instead, so no
// test waits on a person.
#pragma once

#include <QString>

#include <functional>

class QWidget;

inline constexpr const char *kApplicationTitle = "NemboPortSettings";

struct Message
{
    QString text;   // shown exactly as given
    QString detail; // optional reason, shown as the box's detail text
};

namespace notifier {

using Handler = std::function<void(QWidget *parent, const Message &message)>;

// Shows the message modally (or hands it to the installed handler).
void show(QWidget *parent, const Message &message);
inline void show(QWidget *parent, const QString &text, const QString &detail = {})
{
    show(parent, Message{text, detail});
}

// Installs a handler in place of real message boxes; an empty handler brings
// the boxes back. Returns the handler it replaced.
Handler setHandler(Handler handler);

// Asks a question with Yes and No buttons (No is the default unless
// yesByDefault); true for Yes. Without an answer handler but with a message
// handler installed, the question goes to the message handler and the answer
// is the default, so no test waits on a person.
using AskHandler = std::function<bool(QWidget *parent, const Message &question)>;
bool ask(QWidget *parent, const Message &question, bool yesByDefault = false);
AskHandler setAskHandler(AskHandler handler);

} // namespace notifier
