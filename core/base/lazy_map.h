#pragma once
// A hash map member that costs one pointer until its first entry: the lists of lists keep
// lookup maps that most of their tens of thousands of instances (every artist's album
// list) never build, and an empty std::unordered_map is 56 bytes. The members used are
// those of the map itself, so a member can change type without its call sites.
#include <memory>
#include <utility>

namespace tunecrest {

template <typename Map>
class TlazyMap {
  public:
    using iterator = typename Map::iterator;

    iterator begin() { return Fmap ? Fmap->begin() : Empty().begin(); }
    iterator end() { return Fmap ? Fmap->end() : Empty().end(); }
    // `at` comes from this map, which therefore exists.
    iterator erase(iterator at) { return Fmap->erase(at); }
    template <typename Key>
    iterator find(const Key& key) {
        return Fmap ? Fmap->find(key) : Empty().end();
    }
    template <typename Key>
    typename Map::mapped_type& operator[](Key&& key) {
        return Made()[std::forward<Key>(key)];
    }
    template <typename... Args>
    auto emplace(Args&&... args) {
        return Made().emplace(std::forward<Args>(args)...);
    }
    // Keeps the map's buckets once made: a map cleared is usually filled again.
    void clear() {
        if (Fmap) Fmap->clear();
    }
    bool empty() const { return !Fmap || Fmap->empty(); }

  private:
    // The end of a map that is never filled: what lookups in a map not yet made return.
    static Map& Empty() {
        static Map none;
        return none;
    }
    Map& Made() {
        if (!Fmap) Fmap = std::make_unique<Map>();
        return *Fmap;
    }
    std::unique_ptr<Map> Fmap;
};

}  // namespace tunecrest
