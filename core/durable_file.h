// Writing a file so that a full disk, a failed flush or a failed close is
// an error and never a saved file, and so that no link or file planted at
// the name redirects the write: the file is created exclusively inside an
// open folder without following links, every write and the close are
// checked, and a replacement is written aside and renamed into place only
// once complete. POSIX calls; the result is 0 or the errno of the failure.
#pragma once

#include <QByteArray>

namespace durablefile {

// Every byte to fd, or the first failure's errno (a write that takes
// nothing counts as a full disk).
int writeAll(int fd, const char *data, qint64 size);

// Creates name inside the folder dirFd (never an existing file, never
// through a link), writes bytes, flushes them to the disk when sync is
// set, and closes it. On failure the new file is removed. mode is the
// new file's permissions before the umask.
int createAt(int dirFd, const char *name, const QByteArray &bytes, bool sync, int mode = 0644);

// Writes bytes under the name aside (as createAt), then renames it over
// name. On failure aside is removed and name is left as it was.
int replaceAt(int dirFd, const char *aside, const char *name, const QByteArray &bytes, bool sync, int mode = 0644);

} // namespace durablefile
