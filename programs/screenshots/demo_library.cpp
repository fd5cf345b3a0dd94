#include "demo_library.h"

#include <stdlib.h>

#include <QLinearGradient>
#include <QPainter>

#include "core/tags/tag_list.h"
#include "core/tags/tag_list_files.h"
#include "core/display/tree_nodes.h"

namespace tunecrest {

const std::vector<TdemoAlbum>& DemoAlbums() {
    // The first albums are the ones the scenes choose by name or position; later ones
    // fill the letters, genres and years of the browse tree and a page of covers.
    // clang-format off
    static const std::vector<TdemoAlbum> albums = {
        {"The Night Owls", "Midnight Tones", "Jazz", "2026", 220,
         {"Moonrise", "Quiet Streets", "Last Tram", "Neon Rain"}},
        {"Copper Lane", "Square Dance", "Country", "2026", 28,
         {"First Step", "Barn Lights", "Fiddle Run", "Home Again"}},
        {"Saw Theory", "Edges", "Electronic", "2026", 300,
         {"Sharp Turn", "Ramp Up", "Long Slide", "Cut Off"}},
        {"Harbour Lights", "Salt and Signal", "Rock", "2019", 195,
         {"Lighthouse", "Undertow", "Pier Dance", "Northbound", "Flare"}},
        {"Velvet Static", "Afterglow", "Pop", "2021", 340,
         {"Glow", "Paper Hearts", "Slow Motion", "Streetlight"}},
        {"Mira Solane", "Paper Moons", "Folk", "2018", 45,
         {"Lantern", "Paper Moons", "River Song", "Wildflower"}},
        {"The Brass Foxes", "Last Orders", "Soul", "2017", 10,
         {"Last Orders", "Tip Jar", "Closing Time", "One More"}},
        {"Nova Drift", "Orbit Lines", "Electronic", "2022", 260,
         {"Liftoff", "Orbit Lines", "Apogee", "Re-entry"}},
        {"Juniper Road", "Wide Open", "Country", "2020", 95,
         {"Wide Open", "Dust Devil", "Porch Light", "Long Haul"}},
        {"Kid Ampere", "Voltage", "Rock", "2023", -1,
         {"Voltage", "Live Wire", "Short Circuit"}},
        {"Lowland Choir", "Evensong", "Classical", "2016", 160,
         {"Evensong", "Vespers", "Nocturne"}},
        {"Dusty Pilots", "Runway Blues", "Blues", "2015", 18,
         {"Runway Blues", "Tailwind", "Holding Pattern", "Touchdown"}},
        {"Ada Rook", "Night Shift", "Blues", "2024", 0,
         {"Night Shift", "Coffee and Chrome", "Last Call Waltz"}},
        {"Bellwire", "Copper Sky", "Indie", "2022", 130,
         {"Copper Sky", "Glass Garden", "Ferris Lights"}},
        {"The Night Owls", "Blue Hour", "Jazz", "2023", 235,
         {"Blue Hour", "Lamplighter", "Late Set", "Ivory Keys"}},
        {"Various Artists", "Corner Booth Sessions", "Pop", "2025", 280,
         {"Tin Roof Rain", "Quarter Past", "Zigzag Heart"},
         {"Pim Caldera", "Rosa Vantrell", "Quill and Ember"}},
    };
    // clang-format on
    return albums;
}

QImage DrawDemoCover(const TdemoAlbum& album, int index) {
    const int size = 320;
    QImage image(size, size, QImage::Format_RGB888);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, size, size);
    g.setColorAt(0, QColor::fromHsv(album.Hue, 170, 200));
    g.setColorAt(1, QColor::fromHsv((album.Hue + 40) % 360, 220, 70));
    p.fillRect(image.rect(), g);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        p.setBrush(QColor(255, 255, 255, 28 + 10 * i));
        const int r = 40 + ((index * 37 + i * 53) % 110);
        p.drawEllipse(QPoint((index * 71 + i * 97) % size, (index * 43 + i * 61) % size), r, r);
    }
    p.setPen(QColor(255, 255, 255, 235));
    QFont f("DejaVu Sans", 26, QFont::Bold);
    p.setFont(f);
    p.drawText(QRect(20, size - 130, size - 40, 80), Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap,
               QString::fromUtf8(album.Album).toUpper());
    f.setPointSize(13);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(20, size - 46, size - 40, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8(album.Artist));
    return image;
}

std::vector<std::shared_ptr<TaudioTag>> DemoTracks(const std::filesystem::path& musicFolder) {
    std::vector<std::shared_ptr<TaudioTag>> tracks;
    uint32_t index = 0;
    for (const auto& album : DemoAlbums()) {
        const auto folder = musicFolder / album.Artist / album.Album;
        uint32_t track = 1;
        for (const char* title : album.Titles) {
            auto tag = std::make_shared<TaudioTag>();
            tag->SetArtist(track <= album.Artists.size() ? album.Artists[track - 1] : album.Artist);
            tag->SetAlbum(album.Album);
            tag->SetTitle(title);
            tag->SetTrackNo(track);
            tag->SetGenreString(album.Genre);
            tag->SetDate(album.Year);
            tag->SetDuration(150 + (track * 47 + index * 31) % 180);
            tag->SetMediaType(mkAudio);
            tag->SetFilename((folder / (std::to_string(track) + " " + title + ".ogg")).string());
            tracks.push_back(std::move(tag));
            ++track;
        }
        ++index;
    }
    return tracks;
}

void MakeDemoLibrary(const std::filesystem::path& root) {
    std::filesystem::create_directories(root / "Data");
    std::filesystem::create_directories(root / "Settings");
    int index = 0;
    for (const auto& album : DemoAlbums()) {
        const auto folder = root / "Music" / album.Artist / album.Album;
        std::filesystem::create_directories(folder);
        if (album.Hue >= 0)
            DrawDemoCover(album, index).save(QString::fromStdString((folder / "Folder.bmp").string()), "BMP");
        ++index;
    }
    TaudioTagList list;
    for (auto& tag : DemoTracks(root / "Music")) list.Add(std::move(tag));
    SaveTagListToFile(list, (root / "Data" / "jukebox.dat").string(), false);
}

TaudioTagPtr FindTrack(const TaudioTagList& list, const std::string& title) {
    for (const auto& tag : list.Items())
        if (tag->Title() == title) return tag;
    return nullptr;
}

TmyNode* FindListNode(TmyNodeList& nodes, const std::string& title) {
    for (int i = 0; i < nodes.Count(); ++i) {
        TmyNode* node = nodes.Items(i);
        if (auto* list = node->DataAs<TaudioTagList>(); list && list->Title() == title) return node;
        if (TmyNode* found = FindListNode(node->Children(), title)) return found;
    }
    return nullptr;
}

TsceneFolder::TsceneFolder(const char* prefix) {
    std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
    if (const char* made = mkdtemp(pattern.data())) Fpath = made;
}

TsceneFolder::~TsceneFolder() {
    std::error_code ec;
    if (!Fpath.empty()) std::filesystem::remove_all(Fpath, ec);
}

}  // namespace tunecrest
