#include "cli/program_arguments.h"

#include <windows.h>

#include <shellapi.h>

#include "cli/wide_text.h"

// The narrow argv is in the ANSI code page, which cannot hold every path;
// the wide command line can.
std::vector<std::string> ProgramArguments(int, char**) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}
