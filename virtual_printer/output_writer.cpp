#include "output_writer.h"

#include <QDir>
#include <QRegularExpression>
#include <QSaveFile>

#include <cstdio>

bool OutputWriter::open(const QString &dir, QString &error)
{
    QDir d(dir);
    if (!d.mkpath(QStringLiteral("."))) {
        error = QStringLiteral("cannot create the output folder %1").arg(dir);
        return false;
    }
    dir_ = d.absolutePath();
    log_.setFileName(d.filePath(QStringLiteral("log.txt")));
    if (!log_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        error = QStringLiteral("cannot write %1: %2").arg(log_.fileName(), log_.errorString());
        return false;
    }
    static const QRegularExpression numbered(QStringLiteral("^receipt-(\\d+)\\.png$"));
    for (const QString &name : d.entryList({QStringLiteral("receipt-*.png")}, QDir::Files)) {
        const QRegularExpressionMatch m = numbered.match(name);
        if (m.hasMatch())
            lastReceipt_ = std::max(lastReceipt_, m.captured(1).toInt());
    }
    return true;
}

bool OutputWriter::writeState(const QByteArray &json)
{
    // Aside and renamed, without waiting for the disk: the file is a live
    // view, rewritten after every command.
    const QString path = QDir(dir_).filePath(QStringLiteral("state.json"));
    const QString aside = path + QStringLiteral(".tmp");
    QFile file(aside);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(json) != json.size()) {
        file.remove();
        return false;
    }
    file.close();
    return ::rename(QFile::encodeName(aside).constData(), QFile::encodeName(path).constData()) == 0;
}

void OutputWriter::log(const QString &line)
{
    if (!log_.isOpen())
        return;
    log_.write(line.toUtf8());
    log_.write("\n");
    log_.flush();
}

QString OutputWriter::saveReceipt(const QImage &receipt)
{
    const QString path = QDir(dir_).filePath(QStringLiteral("receipt-%1.png").arg(lastReceipt_ + 1, 3, 10, QLatin1Char('0')));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !receipt.save(&file, "PNG") || !file.commit())
        return {};
    ++lastReceipt_;
    return path;
}
