// dravik_open_helper PATH [BAUD]: OpenComm(PATH, BAUD) through the real
// library; prints "<result>\n<reason>\n<code>\n". Used by tst_dravik_serial to open a
// port as another (unprivileged) user.
#include "dravik.h"

#include <cstdio>
#include <cstdlib>

#include <dlfcn.h>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    void *h = dlopen(DRAVIK_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        std::printf("load-failed\n%s\n", dlerror());
        return 3;
    }
    auto open = reinterpret_cast<decltype(&OpenComm)>(dlsym(h, "OpenComm"));
    auto close = reinterpret_cast<decltype(&CloseComm)>(dlsym(h, "CloseComm"));
    auto error = reinterpret_cast<decltype(&GetLastErrorText)>(dlsym(h, "GetLastErrorText"));
    auto code = reinterpret_cast<decltype(&GetLastErrorCode)>(dlsym(h, "GetLastErrorCode"));
    if (!open || !close || !error || !code)
        return 4;
    const int r = open(argv[1], argc > 2 ? std::atoi(argv[2]) : 9600);
    std::printf("%d\n%s\n%d\n", r, error(), code());
    if (r == 1)
        close(argv[1]);
    return 0;
}
