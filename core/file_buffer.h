#pragma once
// A whole file read into one buffer that is not cleared first: the list files of a
// large library are read at every start, and zero-filling tens of megabytes only to
// overwrite them costs as much as parsing them. Only regular files are read; opening
// never blocks on a FIFO or a device.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tunecrest {

class TfileBuffer {
public:
    // Reads the file; false (with a reason) when it cannot be read, is no regular file
    // or is larger than `maxBytes`.
    bool Read(const std::string& path, std::string* error = nullptr, uint64_t maxBytes = uint64_t(1) << 32);
    std::string_view Bytes() const { return {Fdata.get(), Fsize}; }
    void Release() {
        Fdata.reset();
        Fsize = 0;
    }

private:
    std::unique_ptr<char[]> Fdata;
    size_t Fsize = 0;
};

}  // namespace tunecrest
