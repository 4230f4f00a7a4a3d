// The password the benchmark seals its notes under, the protections it
// measures, and the sealing and checking of a program file's note under
// them, through the table of note choices.
#pragma once

#include <string>

#include "tests/e2e/program.h"

namespace bench {

// ASCII, so that both formats store it as the same bytes.
inline constexpr char kPassword[] = "bench password";
inline constexpr wchar_t kPasswordWide[] = L"bench password";
// The legacy protection every measurement uses, and the modern one some
// measure beside it.
inline constexpr char kLegacyCipher[] = "AES";
inline constexpr char kModernCipher[] = "XCHACHA20";

// Seals text into the program file of copy under the choice cipher names,
// as the program's own save writes it.
void SealInto(const driver::ProgramCopy& copy, const std::string& text, const std::string& cipher);
// Whether the program file of copy holds a note under the choice cipher
// names that opens to text with the benchmark's password. For the modern
// protection that is one key derivation, so call it after the clock.
bool HoldsNote(const driver::ProgramCopy& copy, const std::string& text, const std::string& cipher);

}  // namespace bench
