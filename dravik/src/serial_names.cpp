#include "serial_names.h"

#include "common.h"

#include <algorithm>
#include <climits>
#include <fstream>
#include <set>
#include <sstream>

#include <dirent.h>
#include <sys/stat.h>

namespace dravik {

namespace {

bool readFirstLine(const std::string &path, std::string &line)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::getline(in, line);
    return true;
}

bool exists(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// Sort key: the name's letters and its trailing number.
struct PortKey
{
    int rank;
    std::string stem;
    long number;
};

PortKey keyOf(const std::string &name)
{
    std::size_t d = name.size();
    while (d > 0 && name[d - 1] >= '0' && name[d - 1] <= '9')
        --d;
    long n = -1;
    if (d < name.size() && !parseNumber(name.substr(d), n))
        n = LONG_MAX;
    const std::string stem = name.substr(0, d);
    const int rank = stem == "ttyUSB" ? 0 : stem == "ttyACM" ? 1 : 2;
    return {rank, stem, n};
}

} // namespace

std::vector<std::string> listSerialPorts()
{
    const std::string root = testRoot();
    const std::string classDir = root + "/sys/class/tty";
    std::set<std::string> consoles;
    {
        std::string active;
        if (readFirstLine(classDir + "/console/active", active)) {
            std::istringstream words(active);
            std::string w;
            while (words >> w)
                consoles.insert(w);
        }
    }
    std::vector<std::string> names;
    DIR *dir = ::opendir(classDir.c_str());
    if (!dir)
        return {};
    while (dirent *e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.empty() || name[0] == '.')
            continue;
        const std::string entry = classDir + "/" + name;
        // Virtual terminals, ptmx, console: no device behind them.
        if (!exists(entry + "/device"))
            continue;
        // A serial_core port (8250 ttyS*, ...) has a "type"; 0 (PORT_UNKNOWN)
        // is a placeholder with no UART behind it.
        std::string type;
        if (readFirstLine(entry + "/type", type) && trim(type) == "0")
            continue;
        if (consoles.count(name))
            continue;
        struct stat st;
        const std::string dev = root + "/dev/" + name;
        if (::stat(dev.c_str(), &st) != 0)
            continue;
        if (root.empty() && !S_ISCHR(st.st_mode))
            continue;
        names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
        const PortKey ka = keyOf(a), kb = keyOf(b);
        if (ka.rank != kb.rank)
            return ka.rank < kb.rank;
        if (ka.stem != kb.stem)
            return ka.stem < kb.stem;
        return ka.number < kb.number;
    });
    std::vector<std::string> paths;
    for (const std::string &n : names)
        paths.push_back(root + "/dev/" + n);
    return paths;
}

std::string serialDevicePath(const std::string &rawName)
{
    std::string name = trim(rawName);
    if (name.empty())
        return {};
    if (name[0] == '/')
        return name;
    if (startsWithNoCase(name, "COM")) {
        std::string digits = name.substr(3);
        if (!digits.empty() && digits.back() == ':')
            digits.pop_back();
        long n = 0;
        if (parseNumber(digits, n) && n >= 1)
            return underRoot("/dev/ttyS" + std::to_string(n - 1));
    }
    return underRoot("/dev/" + name);
}

} // namespace dravik
