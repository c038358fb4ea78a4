#include "notifier.h"

#include <QMessageBox>

namespace {
notifier::Handler &installed()
{
    static notifier::Handler handler;
    return handler;
}

notifier::AskHandler &answering()
{
    static notifier::AskHandler handler;
    return handler;
}
} // namespace

namespace notifier {

void show(QWidget *parent, const Message &message)
{
    if (installed()) {
        installed()(parent, message);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kApplicationTitle), message.text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("messageBox"));
    if (!message.detail.isEmpty())
        box.setInformativeText(message.detail);
    box.exec();
}

Handler setHandler(Handler handler)
{
    Handler previous = std::move(installed());
    installed() = std::move(handler);
    return previous;
}

bool ask(QWidget *parent, const Message &question, bool yesByDefault)
{
    if (answering())
        return answering()(parent, question);
    if (installed()) {
        installed()(parent, question);
        return yesByDefault;
    }
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kApplicationTitle), question.text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("questionBox"));
    box.setDefaultButton(yesByDefault ? QMessageBox::Yes : QMessageBox::No);
    if (!question.detail.isEmpty())
        box.setInformativeText(question.detail);
    return box.exec() == QMessageBox::Yes;
}

AskHandler setAskHandler(AskHandler handler)
{
    AskHandler previous = std::move(answering());
    answering() = std::move(handler);
    return previous;
}

} // namespace notifier
