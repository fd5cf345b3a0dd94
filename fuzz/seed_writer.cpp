// Writes a small seed corpus of valid inputs, one folder per fuzz target:
//   fuzz_seed_writer <corpus folder>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "fuzz/seeds.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_seed_writer <corpus folder>\n";
        return 2;
    }
    namespace fs = std::filesystem;
    for (const auto& [target, seeds] : tunecrest::fuzz::Seeds()) {
        const fs::path folder = fs::path(argv[1]) / target;
        fs::create_directories(folder);
        int n = 0;
        for (const auto& seed : seeds) {
            std::ofstream out(folder / ("seed" + std::to_string(n++)), std::ios::binary);
            out << seed;
        }
    }
    return 0;
}
