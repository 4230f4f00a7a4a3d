// The instance of a program file: the mutex an editor of that file holds
// while it runs, so that a second start of the same file can tell and end.
#pragma once

#include <string>

// Makes this process hold the instance of the file at path until it ends;
// false when another process holds it already. The instance is named after
// the file itself, not after the path that reaches it, so every spelling of
// the path and every name of the file (hard links, drive letters that share
// a folder, links to a folder on the way) meets the same instance.
bool HoldFileInstance(const std::wstring& path);

// Lets go of the instance this process took for the file at path, which is
// not to be its program file after all. The file is about to be removed, and
// the system may give its identity to a file made later: a program started
// from that file must not meet this process's instance.
void ReleaseFileInstance(const std::wstring& path);
