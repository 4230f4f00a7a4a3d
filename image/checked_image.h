// Copies of the running program carrying a note, each written into a file of
// its own making and checked before anything relies on it: a save never
// installs, or leaves at a chosen path, an image it has not read back.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "crypto/note_format.h"

// What a copy of the program carries: the program's own resources as they
// are, no note, or the text sealed as choice seals it under key, a key of
// the choice's format (an empty text too, as a note without text). The key
// is shared, so that whoever keeps the saved note's key keeps this one.
// A sealed note keeps the earlier versions of the note it replaces that
// replacedKey, the key that note is sealed under, opens; without it none.
struct NoteChange {
    enum class Kind { Unchanged, Removed, Sealed };
    Kind kind = Kind::Unchanged;
    std::string_view text;
    const NoteChoice* choice = nullptr;
    std::shared_ptr<const HeldKey> key;
    std::shared_ptr<const HeldKey> replacedKey;
};

// How far a save is, in percent, after each of its steps; 100 only once the
// copy has passed its checks.
using SaveProgress = std::function<void(int percent)>;

// Copies the running program into a new file "TEM*.tmp" in folder and gives
// it the note. The copy is then checked: it must first be byte for byte the
// running program; after the note is written its other resources must be
// unchanged, its entries the bytes sealed (or absent, with no entry of
// another format left), a sealed note must open under the key to the
// text and each kept version to its own. Returns the checked
// file's path; empty when a step or a check failed, with nothing left behind.
std::wstring WriteCheckedImage(const std::wstring& folder, const NoteChange& note, const SaveProgress& progress = {});
// The same into a file already made for it; false, with the file removed,
// when a step or a check failed.
bool WriteCheckedImageInto(const std::wstring& path, const NoteChange& note, const SaveProgress& progress = {});

// The same, staged for the file at chosen as ReplaceWithCheckedFile stages
// and renamed over it once checked; a symbolic link at chosen is followed
// and stays. On failure a file already there is left as it was.
bool SaveCheckedImageAs(const std::wstring& chosen, const NoteChange& note, const SaveProgress& progress = {});
