// nemboport-pictures: the whole tool, with the commands that need Qt Gui and
// Qt Network (`logo`, `serve`); nemboport hands those two over to it.
#include "cli_commands.h"
#include "serve_command.h"
#include "tool_main.h"

int main(int argc, char *argv[])
{
    PictureCommands commands;
    commands.logo = &runLogo;
    commands.serve = &runServe;
    return toolMain(argc, argv, std::move(commands));
}
