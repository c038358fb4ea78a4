// The real printer I/O library, loaded the way the program loads it: dlopen by
// path, every export by name. (Linking it would clash with the fake library
// that the window tests link.)
#pragma once

#include "dravik.h"

#include <QtTest>

#include <dlfcn.h>

struct DravikLib
{
    void *handle = nullptr;
    decltype(&::SendBufferToPrint) SendBufferToPrint = nullptr;
    decltype(&::OpenComm) OpenComm = nullptr;
    decltype(&::CloseComm) CloseComm = nullptr;
    decltype(&::GetPrintDriveNames) GetPrintDriveNames = nullptr;
    decltype(&::GetPrintDriveStates) GetPrintDriveStates = nullptr;
    decltype(&::GetSystemSerial) GetSystemSerial = nullptr;
    decltype(&::GetPrintDrivePortNames) GetPrintDrivePortNames = nullptr;
    decltype(&::isLanguage) isLanguage = nullptr;
    decltype(&::GetDravikDllVer) GetDravikDllVer = nullptr;
    decltype(&::GetCommRecvData) GetCommRecvData = nullptr;
    decltype(&::HexToStr) HexToStr = nullptr;
    decltype(&::StrToHex) StrToHex = nullptr;
    decltype(&::GetLastErrorText) GetLastErrorText = nullptr;
    decltype(&::GetLastErrorCode) GetLastErrorCode = nullptr;
    decltype(&::FollowLastJob) FollowLastJob = nullptr;
    decltype(&::QueryPrinter) QueryPrinter = nullptr;
    decltype(&::CancelLastJob) CancelLastJob = nullptr;
    decltype(&::GetPrintDriveDevices) GetPrintDriveDevices = nullptr;
    decltype(&::GetUsbPrinters) GetUsbPrinters = nullptr;
    decltype(&::GetPrintServerDevices) GetPrintServerDevices = nullptr;
    decltype(&::AddPrintQueue) AddPrintQueue = nullptr;
    decltype(&::FollowSentJobs) FollowSentJobs = nullptr;

    // Loads the library's test build (or the one at path); the first missing
    // piece is in error.
    bool load(QString &error, const char *path = DRAVIK_LIBRARY_PATH)
    {
        handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            error = QString::fromLocal8Bit(dlerror());
            return false;
        }
        bool ok = true;
        auto bind = [&](auto &slot, const char *name) {
            slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(dlsym(handle, name));
            if (!slot && ok) {
                error = QStringLiteral("export %1 missing").arg(QLatin1String(name));
                ok = false;
            }
        };
        bind(SendBufferToPrint, "SendBufferToPrint");
        bind(OpenComm, "OpenComm");
        bind(CloseComm, "CloseComm");
        bind(GetPrintDriveNames, "GetPrintDriveNames");
        bind(GetPrintDriveStates, "GetPrintDriveStates");
        bind(GetSystemSerial, "GetSystemSerial");
        bind(GetPrintDrivePortNames, "GetPrintDrivePortNames");
        bind(isLanguage, "isLanguage");
        bind(GetDravikDllVer, "GetDravikDllVer");
        bind(GetCommRecvData, "GetCommRecvData");
        bind(HexToStr, "HexToStr");
        bind(StrToHex, "StrToHex");
        bind(GetLastErrorText, "GetLastErrorText");
        bind(GetLastErrorCode, "GetLastErrorCode");
        bind(FollowLastJob, "FollowLastJob");
        bind(QueryPrinter, "QueryPrinter");
        bind(CancelLastJob, "CancelLastJob");
        bind(GetPrintDriveDevices, "GetPrintDriveDevices");
        bind(GetUsbPrinters, "GetUsbPrinters");
        bind(GetPrintServerDevices, "GetPrintServerDevices");
        bind(AddPrintQueue, "AddPrintQueue");
        bind(FollowSentJobs, "FollowSentJobs");
        return ok;
    }

    QString lastError() const
    {
        const char *t = GetLastErrorText();
        return t ? QString::fromUtf8(t) : QString();
    }

    int lastCode() const { return GetLastErrorCode(); }

    // A returned list as its lines.
    static QStringList lines(const char *text)
    {
        if (!text || !*text)
            return {};
        QStringList l = QString::fromUtf8(text).split(QLatin1Char('\n'));
        if (!l.isEmpty() && l.last().isEmpty())
            l.removeLast();
        return l;
    }
};

// 17007 bytes holding every byte value (the size of the largest NV logo
// download).
inline QByteArray everyByteBuffer(int size = 17007)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return b;
}

inline const unsigned char *bytes(const QByteArray &b)
{
    return reinterpret_cast<const unsigned char *>(b.constData());
}
