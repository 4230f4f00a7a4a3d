// Reading through descriptors beneath the password sources: the POSIX calls
// natively, the C runtime's on Windows, where a UTF-8 path is opened through
// the wide-character call so that any name works.
#pragma once

#include <cstddef>
#include <string>

// A descriptor open for reading, or -1 with errno set.
int OpenDescriptorForReading(const std::string& utf8Path);

// Reads up to size bytes: the count read, 0 at the end of the input, or -1
// with errno set. An interrupted call is retried.
std::ptrdiff_t ReadFromDescriptor(int descriptor, char* buffer, std::size_t size);

void CloseDescriptor(int descriptor);

// The descriptor is a terminal (a console on Windows), which shows what is
// typed into it unless the reader turns that off.
bool IsTerminal(int descriptor);
