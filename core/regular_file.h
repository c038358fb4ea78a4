// Reads a whole file the user named, and only if it is a regular file: a
// pipe, a device or a folder given in its place is refused without waiting
// on it, and a file over the size bound is not read.
#pragma once

#include <QByteArray>
#include <QString>

namespace regularfile {

// How refusals name the file: kind, e.g. "picture file", and largest, what no
// file should outgrow, e.g. "any logo picture".
struct Wording
{
    QString kind;
    QString largest;
};

// A size in megabytes as a refusal names it: one decimal, never rounded up
// past the next tenth ("2.1", not "3").
QString megabytes(qint64 bytes);

// The refusal, or empty with the bytes read.
QString read(const QString &path, qint64 maxBytes, const Wording &wording, QByteArray &bytes);

} // namespace regularfile
