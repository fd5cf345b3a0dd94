#pragma once
// A text field that holds one pointer into a process-wide pool of texts, for values that
// a million tags share among a few dozen distinct texts (genre names, tag kinds). Each
// distinct text is kept once and never freed, so a reference to it stays valid for the
// life of the program; the pool grows only by texts not seen before.
#include <string>
#include <string_view>

namespace tunecrest {

class TpooledText {
  public:
    TpooledText() = default;
    explicit TpooledText(std::string_view text) { *this = text; }

    const std::string& Text() const { return *Ftext; }
    // Takes the pool's copy of `text` (safe from any thread).
    TpooledText& operator=(std::string_view text);

  private:
    static const std::string& Empty();
    const std::string* Ftext = &Empty();
};

}  // namespace tunecrest
