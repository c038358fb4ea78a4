// Loads the printer I/O library at run time and binds its exports by name.
// An export the library lacks stays empty; callers check before calling.
#pragma once

#include "dravik_api.h"

#include <QString>
#include <QStringList>

class DravikBinding
{
public:
    DravikBinding() = default;
    ~DravikBinding();
    DravikBinding(const DravikBinding &) = delete;
    DravikBinding &operator=(const DravikBinding &) = delete;

    // Looks beside the executable first, then through the loader's search.
    bool load();
    // Loads exactly the given file (tests point it at a fake or a missing file).
    bool loadFrom(const QString &path);
    // Binds only SendBufferToPrint (the NV logo window's own binding).
    bool loadSendOnly();

    bool isLoaded() const { return handle_ != nullptr; }
    // Why the last load failed, as the loader reported it.
    QString loadError() const { return loadError_; }

    // The exports that were looked up but not found, in lookup order.
    QStringList missingExports() const { return missing_; }

    // Entries; each stays null when the library lacks it.
    SendBufferToPrintFn sendBufferToPrint = nullptr;
    OpenCommFn openComm = nullptr;
    CloseCommFn closeComm = nullptr;
    GetCommRecvDataFn getCommRecvData = nullptr;
    ListFn getSystemSerial = nullptr;
    PortListFn getPrintDrivePortNames = nullptr;
    ListFn getPrintDriveNames = nullptr;
    HexToStrFn hexToStr = nullptr;
    StrToHexFn strToHex = nullptr;
    TextFn isLanguage = nullptr;
    TextFn getDravikDllVer = nullptr;
    TextFn getLastErrorText = nullptr; // optional
    CodeFn getLastErrorCode = nullptr; // optional
    // Optional: a library without them keeps working, and nothing calls them.
    QueryPrinterFn queryPrinter = nullptr;   // a request and its answer
    FollowLastJobFn followLastJob = nullptr; // the last print-queue job's fate
    CancelLastJobFn cancelLastJob = nullptr; // withdraws that job
    // Optional, this project's library's own: the print queues with their
    // state (see queue_states.h).
    ListFn getPrintDriveStates = nullptr;

    // The library's reason for its last failure, or empty.
    QString lastErrorText() const;
    // The kind of the library's last failure: 0 none, 1 to 11 as the library
    // documents them (10: the path carries no answers, 11: the job waits in
    // the queue; a code above 11 counts as 9), -1 when the library does not
    // tell. Like the text, it belongs to the thread that made the call.
    int lastErrorCode() const;

private:
    bool open(const QString &path, bool sendOnly);
    bool openAny(bool sendOnly);
    void bind(bool sendOnly);
    void *resolve(const char *name);

    void *handle_ = nullptr;
    QString loadError_;
    QStringList missing_;
};

// Splits a list text of the library into its lines ("\n" or "\r\n"); NULL
// and the empty text give the empty list.
QStringList splitLibraryList(const char *text);
