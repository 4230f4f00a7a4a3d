// The earlier versions of the note that the program file keeps, opened for
// the user to look at: only when asked, and into strings that wipe
// themselves.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "crypto/wipe.h"

struct ShownVersion {
    std::uint64_t saveTime = 0;        // a FILETIME, UTC
    std::optional<SecretString> text;  // UTF-8; nothing for a version that does not open
};

// The versions in the program file (the file a link or short name that
// started the program reaches), newest first, each opened under the key the
// stored note is sealed under. A damaged version, or one under another key,
// is listed without a text. Empty when the file keeps none or cannot be read.
std::vector<ShownVersion> OpenOwnKeptVersions();
