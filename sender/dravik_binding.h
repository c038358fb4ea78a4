// Loads the printer I/O library at run time and binds its exports by name.
// An export the library lacks stays empty; callers check before calling.
#pragma once

#include "dravik.h"

#include <QString>
#include <QStringList>

#include <memory>

// File name of the library on this platform.
inline constexpr const char *kDravikFileName = "libDravik.so";

// What lastErrorCode() gives for a library without GetLastErrorCode.
inline constexpr int kUntoldErrorCode = -1;

class DravikBinding
{
public:
    DravikBinding() = default;
    ~DravikBinding();
    DravikBinding &operator=(const DravikBinding &) = delete;

    // Looks beside the executable first, then through the loader's search.
    bool load();
    // Loads exactly the given file (tests point it at a fake or a missing file).
    bool loadFrom(const QString &path);
    // Binds only SendBufferToPrint (the NV logo window's own binding).
    bool loadSendOnly();
    // Another binding to the same library, for a job that may outlive this
    // one (the library stays loaded until the program ends).
    std::shared_ptr<const DravikBinding> twin() const;

    bool isLoaded() const { return handle_ != nullptr; }
    // Why the last load failed, as the loader reported it.
    QString loadError() const { return loadError_; }

    // The exports that were looked up but not found, in lookup order.
    QStringList missingExports() const { return missing_; }

    // Entries, typed by the library's own header; each stays null when the
    // library lacks it.
    decltype(&::SendBufferToPrint) sendBufferToPrint = nullptr;
    decltype(&::OpenComm) openComm = nullptr;
    decltype(&::CloseComm) closeComm = nullptr;
    decltype(&::GetCommRecvData) getCommRecvData = nullptr;
    decltype(&::GetSystemSerial) getSystemSerial = nullptr;
    decltype(&::GetPrintDrivePortNames) getPrintDrivePortNames = nullptr;
    decltype(&::GetPrintDriveNames) getPrintDriveNames = nullptr;
    decltype(&::HexToStr) hexToStr = nullptr;
    decltype(&::StrToHex) strToHex = nullptr;
    decltype(&::isLanguage) isLanguage = nullptr;
    decltype(&::GetDravikDllVer) getDravikDllVer = nullptr;
    decltype(&::GetLastErrorText) getLastErrorText = nullptr; // optional
    decltype(&::GetLastErrorCode) getLastErrorCode = nullptr; // optional
    // Optional: a library without them keeps working, and nothing calls them.
    decltype(&::QueryPrinter) queryPrinter = nullptr;   // a request and its answer
    decltype(&::FollowLastJob) followLastJob = nullptr; // the last print-queue job's fate
    decltype(&::CancelLastJob) cancelLastJob = nullptr; // withdraws that job
    // Optional, this project's library's own: the print queues with their
    // state (see queue_states.h).
    decltype(&::GetPrintDriveStates) getPrintDriveStates = nullptr;
    // Optional, this project's library's own: finding printers and making
    // print queues for them (see device_lists.h and queue_making.h).
    decltype(&::GetPrintDriveDevices) getPrintDriveDevices = nullptr;
    decltype(&::GetUsbPrinters) getUsbPrinters = nullptr;
    decltype(&::GetPrintServerDevices) getPrintServerDevices = nullptr;
    decltype(&::AddPrintQueue) addPrintQueue = nullptr;
    // Optional, this project's library's own: the jobs sent since the last
    // follow, followed together (job_follow.h).
    decltype(&::FollowSentJobs) followSentJobs = nullptr;

    // The library's reason for its last failure, or empty.
    QString lastErrorText() const;
    // The kind of the library's last failure: a DravikErrorCode (a code above
    // DRAVIK_ERROR_LAST_KNOWN counts as DRAVIK_ERROR_OTHER), or
    // kUntoldErrorCode when the library does not tell. Like the text, it
    // belongs to the thread that made the call.
    int lastErrorCode() const;

private:
    DravikBinding(const DravikBinding &) = default; // for twin()
    bool open(const QString &path, bool sendOnly);
    bool openAny(bool sendOnly);
    void bind(bool sendOnly);
    void *resolve(const char *name);
    // Binds entry to the export name: a required one that is missing is
    // noted in missingExports(), an optional one just stays null.
    template <typename Fn>
    void bindExport(Fn &entry, const char *name, bool required)
    {
        entry = reinterpret_cast<Fn>(required ? resolve(name) : dlsymOf(name));
    }
    void *dlsymOf(const char *name) const;

    void *handle_ = nullptr;
    QString loadError_;
    QStringList missing_;
};

// Splits a list text of the library into its lines ("\n" or "\r\n"); NULL
// and the empty text give the empty list.
QStringList splitLibraryList(const char *text);
