#include "error_state.h"

namespace dravik {

namespace {
thread_local std::string t_error;
thread_local ErrorCode t_code = ErrorCode::None;
} // namespace

void clearError()
{
    t_error.clear();
    t_code = ErrorCode::None;
}

void setError(ErrorCode code, const std::string &text)
{
    // The code first: it must never stay 0 beside a reason, even if copying
    // the text runs out of memory.
    t_code = code == ErrorCode::None ? ErrorCode::Other : code;
    t_error = text;
}

const std::string &errorText()
{
    return t_error;
}

ErrorCode errorCode()
{
    return t_code;
}

} // namespace dravik
