// The program's arguments, without its name, as UTF-8 on every platform.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> ProgramArguments(int argc, char** argv);
