#include "cli/program_arguments.h"

std::vector<std::string> ProgramArguments(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }
