#include "core/base/file_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "core/base/safe_file.h"

namespace tunecrest {

namespace {
constexpr size_t kMappedFrom = size_t(256) << 10;
}

TfileSource::Tbuffer::Tbuffer(size_t size) : Fsize(std::max<size_t>(size, 1)) {
    if (Fsize >= kMappedFrom) {
        size_t mapped = Fsize;
        if (char* block = MapLargeBlock(mapped)) {
            Fdata = block;
            Fsize = mapped;
            Fmapped = true;
            return;
        }
    }
    Fdata = new char[Fsize];
}

TfileSource::Tbuffer::~Tbuffer() {
    if (Fmapped)
        UnmapLargeBlock(Fdata, Fsize);
    else
        delete[] Fdata;
}

TfileSource::~TfileSource() {
    if (Ffd >= 0) ::close(Ffd);
}

bool TfileSource::Open(const std::string& path, std::string* error, uint64_t maxBytes) {
    Fpath = path;
    auto fail = [&](const std::string& why) {
        Ferror = "Cannot read " + path + ": " + why;
        if (error) *error = Ferror;
        return false;
    };
    Ffd = OpenRegularFile(path, error);
    if (Ffd < 0) {
        Ferror = error ? *error : "Cannot read " + path;
        return false;
    }
    struct stat st {};
    if (::fstat(Ffd, &st) != 0) return fail(std::strerror(errno));
    if (uint64_t(st.st_size) > maxBytes) return fail("file too large");
    Fsize = uint64_t(st.st_size);
    Fcapacity = size_t(std::min<uint64_t>(Fsize, Fwindow));
    Fbuffer = Tbuffer(Fcapacity);
    if (!Fill()) {
        if (error) *error = Ferror;
        return false;
    }
    return true;
}

bool TfileSource::Fill() {
    while (Fend < Fcapacity && Fread < Fsize) {
        const size_t want = size_t(std::min<uint64_t>(Fcapacity - Fend, Fsize - Fread));
        const ssize_t n = ::read(Ffd, Fbuffer.get() + Fend, want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            Ferror = "Cannot read " + Fpath + ": " + std::strerror(errno);
            return false;
        }
        if (n == 0) {
            Fsize = Fread;  // the file shrank while being read: it ends here
            break;
        }
        Fend += size_t(n);
        Fread += uint64_t(n);
    }
    return true;
}

bool TfileSource::More(size_t& keepFrom) {
    if (!Ferror.empty() || Fread >= Fsize) return false;
    keepFrom = std::min(keepFrom, Fend);
    if (keepFrom == 0 && Fend == Fcapacity) {
        // One record fills the window: the window grows (as far as the file goes).
        const size_t bigger = size_t(std::min<uint64_t>(uint64_t(Fcapacity) * 2, Fsize));
        Tbuffer grown(bigger);
        std::memcpy(grown.get(), Fbuffer.get(), Fend);
        Fbuffer = std::move(grown);
        Fcapacity = bigger;
    } else {
        std::memmove(Fbuffer.get(), Fbuffer.get() + keepFrom, Fend - keepFrom);
        Fend -= keepFrom;
        keepFrom = 0;
    }
    const size_t before = Fend;
    return Fill() && Fend > before;
}

bool TfileSource::ReadRest(size_t from, std::string& bytes, std::string* error) {
    from = std::min(from, Fend);
    bytes.assign(Fbuffer.get() + from, Fend - from);
    bytes.reserve(bytes.size() + size_t(Fsize - Fread));
    Fend = 0;
    while (Ferror.empty() && Fread < Fsize) {
        const size_t got = bytes.size();
        bytes.resize(got + size_t(Fsize - Fread));
        const ssize_t n = ::read(Ffd, bytes.data() + got, size_t(Fsize - Fread));
        if (n < 0 && errno == EINTR) {
            bytes.resize(got);
            continue;
        }
        if (n <= 0) {
            bytes.resize(got);
            if (n < 0) Ferror = "Cannot read " + Fpath + ": " + std::strerror(errno);
            else Fsize = Fread;
            break;
        }
        bytes.resize(got + size_t(n));
        Fread += uint64_t(n);
    }
    if (!Ferror.empty() && error) *error = Ferror;
    return Ferror.empty();
}

}  // namespace tunecrest
