#pragma once
// The fixed table of the 148 genre names of the ID3 version 1 tag and its customary
// extensions (IDs 0 to 147). A tag's GenreID indexes it; 255 means no genre.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/string_lists.h"

namespace tunecrest {

constexpr uint32_t kNoGenre = 255;
constexpr int kGenreCount = 148;

class Tgenre : public TObject {
public:
    Tgenre(uint8_t id, std::string name) : ID(id), Name(std::move(name)) {}
    uint8_t ID;
    std::string Name;
};

class TgenresList : public TObject {
public:
    TgenresList();
    bool Active() const { return Factive; }
    // True fills the table; False empties it.
    void SetActive(bool value);
    int Count() const { return int(Fgenres.size()); }
    // nullptr outside 0 .. Count-1.
    const Tgenre* GetGenre(int id) const;
    // Found without regard to case; nullptr when absent.
    const Tgenre* FindGenre(std::string_view name) const;
    // The ID of the named genre; also takes the standard spellings of the two names
    // the table spells its own way. kNoGenre (255) when unknown.
    uint32_t GenreIDOf(std::string_view name) const;
    // The names in sorted order.
    void GetGenreNames(TmyStringList& list) const;
    void Clear();

private:
    bool Factive = false;
    TmyStringList Fnames;  // sorted, no duplicates; object: the Tgenre
    std::vector<std::shared_ptr<Tgenre>> Fgenres;  // indexed by ID
};

// The one table of the process, filled on first use.
TgenresList& GenresList();
// The table's name for an ID, in table order (for tests and readers of IDs).
extern const char* const kGenreNames[kGenreCount];

}  // namespace tunecrest
