#pragma once
// Small helpers of the benchmarks that run as plain programs: resident memory and
// "--name value" arguments.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

namespace tunecrest::bench {

// Resident memory of this process in kB.
inline long CurrentRssKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The integer after `name` on the command line, or `fallback`.
inline int Argument(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
    return fallback;
}

}  // namespace tunecrest::bench
