// The time every log line of the virtual printer begins with.
#pragma once

#include <QString>

// Now in local time, "yyyy-MM-dd HH:mm:ss.zzz". The date and time of day are
// worked out (and the time zone looked up) once a second; within a second
// only the milliseconds change.
QString logStamp();
