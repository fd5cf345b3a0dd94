#pragma once
// The demo library the scenes of the main window and the library windows show: invented
// artists' albums over several genres and years, each album in a folder of its own with a
// cover drawn from code. It is written as the program keeps a library (the track list in
// Data/jukebox.dat under the jukebox's root), so a window that loads it files the tracks
// into its groupings, browse tree and album views as it does at start-up.
#include <QImage>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tunecrest {

class TaudioTagList;
class TaudioTag;
class TaudioTagPtr;
class TmyNodeList;
class TmyNode;

struct TdemoAlbum {
    const char* Artist;
    const char* Album;
    const char* Genre;
    const char* Year;
    int Hue;  // of the cover; -1: the album has no cover
    std::vector<const char*> Titles;
    // On a compilation the artist of each title; empty when the album's artist plays
    // every track.
    std::vector<const char*> Artists = {};
};

// Every album of the demo library, in the order its tracks are listed (track numbers
// count from 1 within an album).
const std::vector<TdemoAlbum>& DemoAlbums();

// The cover of `album`, the `index`th of the library: a gradient, a few bold shapes and
// the title.
QImage DrawDemoCover(const TdemoAlbum& album, int index);

// The tracks of the demo library, album by album, their files in artist and album folders
// under `musicFolder` (the files themselves are not made).
std::vector<std::shared_ptr<TaudioTag>> DemoTracks(const std::filesystem::path& musicFolder);

// Writes the demo library under `root`: the track list in root/Data/jukebox.dat, the
// album folders with their covers under root/Music, and an empty root/Settings.
void MakeDemoLibrary(const std::filesystem::path& root);

// The first track of `list` titled `title`, or null.
TaudioTagPtr FindTrack(const TaudioTagList& list, const std::string& title);

// The first node, depth first, of a tree that stands for a list (an album, a playlist)
// titled `title`; null when the tree has none.
TmyNode* FindListNode(TmyNodeList& nodes, const std::string& title);

// A temporary folder of a scene, removed with everything in it when the scene ends.
class TsceneFolder {
  public:
    explicit TsceneFolder(const char* prefix);
    ~TsceneFolder();
    TsceneFolder(const TsceneFolder&) = delete;
    TsceneFolder& operator=(const TsceneFolder&) = delete;
    // Empty when the folder could not be made.
    const std::string& Path() const { return Fpath; }

  private:
    std::string Fpath;
};

}  // namespace tunecrest
