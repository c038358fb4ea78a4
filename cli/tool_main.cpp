#include "tool_main.h"

#include "tool_text.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

int toolMain(int argc, char *argv[], PictureCommands commands)
{
    QCoreApplication app(argc, argv);
    installToolTranslator();
    setPictureCommands(std::move(commands));
    QTextStream out(stdout);
    QTextStream err(stderr);
    CliContext ctx{out, err};
    ctx.outIsTerminal = ::isatty(STDOUT_FILENO) == 1;
    return runNemboport(ctx, QCoreApplication::arguments().mid(1));
}
