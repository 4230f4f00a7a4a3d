// Writes the fixture images into a folder as the fuzzer's first inputs, so
// it starts from well-formed directories instead of searching for one, and
// makes the (initially empty) folder for what the fuzzer finds.
//   store_write_seeds SEED_FOLDER CORPUS_FOLDER
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pe_fixture.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string folder = argv[1];
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(argv[2]);
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> seeds = {
        {"hand-pe32", fixture::HandAssembledImage(false)},
        {"hand-pe32plus", fixture::HandAssembledImage(true)},
        {"sample-pe32", fixture::Build(fixture::SampleImage(false, fixture::SampleEntries()))},
        {"sample-pe32plus", fixture::Build(fixture::SampleImage(true, fixture::SampleEntries()))},
    };
    for (const auto& [name, bytes] : seeds) {
        std::ofstream file(folder + "/" + name, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!file) return 1;
    }
    return 0;
}
