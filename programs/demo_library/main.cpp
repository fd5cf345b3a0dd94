// tunecrest-demo-library ROOT: fills a new root folder with a dozen short tagged tracks in
// three albums, one playlist and a settings.ini that points the library at them, so a
// first start shows a working jukebox. An existing settings.ini is left alone.
#include <sys/wait.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/base/ini_file.h"
#include "core/library/jukebox_list.h"
#include "core/base/safe_file.h"
#include "core/tags/tagger_loader.h"

namespace fs = std::filesystem;
using namespace tunecrest;

namespace {

struct Talbum {
    const char* Artist;
    const char* Album;
    const char* Wave;  // audiotestsrc wave name
    std::vector<const char*> Titles;
    uint8_t From[3], To[3];  // the cover's gradient, top left to bottom right
};

const Talbum kAlbums[] = {
    {"The Night Owls", "Midnight Tones", "sine", {"Moonrise", "Quiet Streets", "Last Tram", "Neon Rain"},
     {70, 90, 200}, {20, 16, 70}},
    {"Copper Lane", "Square Dance", "square", {"First Step", "Barn Lights", "Fiddle Run", "Home Again"},
     {230, 150, 70}, {90, 40, 20}},
    {"Saw Theory", "Edges", "saw", {"Sharp Turn", "Ramp Up", "Long Slide", "Cut Off"},
     {210, 60, 190}, {50, 10, 60}},
};

// The album's cover, "Folder.bmp" beside its tracks: a gradient with soft rings, drawn
// here as a plain 24-bit picture so the cover views have something to show.
bool WriteCover(const fs::path& file, const Talbum& album, int seed) {
    const int size = 256;
    const int rowBytes = (size * 3 + 3) & ~3;
    TbyteWriter w;
    w.WriteBytes("BM");
    w.WriteU32(uint32_t(54 + rowBytes * size));
    w.WriteU32(0);
    w.WriteU32(54);
    w.WriteU32(40);
    w.WriteI32(size);
    w.WriteI32(size);
    w.WriteI16(1);
    w.WriteI16(24);
    for (int i = 0; i < 6; ++i) w.WriteU32(0);
    const int cx = 60 + seed * 70, cy = 90 + seed * 40;
    for (int y = size - 1; y >= 0; --y) {  // bottom-up
        for (int x = 0; x < size; ++x) {
            const double t = double(x + y) / (2.0 * size);
            const int dx = x - cx, dy = y - cy;
            const int ring = int(std::sqrt(double(dx * dx + dy * dy))) / 18;
            const double glow = ring % 2 ? 1.0 : 1.12;
            for (int c = 2; c >= 0; --c) {  // blue, green, red
                const double v = (album.From[c] * (1 - t) + album.To[c] * t) * glow;
                w.WriteU8(uint8_t(v > 255 ? 255 : v));
            }
        }
        for (int p = size * 3; p < rowBytes; ++p) w.WriteU8(0);
    }
    return SafeWriteFile(file.string(), w.Bytes());
}

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

bool Encode(const std::string& path, const char* wave, int frequency, double seconds) {
    const int buffers = int(seconds * 44100 / 1024);
    const std::string command = "gst-launch-1.0 -q audiotestsrc wave=" + std::string(wave) + " freq=" +
                                std::to_string(frequency) + " volume=0.3 num-buffers=" + std::to_string(buffers) +
                                " samplesperbuffer=1024 ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! "
                                "vorbisenc ! oggmux ! filesink location=" +
                                Quote(path) + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0 && fs::exists(path);
}

bool Tag(const std::string& path, const Talbum& album, const char* title, unsigned track) {
    TagLib::FileRef file(path.c_str());
    if (file.isNull() || !file.tag()) return false;
    file.tag()->setArtist(TagLib::String(album.Artist, TagLib::String::UTF8));
    file.tag()->setAlbum(TagLib::String(album.Album, TagLib::String::UTF8));
    file.tag()->setTitle(TagLib::String(title, TagLib::String::UTF8));
    file.tag()->setTrack(track);
    file.tag()->setYear(2026);
    return file.save();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tunecrest-demo-library ROOT\n");
        return 2;
    }
    const fs::path root = fs::absolute(argv[1]);
    const fs::path settings = root / "Settings" / "settings.ini";
    if (fs::exists(settings)) return 0;
    const fs::path music = root / "Music";
    for (const char* folder : {"Data", "Settings"}) fs::create_directories(root / folder);
    std::vector<std::string> files;
    int frequency = 330;
    for (const auto& album : kAlbums) {
        const fs::path folder = music / album.Album;
        fs::create_directories(folder);
        if (!WriteCover(folder / "Folder.bmp", album, int(&album - kAlbums))) {
            std::fprintf(stderr, "tunecrest-demo-library: cannot write the cover of %s\n", album.Album);
            return 1;
        }
        unsigned track = 1;
        for (const char* title : album.Titles) {
            char name[16];
            std::snprintf(name, sizeof name, "%02u ", track);
            const std::string path = (folder / (std::string(name) + title + ".ogg")).string();
            if (!Encode(path, album.Wave, frequency, 8.0) || !Tag(path, album, title, track)) {
                std::fprintf(stderr, "tunecrest-demo-library: cannot make %s\n", path.c_str());
                return 1;
            }
            files.push_back(path);
            frequency += 55;
            ++track;
        }
    }
    // File the tracks into the library and make the playlist through the model itself.
    const fs::path plugins = fs::absolute(argv[0]).parent_path() / "TagPlugins";
    TaggerLoader().SetPluginFolder(plugins.string() + "/");
    {
        TlocalJukeboxList library;
        library.SetDataFolder((root / "Data").string() + "/");
        library.GlobalList().AddFolders({music.string() + "/"}, true, nullptr);
        library.SaveGlobalList();
        auto playlist = std::make_shared<TaudioTagList>();
        playlist->SetTitle("Demo Mix");
        for (size_t i = 0; i < files.size(); i += 3)
            if (auto tag = library.GlobalList().CreateTagFromFile(files[i])) playlist->Add(tag);
        library.Playlists().AddList(playlist);
        library.SavePlaylists();
    }
    TaggerLoader().SetPluginFolder("");
    TiniFile ini(settings.string());
    ini.WriteString("Jukebox", "AudioFolders", music.string() + "/");
    ini.WriteBool("Preferences", "AutoPlay", true);
    ini.WriteBool("Geometry", "FullScreen", false);
    ini.WriteInteger("Geometry", "Width", 1280);
    ini.WriteInteger("Geometry", "Height", 800);
    std::string error;
    if (!ini.UpdateFile(&error)) {
        std::fprintf(stderr, "tunecrest-demo-library: %s\n", error.c_str());
        return 1;
    }
    std::printf("Demo library made in %s\n", root.c_str());
    return 0;
}
