#include "dravik_binding.h"

#include "elf_check.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <memory>

namespace {

// The folders the loader searches for a bare library name on behalf of this
// program, in its order: LD_LIBRARY_PATH, the program's RUNPATH (where the
// installed package keeps the library) and the system folders. Only the
// loader's cache is missing from this list.
QStringList loaderSearchFolders()
{
    void *self = dlopen(nullptr, RTLD_LAZY);
    if (!self)
        return {};
    QStringList folders;
    Dl_serinfo size;
    if (dlinfo(self, RTLD_DI_SERINFOSIZE, &size) == 0) {
        std::unique_ptr<Dl_serinfo, decltype(&std::free)> info(static_cast<Dl_serinfo *>(std::malloc(size.dls_size)),
                                                               &std::free);
        if (info && dlinfo(self, RTLD_DI_SERINFOSIZE, info.get()) == 0 &&
            dlinfo(self, RTLD_DI_SERINFO, info.get()) == 0) {
            for (unsigned i = 0; i < info->dls_cnt; ++i)
                folders << QFile::decodeName(info->dls_serpath[i].dls_name);
        }
    }
    dlclose(self);
    return folders;
}

} // namespace

DravikBinding::~DravikBinding()
{
    // The library stays loaded until the program ends: a window may still hold
    // texts it returned, and unloading buys nothing here.
}

std::shared_ptr<const DravikBinding> DravikBinding::twin() const
{
    return std::shared_ptr<const DravikBinding>(new DravikBinding(*this));
}

bool DravikBinding::load()
{
    return openAny(false);
}

bool DravikBinding::loadSendOnly()
{
    return openAny(true);
}

bool DravikBinding::loadFrom(const QString &path)
{
    return open(path, false);
}

bool DravikBinding::openAny(bool sendOnly)
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(kDravikFileName));
    if (QFileInfo::exists(beside) && open(beside, sendOnly))
        return true;
    const QString besideError = loadError_;
    // The loader's own choice is looked at before it is loaded, like the copy
    // beside the program: a truncated library there would crash dlopen, and one
    // built for another machine would only read "No such file or directory".
    for (const QString &folder : loaderSearchFolders()) {
        const QString candidate = QDir(folder).filePath(QString::fromLatin1(kDravikFileName));
        if (candidate != beside && QFileInfo::exists(candidate)) {
            if (open(candidate, sendOnly))
                return true;
            if (!besideError.isEmpty())
                loadError_ = besideError;
            return false;
        }
    }
    if (open(QString::fromLatin1(kDravikFileName), sendOnly))
        return true;
    if (!besideError.isEmpty())
        loadError_ = besideError;
    return false;
}

bool DravikBinding::open(const QString &path, bool sendOnly)
{
    // A file named by its path is looked at first: a truncated or foreign
    // library must not reach dlopen (a bare name is the loader's to find).
    if (path.contains(QLatin1Char('/'))) {
        const QString problem = sharedLibraryProblem(path);
        if (!problem.isEmpty()) {
            loadError_ = problem;
            return false;
        }
    }
    dlerror();
    void *h = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        const char *why = dlerror();
        loadError_ = why ? QString::fromLocal8Bit(why) : QStringLiteral("%1: cannot be loaded").arg(path);
        return false;
    }
    handle_ = h;
    loadError_.clear();
    bind(sendOnly);
    return true;
}

void *DravikBinding::dlsymOf(const char *name) const
{
    return dlsym(handle_, name);
}

void *DravikBinding::resolve(const char *name)
{
    void *p = dlsymOf(name);
    if (!p)
        missing_ << QString::fromLatin1(name);
    return p;
}

void DravikBinding::bind(bool sendOnly)
{
    missing_.clear();
    bindExport(sendBufferToPrint, "SendBufferToPrint", true);
    // Optional, and wanted by every binding that sends: their absence is not
    // reported as missing.
    bindExport(getLastErrorText, "GetLastErrorText", false);
    bindExport(getLastErrorCode, "GetLastErrorCode", false);
    bindExport(queryPrinter, "QueryPrinter", false);
    bindExport(followLastJob, "FollowLastJob", false);
    bindExport(cancelLastJob, "CancelLastJob", false);
    bindExport(followSentJobs, "FollowSentJobs", false);
    if (sendOnly)
        return;
    bindExport(getPrintDriveStates, "GetPrintDriveStates", false);
    bindExport(getPrintDriveDevices, "GetPrintDriveDevices", false);
    bindExport(getUsbPrinters, "GetUsbPrinters", false);
    bindExport(getPrintServerDevices, "GetPrintServerDevices", false);
    bindExport(addPrintQueue, "AddPrintQueue", false);
    // The documented lookup order.
    bindExport(openComm, "OpenComm", true);
    bindExport(closeComm, "CloseComm", true);
    bindExport(getCommRecvData, "GetCommRecvData", true);
    bindExport(getSystemSerial, "GetSystemSerial", true);
    bindExport(getPrintDrivePortNames, "GetPrintDrivePortNames", true);
    bindExport(getPrintDriveNames, "GetPrintDriveNames", true);
    bindExport(hexToStr, "HexToStr", true);
    bindExport(strToHex, "StrToHex", true);
    bindExport(isLanguage, "isLanguage", true);
    bindExport(getDravikDllVer, "GetDravikDllVer", true);
}

QString DravikBinding::lastErrorText() const
{
    if (!getLastErrorText)
        return {};
    const char *text = getLastErrorText();
    return text ? QString::fromLocal8Bit(text) : QString();
}

int DravikBinding::lastErrorCode() const
{
    if (!getLastErrorCode)
        return kUntoldErrorCode;
    const int code = getLastErrorCode();
    return code < DRAVIK_ERROR_NONE || code > DRAVIK_ERROR_LAST_KNOWN ? DRAVIK_ERROR_OTHER : code;
}

QStringList splitLibraryList(const char *text)
{
    QStringList lines;
    if (!text || !*text)
        return lines;
    const QStringList raw = QString::fromLocal8Bit(text).split(QLatin1Char('\n'));
    for (QString line : raw) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        lines << line;
    }
    // A list that ends with a line break has no empty last entry.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}
