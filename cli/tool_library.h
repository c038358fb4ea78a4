// The printer I/O library as the tool loads it: beside the executable, then
// through the loader's search, once per process.
#pragma once

#include "cli_context.h"
#include "dravik_binding.h"

// The loaded library, or null after printing why it could not be loaded.
DravikBinding *toolLibrary(CliContext &ctx);
