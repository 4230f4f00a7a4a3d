// Records of the files that saves make beside a program file, kept in the
// temporary folder under names only this program makes, so that a start
// removes what a save that was cut short left there and nothing else: not a
// file of the user's that is named the same, nor a file of another program
// file in the same folder. A record holds the leftover's path and the
// identities of the files it may hold (see file_facts.h), never any text.
#pragma once

#include <string>
#include <vector>

// Records leftover as a file of owner's saves that holds one of the files
// now at the paths in holders (which may include leftover itself), or, with
// none of them there, that is still empty. Replaces an earlier record of
// leftover. False when the record could not be written.
bool RecordLeftover(const std::wstring& owner, const std::wstring& leftover, const std::vector<std::wstring>& holders);
// Drops the record of leftover: it is gone, or no longer a leftover.
void ForgetLeftover(const std::wstring& owner, const std::wstring& leftover);
// True when the file at path is one of owner's recorded leftovers: recorded
// by this path, and still the file recorded (or empty, as made).
bool IsOwnLeftover(const std::wstring& owner, const std::wstring& path);
// Removes each of owner's recorded leftovers, and drops the records of
// files that are gone or are not leftovers any more.
void RemoveLeftovers(const std::wstring& owner);
