#include "core/display/browse_tree.h"

#include <algorithm>

#include "core/base/services.h"
#include "core/library/genre_year_groupings.h"
#include "core/library/jukebox_list.h"
#include "core/base/text_utils.h"
#include "core/display/tree_nodes.h"

namespace tunecrest {

std::string CategoryCaption(int category) {
    if (category >= bcFirstLetter && category < bcFirstDigit)
        return std::string("[") + char('A' + category - bcFirstLetter) + "]";
    if (category >= bcFirstDigit && category < bcOther)
        return std::string("[") + char('0' + category - bcFirstDigit) + "]";
    switch (category) {
        case bcOther:
            return "[Other]";
        case bcNoArtist:
            return "[No Artist]";
        case bcCompilations:
            return "[Compilations]";
        case bcPlaylists:
            return "[Playlists]";
        case bcGenres:
            return "[Genres]";
        case bcYears:
            return "[Years]";
        case bcTracksArtists:
            return "[Tracks/Artists]";
        case bcVideos:
            return "[Videos]";
        case bcInternetRadio:
            return "[Internet Radio]";
        default:
            return "";
    }
}

namespace {

// The category a name is filed under by its first character: a letter (either case),
// a digit, or "[Other]" (every other character, any byte of a non-ASCII letter too).
int CategoryOfName(const std::string& name) {
    if (name.empty()) return bcOther;
    const unsigned char c = static_cast<unsigned char>(name[0]);
    if (c >= 'a' && c <= 'z') return bcFirstLetter + (c - 'a');
    if (c >= 'A' && c <= 'Z') return bcFirstLetter + (c - 'A');
    if (c >= '0' && c <= '9') return bcFirstDigit + (c - '0');
    return bcOther;
}

// A node data reference to an object the library owns outright (its video and URL
// lists): it does not keep the object alive; the viewer drops it with the library.
template <typename T>
std::shared_ptr<TObject> Unowned(T& object) {
    return std::shared_ptr<TObject>(std::shared_ptr<TObject>(), &object);
}

}  // namespace

// ---- TcustomBrowseTreeBuilder ----

TcustomBrowseTreeBuilder::TcustomBrowseTreeBuilder() = default;

TcustomBrowseTreeBuilder::~TcustomBrowseTreeBuilder() {
    FlistsAhead.Stop();
    if (FjukeboxList) FjukeboxList->RemoveFreeNotification(FfreeKey);
}

void TcustomBrowseTreeBuilder::SetJukeboxList(TcustomJukeboxList* list) {
    if (list == FjukeboxList) return;
    // A build reads its library by position: it cannot go on in another one.
    AbandonBuild();
    if (FjukeboxList) FjukeboxList->RemoveFreeNotification(FfreeKey);
    FjukeboxList = list;
    FfreeKey = 0;
    if (FjukeboxList)
        FfreeKey = FjukeboxList->AddFreeNotification([this](TObject*) {
            FjukeboxList = nullptr;
            FfreeKey = 0;
            AbandonBuild();
            LibraryFreed();
            Fcategories.fill(nullptr);
        });
}

bool TcustomBrowseTreeBuilder::IsCdList(const TaudioTagList& list) const {
    return FjukeboxList && list.Count() > 0 && FjukeboxList->IsCdListTrack(list.GetTag(0).get());
}

TalbumNodeFilter TcustomBrowseTreeBuilder::AlbumFilter() const {
    if (ShowCDLists) return {};
    return [this](const TaudioTagAlbum& album) { return !IsCdList(album); };
}

void TcustomBrowseTreeBuilder::AddArtistNode(Handle parent, const TaudioTagArtistPtr& artist, bool withAlbums,
                                             const TalbumNodeFilter& filter) {
    Handle node = AddTreeNode(parent, -1, artist, artist->Title(), -1);
    if (!withAlbums) return;
    const TaudioTagAlbumList& albums = artist->Albums();
    for (int i = 0; i < albums.Count(); ++i) {
        const TaudioTagAlbumPtr album = albums.GetAlbum(i);
        if (album && (!filter || filter(*album))) AddTreeNode(node, -1, album, album->Title(), -1);
    }
}

void TcustomBrowseTreeBuilder::Progress(int index, int count, const std::string& comment) {
    if (OnProcess) OnProcess(this, index, count, comment);
}

TcustomBrowseTreeBuilder::Handle TcustomBrowseTreeBuilder::EnsureCategory(int category) {
    if (Fcategories[size_t(category)]) return Fcategories[size_t(category)];
    // Letters, digits, "[Other]", "[No Artist]" and "[Compilations]" sit below
    // "[Tracks/Artists]" when it exists.
    Handle parent = category <= bcCompilations ? Fcategories[bcTracksArtists] : nullptr;
    // A node made late still takes its place in category order among its siblings, so a
    // letter found only now does not land below "[Playlists]".
    int index = 0;
    for (int c = 0; c < category; ++c)
        if (Fcategories[size_t(c)] &&
            (c <= bcCompilations ? Fcategories[bcTracksArtists] : nullptr) == parent)
            ++index;
    Fcategories[size_t(category)] = AddTreeNode(parent, index, nullptr, CategoryCaption(category), category);
    return Fcategories[size_t(category)];
}

void TcustomBrowseTreeBuilder::AddArtistGroup(const TaudioTagArtistPtr& artist, TtreeViewDisplayMode mode) {
    if (!artist) return;
    const std::string& name = artist->Title();
    const bool albums = InDisplayMode(mode, dmAlbums);
    if (name == kNotTaggedArtist) {
        if (InDisplayMode(mode, dmInvalid) && Fcategories[bcNoArtist])
            SetNodeData(Fcategories[bcNoArtist], artist);
        return;
    }
    const TalbumNodeFilter& filter = Fstep.Filter;
    if (name == kCompilationsArtist) {
        if (InDisplayMode(mode, dmCompilations) && Fcategories[bcCompilations])
            AddArtistNode(Fcategories[bcCompilations], artist, albums, filter);
        return;
    }
    // Artists show with dmArtists (or as title groups with dmTitles); in album mode alone
    // only an artist that has albums to show gets a node (and so a letter).
    if (!InDisplayMode(mode, dmArtists) && !InDisplayMode(mode, dmTitles)) {
        if (!albums) return;
        bool any = false;
        const TaudioTagAlbumList& list = artist->Albums();
        for (int i = 0; i < list.Count() && !any; ++i) {
            const TaudioTagAlbumPtr album = list.GetAlbum(i);
            any = album && (!filter || filter(*album));
        }
        if (!any) return;
    }
    const int category = InDisplayMode(mode, dmNoLetters) ? int(bcTracksArtists) : CategoryOfName(name);
    AddArtistNode(EnsureCategory(category), artist, albums, filter);
}

void TcustomBrowseTreeBuilder::BeginCategories(const TaudioTagCategoryList& list, Handle parent,
                                               bool compilationAlbums,
                                               std::initializer_list<const char*> heldBack,
                                               const char* progressText) {
    // The held-back categories (no genre, no year) come last.
    std::vector<TaudioTagCategoryPtr> last;
    Fstep.Count = list.Count();
    for (int i = 0; i < Fstep.Count; ++i) {
        TaudioTagCategoryPtr category = list.GetCategory(i);
        if (!category) continue;
        bool held = false;
        for (const char* name : heldBack) held = held || category->Title() == name;
        (held ? last : Fstep.Order).push_back(std::move(category));
    }
    Fstep.Order.insert(Fstep.Order.end(), last.begin(), last.end());
    Fstep.Parent = parent;
    Fstep.UseArtists = list.UseArtists;
    Fstep.UseAlbums = list.UseAlbums;
    Fstep.CompilationAlbums = compilationAlbums;
    Fstep.ProgressText = progressText;
}

void TcustomBrowseTreeBuilder::EnterPhase(int phase) {
    TcustomJukeboxList* lib = FjukeboxList;
    const TtreeViewDisplayMode mode = Fstep.Mode;
    for (;; ++phase) {
        Fstep.Phase = phase;
        Fstep.Index = 0;
        Fstep.Inner = -1;
        Fstep.Node = nullptr;
        Fstep.Order.clear();
        if (!lib || phase >= bpDone) {
            Fstep.Phase = bpDone;
            return;
        }
        switch (phase) {
            case bpArtists:
                return;
            case bpTitles:
                if (InDisplayMode(mode, dmTitles) && ShowEmptyAlphas && lib->TitleList().Count() > 0) return;
                break;
            case bpPlaylists:
                if (InDisplayMode(mode, dmPlaylists)) return;
                break;
            case bpGenres:
                if (!InDisplayMode(mode, dmGenres)) break;
                BeginCategories(lib->GenreList(), Fcategories[bcGenres], InDisplayMode(mode, dmGenreAlbums),
                                {kUndefinedGenre}, "Adding Genres");
                return;
            case bpYears:
                if (!InDisplayMode(mode, dmYears)) break;
                BeginCategories(lib->YearList(), Fcategories[bcYears], InDisplayMode(mode, dmYearAlbums),
                                {kNoYear, kNoDecade}, "Adding Years");
                return;
            case bpVideos:
                if (!InDisplayMode(mode, dmVideo)) break;
                SetNodeData(Fcategories[bcVideos], Unowned(lib->VideoList()));
                BeginCategories(lib->VideoGenreList(), Fcategories[bcVideos], InDisplayMode(mode, dmGenreAlbums),
                                {kUndefinedGenre}, "Adding Genres");
                return;
        }
    }
}

void TcustomBrowseTreeBuilder::CategoryUnit() {
    if (Fstep.Index >= int(Fstep.Order.size())) {
        EnterPhase(Fstep.Phase + 1);
        return;
    }
    const TaudioTagCategoryPtr& category = Fstep.Order[size_t(Fstep.Index)];
    if (Fstep.Inner < 0) {
        Fstep.Node = AddTreeNode(Fstep.Parent, -1, category, category->Title(), -1);
        Fstep.Inner = 0;
        if (Fstep.UseArtists && !DeferCategoryBranch(Fstep.Node)) return;
    } else {
        const TaudioTagArtistList& artists = category->Artists();
        if (Fstep.Inner < artists.Count()) {
            const TaudioTagArtistPtr artist = artists.GetArtist(Fstep.Inner++);
            if (artist && (artist->Title() != kCompilationsArtist ||
                           (Fstep.CompilationAlbums && artist->Albums().Count() > 0)))
                AddArtistNode(Fstep.Node, artist, Fstep.UseAlbums, Fstep.Filter);
            return;
        }
    }
    ++Fstep.Index;
    Fstep.Inner = -1;
    Progress(Fstep.Index, Fstep.Count, Fstep.ProgressText);
}

void TcustomBrowseTreeBuilder::AddCategoryBranch(Handle node, const TaudioTagCategory& category,
                                                 int parentCategory) {
    if (!FjukeboxList) return;
    const TtreeViewDisplayMode mode = FdisplayMode;
    const TaudioTagCategoryList& list =
        parentCategory == bcYears    ? static_cast<const TaudioTagCategoryList&>(FjukeboxList->YearList())
        : parentCategory == bcVideos ? FjukeboxList->VideoGenreList()
                                     : FjukeboxList->GenreList();
    if (!list.UseArtists) return;
    const bool compilationAlbums = InDisplayMode(mode, parentCategory == bcYears ? dmYearAlbums : dmGenreAlbums);
    const TalbumNodeFilter filter = AlbumFilter();
    const TaudioTagArtistList& artists = category.Artists();
    for (int i = 0; i < artists.Count(); ++i) {
        const TaudioTagArtistPtr artist = artists.GetArtist(i);
        if (artist && (artist->Title() != kCompilationsArtist || (compilationAlbums && artist->Albums().Count() > 0)))
            AddArtistNode(node, artist, list.UseAlbums, filter);
    }
}

bool TcustomBrowseTreeBuilder::BuildUnit() {
    TcustomJukeboxList* lib = FjukeboxList;
    if (!lib && Fstep.Phase != bpDone) EnterPhase(bpDone);
    switch (Fstep.Phase) {
        case bpArtists:
        case bpTitles: {
            const bool titles = Fstep.Phase == bpTitles;
            const TaudioTagArtistList& artists = titles ? lib->TitleList() : lib->ArtistList();
            if (Fstep.Index >= artists.Count()) {
                EnterPhase(Fstep.Phase + 1);
                return true;
            }
            const TtreeViewDisplayMode mode =
                titles ? DisplayModeBit(dmTitles) | (Fstep.Mode & DisplayModeBit(dmNoLetters))
                       : Fstep.Mode & ~DisplayModeBit(dmTitles);
            AddArtistGroup(artists.GetArtist(Fstep.Index), mode);
            ++Fstep.Index;
            Progress(Fstep.Index, artists.Count(), "Adding Artists");
            return true;
        }
        case bpPlaylists: {
            const TaudioTagPlaylistList& playlists = lib->Playlists();
            if (Fstep.Index >= playlists.Count()) {
                EnterPhase(Fstep.Phase + 1);
                return true;
            }
            const TaudioTagListPtr list = playlists.GetList(Fstep.Index);
            if (list && (ShowCDLists || !IsCdList(*list)))
                AddTreeNode(Fcategories[bcPlaylists], -1, list, list->Title(), -1);
            ++Fstep.Index;
            Progress(Fstep.Index, playlists.Count(), "Adding Playlists");
            return true;
        }
        case bpGenres:
        case bpYears:
        case bpVideos:
            CategoryUnit();
            return true;
        case bpDone:
            if (lib && InDisplayMode(Fstep.Mode, dmRadioStations) && Fcategories[bcInternetRadio])
                SetNodeData(Fcategories[bcInternetRadio], Unowned(lib->URLList()));
            Fstep = TbuildCursor{};
            EndTreeUpdate();
            return false;
        default:
            return false;
    }
}

void TcustomBrowseTreeBuilder::BeginBuild() {
    AbandonBuild();
    BeginTreeUpdate();
    ClearTree();
    Fcategories.fill(nullptr);
    const TtreeViewDisplayMode mode = FdisplayMode;
    if (HasTracksArtistsNode()) EnsureCategory(bcTracksArtists);
    if (LettersUpFront())
        for (int c = bcFirstLetter; c <= bcOther; ++c) EnsureCategory(c);
    if (InDisplayMode(mode, dmInvalid)) EnsureCategory(bcNoArtist);
    if (InDisplayMode(mode, dmCompilations)) EnsureCategory(bcCompilations);
    if (InDisplayMode(mode, dmPlaylists)) EnsureCategory(bcPlaylists);
    if (InDisplayMode(mode, dmGenres)) EnsureCategory(bcGenres);
    if (InDisplayMode(mode, dmYears)) EnsureCategory(bcYears);
    if (InDisplayMode(mode, dmVideo)) EnsureCategory(bcVideos);
    if (InDisplayMode(mode, dmRadioStations) && HasRadioNode()) EnsureCategory(bcInternetRadio);
    Fstep = TbuildCursor{};
    Fstep.Mode = mode;
    Fstep.Filter = AlbumFilter();
    // The artists and albums of the genres and years this tree shows, left for later by
    // the index files, are made on a thread of their own while the artists are added (a
    // tree that makes a category's branch when it is opened leaves them for then).
    if (FjukeboxList && mode != 0 && !DefersCategoryBranches()) {
        std::vector<TaudioTagCategoryPtr> ahead;
        const auto add = [&](const TaudioTagCategoryList& list, TtreeviewDisplayModes shown) {
            if (!InDisplayMode(mode, shown) || !list.UseArtists) return;
            for (int i = 0; i < list.Count(); ++i) ahead.push_back(list.GetCategory(i));
        };
        add(FjukeboxList->GenreList(), dmGenres);
        add(FjukeboxList->YearList(), dmYears);
        add(FjukeboxList->VideoGenreList(), dmVideo);
        FlistsAhead.Start(std::move(ahead));
    }
    EnterPhase(FjukeboxList && mode != 0 ? int(bpArtists) : int(bpDone));
}

bool TcustomBrowseTreeBuilder::BuildStep(std::chrono::steady_clock::time_point deadline) {
    if (!Building()) return true;
    // The clock is read every few pieces: a piece is an artist with its albums.
    for (int n = 1;; ++n) {
        if (!BuildUnit()) return true;
        if (n % 8 == 0 && std::chrono::steady_clock::now() >= deadline) return false;
    }
}

void TcustomBrowseTreeBuilder::AbandonBuild() {
    FlistsAhead.Stop();
    if (!Building()) return;
    Fstep = TbuildCursor{};
    EndTreeUpdate();
    BuildAbandoned();
}

void TcustomBrowseTreeBuilder::Build() {
    BeginBuild();
    BuildStep(std::chrono::steady_clock::time_point::max());
}

// ---- TcustomJukeboxListViewer2 ----

bool TcustomJukeboxListViewer2::LettersUpFront() const {
    const TtreeViewDisplayMode mode = DisplayMode();
    return ShowEmptyAlphas && !InDisplayMode(mode, dmNoLetters) &&
           (mode & DisplayModes({dmArtists, dmTitles, dmAlbums, dmInvalid, dmCompilations})) != 0;
}

bool TcustomJukeboxListViewer2::HasTracksArtistsNode() const {
    const TtreeViewDisplayMode mode = DisplayMode();
    return InDisplayMode(mode, dmNoLetters) ||
           (InDisplayMode(mode, dmArtistsInSubNode) &&
            (mode & DisplayModes({dmArtists, dmTitles, dmAlbums, dmInvalid})) != 0);
}

TcustomJukeboxListViewer2::TcustomJukeboxListViewer2()
    : Fself(std::make_shared<TcustomJukeboxListViewer2*>(this)),
      Fpending(std::make_unique<TmyNodeList>()),
      Fdiscarded(std::make_unique<TmyNodeList>()) {}

TcustomJukeboxListViewer2::~TcustomJukeboxListViewer2() {
    *Fself = nullptr;
    LinkNodes(nullptr);
}

void TcustomJukeboxListViewer2::LinkNodes(TmyNodeList* nodes) {
    if (nodes == Fnodes) return;
    if (Fnodes) {
        Fnodes->OnFree.Remove(FnodesFreeKey);
        Fnodes->OnFillChildren = nullptr;
    }
    Fnodes = nodes;
    FnodesFreeKey = 0;
    if (Fnodes) {
        FnodesFreeKey = Fnodes->OnFree.Add([this](TObject*) {
            if (Ftarget == Fnodes) Ftarget = nullptr;
            Fnodes = nullptr;
        });
        Fnodes->OnFillChildren = [this](TmyNode& node) { FillBranch(node); };
    }
}

bool TcustomJukeboxListViewer2::DeferCategoryBranch(Handle node) {
    if (!node) return false;
    static_cast<TmyNode*>(node)->DeferChildren();
    return true;
}

namespace {
// A category of this many tracks or more whose lists are still to be made gets its branch
// from a thread of its own (making a genre of a hundred thousand tracks takes tens of ms).
constexpr int kBranchOnThreadTracks = 20000;
}  // namespace

void TcustomJukeboxListViewer2::FillBranch(TmyNode& node) {
    if (const auto* artist = node.DataAs<TaudioTagArtist>()) {
        artist->Albums().AddToTree(node.Children(), AlbumFilter());
        node.ChildrenMade();
        return;
    }
    const auto category = std::dynamic_pointer_cast<TaudioTagCategory>(node.Data);
    const TmyNode* fixed = node.Parent();
    if (!category || !fixed || !JukeboxList()) {
        node.ChildrenMade();
        return;
    }
    if (category->ListsDeferred() && category->Count() >= kBranchOnThreadTracks) {
        if (std::find(Fmaking.begin(), Fmaking.end(), category.get()) != Fmaking.end()) return;
        Fmaking.push_back(category.get());
        const std::weak_ptr<TcustomJukeboxListViewer2*> self = Fself;
        FbranchLists.Start({category}, [self](const TaudioTagCategoryPtr& made) {
            Dispatcher().Post([self, made] {
                if (const auto viewer = self.lock(); viewer && *viewer) (*viewer)->BranchListsMade(made);
            });
        });
        return;
    }
    node.Children().BeginUpdate();
    AddCategoryBranch(&node, *category, fixed->Tag);
    node.Children().EndUpdate();
    node.ChildrenMade();
}

void TcustomJukeboxListViewer2::BranchListsMade(const TaudioTagCategoryPtr& category) {
    std::erase(Fmaking, category.get());
    if (!Fnodes) return;
    // The node is looked for again: the tree may have been rebuilt meanwhile (a node of a
    // new tree that was not opened keeps its branch for later).
    for (const int fixed : {bcGenres, bcYears, bcVideos}) {
        TmyNode* parent = NodeOfKind(fixed);
        if (!parent) continue;
        for (int i = 0; i < parent->Children().Count(); ++i) {
            TmyNode* node = parent->Children().Items(i);
            if (node->Data.get() == category.get() && node->ChildrenDeferred() && node->Expanded())
                FillBranch(*node);
        }
    }
}

void TcustomJukeboxListViewer2::Rebuild(TmyNodeList& nodes) {
    CancelRebuild();
    LinkNodes(&nodes);
    Ftarget = &nodes;
    Build();
}

void TcustomJukeboxListViewer2::Rebuild(TmyTreeModel& tree) {
    Rebuild(tree.Nodes());
}

void TcustomJukeboxListViewer2::BeginRebuild(TmyNodeList& nodes) {
    CancelRebuild();
    LinkNodes(&nodes);
    Ftarget = Fpending.get();
    Frebuilding = true;
    BeginBuild();
}

bool TcustomJukeboxListViewer2::ContinueRebuild(std::chrono::steady_clock::time_point deadline) {
    return Frebuilding && BuildStep(deadline);
}

void TcustomJukeboxListViewer2::FinishRebuild() {
    if (!Frebuilding || Building()) return;
    Frebuilding = false;
    Ftarget = nullptr;
    if (!Fnodes) {
        Fdiscarded->TakeNodesFrom(*Fpending);
        return;
    }
    Fnodes->BeginUpdate();
    Fdiscarded->TakeNodesFrom(*Fnodes);
    Fnodes->TakeNodesFrom(*Fpending);
    Fnodes->EndUpdate();
}

void TcustomJukeboxListViewer2::CancelRebuild() {
    if (!Frebuilding) return;
    AbandonBuild();  // lands in BuildAbandoned when a build is under way
    Frebuilding = false;
    Ftarget = nullptr;
    Fdiscarded->TakeNodesFrom(*Fpending);
}

void TcustomJukeboxListViewer2::BuildAbandoned() {
    if (Ftarget != Fpending.get()) return;
    Frebuilding = false;
    Ftarget = nullptr;
    Fdiscarded->TakeNodesFrom(*Fpending);
}

void TcustomJukeboxListViewer2::DiscardNodes(TmyNodeList& nodes) {
    Fdiscarded->TakeNodesFrom(nodes);
}

bool TcustomJukeboxListViewer2::FreeDiscarded(std::chrono::steady_clock::time_point deadline) {
    // Freed a few hundred at a time: a node is freed in well under a microsecond.
    while (Fdiscarded->Count() > 0) {
        Fdiscarded->FreeLeaves(256);
        if (std::chrono::steady_clock::now() >= deadline) break;
    }
    return Fdiscarded->Count() == 0;
}

bool TcustomJukeboxListViewer2::HasDiscarded() const {
    return Fdiscarded->Count() > 0;
}

void TcustomJukeboxListViewer2::LibraryFreed() {
    // Every node may point into the library: the shown ones, a build's and the replaced.
    if (Fnodes) Fnodes->Clear();
    Fpending->Clear();
    Fdiscarded->Clear();
}

TcustomBrowseTreeBuilder::Handle TcustomJukeboxListViewer2::AddTreeNode(Handle parent, int index,
                                                                        std::shared_ptr<TObject> data,
                                                                        const std::string& caption,
                                                                        int category) {
    if (!parent && !Ftarget) return nullptr;
    TmyNodeList& list = parent ? static_cast<TmyNode*>(parent)->Children() : *Ftarget;
    TmyNode* node;
    if (index < 0) {
        node = list.AddNode(std::move(data), false, caption);
    } else {
        node = list.InsertNew(index);
        node->Data = std::move(data);
        node->Caption = caption;
    }
    node->Tag = category;
    return node;
}

void TcustomJukeboxListViewer2::SetNodeData(Handle node, std::shared_ptr<TObject> data) {
    if (node) static_cast<TmyNode*>(node)->Data = std::move(data);
}

void TcustomJukeboxListViewer2::AddArtistNode(Handle parent, const TaudioTagArtistPtr& artist,
                                              bool withAlbums, const TalbumNodeFilter& filter) {
    if (!parent && !Ftarget) return;
    TmyNodeList& list = parent ? static_cast<TmyNode*>(parent)->Children() : *Ftarget;
    TmyNode* node = TaudioTagArtistList::AddArtistNode(list, artist, false, filter);
    // Its albums are made when the artist is opened (a library has as many albums as
    // artists, and most are never opened).
    if (!node || !withAlbums) return;
    const TaudioTagAlbumList& albums = artist->Albums();
    for (int i = 0; i < albums.Count(); ++i)
        if (const TaudioTagAlbumPtr album = albums.GetAlbum(i); album && (!filter || filter(*album))) {
            node->DeferChildren();
            return;
        }
}

void TcustomJukeboxListViewer2::ClearTree() {
    if (Ftarget) Ftarget->Clear();
}

void TcustomJukeboxListViewer2::BeginTreeUpdate() {
    if (Ftarget) Ftarget->BeginUpdate();
}

void TcustomJukeboxListViewer2::EndTreeUpdate() {
    if (Ftarget) Ftarget->EndUpdate();
}

TmyNode* TcustomJukeboxListViewer2::NodeOfKind(int category) const {
    if (!Fnodes || category < 0 || category >= kCategorySlots) return nullptr;
    // Looked up in the tree rather than kept, so a tree cleared since the build never
    // hands out a freed node.
    for (int i = 0; i < Fnodes->Count(); ++i) {
        TmyNode* node = Fnodes->Items(i);
        if (node->Tag == category) return node;
        if (node->Tag == bcTracksArtists)
            for (int j = 0; j < node->Children().Count(); ++j)
                if (node->Children().Items(j)->Tag == category) return node->Children().Items(j);
    }
    return nullptr;
}

TmyNode* TcustomJukeboxListViewer2::NodeForKey(char key) const {
    if (!JukeboxList()) return nullptr;
    const unsigned char c = static_cast<unsigned char>(key);
    if (c == 13) return NodeOfKind(bcOther);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return NodeOfKind(CategoryOfName(std::string(1, key)));
    return nullptr;
}

std::string TcustomJukeboxListViewer2::CategoryName(const TmyNode* node) const {
    if (!node || node->Tag < 0 || node->Tag >= kCategorySlots) return "";
    if (node->Tag == bcNoArtist) return "[Not Tagged]";
    if (node->Tag == bcYears && JukeboxList() && JukeboxList()->YearList().Mode == ymDecades)
        return "[Decades]";
    return CategoryCaption(node->Tag);
}

}  // namespace tunecrest
