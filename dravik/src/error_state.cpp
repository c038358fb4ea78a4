#include "error_state.h"

namespace dravik {

namespace {
thread_local std::string t_error;
thread_local DravikErrorCode t_code = DRAVIK_ERROR_NONE;
} // namespace

void clearError()
{
    t_error.clear();
    t_code = DRAVIK_ERROR_NONE;
}

void setError(DravikErrorCode code, const std::string &text)
{
    // The code first: it must never stay 0 beside a reason, even if copying
    // the text runs out of memory.
    t_code = code == DRAVIK_ERROR_NONE ? DRAVIK_ERROR_OTHER : code;
    t_error = text;
}

const std::string &errorText()
{
    return t_error;
}

DravikErrorCode errorCode()
{
    return t_code;
}

} // namespace dravik
