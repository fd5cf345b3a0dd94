#include "core/base/append_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

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

bool AppendLogBytes(const std::string& path, std::string_view data, int64_t maxBytes, const std::string& olderSuffix,
                    std::string* error) {
    static std::mutex turns;
    std::lock_guard lock(turns);
    struct stat st {};
    // Only a regular file is ever moved aside; anything else is refused by the append.
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
        st.st_size + int64_t(data.size()) > maxBytes && ::rename(path.c_str(), (path + olderSuffix).c_str()) != 0) {
        if (error) *error = "Cannot move aside " + path + ": " + std::strerror(errno);
        return false;
    }
    return AppendFileBytes(path, data, error);
}

}  // namespace tunecrest
