#pragma once
// A text field that holds the four-byte number of a text in a process-wide pool, for values
// that a million tags share among far fewer distinct texts (artists, albums, dates, genre
// names, tag kinds). Each distinct text is kept once and never freed, so a reference to it
// stays valid for the life of the program; the pool grows only by texts not seen before.
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace tunecrest {

namespace pooled_text_detail {
// The pooled texts by number: chunks of kChunkSize, made as the pool grows and never moved.
inline constexpr unsigned kChunkBits = 14;
inline constexpr uint32_t kChunkSize = uint32_t(1) << kChunkBits;
inline constexpr uint32_t kMaxChunks = uint32_t(1) << (32 - kChunkBits);
extern std::atomic<const std::string**> Chunks[kMaxChunks];
}  // namespace pooled_text_detail

class TpooledText {
  public:
    TpooledText() = default;
    explicit TpooledText(std::string_view text) { *this = text; }

    const std::string& Text() const {
        using namespace pooled_text_detail;
        return *Chunks[Fnumber >> kChunkBits].load(std::memory_order_relaxed)[Fnumber & (kChunkSize - 1)];
    }
    // Takes the pool's copy of `text` (safe from any thread).
    TpooledText& operator=(std::string_view text);
    bool operator==(const TpooledText& other) const { return Fnumber == other.Fnumber; }
    // The text's number in the pool: equal texts have equal numbers (0 is the empty text).
    uint32_t Number() const { return Fnumber; }

  private:
    uint32_t Fnumber = 0;  // 0: the empty text
};

}  // namespace tunecrest
