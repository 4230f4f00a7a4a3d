// The password and cipher the benchmark seals its notes under, and what a
// save of a text writes into the DATA entry under them.
#pragma once

#include <optional>
#include <string>

#include "bench/e2e/probes.h"
#include "crypto/document.h"

namespace bench {

inline constexpr char kPassword[] = "bench password";
inline constexpr wchar_t kPasswordWide[] = L"bench password";
inline constexpr char kCipher[] = "AES";

inline std::string SealedData(const std::string& text) {
    const std::optional<SealedDocument> sealed = SealDocument(text, kPassword, kCipher);
    Require(sealed.has_value(), "sealing a note");
    return std::string(sealed->data.begin(), sealed->data.end());
}

}  // namespace bench
