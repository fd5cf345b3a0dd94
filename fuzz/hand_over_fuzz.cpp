// The command line a second start hands over (the copy-data block of the window
// message): the first eight bytes are the parameter count the message carries, the rest
// the block. A block taken gives exactly that many lines, none holding a line end or a
// zero, which joined again as a second start joins them give the block back.
// Links: tunecrest_platform
// Sources: mainwindow/single_instance.cpp
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "mainwindow/single_instance.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    uint64_t count = 0;
    std::memcpy(&count, data, 8);
    // Small counts are the interesting ones; large ones are refused all the same.
    if (data[7] & 0x80) count &= 0xFF;
    const std::string bytes(reinterpret_cast<const char*>(data) + 8, size - 8);
    std::vector<std::string> lines;
    std::string reason;
    if (!tunecrest::DecodeHandOver(count, bytes, lines, &reason)) {
        if (!lines.empty() || reason.empty()) __builtin_trap();
        return 0;
    }
    if (bytes.size() > tunecrest::kMaxHandOverBytes) __builtin_trap();
    if (lines.size() != (count == 0 ? 0 : count)) __builtin_trap();
    std::string joined;
    for (const std::string& line : lines) {
        if (line.find('\0') != std::string::npos) __builtin_trap();
        if (count > 1 && line.find("\r\n") != std::string::npos) __builtin_trap();
        joined += count == 1 ? line : line + "\r\n";
    }
    if (joined + '\0' != bytes) __builtin_trap();
    return 0;
}
