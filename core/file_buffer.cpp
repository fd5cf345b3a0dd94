#include "core/file_buffer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tunecrest {

bool TfileBuffer::Read(const std::string& path, std::string* error, uint64_t maxBytes) {
    Release();
    auto fail = [&](const std::string& why) {
        if (error) *error = "Cannot read " + path + ": " + why;
        Release();
        return false;
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return fail(std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = errno;
        ::close(fd);
        return fail(S_ISREG(st.st_mode) ? std::strerror(err) : "not a regular file");
    }
    if (uint64_t(st.st_size) > maxBytes) {
        ::close(fd);
        return fail("file too large");
    }
    const size_t size = size_t(st.st_size);
    Fdata.reset(new char[size ? size : 1]);
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, Fdata.get() + got, size - got);
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
