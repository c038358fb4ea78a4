// Runs nemboport in-process and keeps what it printed.
#pragma once

#include "cli_commands.h"
#include "nemboport_cli.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

struct ToolRun
{
    int status = -1;
    QString out;
    QString err;
};

inline ToolRun runTool(const QStringList &args)
{
    ToolRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    CliContext ctx{out, err};
    ctx.flashWaitMs = 0; // the flash wait is the window's 10 s; nothing to wait for here
    // the fake library records calls from one thread at a time
    ctx.parallelTargets = 1;
    ctx.parallelFollowed = 1;
    // logo runs in-process too (the program hands it to nemboport-pictures)
    PictureCommands pictures;
    pictures.logo = &runLogo;
    setPictureCommands(pictures);
    run.status = runNemboport(ctx, args);
    out.flush();
    err.flush();
    return run;
}
