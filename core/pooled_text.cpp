#include "core/pooled_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <unordered_set>

namespace tunecrest {

namespace {
struct TtextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

// Node-based: the address of a pooled text never changes.
struct TtextPool {
    std::mutex Lock;
    std::unordered_set<std::string, TtextHash, std::equal_to<>> Texts;
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

TtextPool& Pool() {
    static TtextPool* pool = new TtextPool;  // never destroyed: tags may outlive static objects
    return *pool;
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
    TtextPool& pool = Pool();
    {
        std::lock_guard<std::mutex> guard(pool.Lock);
        auto it = pool.Texts.find(text);
        if (it == pool.Texts.end()) it = pool.Texts.emplace(text).first;
        Ftext = &*it;
    }
    cached = Ftext;
    return *this;
}

}  // namespace tunecrest
