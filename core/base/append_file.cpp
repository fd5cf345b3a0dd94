#include "core/base/append_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tunecrest {

bool AppendFileBytes(const std::string& path, std::string_view data, std::string* error) {
    auto fail = [&](const std::string& what) {
        if (error) *error = what + " " + path + ": " + std::strerror(errno);
        return false;
    };
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0) return fail("Cannot open");
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return fail("Not a regular file:");
    }
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int saved = errno;
            ::close(fd);
            errno = saved;
            return fail("Cannot write");
        }
        done += size_t(n);
    }
    if (::close(fd) != 0) return fail("Cannot write");
    return true;
}

}  // namespace tunecrest
