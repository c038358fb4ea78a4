// nemboport: the command-line tool, with Qt Core only, so the everyday
// commands start quickly; `logo` and `serve` are handed over to
// nemboport-pictures.
#include "pictures_program.h"
#include "tool_main.h"

int main(int argc, char *argv[])
{
    PictureCommands commands;
    commands.handOver = [argv](CliContext &ctx) { return handOverToPicturesProgram(ctx, argv); };
    return toolMain(argc, argv, std::move(commands));
}
