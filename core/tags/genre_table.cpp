#include "core/tags/genre_table.h"

#include "core/base/text_utils.h"

namespace tunecrest {

// Spelt as the table has always spelt them (entries 48, 56, 67, 93 and 118 included),
// because stored genre texts must keep mapping to the same IDs.
const char* const kGenreNames[kGenreCount] = {
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R&B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Death Metal",
    "Pranks",
    "Soundtrack",
    "Euro-Techno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Jazz+Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Sound Clip",
    "Gospel",
    "Noise",
    "AlternRock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "Instrumental Rock",
    "Ethinic",
    "Gothic",
    "Darkwave",
    "Techno-Industrial",
    "Electronic",
    "Pop Folk",
    "Eurodance",
    "Dream",
    "Southern Rocky",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop/Funk",
    "Jungle",
    "Native American",
    "Cabaret",
    "New Wave",
    "Psychadelic",
    "Rave",
    "ShowTunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock & Roll",
    "Hard Rock",
    "Folk",
    "Folk-Rock",
    "National Folk",
    "Swing",
    "Fast Fusion",
    "Bebob",
    "Latin",
    "Revival",
    "Celtic",
    "Bluegrass",
    "Avantgarde",
    "Gothic Rock",
    "Progressive Rock",
    "Psychadelic Rock",
    "Symphonic Rock",
    "Slow Rock",
    "Big Band",
    "Chorus",
    "Easy Listening",
    "Acoustic",
    "Humour",
    "Speech",
    "Chanson",
    "Opera",
    "Chamber Music",
    "Sonata",
    "Symphony",
    "Booty Bass",
    "Primus",
    "Porn Groove",
    "Satire",
    "Slow Jam",
    "Club",
    "Tango",
    "Samba",
    "Folklore",
    "Ballad",
    "Power Ballad",
    "Rythmic Soul",
    "Freestyle",
    "Duet",
    "Punk Rock",
    "Drum Solo",
    "A Capella",
    "Euro-House",
    "Dance Hall",
    "Goa",
    "Drum & Bass",
    "Club-House",
    "Hardcore",
    "Terror",
    "Indie",
    "Britpop",
    "Negerpunk",
    "Polsk Punk",
    "Beat",
    "Christian Gangsta",
    "Heavy Metal",
    "Black Metal",
    "Crossover",
    "Contemporary Christian",
    "Christian Rock",
    "Merengue",
    "Salsa",
    "Thrash Metal",
    "Anime",
    "Jpop",
    "Synthpop"};

TgenresList::TgenresList() { Fnames.SetSorted(true); }

void TgenresList::SetActive(bool value) {
    Factive = value;
    Clear();
    if (!value) return;
    Fnames.BeginUpdate();
    Fgenres.reserve(kGenreCount);
    for (int id = 0; id < kGenreCount; ++id) {
        auto genre = std::make_shared<Tgenre>(uint8_t(id), kGenreNames[id]);
        Fgenres.push_back(genre);
        Fnames.AddObject(genre->Name, genre);
    }
    Fnames.EndUpdate();
}

const Tgenre* TgenresList::GetGenre(int id) const {
    if (id < 0 || id >= Count()) return nullptr;
    return Fgenres[size_t(id)].get();
}

const Tgenre* TgenresList::FindGenre(std::string_view name) const {
    int index = 0;
    if (!Fnames.Find(UpperCase(name), index)) return nullptr;
    return static_cast<const Tgenre*>(Fnames.Objects(index).get());
}

uint32_t TgenresList::GenreIDOf(std::string_view name) const {
    if (const Tgenre* genre = FindGenre(name)) return genre->ID;
    // The table's own spellings of 48 and 56 differ from the standard ones.
    if (SameText(name, "Ethnic")) return 48;
    if (SameText(name, "Southern Rock")) return 56;
    return kNoGenre;
}

void TgenresList::GetGenreNames(TmyStringList& list) const {
    list.BeginUpdate();
    list.Clear();
    for (int i = 0; i < Fnames.Count(); ++i) list.Add(Fnames.Strings(i));
    list.EndUpdate();
}

void TgenresList::Clear() {
    Fnames.Clear();
    Fgenres.clear();
}

TgenresList& GenresList() {
    static TgenresList list;
    static const bool filled = [] {
        list.SetActive(true);
        return true;
    }();
    (void)filled;
    return list;
}

}  // namespace tunecrest
