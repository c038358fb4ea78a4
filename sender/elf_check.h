// Looks at a library file before it is loaded: dlopen maps a truncated file
// and the program dies of SIGBUS, and for a library of another architecture
// the loader's message ("No such file or directory") hides the real reason.
#pragma once

#include <QString>

// Empty when the file at path is a complete ELF shared object for the machine
// this program was built for (class, byte order, machine, type, and every
// loaded segment within the file). Otherwise the reason, in plain words,
// naming the file ("libDravik.so is truncated: ..."). A file that cannot be
// opened gives empty too: the loader then says why.
QString sharedLibraryProblem(const QString &path);
