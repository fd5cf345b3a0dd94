#pragma once
// The browse tree: the library by category (letters and digits holding artists with
// their albums, compilations, tracks without artist, playlists, genres, years or
// decades, videos, internet radio), built in the chosen display modes. The rules live
// in one builder; one viewer writes the owner-drawn tree's node model, another (in the
// skin library) a standard tree widget.
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "core/album_artist_groupings.h"
#include "core/event_lists.h"

namespace tunecrest {

class TcustomJukeboxList;
class TaudioTagCategoryList;
class TmyNode;
class TmyNodeList;

// The node kinds of the browse tree, by bit number.
enum TtreeviewDisplayModes : int {
    dmArtists = 0,
    dmTitles,
    dmAlbums,
    dmPlaylists,
    dmCompilations,
    dmInvalid,
    dmGenres,
    dmVideo,
    dmNumbers,
    dmArtistsInSubNode,
    dmGenreArtists,
    dmGenreAlbums,
    dmRadioStations,
    dmYears,
    dmYearArtists,
    dmYearAlbums,
    dmNoLetters
};
// A set of node kinds: bit n for kind n.
using TtreeViewDisplayMode = uint32_t;
constexpr TtreeViewDisplayMode DisplayModeBit(TtreeviewDisplayModes mode) {
    return TtreeViewDisplayMode(1u << mode);
}
constexpr TtreeViewDisplayMode DisplayModes(std::initializer_list<TtreeviewDisplayModes> modes) {
    TtreeViewDisplayMode set = 0;
    for (auto m : modes) set |= DisplayModeBit(m);
    return set;
}
constexpr bool InDisplayMode(TtreeViewDisplayMode set, TtreeviewDisplayModes mode) {
    return (set & DisplayModeBit(mode)) != 0;
}
// Every kind: bits above it are not node kinds.
inline constexpr TtreeViewDisplayMode kAllDisplayModes = (1u << (dmNoLetters + 1)) - 1;

// The category slots of the browse tree: 0-25 the letters, 26-35 the digits, then the
// fixed nodes; 45-49 are never made.
inline constexpr int kCategorySlots = 50;
enum TbrowseCategory : int {
    bcFirstLetter = 0,
    bcFirstDigit = 26,
    bcOther = 36,
    bcNoArtist = 37,
    bcCompilations = 38,
    bcPlaylists = 39,
    bcGenres = 40,
    bcYears = 41,
    bcTracksArtists = 42,
    bcVideos = 43,
    bcInternetRadio = 44
};
// The caption a category node gets when it is made ("" for 45-49).
std::string CategoryCaption(int category);

using TtreeViewProcessEvent =
    std::function<void(TObject* Sender, int Index, int Count, const std::string& Comment)>;

// What both viewers share: the library (forgotten when it is freed), the display mode,
// the options and the building rules. A concrete viewer supplies the nodes.
class TcustomBrowseTreeBuilder : public TObject {
  public:
    TcustomBrowseTreeBuilder();
    ~TcustomBrowseTreeBuilder() override;
    TcustomBrowseTreeBuilder(const TcustomBrowseTreeBuilder&) = delete;
    TcustomBrowseTreeBuilder& operator=(const TcustomBrowseTreeBuilder&) = delete;

    TcustomJukeboxList* JukeboxList() const { return FjukeboxList; }
    // Registers for the library's destruction notice; a freed library is forgotten and
    // the nodes that pointed into it are cleared.
    void SetJukeboxList(TcustomJukeboxList* list);
    TtreeViewDisplayMode DisplayMode() const { return FdisplayMode; }
    void SetDisplayMode(TtreeViewDisplayMode mode) { FdisplayMode = mode & kAllDisplayModes; }
    // Adds the mode, or removes it when present.
    void ToggleDisplayMode(TtreeviewDisplayModes mode) { FdisplayMode ^= DisplayModeBit(mode); }
    bool HasDisplayMode(TtreeviewDisplayModes mode) const { return InDisplayMode(FdisplayMode, mode); }
    TtreeViewProcessEvent OnProcess;
    bool ShowEmptyAlphas = true;
    bool ShowCDLists = true;

    // A CD list: a list whose tracks came from a CD's list file (its first track tells).
    bool IsCdList(const TaudioTagList& list) const;

  protected:
    // A node of the concrete tree; nullptr stands for the tree's top level.
    using Handle = void*;
    // Appends (index -1) or inserts a node under `parent`.
    virtual Handle AddTreeNode(Handle parent, int index, std::shared_ptr<TObject> data,
                               const std::string& caption, int category) = 0;
    virtual void SetNodeData(Handle node, std::shared_ptr<TObject> data) = 0;
    // An artist with, when `withAlbums`, its albums of the filter as children.
    virtual void AddArtistNode(Handle parent, const TaudioTagArtistPtr& artist, bool withAlbums,
                               const TalbumNodeFilter& filter);
    virtual void ClearTree() = 0;
    virtual void BeginTreeUpdate() = 0;
    virtual void EndTreeUpdate() = 0;
    // The library is gone: drop every node that points into it.
    virtual void LibraryFreed() { ClearTree(); }
    // The two viewers differ in which modes make the letters up front, which make the
    // "[Tracks/Artists]" node and whether the tree has an internet-radio node.
    virtual bool LettersUpFront() const = 0;
    virtual bool HasTracksArtistsNode() const = 0;
    virtual bool HasRadioNode() const { return true; }

    // Clears the tree and builds it in the current display mode (nothing without a library).
    void Build();
    Handle Category(int category) const { return Fcategories[size_t(category)]; }

  private:
    Handle EnsureCategory(int category);
    void AddArtistGroup(const TaudioTagArtistPtr& artist, TtreeViewDisplayMode mode);
    void AddCategoryList(const TaudioTagCategoryList& list, Handle parent, bool compilationAlbums,
                         std::initializer_list<const char*> heldBack, const char* progressText);
    void Progress(int index, int count, const std::string& comment);
    TalbumNodeFilter AlbumFilter() const;

    TcustomJukeboxList* FjukeboxList = nullptr;
    uint64_t FfreeKey = 0;
    TtreeViewDisplayMode FdisplayMode = 0;
    std::array<Handle, kCategorySlots> Fcategories{};
};

class TmyTreeModel;

// Fills the node model of the owner-drawn tree.
class TcustomJukeboxListViewer2 : public TcustomBrowseTreeBuilder {
  public:
    TcustomJukeboxListViewer2() = default;
    ~TcustomJukeboxListViewer2() override;
    // Rebuilds `nodes` (a tree's root list) within one update of it.
    void Rebuild(TmyNodeList& nodes);
    void Rebuild(TmyTreeModel& tree);
    // The stored category node of the last build; nullptr when not made.
    TmyNode* NodeOfKind(int category) const;
    // The category node for a typed key: "A".."Z" (either case) its letter, "0".."9" its
    // digit, Enter (13) "[Other]"; nullptr for any other key or without a library.
    TmyNode* NodeForKey(char key) const;
    // The text of a category node ("" for other nodes); 37 reads "[Not Tagged]", 41
    // "[Decades]" when the library's year list is in decades mode.
    std::string CategoryName(const TmyNode* node) const;

  protected:
    Handle AddTreeNode(Handle parent, int index, std::shared_ptr<TObject> data, const std::string& caption,
                       int category) override;
    void SetNodeData(Handle node, std::shared_ptr<TObject> data) override;
    void AddArtistNode(Handle parent, const TaudioTagArtistPtr& artist, bool withAlbums,
                       const TalbumNodeFilter& filter) override;
    void ClearTree() override;
    void BeginTreeUpdate() override;
    void EndTreeUpdate() override;
    bool LettersUpFront() const override;
    bool HasTracksArtistsNode() const override;

  private:
    // The root list of the last build; forgotten when that list is freed, so a library
    // freed later never clears a tree that is gone.
    void LinkNodes(TmyNodeList* nodes);
    TmyNodeList* Fnodes = nullptr;
    uint64_t FnodesFreeKey = 0;
};

}  // namespace tunecrest
