#include "crypto/note_history.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

bool SameEntry(const StoredEntry& entry, const std::vector<unsigned char>& bytes) {
    return entry.bytes != nullptr && entry.size == bytes.size() &&
           std::equal(bytes.begin(), bytes.end(), entry.bytes);
}

std::vector<unsigned char> BytesOf(const StoredEntry& entry) {
    return std::vector<unsigned char>(entry.bytes, entry.bytes + entry.size);
}

// Keys that seal alike: a moved entry opens under the new key as it did
// under the old one.
bool SameKey(const ModernKey& a, const ModernKey& b) {
    return std::memcmp(a.salt, b.salt, kModernSaltBytes) == 0 && a.cost.passes == b.cost.passes &&
           a.cost.memoryKiB == b.cost.memoryKiB && a.cost.lanes == b.cost.lanes && KeysEqual(a.key, b.key);
}

// An entry of the replaced note that may become a version.
struct Candidate {
    std::string name;
    StoredEntry entry;
    ModernOpening opening;
};

// The replaced note's entries that open under key, newest first.
std::vector<Candidate> OpenedCandidates(const StoredEntries& replaced, const HeldKey& key) {
    std::vector<Candidate> candidates;
    const auto add = [&](std::string name, const StoredEntry& entry) {
        std::optional<ModernOpening> opening = OpenKeptVersion(entry, key);
        if (opening)
            candidates.push_back({std::move(name), entry, std::move(*opening)});
    };
    add(kModernNoteEntry, replaced(kModernNoteEntry));
    for (const StoredVersion& version : ListKeptVersions(replaced))
        add(KeptVersionName(version.number), version.entry);
    return candidates;
}

}  // namespace

std::string KeptVersionName(std::size_t number) { return kModernNoteEntry + std::to_string(number); }

bool IsKeptVersionName(std::string_view name) {
    const std::string_view prefix = kModernNoteEntry;
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        return false;
    const std::string_view digits = name.substr(prefix.size());
    if (digits.size() > 2 || digits[0] == '0' ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const std::size_t number = std::stoul(std::string(digits));
    return number >= 1 && number <= kKeptVersionLimit;
}

std::vector<StoredVersion> ListKeptVersions(const StoredEntries& entries) {
    std::vector<StoredVersion> versions;
    for (std::size_t number = 1; number <= kKeptVersionLimit; ++number) {
        const StoredEntry entry = entries(KeptVersionName(number));
        if (entry.found)
            versions.push_back({number, entry});
    }
    return versions;
}

std::optional<ModernOpening> OpenKeptVersion(const StoredEntry& entry, const HeldKey& key) {
    const ModernKey* modern = ModernKeyOf(key);
    if (modern == nullptr || entry.bytes == nullptr)
        return std::nullopt;
    return OpenModernEntry(modern->key, entry.bytes, entry.size);
}

std::vector<KeptVersion> KeepVersions(const StoredEntries& replaced, const HeldKey* oldKey, const HeldKey& newKey,
                                      std::string_view newText) {
    std::vector<KeptVersion> kept;
    const ModernKey* sealing = ModernKeyOf(newKey);
    const ModernKey* opening = oldKey != nullptr ? ModernKeyOf(*oldKey) : nullptr;
    if (sealing == nullptr || opening == nullptr)
        return kept;
    std::vector<Candidate> candidates = OpenedCandidates(replaced, *oldKey);
    // The replaced note is candidates[0] only when its own entry opened.
    const bool noteOpened = !candidates.empty() && candidates[0].name == kModernNoteEntry;
    if (noteOpened && (candidates[0].opening.text.View() == newText ||
                       (candidates.size() > 1 && candidates[1].opening.text.View() == candidates[0].opening.text.View())))
        candidates.erase(candidates.begin());

    const bool moves = SameKey(*opening, *sealing);
    std::size_t bytes = 0;
    for (Candidate& candidate : candidates) {
        if (kept.size() == kKeptVersionLimit || candidate.entry.size > kKeptVersionByteLimit - bytes)
            break;
        bytes += candidate.entry.size;
        KeptVersion version;
        version.entry.name = KeptVersionName(kept.size() + 1);
        if (moves) {
            version.entry.bytes = BytesOf(candidate.entry);
            version.source = candidate.name;
        } else {
            version.entry.bytes = SealModernEntry(*sealing, candidate.opening.saveTime, candidate.opening.text.View());
        }
        version.text = std::move(candidate.opening.text);
        kept.push_back(std::move(version));
    }
    return kept;
}

std::string FindKeptVersionFault(const StoredEntries& written, const std::vector<KeptVersion>& kept,
                                 const StoredEntries& replaced, const HeldKey& key) {
    for (const StoredVersion& version : ListKeptVersions(written)) {
        if (version.number > kept.size())
            return "the written file holds an unexpected " + KeptVersionName(version.number) + " entry";
    }
    // A moved entry that is byte for byte its source opens as its source
    // did, and the sources all opened under one key: one of them opening
    // under key shows that every one does, so only the first is opened.
    bool movedOneOpened = false;
    for (const KeptVersion& version : kept) {
        const StoredEntry entry = written(version.entry.name);
        if (!SameEntry(entry, version.entry.bytes))
            return "the written file's " + version.entry.name + " entry is not the one sealed";
        if (!version.source.empty()) {
            if (!SameEntry(replaced(version.source), version.entry.bytes))
                return "the written " + version.entry.name + " entry is not the " + version.source +
                       " it was moved from";
            if (movedOneOpened)
                continue;
            movedOneOpened = true;
        }
        const std::optional<ModernOpening> opening = OpenKeptVersion(entry, key);
        if (!opening || opening->text.View() != version.text.View())
            return "the written " + version.entry.name + " entry does not open to its text";
    }
    return std::string();
}
