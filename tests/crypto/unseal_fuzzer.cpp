// libFuzzer target: arbitrary "DATA" bytes, "HMAC" and "TYPE" bytes,
// passwords and cipher identifiers go to unsealing, the verifier check and
// the cipher selection; every accepted seal must unseal to its text.
//
// A short run is one of the tests. A long run, from the native build folder:
//   mkdir -p fuzz-corpus && tests/crypto/unseal_fuzzer -max_total_time=3600 \
//       -max_len=8192 -jobs=2 -workers=2 fuzz-corpus
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "crypto/legacy_format.h"
#include "crypto/document.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// Mostly one of the four identifiers, so the ciphers themselves get fuzzed.
std::string ChooseCipher(FuzzedDataProvider& input) {
    const std::uint8_t choice = input.ConsumeIntegral<std::uint8_t>();
    if (choice < 224) return NoteChoices()[choice % NoteChoices().size()].identifier;
    return input.ConsumeRandomLengthString(12);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider input(bytes, size);
    const std::string cipher = ChooseCipher(input);
    const std::string password = input.ConsumeRandomLengthString(600);
    const std::vector<std::uint8_t> hmac =
        input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 80));
    const std::vector<std::uint8_t> type =
        input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 10));
    const std::vector<std::uint8_t> data = input.ConsumeRemainingBytes<std::uint8_t>();

    (void)LegacyChoiceFromType(type.data(), type.size());
    const bool accepted = PasswordMatchesVerifier(password, hmac.data(), hmac.size());
    Require(hmac.size() <= 64 || !accepted);

    const std::string text = UnsealDocumentData(data.data(), data.size(), password, cipher);
    Require(text.size() <= data.size());
    Require(text.find('\0') == std::string::npos);
    Require(data.size() % 16 == 0 || text.empty());

    // The fuzzed bytes, up to their first zero byte, as a note of their own.
    const std::string note(data.begin(), data.end());
    const std::string noteText = note.substr(0, note.find('\0'));
    const std::optional<SealedDocument> sealed = SealDocument(noteText, password, cipher);
    const NoteChoice* choice = FindNoteChoice(cipher);
    Require(sealed.has_value() == (!password.empty() && choice != nullptr && choice->format == &LegacyFormat()));
    if (sealed) {
        Require(sealed->data.size() % 16 == 0 && sealed->data.size() >= noteText.size());
        Require(PasswordMatchesVerifier(password, sealed->hmac.data(), sealed->hmac.size()));
        Require(UnsealDocumentData(sealed->data.data(), sealed->data.size(), password, cipher) == noteText);
    }
    return 0;
}
