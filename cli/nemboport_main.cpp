// nemboport: the command-line tool (being built).
#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("nemboport %s\n", NPS_VERSION);
        return 0;
    }
    std::fprintf(stderr, "usage: nemboport --version\n");
    return 2;
}
