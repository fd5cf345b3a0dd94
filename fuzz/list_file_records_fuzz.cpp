// The record finders of the background save, which read "jukebox.dat" and the grouping
// index files as they are on disk (files anyone with write access to the library
// controls). The first byte picks the finder (the list file, albums, artists, genres and
// years), the next two the record count the library expects; the rest is the file. A
// file the finder takes must be cut exactly into its head and that many records, each
// with a check value where the kind has them.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <numeric>
#include <vector>

#include "core/library/list_file_patch.h"

namespace {

// The bytes as an open file (in memory), as the finders read one.
int FileOf(const uint8_t* data, size_t size) {
    const int fd = ::memfd_create("list-file", MFD_CLOEXEC);
    if (fd < 0) return -1;
    size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size - written);
        if (n <= 0) {
            ::close(fd);
            return -1;
        }
        written += size_t(n);
    }
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const tunecrest::TentryFinder finders[] = {tunecrest::FindListFileRecords, tunecrest::FindAlbumIndexEntries,
                                               tunecrest::FindArtistIndexEntries,
                                               tunecrest::FindCategoryIndexEntries};
    const size_t which = data[0] % 4;
    const uint32_t records = uint32_t(data[1] | data[2] << 8);
    const int fd = FileOf(data + 3, size - 3);
    if (fd < 0) return 0;
    const uint64_t fileSize = size - 3;
    uint64_t headBytes = 0;
    std::vector<uint32_t> lengths;
    std::vector<uint64_t> checks;
    const bool found = finders[which](fd, fileSize, records, headBytes, lengths, checks);
    if (found) {
        if (lengths.size() != records) __builtin_trap();
        const uint64_t total = std::accumulate(lengths.begin(), lengths.end(), headBytes);
        if (total != fileSize) __builtin_trap();
        if (which == 0 ? !checks.empty() : checks.size() != records) __builtin_trap();
        for (const uint32_t length : lengths)
            if (length == 0) __builtin_trap();
        // The same file gives the same answer.
        uint64_t againHead = 0;
        std::vector<uint32_t> againLengths;
        std::vector<uint64_t> againChecks;
        if (!finders[which](fd, fileSize, records, againHead, againLengths, againChecks) || againHead != headBytes ||
            againLengths != lengths || againChecks != checks)
            __builtin_trap();
    }
    ::close(fd);
    return 0;
}
