// The platform's half of ReplaceFileCheckingCopy: each step of replacing a
// file with a checked copy, as the platform's calls do it. The order of the
// steps is the portable half's (file_replace.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class StagedFile {
public:
    // Finds the file a write to target replaces (through a symbolic link),
    // refuses what ReplaceFileCheckingCopy leaves alone, and stages an empty
    // file beside it with the access the new file is to have. Throws
    // FileError.
    StagedFile(const std::string& target, const std::string& permissionsFrom);
    // Removes the staged file unless it took the target's place.
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    void Write(const std::vector<std::uint8_t>& bytes);
    // Forces what was written to the disk.
    void Flush();
    // What the staged file holds now, read from it.
    std::vector<std::uint8_t> ReadBack();
    // Renames the staged file over the file it was staged for.
    void PlaceOverTarget();

private:
    struct State;
    std::unique_ptr<State> m_state;
};
