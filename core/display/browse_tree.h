#pragma once
// The browse tree: the library by category (letters and digits holding artists with
// their albums, compilations, tracks without artist, playlists, genres, years or
// decades, videos, internet radio), built in the chosen display modes. The rules live
// in one builder; one viewer writes the owner-drawn tree's node model, another (in the
// skin library) a standard tree widget.
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "core/library/album_artist_groupings.h"
#include "core/library/genre_year_groupings.h"
#include "core/base/event_lists.h"

namespace tunecrest {

class TcustomJukeboxList;
class TaudioTagCategory;
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
    // A build was stopped before it was complete (its tree update is closed).
    virtual void BuildAbandoned() {}
    // The two viewers differ in which modes make the letters up front, which make the
    // "[Tracks/Artists]" node and whether the tree has an internet-radio node.
    virtual bool LettersUpFront() const = 0;
    virtual bool HasTracksArtistsNode() const = 0;
    virtual bool HasRadioNode() const { return true; }
    // A genre's or year's node (made with artists below it) gets its artists only when it
    // is opened: true when the concrete tree took it so (it then makes them itself).
    virtual bool DeferCategoryBranch(Handle node) {
        (void)node;
        return false;
    }
    virtual bool DefersCategoryBranches() const { return false; }
    // The artists of a category node's branch (its albums below them when the category's
    // grouping list groups albums), as a build adds them; for a tree that makes them when
    // a node is opened. `parentCategory` is the fixed node above it (bcGenres, bcYears,
    // bcVideos).
    void AddCategoryBranch(Handle node, const TaudioTagCategory& category, int parentCategory);
    // Which albums a tree shows: all, or none of a CD's list (ShowCDLists off).
    TalbumNodeFilter AlbumFilter() const;

    // Clears the tree and builds it in the current display mode (nothing without a library).
    void Build();
    // The same build a piece at a time: BeginBuild clears the tree and makes the fixed
    // nodes; each BuildStep adds artists, playlists and groupings (an artist with its
    // albums at a time) until `deadline` and returns true once the tree is complete. The
    // display mode and options are taken at the start. The groupings are read by position
    // at every step, so a library changed between steps needs a new build to be shown
    // right (its change notice asks for one); nothing is ever read out of bounds.
    void BeginBuild();
    bool BuildStep(std::chrono::steady_clock::time_point deadline);
    // A build is begun and not complete.
    bool Building() const { return Fstep.Phase != bpIdle; }
    // Stops a build where it is (the tree keeps what was made).
    void AbandonBuild();
    Handle Category(int category) const { return Fcategories[size_t(category)]; }

  private:
    // The parts of a build, in the order the tree shows them.
    enum TbuildPhase : int { bpIdle, bpArtists, bpTitles, bpPlaylists, bpGenres, bpYears, bpVideos, bpDone };
    // Where a build stands between steps.
    struct TbuildCursor {
        int Phase = bpIdle;
        TtreeViewDisplayMode Mode = 0;
        TalbumNodeFilter Filter;
        int Index = 0;  // position in the phase's list
        // A phase of genres or years: the categories in the order shown (the held-back
        // ones last), the artist within the current one (-1 before its node) and its node.
        std::vector<std::shared_ptr<TaudioTagCategory>> Order;
        int Count = 0;
        int Inner = -1;
        Handle Node = nullptr;
        Handle Parent = nullptr;
        bool UseArtists = false, UseAlbums = false, CompilationAlbums = false;
        const char* ProgressText = "";
    };
    Handle EnsureCategory(int category);
    void AddArtistGroup(const TaudioTagArtistPtr& artist, TtreeViewDisplayMode mode);
    void EnterPhase(int phase);
    void BeginCategories(const TaudioTagCategoryList& list, Handle parent, bool compilationAlbums,
                         std::initializer_list<const char*> heldBack, const char* progressText);
    // One piece of work; false once the build is complete.
    bool BuildUnit();
    void CategoryUnit();
    void Progress(int index, int count, const std::string& comment);

    TcustomJukeboxList* FjukeboxList = nullptr;
    uint64_t FfreeKey = 0;
    TtreeViewDisplayMode FdisplayMode = 0;
    std::array<Handle, kCategorySlots> Fcategories{};
    TbuildCursor Fstep;
    TcategoryListsAhead FlistsAhead;
};

class TmyTreeModel;

// Fills the node model of the owner-drawn tree.
class TcustomJukeboxListViewer2 : public TcustomBrowseTreeBuilder {
  public:
    TcustomJukeboxListViewer2();
    ~TcustomJukeboxListViewer2() override;
    // Rebuilds `nodes` (a tree's root list) within one update of it.
    void Rebuild(TmyNodeList& nodes);
    void Rebuild(TmyTreeModel& tree);

    // A rebuild a step at a time, for a tree on show: the new nodes are made in a list of
    // the viewer's own while `nodes` keeps the last tree; FinishRebuild puts them in its
    // place in one change. Beginning again drops a build under way.
    void BeginRebuild(TmyNodeList& nodes);
    // A rebuild is begun and its nodes are not yet in place.
    bool Rebuilding() const { return Frebuilding; }
    // Builds until `deadline`; true once the new tree is complete.
    bool ContinueRebuild(std::chrono::steady_clock::time_point deadline);
    // The new tree is complete and waits for FinishRebuild.
    bool RebuildComplete() const { return Frebuilding && !Building(); }
    // When the new tree is complete: it replaces the nodes of the list on show (one change
    // notice) and the replaced nodes are kept to be freed by FreeDiscarded.
    void FinishRebuild();
    // Drops a rebuild under way; the list on show keeps its nodes.
    void CancelRebuild();
    // Empties `nodes` in one change, keeping its nodes to be freed by FreeDiscarded.
    void DiscardNodes(TmyNodeList& nodes);
    // Frees replaced nodes until `deadline`; true when none are left.
    bool FreeDiscarded(std::chrono::steady_clock::time_point deadline);
    bool HasDiscarded() const;
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

    bool DeferCategoryBranch(Handle node) override;
    bool DefersCategoryBranches() const override { return true; }

  private:
    // The root list of the last build; forgotten when that list is freed, so a library
    // freed later never clears a tree that is gone.
    void LinkNodes(TmyNodeList* nodes);
    // A node opened with its children deferred (see the .cpp): an artist's albums, a
    // category's artists.
    void FillBranch(TmyNode& node);
    void BranchListsMade(const TaudioTagCategoryPtr& category);
    std::vector<const TaudioTagCategory*> Fmaking;
    TcategoryListsAhead FbranchLists;
    // Lets a thread's report find that the viewer is gone.
    std::shared_ptr<TcustomJukeboxListViewer2*> Fself;
    void LibraryFreed() override;
    void BuildAbandoned() override;
    TmyNodeList* Fnodes = nullptr;
    uint64_t FnodesFreeKey = 0;
    // The list the build writes: the shown one for Rebuild, Fpending for BeginRebuild.
    TmyNodeList* Ftarget = nullptr;
    std::unique_ptr<TmyNodeList> Fpending;
    std::unique_ptr<TmyNodeList> Fdiscarded;
    bool Frebuilding = false;
};

}  // namespace tunecrest
