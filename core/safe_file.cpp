#include "core/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace tunecrest {

namespace {
bool Fail(std::string* error, const std::string& what, int err) {
    if (error) *error = what + ": " + std::strerror(err);
    return false;
}
}  // namespace

bool SafeWriteFile(const std::string& path, std::string_view data, std::string* error) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::string tmpl = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(tmpl.data());
    if (fd < 0) return Fail(error, "Cannot write " + path, errno);
    // Keep the permissions of the file being replaced; new files get the usual 0644.
    struct stat st {};
    const mode_t mode = (stat(path.c_str(), &st) == 0) ? (st.st_mode & 07777) : 0644;
    fchmod(fd, mode);
    size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            ::unlink(tmpl.c_str());
            return Fail(error, "Cannot write " + path, err);
        }
        written += size_t(n);
    }
    if (::fsync(fd) != 0 && errno != EINVAL) {
        const int err = errno;
        ::close(fd);
        ::unlink(tmpl.c_str());
        return Fail(error, "Cannot write " + path, err);
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmpl.c_str());
        return Fail(error, "Cannot write " + path, err);
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmpl.c_str());
        return Fail(error, "Cannot replace " + path, err);
    }
    return true;
}

bool ReadFileBytes(const std::string& path, std::string& data, std::string* error, uint64_t maxBytes) {
    data.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(error, "Cannot read " + path, errno);
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return Fail(error, "Cannot read " + path, err);
    }
    if (uint64_t(st.st_size) > maxBytes) {
        ::close(fd);
        if (error) *error = "Cannot read " + path + ": file too large";
        return false;
    }
    data.resize(size_t(st.st_size));
    size_t got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(fd, data.data() + got, data.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            data.clear();
            return Fail(error, "Cannot read " + path, err);
        }
        if (n == 0) break;  // the file shrank while being read
        got += size_t(n);
    }
    data.resize(got);
    ::close(fd);
    return true;
}

void TbyteWriter::WriteDouble(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    WriteLE(bits, 8);
}

}  // namespace tunecrest
