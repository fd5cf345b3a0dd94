#include "core/base/pooled_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace tunecrest {

namespace pooled_text_detail {
namespace {
// Number 0, the empty text, is there before anything runs: a tag made by a static object
// may read its empty fields first. (Clang cannot make libstdc++ 12's empty string at
// compile time; the fuzzers it builds make no tags from static objects.)
#if defined(__clang__)
const std::string kEmpty;
#else
constinit const std::string kEmpty;
#endif
constinit const std::string* FirstChunk[kChunkSize] = {&kEmpty};
}  // namespace
constinit std::atomic<const std::string**> Chunks[kMaxChunks] = {FirstChunk};
}  // namespace pooled_text_detail

namespace {
using namespace pooled_text_detail;

// The next number to give, and the lock under which a new chunk is made.
std::atomic<uint64_t> NextNumber{1};
std::mutex& ChunkLock() {
    static std::mutex* lock = new std::mutex;  // never destroyed: tags may outlive static objects
    return *lock;
}

// Gives `text` (a string that never moves) its number; the pool runs out past four
// thousand million texts.
uint32_t Number(const std::string* text) {
    const uint64_t next = NextNumber.fetch_add(1, std::memory_order_relaxed);
    if (next > UINT32_MAX) throw std::length_error("the text pool is full");
    const auto number = uint32_t(next);
    std::atomic<const std::string**>& chunk = Chunks[number >> kChunkBits];
    const std::string** slots = chunk.load(std::memory_order_acquire);
    if (!slots) {
        std::lock_guard<std::mutex> guard(ChunkLock());
        slots = chunk.load(std::memory_order_acquire);
        if (!slots) {
            slots = new const std::string*[kChunkSize]();
            chunk.store(slots, std::memory_order_release);
        }
    }
    slots[number & (kChunkSize - 1)] = text;
    return number;
}

// The pool: every distinct text once, in a string of its own that never moves, found
// through an open-addressed table of (hash, number) slots. A large library pools a few
// hundred thousand artists and albums; a flat table finds one in a probe or two.
// The texts are spread by hash over shards, each with its own lock and table, so that
// threads reading tags side by side seldom wait for one another.
class TtextPool {
public:
    TtextPool() : Fslots(size_t(1) << 8) {}

    uint32_t Find(std::string_view text, size_t hash) {
        std::lock_guard<std::mutex> guard(Flock);
        const size_t mask = Fslots.size() - 1;
        const uint32_t check = uint32_t(hash >> 32);
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            Tslot& slot = Fslots[i];
            if (!slot.Number) {
                slot = {check, Number(new std::string(text))};
                const uint32_t number = slot.Number;
                if (++Fcount * 2 > Fslots.size()) Grow();
                return number;
            }
            if (slot.Check == check && TextOf(slot.Number) == text) return slot.Number;
        }
    }

private:
    struct Tslot {
        uint32_t Check = 0;   // the hash's top half: most texts that differ are told apart here
        uint32_t Number = 0;  // 0: free
    };
    static const std::string& TextOf(uint32_t number) {
        return *Chunks[number >> kChunkBits].load(std::memory_order_acquire)[number & (kChunkSize - 1)];
    }
    void Grow() {
        // A slot's place needs the text's whole hash, which the slot keeps only half of.
        std::vector<Tslot> bigger(Fslots.size() * 2);
        const size_t mask = bigger.size() - 1;
        for (const Tslot& slot : Fslots) {
            if (!slot.Number) continue;
            size_t i = std::hash<std::string_view>()(TextOf(slot.Number)) & mask;
            while (bigger[i].Number) i = (i + 1) & mask;
            bigger[i] = slot;
        }
        Fslots.swap(bigger);
    }

    std::mutex Flock;
    std::vector<Tslot> Fslots;  // a power of two, at most half full
    size_t Fcount = 0;
};

// Mixes the length and the first and last eight bytes: enough to spread the few hundred
// texts a thread meets in a row.
size_t QuickHash(std::string_view text) {
    uint64_t head = 0, tail = 0;
    const size_t n = std::min<size_t>(text.size(), 8);
    std::memcpy(&head, text.data(), n);
    std::memcpy(&tail, text.data() + text.size() - n, n);
    uint64_t h = (head ^ (tail * 0x9E3779B97F4A7C15ull) ^ text.size()) * 0xFF51AFD7ED558CCDull;
    return size_t(h ^ (h >> 29));
}

constexpr unsigned kShardBits = 6;
struct alignas(64) Tshard {
    TtextPool Pool;
};

// The shard of a text: the hash's top bits, which its table's slot index does not use.
TtextPool& Pool(size_t hash) {
    static Tshard* shards = new Tshard[size_t(1) << kShardBits];  // never destroyed: tags may outlive static objects
    return shards[uint64_t(hash) >> (64 - kShardBits)].Pool;
}
}  // namespace

TpooledText& TpooledText::operator=(std::string_view text) {
    if (text.empty()) {
        Fnumber = 0;
        return *this;
    }
    if (Fnumber && text == Text()) return *this;
    // Tags are read in runs that share their values (the tracks of one album): each thread
    // keeps the texts it pooled last, in places picked by a quick hash of the text's ends,
    // and finds most texts there without the lock or a full hash.
    constexpr size_t kCacheSize = 1024;
    thread_local std::array<uint32_t, kCacheSize> recent{};
    uint32_t& cached = recent[QuickHash(text) % kCacheSize];
    if (cached) {
        Fnumber = cached;
        if (Text() == text) return *this;
    }
    const size_t hash = std::hash<std::string_view>()(text);
    Fnumber = Pool(hash).Find(text, hash);
    cached = Fnumber;
    return *this;
}

}  // namespace tunecrest
