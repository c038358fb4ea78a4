#include "send_or_report.h"

#include "messages.h"
#include "notifier.h"

bool canSendOrReport(QWidget *parent, const DravikBinding &lib, bool chinese)
{
    if (lib.isLoaded() && lib.sendBufferToPrint)
        return true;
    notifier::show(parent, messages::missingPiece(lib, "SendBufferToPrint", chinese));
    return false;
}

bool sendOrReport(QWidget *parent, const DravikBinding &lib, const PrinterTarget &target, const Command &command,
                  bool chinese)
{
    return canSendOrReport(parent, lib, chinese) && sendCommand(lib, target, command) == SendStatus::Sent;
}
