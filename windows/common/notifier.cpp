#include "notifier.h"

#include <QMessageBox>

namespace {
notifier::Handler &installed()
{
    static notifier::Handler handler;
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

} // namespace notifier
