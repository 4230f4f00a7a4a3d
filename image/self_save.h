// Saving a note into the running executable, which cannot be rewritten while
// it runs: the note goes into a temporary copy of the executable, which is
// started in write-back mode and replaces the executable once it is free.
#pragma once

#include <string>

// Seals text with password and cipher into a new temporary image and starts
// it. An empty text removes the embedded document instead. Returns false,
// with the temporary image removed, when any step fails (no temporary file,
// copy, sealing, resource update or process start); the executable is then
// untouched.
bool SaveThroughTemporaryImage(const std::string& text, const std::string& password, const std::string& cipher);

// The command line a write-back process is started with: the executable's
// path in double quotes, so a path with blanks stays one argument.
std::string WriteBackCommandLine(const std::string& executablePath);
