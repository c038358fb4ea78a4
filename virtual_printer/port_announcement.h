// Tells the printer I/O library about a virtual serial port: a symlink in the
// announcement folder pointing at the port's device, and beside it
// "<link>.lock", locked for as long as the server runs. The library lists the
// links whose device exists and whose lock is held, so a link left by a killed
// server is never offered; the link and the lock go when the server ends.
// The folder, link and lock names follow announcement_rules.h, which the
// library reads too; the folder is created 0700.
#pragma once

#include <QString>

// The folder, without creating it.
QString announcementFolder();
// What a symlink points at as written in it; empty when path is no symlink.
QString symlinkTarget(const QString &path);

class PortAnnouncement
{
public:
    PortAnnouncement() = default;
    PortAnnouncement(const PortAnnouncement &) = delete;
    PortAnnouncement &operator=(const PortAnnouncement &) = delete;
    ~PortAnnouncement() { withdraw(); }

    // Links <folder>/virtual-printer-<pid> to devicePath. False with a
    // reason when the folder cannot be made safely or the link not written.
    bool announce(const QString &devicePath, QString &error);
    // Removes the link (only if it still points at our device).
    void withdraw();

    QString linkPath() const { return link_; }

private:
    QString link_;
    QString device_;
    int lockFd_ = -1;
};
