// The virtual printer's output folder: state.json (replaced whole after every
// command that changed it), log.txt (appended) and receipt-NNN.png.
//
// The folder must be the user's own and writable by nobody else; it is held
// open and locked (".server.lock") for as long as the server runs, so a
// second server refuses it. Every file is opened inside the held folder
// without following links, new files exclusively, and every write and close
// is checked: a full disk leaves the previous file as it was and is reported
// as a failure, never as saved.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class OutputWriter
{
public:
    OutputWriter() = default;
    OutputWriter(const OutputWriter &) = delete;
    OutputWriter &operator=(const OutputWriter &) = delete;
    ~OutputWriter();

    // Creates the folder if needed; false with a reason when it cannot be
    // used. Receipt numbers go on after those already in the folder.
    bool open(const QString &dir, QString &error);

    QString dir() const { return dir_; }
    // Readers never see a half-written file: written aside, then renamed
    // over the old one. False with a reason; the old file stays.
    bool writeState(const QByteArray &json, QString &error) { return replaceFile("state.json", json, error); }
    // Any file of the folder by name (no "/"), written the same way.
    bool replaceFile(const char *name, const QByteArray &bytes, QString &error);
    // The contents of a file of the folder (empty when there is none);
    // false with a reason when it exists and cannot be read safely.
    bool readFile(const char *name, qint64 maxBytes, QByteArray &bytes, QString &error) const;
    // Moves a file aside as "<name>.damaged" (replacing an older one).
    bool setAside(const char *name) const;
    // One line; false with a reason when it did not reach the file.
    bool log(const QString &line, QString &error);
    // The path written, or an empty text with a reason.
    QString saveReceipt(const QImage &receipt, QString &error);

private:
    QString dir_;
    int dirFd_ = -1;
    int lockFd_ = -1;
    int logFd_ = -1;
    int lastReceipt_ = 0;
};
