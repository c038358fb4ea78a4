// Writes a file the user named in a save dialog, so that a full disk or a
// failed close is reported, never taken for a saved file: the bytes go to a
// new file beside it (created exclusively, never through a link), are
// flushed to the disk, and only then take the name. On failure the old file,
// if any, is left as it was. Widget-free.
#pragma once

#include <QByteArray>
#include <QString>

namespace filewriter {

// Empty on success, else the system's reason (with the file it concerns).
QString replaceWith(const QString &path, const QByteArray &bytes);

} // namespace filewriter
