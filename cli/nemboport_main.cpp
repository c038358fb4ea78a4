// nemboport: the command-line tool (being built).
#include "serve_command.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.value(0) == QLatin1String("--version")) {
        std::printf("nemboport %s\n", NPS_VERSION);
        return 0;
    }
    if (args.value(0) == QLatin1String("serve"))
        return runServe(args.mid(1));
    std::fprintf(stderr, "usage: nemboport --version | serve\n");
    return 2;
}
