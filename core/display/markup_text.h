#pragma once
// The small markup language of captions and track lines: <B> </B> <I> </I> <U> </U> and
// <FONT NAME=... COLOR=... SIZE=...>, tag names in any letter case. Any other text between
// "<" and the next ">" is no tag and reads as its inner text. Text may carry "&lt;", "&gt;"
// and "&amp;", which is how inserted values keep their angle brackets from being read as
// tags. The tokenizer hands out runs of text, each with the font in force; drawing and
// measuring live in the skin library.
#include <string>
#include <string_view>

#include "core/display/font_store.h"

namespace tunecrest {

// Sizes a FONT tag may set; 0 or a value that is not all digits keeps the current size,
// larger values are cut to the maximum.
constexpr int kMarkupMaxFontSize = 200;

// Appends `text` with "<", ">" and "&" written as entities.
void AppendEscapedMarkup(std::string& out, std::string_view text);
std::string EscapeMarkup(std::string_view text);

// Appends plain text with the entities "&lt;", "&gt;" and "&amp;" turned back into
// characters; any other "&" stays as it is.
void AppendDecodedMarkup(std::string& out, std::string_view text);

// The text without tags: each "<" with a later ">" is removed up to that ">", and the
// entities are turned back into characters. A ">" without a "<" before it stays.
std::string StripHTMLTags(std::string_view text);

// Applies the tag whose inner text (between the angle brackets) is `inner` to `font`;
// false when the text is no tag, in which case it reads as text.
bool ApplyMarkupTag(std::string_view inner, TFont& font);

// Cuts markup into runs. Calls sink(std::string_view text, const TFont& font) for every
// non-empty run in order. The parser keeps one buffer for decoding, so reusing one parser
// for many lines allocates nothing per line once warm.
class TmarkupParser {
  public:
    template <typename Sink>
    void Parse(std::string_view markup, const TFont& base, Sink&& sink) {
        Ffont = base;
        size_t pos = 0;
        while (pos < markup.size()) {
            const size_t open = markup.find('<', pos);
            const size_t close = open == std::string_view::npos ? open : markup.find('>', open + 1);
            if (close == std::string_view::npos) {
                Emit(markup.substr(pos), sink);
                return;
            }
            Emit(markup.substr(pos, open - pos), sink);
            const std::string_view inner = markup.substr(open + 1, close - open - 1);
            if (!ApplyMarkupTag(inner, Ffont)) Emit(inner, sink);
            pos = close + 1;
        }
    }

  private:
    template <typename Sink>
    void Emit(std::string_view text, Sink& sink) {
        if (text.empty()) return;
        if (text.find('&') == std::string_view::npos) {
            sink(text, static_cast<const TFont&>(Ffont));
            return;
        }
        Fbuffer.clear();
        AppendDecodedMarkup(Fbuffer, text);
        if (!Fbuffer.empty()) sink(std::string_view(Fbuffer), static_cast<const TFont&>(Ffont));
    }

    TFont Ffont;
    std::string Fbuffer;
};

}  // namespace tunecrest
