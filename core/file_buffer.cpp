#include "core/file_buffer.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/safe_file.h"

namespace tunecrest {

namespace {
constexpr size_t kMapFrom = size_t(1) << 20;
constexpr size_t kHugePage = size_t(2) << 20;
}  // namespace

void TfileBuffer::Release() {
    if (Fmapped)
        ::munmap(Fdata, Fcapacity);
    else
        delete[] Fdata;
    Fdata = nullptr;
    Fsize = Fcapacity = 0;
    Fmapped = false;
}

bool TfileBuffer::Read(const std::string& path, std::string* error, uint64_t maxBytes) {
    Release();
    auto fail = [&](const std::string& why) {
        if (error) *error = "Cannot read " + path + ": " + why;
        Release();
        return false;
    };
    // Refuses FIFOs, devices and folders without blocking, with the reader's own reasons.
    const int fd = OpenRegularFile(path, error);
    if (fd < 0) {
        Release();
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return fail(std::strerror(err));
    }
    if (uint64_t(st.st_size) > maxBytes) {
        ::close(fd);
        return fail("file too large");
    }
    const size_t size = size_t(st.st_size);
    if (size >= kMapFrom) {
        Fcapacity = (size + kHugePage - 1) / kHugePage * kHugePage;
        void* p = ::mmap(nullptr, Fcapacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p != MAP_FAILED) {
            Fdata = static_cast<char*>(p);
            Fmapped = true;
            ::madvise(p, Fcapacity, MADV_HUGEPAGE);
            ::madvise(p, Fcapacity, MADV_POPULATE_WRITE);  // one call instead of a fault a page
        }
    }
    if (!Fdata) {
        Fcapacity = size ? size : 1;
        Fdata = new char[Fcapacity];
    }
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, Fdata + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            return fail(std::strerror(err));
        }
        if (n == 0) break;  // the file shrank while being read
        got += size_t(n);
    }
    ::close(fd);
    Fsize = got;
    return true;
}

}  // namespace tunecrest
