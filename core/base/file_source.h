#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "core/tags/list_file_io.h"

namespace tunecrest {

// A file read a window at a time, for a reader that takes one record after the other:
// a library file of hundreds of megabytes is parsed through a few megabytes of memory
// used over and over, instead of as many fresh pages as the file is long, each of which
// the system must clear before the file is copied into it. Only regular files are
// read; opening never blocks on a FIFO or a device. Reads stop at the size the file
// had when it was opened.
class TfileSource : public TbyteSource {
public:
    explicit TfileSource(size_t window = size_t(4) << 20) : Fwindow(window) {}
    ~TfileSource() override;
    TfileSource(const TfileSource&) = delete;
    TfileSource& operator=(const TfileSource&) = delete;
    // Opens the file and brings its first window; false (with a reason) when it cannot
    // be read, is no regular file or is larger than `maxBytes`.
    bool Open(const std::string& path, std::string* error = nullptr, uint64_t maxBytes = uint64_t(1) << 32);
    uint64_t Size() const { return Fsize; }
    std::string_view Data() const override { return {Fbuffer.get(), Fend}; }
    // Slides the window past the bytes before `keepFrom` and fills it; a window full
    // of needed bytes is made larger.
    bool More(size_t& keepFrom) override;
    uint64_t Unread() const override { return Fsize - Fread; }
    // True when the whole file has been brought (and no read failed).
    bool Exhausted() const { return Fread == Fsize && Ferror.empty(); }
    // Why a read failed ("" when none did).
    const std::string& Error() const { return Ferror; }
    // Every byte not yet taken: what is at hand from `from` on, then the rest of the file.
    bool ReadRest(size_t from, std::string& bytes, std::string* error = nullptr);

private:
    // The window's memory. From 256 KB on it is mapped for the read alone (MapLargeBlock)
    // and goes back to the system when the read ends: the heap would keep those pages to
    // itself, megabytes of the library's resident memory.
    class Tbuffer {
    public:
        Tbuffer() = default;
        explicit Tbuffer(size_t size);
        ~Tbuffer();
        Tbuffer(Tbuffer&& other) noexcept { Swap(other); }
        Tbuffer& operator=(Tbuffer&& other) noexcept {
            Swap(other);
            return *this;
        }
        char* get() const { return Fdata; }

    private:
        void Swap(Tbuffer& other) noexcept {
            std::swap(Fdata, other.Fdata);
            std::swap(Fsize, other.Fsize);
            std::swap(Fmapped, other.Fmapped);
        }
        char* Fdata = nullptr;
        size_t Fsize = 0;
        bool Fmapped = false;
    };
    bool Fill();
    std::string Fpath;
    int Ffd = -1;
    uint64_t Fsize = 0, Fread = 0;
    size_t Fwindow;
    Tbuffer Fbuffer;
    size_t Fcapacity = 0, Fend = 0;
    std::string Ferror;
};

}  // namespace tunecrest
