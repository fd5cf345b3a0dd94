#include "core/base/pooled_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <vector>

namespace tunecrest {

namespace {
// The pool: every distinct text once, in a string of its own that never moves, found
// through an open-addressed table of (hash, text) slots. A large library pools a few
// hundred thousand artists and albums; a flat table finds one in a probe or two.
// The texts are spread by hash over shards, each with its own lock and table, so that
// threads reading tags side by side seldom wait for one another.
class TtextPool {
public:
    TtextPool() : Fslots(size_t(1) << 8) {}

    const std::string* Find(std::string_view text, size_t hash) {
        std::lock_guard<std::mutex> guard(Flock);
        const size_t mask = Fslots.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            Tslot& slot = Fslots[i];
            if (!slot.Text) {
                slot = {hash, new std::string(text)};
                if (++Fcount * 2 > Fslots.size()) Grow();
                // The text was moved to its place in the grown table; its string was not.
                return FindPlaced(text, hash);
            }
            if (slot.Hash == hash && *slot.Text == text) return slot.Text;
        }
    }

private:
    struct Tslot {
        size_t Hash = 0;
        const std::string* Text = nullptr;
    };
    const std::string* FindPlaced(std::string_view text, size_t hash) const {
        const size_t mask = Fslots.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask)
            if (Fslots[i].Hash == hash && *Fslots[i].Text == text) return Fslots[i].Text;
    }
    void Grow() {
        std::vector<Tslot> bigger(Fslots.size() * 2);
        const size_t mask = bigger.size() - 1;
        for (const Tslot& slot : Fslots) {
            if (!slot.Text) continue;
            size_t i = slot.Hash & mask;
            while (bigger[i].Text) i = (i + 1) & mask;
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

const std::string& TpooledText::Empty() {
    static const std::string* empty = new std::string;
    return *empty;
}

TpooledText& TpooledText::operator=(std::string_view text) {
    if (text == *Ftext) return *this;
    if (text.empty()) {
        Ftext = &Empty();
        return *this;
    }
    // Tags are read in runs that share their values (the tracks of one album): each thread
    // keeps the texts it pooled last, in places picked by a quick hash of the text's ends,
    // and finds most texts there without the lock or a full hash.
    constexpr size_t kCacheSize = 1024;
    thread_local std::array<const std::string*, kCacheSize> recent{};
    const std::string*& cached = recent[QuickHash(text) % kCacheSize];
    if (cached && *cached == text) {
        Ftext = cached;
        return *this;
    }
    const size_t hash = std::hash<std::string_view>()(text);
    Ftext = Pool(hash).Find(text, hash);
    cached = Ftext;
    return *this;
}

}  // namespace tunecrest
