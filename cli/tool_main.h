// The body of both nemboport programs' main(): a core application object (no
// display is needed, pictures included), the tool's language, and the
// command line run with the picture commands the program has.
#pragma once

#include "nemboport_cli.h"

int toolMain(int argc, char *argv[], PictureCommands commands);
