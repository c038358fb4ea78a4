#include "serve_command.h"

#include <cstdio>

int runServe(const QStringList &)
{
    std::fprintf(stderr, "nemboport: serve is not available yet\n");
    return 2;
}
