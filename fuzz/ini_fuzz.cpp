// Settings text from arbitrary bytes: the parsed image written back and parsed again
// must give the same text and the same values (a rewrite of a settings file loses nothing).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    tunecrest::TiniFile first;
    first.SetText(text);
    const std::string written = first.GetText();
    tunecrest::TiniFile second;
    second.SetText(written);
    if (second.GetText() != written) std::abort();
    if (second.SectionCount() != first.SectionCount()) std::abort();
    for (int i = 0; i < first.SectionCount(); ++i) {
        if (second.SectionName(i) != first.SectionName(i)) std::abort();
        const auto keys = first.ReadSectionAt(i);
        if (second.ReadSectionAt(i) != keys) std::abort();
        for (const auto& key : keys)
            if (second.ReadStringAt(i, key, "\x01") != first.ReadStringAt(i, key, "\x01")) std::abort();
    }
    return 0;
}
