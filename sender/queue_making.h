// Making a raw print queue for a printer that was found, through the
// library's optional AddPrintQueue: the names the print server takes, a
// name made from the printer's model, the device URIs a queue is made for
// here, and the outcome. Widget-free and blocking (the window runs it on its
// worker thread).
#pragma once

#include "dravik_binding.h"
#include "send_path.h"

#include <QString>
#include <QStringList>

enum class QueueNameProblem {
    None,
    Empty,
    TooLong,        // more than 127 bytes
    BlankOrControl, // a blank or a control character
    Forbidden,      // one of / \ ? ' " # @
};

// Whether the print server takes name as a queue's name; with Forbidden,
// *character is the first one it refuses.
QueueNameProblem queueNameProblem(const QString &name, QChar *character = nullptr);

// A queue name made from a printer's model (letters, digits, "-", "_" and
// "." kept, every other run of characters one "_"; "Receipt" when nothing is
// left), with "-2", "-3"... added while the name is taken (any letter case).
QString suggestedQueueName(const QString &model, const QStringList &taken);

// Whether a queue is made here for uri: socket://HOST[:PORT],
// serial:/dev/...[?baud=N] or usb://MAKE/MODEL[?serial=...], the links the
// library asks a printer through.
bool isPrinterDeviceUri(const QString &uri);

enum class QueueMade {
    Made,      // the queue exists now, enabled and accepting jobs
    Exists,    // a queue or class of that name exists (and was not to be replaced): nothing changed
    Failed,    // the print server did not make it; reason says why
    NoExport,  // the library lacks AddPrintQueue: nothing was called
    NoLibrary, // no library: nothing was called
};

struct QueueMaking
{
    QueueMade outcome = QueueMade::NoLibrary;
    FailureReason reason; // with Exists and Failed
};

QueueMaking makePrintQueue(const DravikBinding &lib, const QString &name, const QString &uri, bool replace);
