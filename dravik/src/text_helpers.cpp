#include "text_helpers.h"

#include <cctype>

namespace dravik {

bool hasDotDotComponent(const std::string &path)
{
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        if (path.compare(start, end - start, "..") == 0)
            return true;
        start = end + 1;
    }
    return false;
}

std::string trim(const std::string &s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

std::string lower(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool startsWithNoCase(const std::string &s, const std::string &prefix)
{
    return s.size() >= prefix.size() && lower(s.substr(0, prefix.size())) == lower(prefix);
}

bool parseNumber(const std::string &s, long &n)
{
    if (s.empty() || s.size() > 9)
        return false;
    long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    n = v;
    return true;
}

std::string joinLines(const std::vector<std::string> &lines)
{
    std::string out;
    for (const std::string &l : lines) {
        out += l;
        out += '\n';
    }
    return out;
}

std::string secondsText(long long ms)
{
    std::string text = std::to_string(ms / 1000);
    const long long rest = ms % 1000;
    if (rest == 0)
        return text;
    std::string fraction = std::to_string(1000 + rest).substr(1);
    while (fraction.back() == '0')
        fraction.pop_back();
    return text + "." + fraction;
}

} // namespace dravik
