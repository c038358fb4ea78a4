// The printer I/O library's exports, as C function types.
#pragma once

extern "C" {
using SendBufferToPrintFn = int (*)(const char *portName, const char *printerName, const char *docName,
                                    const unsigned char *data, int length);
using OpenCommFn = int (*)(const char *port, int baudRate);
using CloseCommFn = int (*)(const char *port);
using GetCommRecvDataFn = int (*)(const char *port, unsigned char *buffer, int size);
using ListFn = const char *(*)(void);
using PortListFn = const char *(*)(const char *kind);
using HexToStrFn = int (*)(const unsigned char *data, int length, char *text, int size);
using StrToHexFn = int (*)(const char *text, unsigned char *data, int size);
using TextFn = const char *(*)(void);
using CodeFn = int (*)(void);
using QueryPrinterFn = int (*)(const char *portName, const char *printerName, const unsigned char *request,
                               int requestLength, unsigned char *reply, int replySize, int timeoutMs);
using FollowLastJobFn = int (*)(int timeoutMs);
using CancelLastJobFn = int (*)(void);
}

// File name of the library on this platform.
inline constexpr const char *kDravikFileName = "libDravik.so";
