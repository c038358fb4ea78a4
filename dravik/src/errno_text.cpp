#include "errno_text.h"

#include <cerrno>
#include <cstring>

namespace dravik {

DravikErrorCode codeForErrno(int err)
{
    switch (err) {
    case ENOENT:
        return DRAVIK_ERROR_NOT_FOUND;
    case EBUSY:
        return DRAVIK_ERROR_BUSY;
    case EACCES:
    case EPERM:
        return DRAVIK_ERROR_NO_PERMISSION;
    case ETIMEDOUT:
        return DRAVIK_ERROR_TIMED_OUT;
    case EIO:
    case ENXIO:
    case ENODEV:
    case EPIPE:
    case ECONNRESET:
    case EHOSTDOWN:
        return DRAVIK_ERROR_DEVICE_LOST;
    default:
        return DRAVIK_ERROR_OTHER;
    }
}

std::string errnoText(int err)
{
    char buf[256];
    buf[0] = '\0';
    // The GNU strerror_r returns the text (maybe not in buf).
    const char *s = strerror_r(err, buf, sizeof buf);
    return s ? std::string(s) : std::string("error ") + std::to_string(err);
}

} // namespace dravik
