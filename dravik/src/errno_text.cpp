#include "errno_text.h"

#include <cerrno>
#include <cstring>

namespace dravik {

ErrorCode codeForErrno(int err)
{
    switch (err) {
    case ENOENT:
        return ErrorCode::NotFound;
    case EBUSY:
        return ErrorCode::Busy;
    case EACCES:
    case EPERM:
        return ErrorCode::NoPermission;
    case ETIMEDOUT:
        return ErrorCode::TimedOut;
    case EIO:
    case ENXIO:
    case ENODEV:
    case EPIPE:
    case ECONNRESET:
    case EHOSTDOWN:
        return ErrorCode::DeviceLost;
    default:
        return ErrorCode::Other;
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
