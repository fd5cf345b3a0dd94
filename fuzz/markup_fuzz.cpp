// Markup text from arbitrary bytes: the tokenizer never reads past its input, every run
// has a bounded size and no more text than the input, and any text escaped as a value
// comes back from the tokenizer and from StripHTMLTags exactly, in the base font.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/display/markup_text.h"

using namespace tunecrest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TFont base;
    base.Size = 10;
    TmarkupParser parser;
    size_t total = 0;
    parser.Parse(text, base, [&](std::string_view run, const TFont& font) {
        if (run.empty()) std::abort();
        if (font.Size < 1 || font.Size > kMarkupMaxFontSize) std::abort();
        total += run.size();
    });
    if (total > text.size()) std::abort();
    if (StripHTMLTags(text).size() > text.size()) std::abort();

    const std::string escaped = EscapeMarkup(text);
    std::string back;
    parser.Parse(escaped, base, [&](std::string_view run, const TFont& font) {
        if (!(font == base)) std::abort();
        back += run;
    });
    if (back != text) std::abort();
    if (StripHTMLTags(escaped) != text) std::abort();
    return 0;
}
