// The virtual printer's output folder: state.json (replaced whole after every
// command that changed it), log.txt (appended, in whole lines) and
// receipt-NNN.png.
//
// The folder must be the user's own and writable by nobody else; it is held
// open and locked (".server.lock") for as long as the server runs, so a
// second server refuses it. Every file is opened inside the held folder
// without following links, new files exclusively, and every write and close
// is checked: a full disk leaves the previous file as it was and is reported
// as a failure, never as saved.
#pragma once

#include "receipt_png.h"

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
    // One line, kept until flushLog() writes it with those before it.
    void log(const QString &line);
    qsizetype logWaiting() const { return logBuffer_.size(); }
    // Writes the lines kept, each whole or not at all: when the disk takes
    // only part of them, the file is cut back to the last whole line and the
    // rest are left out. The first flush that works again begins with a line
    // saying how many were left out since when. False with a reason when
    // some did not reach the file.
    bool flushLog(QString &error);
    // The path written, or an empty text with a reason. From one thread at
    // a time (the receipt saver's), beside the others.
    QString saveReceipt(const QImage &receipt, QString &error);

private:
    QString dir_;
    int dirFd_ = -1;
    int lockFd_ = -1;
    int logFd_ = -1;
    QByteArray logBuffer_;
    qint64 linesMissed_ = 0; // left out of the file since it last worked
    QByteArray missedSince_; // the time the first line left out began with
    QString missedWhy_;
    bool partialTail_ = false;                   // the file ends in part of a line it could not cut off
    static constexpr qsizetype kStampChars = 23; // "yyyy-MM-dd HH:mm:ss.zzz"
    int lastReceipt_ = 0;
    ReceiptPng png_; // the receipt saver's
};
