// Replacing a file with a checked copy, in the same order on every
// platform; the platforms' calls are beneath it in StagedFile.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/file_access.h"
#include "cli/staged_file.h"
#include "crypto/wipe.h"

void ReplaceFileCheckingCopy(const std::string& target, const std::vector<std::uint8_t>& bytes,
                             const std::function<void(const std::vector<std::uint8_t>&)>& check,
                             const std::string& permissionsFrom) {
    StagedFile staged(target, permissionsFrom);
    staged.Write(bytes);
    staged.Flush();
    // What was read back may be a plain text: it is wiped once checked.
    std::vector<std::uint8_t> readBack = staged.ReadBack();
    const WipeOnExit wipeReadBack(readBack.data(), readBack.capacity());
    check(readBack);
    staged.PlaceOverTarget();
}
