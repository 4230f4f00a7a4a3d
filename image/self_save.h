// Saving a note into the running executable, which cannot be rewritten while
// it runs: the note goes into a checked temporary copy of the executable,
// which is started in write-back mode and replaces the executable once it is
// free. Both halves of that exchange live here.
#pragma once

#include <string>

#include "image/checked_image.h"

enum class WriteBackStart {
    Started,
    OtherNames,  // the program file has other names, which would keep the old note
    Failed,
};

// Gives a new checked temporary image the note and starts it, to replace
// the program file (the file a link or short name that started the program
// reaches). Failed, with the temporary image removed, when any step fails
// (no temporary folder, copy, sealing, resource update, check or process
// start); the executable is then untouched, as it is for OtherNames.
WriteBackStart SaveThroughTemporaryImage(const NoteChange& note, const SaveProgress& progress = {});

// The command line a write-back process is started with: the executable's
// path in double quotes, so a path with blanks stays one argument.
std::wstring WriteBackCommandLine(const std::wstring& executablePath);

// Removes the temporary images in the temporary folder that are byte for
// byte this program: a completed write-back leaves exactly that behind, and
// it holds nothing the program does not. Everything else stays, above all
// the image of a write-back that gave up, which holds a newer note.
void RemoveRedundantTemporaryImages();

// The other half, in the started copy, given the process's arguments as
// UTF-16 (the target's path may hold what code page 936 cannot spell). True
// when the process must end now: it had too many arguments, or it was
// started in write-back mode and has written itself back, given up, or found
// itself named as the target. It gives up, and says where its note is, also
// when a new start of the target saved into it meanwhile: its note is then
// the older one.
bool HandleWriteBack(int argc, wchar_t** argv);
