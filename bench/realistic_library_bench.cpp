// Writes the realistic library of bench/realistic_library.h into a root folder, so that
// the program (or a benchmark, or a person on a desktop) can start on it:
//
//   bench_realistic_library --tracks 1000000 --root /tmp/jukebox-root
//
// makes /tmp/jukebox-root/Data/ with "jukebox.dat" and the five index files, and prints
// the library file's size and what a track of it costs there.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench/bench_process.h"
#include "bench/realistic_library.h"

int main(int argc, char** argv) {
    using namespace tunecrest::bench;
    const int tracks = Argument(argc, argv, "--tracks", 1000000);
    std::string root;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--root") == 0) root = argv[i + 1];
    if (root.empty() || tracks <= 0) {
        std::fprintf(stderr, "usage: %s --tracks N --root FOLDER\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const uintmax_t bytes = WriteRealisticLibrary(std::filesystem::path(root) / "Data", tracks);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d tracks in %s/Data: jukebox.dat %.1f MB (%.0f bytes a track), written in %.1f s\n", tracks,
                root.c_str(), double(bytes) / 1e6, double(bytes) / tracks, seconds);
    return 0;
}
