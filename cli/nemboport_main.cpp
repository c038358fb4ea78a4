// nemboport: the command-line tool. No display is needed: a core application
// object is enough, pictures included.
#include "nemboport_cli.h"
#include "serve_command.h"
#include "tool_text.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    installToolTranslator();
    setServeCommand(&runServe);
    QTextStream out(stdout);
    QTextStream err(stderr);
    CliContext ctx{out, err};
    ctx.outIsTerminal = ::isatty(STDOUT_FILENO) == 1;
    return runNemboport(ctx, QCoreApplication::arguments().mid(1));
}
