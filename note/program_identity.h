// The identity of a program image: a SHA-256 over what saving a note into
// it cannot change, so a program as built, every file it saved its note
// into and every file the companion rewrote share one identity, and any
// other change to the program gives another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The identity as 64 lower-case hexadecimal digits. It covers:
// - the headers from the MZ header to the end of the optional header, with
//   the fields that follow from the resource section's size or the file's
//   layout set to zero (PointerToSymbolTable, SizeOfInitializedData,
//   SizeOfImage, CheckSum, the resource directory's size, the certificate
//   directory's file offset), and a directory in a section placed after the
//   resource section (such as the base relocations) by its place in that
//   section instead of its address;
// - every section other than the resource section: its name, virtual size,
//   characteristics, its address unless it lies after the resource section
//   (which may move it), and its bytes up to its virtual size;
// - every resource not of type "PACKET", in directory order, with its type,
//   name, language and bytes.
// It leaves out file offsets, padding, the resource directory's layout and
// anything past the last section. Throws ImageError for an image whose
// headers or resource directory cannot be read.
std::string ProgramIdentity(const std::uint8_t* image, std::size_t imageBytes);
