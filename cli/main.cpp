// scribecrypt-cli: reads, verifies, exports, locks and re-keys the note in a
// Scribecrypt program file without running the program.
#include <iostream>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/program_arguments.h"

int main(int argc, char** argv) {
    CommandLine line;
    try {
        line = ParseCommandLine(ProgramArguments(argc, argv));
    } catch (const UsageError& error) {
        std::cerr << "scribecrypt-cli: " << error.what() << "\nTry 'scribecrypt-cli --help'.\n";
        return kExitUsage;
    }
    return RunCommand(line);
}
