// Saving a note into the program file while the program runs from it. A
// running program cannot overwrite its own file, but it may rename it: a
// checked copy carrying the note is staged beside the program, the program
// file is moved aside under a retired name and the copy takes its place.
// The retired file, still the running image, goes once the program ends.
#pragma once

#include <string>

#include "image/checked_image.h"

enum class InPlaceSave {
    Saved,
    ReadOnly,      // the program file is marked read-only
    NoNewFile,     // the folder takes no new file, or its path leaves no room for one
    NoRoom,        // the disk has no room for a copy of the program
    CheckFailed,   // the copy could not be made, or did not pass its checks
    InUse,         // another program holds the program file
    Displaced,     // the program file could be neither replaced nor put back
    OtherNames,    // the program file has other names, which would keep the old note
};

// Puts note into the program file (the file a link or short name that
// started the program reaches), which holds it once this returns Saved;
// on any other outcome the program file is as it was (but for Displaced,
// where it lies at retiredPath) and nothing is left beside it.
InPlaceSave SaveIntoOwnFile(const NoteChange& note, const SaveProgress& progress, std::wstring& retiredPath);

// At the program's end: when a retired file could not be removed because
// the program still ran from it, starts the program file in removal mode,
// which removes it as soon as this process has let go of it.
void StartRetiredFileRemoval();
// The removal mode's half: true when the arguments ask for it, after the
// files they name (only recorded leftovers of this program file) are gone or
// stay in use for too long.
bool HandleRetiredFileRemoval(int argc, wchar_t** argv);

// At start: removes what saves that were cut short left beside the program
// file (staged copies, placeholders and retired files) as far as it is
// recorded as theirs and still the file they left; anything else stays.
void RemoveSaveLeftovers();
