// libFuzzer target: arbitrary bytes as an image file. Reading either gives
// entries or throws ImageError; a readable image is then rewritten with the
// note's entries, and the result must read back with them and every other
// entry unchanged (or the rewrite is refused with ImageError).
//
// A short run is one of the tests. A long run, from the native build folder:
//   mkdir -p store-corpus && tests/store/resource_reader_fuzzer -max_total_time=3600 \
//       -max_len=16384 -jobs=2 -workers=2 store-corpus tests/store/seeds
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "store/image_error.h"
#include "store/image_rewriter.h"
#include "store/resource_reader.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// Three entries of the kind the program stores, written with language 0.
ResourceKey EntryKey(const char* name) { return {ResourceId::Name("PACKET"), ResourceId::Name(name), 0}; }

void CheckRewrite(const std::uint8_t* bytes, std::size_t size, const std::vector<ResourceEntry>& before) {
    const std::vector<std::uint8_t> data(bytes, bytes + (size < 48 ? size : 48));
    std::vector<std::uint8_t> rewritten;
    try {
        rewritten = RewriteResources(bytes, size,
                                     {{EntryKey("HMAC"), std::vector<std::uint8_t>(64, 1)},
                                      {EntryKey("DATA"), data},
                                      {EntryKey("TYPE"), std::vector<std::uint8_t>{'A', 'E', 'S'}}});
    } catch (const ImageError&) {
        return;
    }
    const std::vector<ResourceEntry> after = ReadResources(rewritten.data(), rewritten.size());
    Require(FindResource(after, EntryKey("DATA")) != nullptr && FindResource(after, EntryKey("DATA"))->bytes == data);
    for (const ResourceEntry& entry : before) {
        if (entry.key.type == ResourceId::Name("PACKET")) continue;
        const ResourceEntry* kept = FindResource(after, entry.key);
        Require(kept != nullptr && kept->bytes == entry.bytes && kept->codePage == entry.codePage);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    std::vector<ResourceEntry> entries;
    try {
        entries = ReadResources(bytes, size);
    } catch (const ImageError&) {
        return 0;
    }
    for (std::size_t i = 1; i < entries.size(); ++i) Require(entries[i - 1].key < entries[i].key);
    CheckRewrite(bytes, size, entries);
    return 0;
}
