// The password the benchmark seals its notes under, the protections it
// measures, and the sealing and checking of a program file's note under
// them, through the table of note choices.
#pragma once

#include <cstddef>
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
// as the program's own save writes it. With earlierVersions, as that many
// saves of slightly longer texts before it left them: kept as versions
// where the protection keeps them, all under one key.
void SealInto(const driver::ProgramCopy& copy, const std::string& text, const std::string& cipher,
              std::size_t earlierVersions = 0);
// Whether the program file of copy holds a note under the choice cipher
// names that opens to text with the benchmark's password. For the modern
// protection that is one key derivation, so call it after the clock.
bool HoldsNote(const driver::ProgramCopy& copy, const std::string& text, const std::string& cipher);

}  // namespace bench
