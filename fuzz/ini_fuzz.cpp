// Settings text from arbitrary bytes: the parsed image written back and parsed again
// must give the same text and the same values (a rewrite of a settings file loses nothing).
// The bytes also go in as a section name, a key and a value (split at the first two zero
// bytes): written and read back, they must stay one section of one line, whatever line
// breaks they hold.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/base/ini_file.h"
#include "core/base/text_utils.h"

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

    const size_t a = std::min(text.find('\0'), text.size());
    const size_t b = a < text.size() ? std::min(text.find('\0', a + 1), text.size()) : text.size();
    const std::string section = text.substr(0, a);
    const std::string key = a < text.size() ? text.substr(a + 1, b - a - 1) : "Key";
    const std::string value = b < text.size() ? text.substr(b + 1) : "";
    // A key that itself opens with "[" can read back as a section header; keys are the
    // program's own names, never user text.
    if (tunecrest::Trim(key).rfind('[', 0) == 0) return 0;
    tunecrest::TiniFile image;
    image.WriteString(section, key, value);
    tunecrest::TiniFile reread;
    reread.SetText(image.GetText());
    if (reread.SectionCount() != 1) std::abort();
    const std::string back = reread.GetText();
    if (std::count(back.begin(), back.end(), '\n') != 2) std::abort();
    return 0;
}
