/* The printer I/O library for Linux (libDravik.so): its exports.
 *
 * The binary interface is fixed by shared/io-library.md; this header only
 * restates it in C. Texts are NUL-terminated UTF-8; a NULL text is the empty
 * text. A returned list is one text with one entry per line, owned by the
 * library and valid until the same export is called again on the same thread.
 * Booleans are int, nonzero is true. No export lets a C++ exception escape.
 */
#ifndef DRAVIK_H
#define DRAVIK_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define DRAVIK_API __attribute__((visibility("default")))
#else
#define DRAVIK_API
#endif

/* The kind of the last failed call, as GetLastErrorCode reports it. The
 * numbers are part of the binary interface and never change. A library may
 * add codes above DRAVIK_ERROR_LAST_KNOWN; a program reads them as
 * DRAVIK_ERROR_OTHER. */
typedef enum DravikErrorCode {
    DRAVIK_ERROR_NONE = 0,
    DRAVIK_ERROR_NOT_FOUND = 1,          /* no such queue, port or device */
    DRAVIK_ERROR_BUSY = 2,               /* another program holds the port */
    DRAVIK_ERROR_NO_PERMISSION = 3,      /* the user may not open the device or queue */
    DRAVIK_ERROR_TIMED_OUT = 4,          /* the device stopped taking data */
    DRAVIK_ERROR_DEVICE_LOST = 5,        /* unplugged, the far end closed, an I/O error */
    DRAVIK_ERROR_SERVER_UNREACHABLE = 6, /* no print server answers, or it went away */
    DRAVIK_ERROR_QUEUE_REFUSED = 7,      /* the print queue does not take the job */
    DRAVIK_ERROR_INVALID_ARGUMENT = 8,   /* a bad name, length or rate; a path that is no device */
    DRAVIK_ERROR_OTHER = 9,              /* anything else: the text says what */
    DRAVIK_ERROR_NO_ANSWERS = 10,        /* the path carries no answers (an IPP or driver queue) */
    DRAVIK_ERROR_WAITING_IN_QUEUE = 11,  /* the job is queued, the printer does not take it */
    /* This library's own, beyond the shared table: a job the print server
     * had begun handing to the printer was stopped (CancelLastJob, or
     * FollowLastJob of such a job): the printer may have received part or all
     * of it. A program made before it reads DRAVIK_ERROR_OTHER with the same
     * text. */
    DRAVIK_ERROR_STOPPED_WHILE_PRINTING = 12,
    DRAVIK_ERROR_LAST_KNOWN = DRAVIK_ERROR_STOPPED_WHILE_PRINTING
} DravikErrorCode;

/* portName: "DRIVE" (a CUPS queue), "COM" (a serial port opened with
 * OpenComm) or "LPT" (a raw printer port), in any letter case. printerName:
 * the queue, serial port or LPT name within that path. docName: the job title
 * for a print queue (may be NULL). Nonzero when all bytes were handed on. */
DRAVIK_API int SendBufferToPrint(const char *portName, const char *printerName, const char *docName,
                                 const unsigned char *data, int length);
/* 1: open at baudRate (50 to 4000000, rates termios names no constant for,
 * such as 128000, included), 8N1, no flow control, exclusive. 0: failed.
 * -1: the port does not exist or another program holds it. */
DRAVIK_API int OpenComm(const char *port, int baudRate);
DRAVIK_API int CloseComm(const char *port);
DRAVIK_API const char *GetPrintDriveNames(void);
/* The same queues with the print server's view of each, one line per queue:
 * "NAME\tSTATE\tACCEPTING\tREASONS\tMESSAGE" where STATE is idle, printing
 * or stopped, ACCEPTING 1 or 0, REASONS the printer-state-reasons keywords
 * joined by "," ("none" left out) and MESSAGE the printer-state-message (tabs
 * and line breaks made blanks). Fails as GetPrintDriveNames does. An
 * extension of this library's own, not in the shared interface: a program
 * looks it up by name and may find it missing. */
DRAVIK_API const char *GetPrintDriveStates(void);
/* The print queues (not classes) with their devices, by name, one line per
 * queue: "NAME\tDEVICE-URI\tLINK" where LINK is where the URI leads on this
 * machine: "HOST:PORT" for socket:// (9100 when no port is given, an IPv6
 * address in brackets), the device path for serial:, the /dev/usb/lp*
 * device that holds a usb:// printer now; empty for any other. Fails as
 * GetPrintDriveNames does. Optional, this library's own, like the three
 * below: a program looks each up by name and may find it missing. */
DRAVIK_API const char *GetPrintDriveDevices(void);
/* The USB printers the kernel's printer driver holds, one line per
 * /dev/usb/lp* in number order: "PATH\tDEVICE-URI\tIEEE1284-ID", where
 * DEVICE-URI is the usb:// URI a print queue reaches that printer by (empty
 * when its ID tells no maker and model) and IEEE1284-ID is what the printer
 * told the kernel (empty when unknown). */
DRAVIK_API const char *GetUsbPrinters(void);
/* What the print server's backends find (CUPS-Get-Devices) of the schemes
 * named (blank-separated, such as "usb"; NULL or empty: every scheme), each
 * backend given timeoutSeconds (1 to 60; the call takes a few seconds more
 * at most): one line per device, "DEVICE-URI\tCLASS\tMAKE-AND-MODEL\t
 * IEEE1284-ID\tINFO". The empty list with DRAVIK_ERROR_NO_PERMISSION where
 * the server lists its devices only to its administrators. */
DRAVIK_API const char *GetPrintServerDevices(const char *schemes, int timeoutSeconds);
/* Makes a raw print queue (no driver: the bytes reach the printer as they
 * are) named name whose device is deviceUri, enabled and accepting jobs.
 * Sends nothing to the printer. 1: made (with replace nonzero, made anew
 * over the queue of that name, which loses its driver and keeps its jobs);
 * -1: a queue or class of that name exists and replace is 0, nothing
 * changed; 0: failed (DRAVIK_ERROR_INVALID_ARGUMENT: a name or URI the
 * server does not take; DRAVIK_ERROR_NO_PERMISSION: the user may not
 * administer printers, the text naming the fix). */
DRAVIK_API int AddPrintQueue(const char *name, const char *deviceUri, int replace);
/* The serial ports that exist, then the live ports that virtual printers
 * announce (see README.md, "Virtual printers"). */
DRAVIK_API const char *GetSystemSerial(void);
DRAVIK_API const char *GetPrintDrivePortNames(const char *kind);
DRAVIK_API const char *isLanguage(void);
DRAVIK_API const char *GetDravikDllVer(void);
DRAVIK_API int GetCommRecvData(const char *port, unsigned char *buffer, int size);
DRAVIK_API int HexToStr(const unsigned char *data, int length, char *text, int size);
DRAVIK_API int StrToHex(const char *text, unsigned char *data, int size);
/* The reason for the last failed call of this thread, for a person; "" after
 * a success. */
DRAVIK_API const char *GetLastErrorText(void);
/* The kind of the last failed call of this thread, a DravikErrorCode;
 * DRAVIK_ERROR_NONE after a success. */
DRAVIK_API int GetLastErrorCode(void);
/* Discards input already waiting, writes request on the path portName and
 * printerName name (as SendBufferToPrint does, but never as a print job) and
 * reads the answer into reply: its length as soon as replySize bytes came or
 * 100 ms passed with no new byte after one (the answer to an identity request,
 * GS I n with n 65 to 69, "_" text NUL, ends at its NUL), 0 when timeoutMs
 * passed with none,
 * -1 on failure (DRAVIK_ERROR_NO_ANSWERS: the path carries no answers). A print queue is
 * asked through its device: socket:// by TCP, serial: by the serial device,
 * usb:// through the matching /dev/usb/lp*. Optional. */
DRAVIK_API int QueryPrinter(const char *portName, const char *printerName, const unsigned char *request,
                            int requestLength, unsigned char *reply, int replySize, int timeoutMs);
/* For the last print-queue job this thread sent: 1 when the print server
 * handed every byte to the printer (and at once after a send on another
 * path), -1 when the job was aborted, cancelled or stopped, 0 when it still
 * waits after timeoutMs (DRAVIK_ERROR_WAITING_IN_QUEUE, the text naming the
 * queue's state and reasons). A job cancelled after the server had begun
 * handing it to the printer, and not withdrawn whole by CancelLastJob, gives
 * -1 with DRAVIK_ERROR_STOPPED_WHILE_PRINTING. Optional: a program looks it
 * up by name. */
DRAVIK_API int FollowLastJob(int timeoutMs);
/* Withdraws that job if nothing of it reached the printer: nonzero when
 * withdrawn (the server never began handing it on, or its backend never
 * reached the printer) or already gone before it began. A job the server was
 * already handing to the printer ("processing") is cancelled all the same,
 * but the result is 0 with DRAVIK_ERROR_STOPPED_WHILE_PRINTING and the text
 * "job N on "Q" was stopped while printing: the printer may have received
 * part or all of it" -- never "withdrawn". A program made before code 12
 * sees a withdrawal that failed with code DRAVIK_ERROR_OTHER and that text.
 * A job that already printed gives 0 with DRAVIK_ERROR_OTHER. Optional. */
DRAVIK_API int CancelLastJob(void);
/* Several jobs followed together: every print-queue job this thread sent
 * since its last follow (FollowLastJob or this call; the newest 4096 at most),
 * in the order sent, is followed for up to timeoutMs in all; a queue hands its
 * jobs on in order, so the earliest not yet printed is the one asked about.
 * Returns how many of them, from the first, the print server handed to the
 * printer; all of them: every one printed. Fewer: the next one did not
 * print, and the code and text say why as FollowLastJob's would
 * (DRAVIK_ERROR_WAITING_IN_QUEUE while it still waits; another code when it
 * was aborted, cancelled, stopped, or the server could not be asked). That
 * job becomes this thread's last job, and until the next send CancelLastJob
 * withdraws it together with every job sent after it (those first, the
 * newest first). A program that never calls it sees FollowLastJob and
 * CancelLastJob as before. Optional: this library's own, looked up by name. */
DRAVIK_API int FollowSentJobs(int timeoutMs);

#ifdef __cplusplus
}
#endif

#endif /* DRAVIK_H */
