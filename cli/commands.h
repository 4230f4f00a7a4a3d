// The commands of scribecrypt-cli on a program file.
#pragma once

#include "cli/arguments.h"

// Runs the command and gives its exit status. Results go to standard
// output, messages to standard error.
int RunCommand(const CommandLine& line);
