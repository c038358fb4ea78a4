#include "text_tools.h"

#include <cstdlib>
#include <cstring>

namespace dravik {

int hexToText(const unsigned char *data, int length, char *text, int size)
{
    if (length < 0 || size <= 0 || !text || (length > 0 && !data))
        return -1;
    // Each byte takes "XX" plus a blank, except the last, plus the NUL.
    const long long need = length == 0 ? 1 : 3LL * length;
    if (need > size)
        return -1;
    static const char digits[] = "0123456789ABCDEF";
    char *out = text;
    for (int i = 0; i < length; ++i) {
        if (i > 0)
            *out++ = ' ';
        *out++ = digits[data[i] >> 4];
        *out++ = digits[data[i] & 0x0F];
    }
    *out = '\0';
    return static_cast<int>(out - text);
}

namespace {
int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
} // namespace

int textToHex(const char *text, unsigned char *data, int size)
{
    if (size < 0)
        return -1;
    if (!text)
        return 0;
    long long count = 0;
    const char *p = text;
    while (*p) {
        if (isBlank(*p)) {
            ++p;
            continue;
        }
        const int hi = digitValue(p[0]);
        if (hi < 0)
            return -1;
        const int lo = digitValue(p[1]); // p[1] is at worst the NUL
        if (lo < 0)
            return -1;
        if (count >= size || !data)
            return -1;
        data[count++] = static_cast<unsigned char>(hi * 16 + lo);
        p += 2;
    }
    return static_cast<int>(count);
}

const char *languageFromLocale()
{
    static const char *const vars[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (const char *name : vars) {
        const char *v = std::getenv(name);
        if (v && *v)
            return std::strncmp(v, "zh", 2) == 0 ? "chinese" : "english";
    }
    return "english";
}

} // namespace dravik
