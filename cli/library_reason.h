// The tool's own words for a failure the printer I/O library reported: its
// code said in the locale's language, naming the queue or port the tool was
// given. The library's own text (English, often naming paths and the print
// server) follows only with --verbose.
#pragma once

#include "send_path.h"

#include <QString>

// A reason whose text the tool itself worded (a port that would not open
// around a query): shown as it is.
inline constexpr int kToolWordedCode = kUntoldErrorCode - 1;

// Whether the library's own text follows the tool's words. Set once per run,
// before any thread that words a reason starts.
void showLibraryTexts(bool on);
bool libraryTextsShown();

// The words for reason, naming shown (a queue, serial device or port as the
// user gave it; kind None or an empty name: the words name no target).
QString reasonWords(const FailureReason &reason, PathKind kind, const QString &shown);

// " (the library: TEXT)" when --verbose is given and the library told a
// text; without --verbose, where only that text says why, a pointer to
// --verbose; else empty.
QString detailOf(const FailureReason &reason);

// The words, then the library's text in brackets when --verbose is given.
QString reasonWithDetail(const FailureReason &reason, PathKind kind, const QString &shown);

// Whether the library said anything: a failure code or a text.
bool reasonTold(const FailureReason &reason);

// "WHAT: REASON" with the reason worded as above; WHAT alone when the
// library said nothing.
QString failedBecause(const QString &what, const FailureReason &reason, PathKind kind, const QString &shown);
