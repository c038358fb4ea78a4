// Small text helpers: trimming, case, numbers, lists, path checks.
#pragma once

#include <string>
#include <vector>

namespace dravik {

// True when a path, as given, has a ".." component ("../x", "a/../b", "..").
bool hasDotDotComponent(const std::string &path);

// A NULL text is the empty text.
inline std::string textOf(const char *s)
{
    return s ? std::string(s) : std::string();
}
std::string trim(const std::string &s);
std::string lower(std::string s);
bool startsWithNoCase(const std::string &s, const std::string &prefix);
// Parses "123" (digits only, no sign, no blanks) into n; false otherwise.
bool parseNumber(const std::string &s, long &n);
std::string joinLines(const std::vector<std::string> &lines);
// A time limit in seconds as a message names it: "10" for 10000 ms, "10.001"
// for 10001 ms (never rounded to a limit it is not).
std::string secondsText(long long ms);

} // namespace dravik
