// Paths of the files a save works on, as UTF-16: the narrow forms of the
// file calls can name only what code page 936 spells, and their buffers are
// counted in bytes, where Windows counts a path's length in characters.
#pragma once

#include <string>
#include <string_view>

// The longest full path Windows allows a file, in characters.
inline constexpr std::size_t kLongestPath = 259;

// The full path of the running executable; empty when the system cannot
// give it whole.
std::wstring OwnImagePath();
// The temporary folder, ending in a separator; empty when there is none.
std::wstring TemporaryFolder();

// The folder part of a path, without its last separator; "." for a bare name.
std::wstring FolderOf(const std::wstring& path);
// One spelling for each file: the full long path, upper-cased as the file
// system compares names. Two spellings of one file give the same result,
// two files different ones.
std::wstring CanonicalPath(const std::wstring& path);
// True when path (relative or full, in any spelling) names the running
// executable.
bool IsOwnImagePath(const std::wstring& path);

// Text in the ANSI code page (936 for this program) as UTF-16.
std::wstring FromAnsi(std::string_view text);

// A new empty file made in folder, named "TEM" and four hexadecimal digits
// with the extension ".tmp", or, where the longest path leaves no room for
// that, a shorter name of hexadecimal digits. Empty when the folder takes no
// new file; GetLastError then says why.
std::wstring NewFileIn(const std::wstring& folder);

// A new empty file beside program, named after it: its whole name, "~",
// four hexadecimal digits and ".tmp", or, where the longest path leaves no
// room for that, as much of its name as fits before "~", down to a name of
// hexadecimal digits alone. Saves stage and retire copies of the program
// under such names. The file is recorded as program's leftover (see
// leftover_records.h) until its maker forgets it. Empty when the folder
// takes no new file; GetLastError then says why.
std::wstring NewFileBeside(const std::wstring& program);
