// The virtual printer's output folder: state.json (replaced whole after every
// command), log.txt (one line per command) and receipt-NNN.png.
#pragma once

#include <QFile>
#include <QImage>
#include <QString>

class OutputWriter
{
public:
    // Creates the folder if needed; false with a reason when it cannot be
    // written. Receipt numbers go on after those already in the folder.
    bool open(const QString &dir, QString &error);

    QString dir() const { return dir_; }
    // Readers never see a half-written file: written aside, then renamed.
    bool writeState(const QByteArray &json);
    void log(const QString &line);
    // The path written, or an empty text when the picture could not be saved.
    QString saveReceipt(const QImage &receipt);

private:
    QString dir_;
    QFile log_;
    int lastReceipt_ = 0;
};
