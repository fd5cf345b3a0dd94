#pragma once
// A whole file read into one buffer that is not cleared first: the list files of a
// large library are read at every start, and zero-filling tens of megabytes only to
// overwrite them costs as much as parsing them. A large buffer is mapped in one go
// (in huge pages where the system allows) rather than faulted in page by page while
// the file is copied into it. Only regular files are read; opening never blocks on a
// FIFO or a device.
#include <cstdint>
#include <string>
#include <string_view>

namespace tunecrest {

class TfileBuffer {
public:
    // Reads the file; false (with a reason) when it cannot be read, is no regular file
    // or is larger than `maxBytes`.
    bool Read(const std::string& path, std::string* error = nullptr, uint64_t maxBytes = uint64_t(1) << 32);
    TfileBuffer() = default;
    ~TfileBuffer() { Release(); }
    TfileBuffer(const TfileBuffer&) = delete;
    TfileBuffer& operator=(const TfileBuffer&) = delete;
    std::string_view Bytes() const { return {Fdata, Fsize}; }
    void Release();

private:
    char* Fdata = nullptr;
    size_t Fsize = 0, Fcapacity = 0;
    bool Fmapped = false;
};

}  // namespace tunecrest
