#include "errno_text.h"

#include <cstring>

QString errnoText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}
