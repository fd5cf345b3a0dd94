// The main window's library views: the browse modes, the tree and the cover views, what
// a change of the library shows again, and the progress of long list work.
#include <QLabel>
#include <functional>
#include <string>
#include <utility>

#include "mainwindow/list_display.h"
#include "mainwindow/main_form.h"
#include "windows/about_box.h"

namespace tunecrest {

namespace {
// The list operations from this many items up show the progress window.
constexpr int kListProgressMinimum = 251;
}  // namespace

void TfrmBaseJukebox::BindViewActions() {
    auto bind = [this](const char* name, std::function<void(Taction&)> handler) {
        if (Taction* a = Factions->Find(name); a && !a->OnExecute) a->OnExecute = std::move(handler);
    };
    bind("actnViewJukeboxlistView", [this](Taction&) { SetBrowseMode(bmTree); });
    bind("actnViewCoverArtView", [this](Taction&) { SetBrowseMode(bmCovers); });
    bind("actnViewArtistsAndCovers", [this](Taction&) { SetBrowseMode(bmArtistsAndCovers); });
    bind("actnQueueAddSelected", [this](Taction&) { QueueAddSelected(); });
}

void TfrmBaseJukebox::SetBrowseMode(int mode) {
    if (mode < bmTree || mode > bmArtistsAndCovers || mode == FbrowseMode) return;
    FbrowseMode = mode;
    Fsettings.ViewKind = mode;
    ApplyBrowseMode();
}

void TfrmBaseJukebox::ApplyBrowseMode() {
    for (const auto& [name, mode] : {std::pair{"actnViewJukeboxlistView", bmTree}, std::pair{"actnViewCoverArtView", bmCovers},
                                     std::pair{"actnViewArtistsAndCovers", bmArtistsAndCovers}})
        if (Taction* a = Factions->Find(name)) a->Checked = FbrowseMode == mode;
    TbrowseTreeView& browse = Flayout->Browse();
    TtreeViewDisplayMode display = TtreeViewDisplayMode(FbrowseNodes);
    // Beside the artist's covers the tree shows artists without their albums.
    if (FbrowseMode == bmArtistsAndCovers) display &= ~DisplayModeBit(dmAlbums);
    browse.Viewer().SetDisplayMode(display);
    Flayout->Lists().DisplayMode = display;
    Flayout->ApplyBrowseMode(FbrowseMode);
    if (FbrowseMode == bmCovers) {
        browse.ClearTree();
    } else {
        BuildTreeView();
    }
    if (FbrowseMode != bmTree) RefreshCoversList();
}

void TfrmBaseJukebox::BuildTreeView() {
    if (!Flayout || !FviewsActive || Closing() || FbrowseMode == bmCovers) return;
    if (Flist && Flist->Jukebox()->LibraryLoading()) return;
    // The text stays while a large library's tree is finished in later steps.
    ShowProgressText("Updating Tree View");
    Flayout->Browse().BuildTreeView();
    if (!Flayout->Browse().Viewer().Rebuilding()) ShowProgressText("");
}

void TfrmBaseJukebox::RefreshCoversList() {
    if (!Flayout || !FviewsActive || Closing() || !Flist) return;
    // The cover view's album list: each album by its title, in the order shown.
    auto keep = [this](const TcoverAlbums& albums) {
        if (!FcoversAlbumList) return;
        FcoversAlbumList->Clear();
        for (const auto& album : albums)
            if (album) FcoversAlbumList->AddObject(album->Title(), album);
    };
    if (FbrowseMode == bmCovers) {
        Flayout->Covers().CoverFolder = Fsettings.CoverArtFolder;
        Flayout->Covers().CoverFolderOnly = Fsettings.CoverArtOnlyCheckCoverArtFolder;
        TcoverAlbums albums = AllCoverAlbums(*Flist);
        keep(albums);
        Flayout->Covers().SetAlbums(std::move(albums));
    } else if (FbrowseMode == bmArtistsAndCovers) {
        TcoverAlbums albums = ArtistCoverAlbums(Flayout->Browse().SelectedNode(), *Flist);
        keep(albums);
        Flayout->SetAlbumCoversVisible(!albums.empty());
        Flayout->ArtistCovers().CoverFolder = Fsettings.CoverArtFolder;
        Flayout->ArtistCovers().CoverFolderOnly = Fsettings.CoverArtOnlyCheckCoverArtFolder;
        Flayout->ArtistCovers().SetAlbums(std::move(albums));
    }
}

void TfrmBaseJukebox::TreeSelectionChanged(TmyNode* node) {
    if (!Flayout || Closing()) return;
    Flayout->Lists().ShowNode(node);
    Flayout->SetTrackListHeader(TrackListHeaderText(Flayout->ListFonts, node ? node->Data.get() : nullptr));
    if (FbrowseMode == bmArtistsAndCovers) RefreshCoversList();
}

uint32_t TfrmBaseJukebox::BrowseDisplayMode() const { return FbrowseNodes; }

void TfrmBaseJukebox::SetBrowseDisplayMode(uint32_t mode) {
    FbrowseNodes = mode & kAllDisplayModes;
    // What party play takes away is not the owner's choice and is not stored; the
    // owner's set comes back when party play ends.
    if (!PartyPlayEnabled()) Fsettings.ViewJukeboxList = int(FbrowseNodes);
    if (Flayout && FbrowseMode != bmNone) ApplyBrowseMode();
}

void TfrmBaseJukebox::GlobalListChanged() {
    if (Closing() || !Flayout) return;
    Flayout->Lists().ClearTracks();
    Fdialogs->RefreshLibraryViews();
    BuildTreeView();
    RefreshCoversList();
}

void TfrmBaseJukebox::PlaylistsChanged() {
    if (Closing()) return;
    BuildTreeView();
}

void TfrmBaseJukebox::VideoListChanged() {
    if (Closing()) return;
    BuildTreeView();
}

void TfrmBaseJukebox::URLsChanged() {
    if (Closing() || !Flayout) return;
    const TtrackRows& rows = Flayout->Lists().Rows();
    if (rows.Urls) Flayout->TrackList->SetCount(rows.Urls->Count());
}

QWidget* TfrmBaseJukebox::GetProgressForm() { return Fprogress; }

void TfrmBaseJukebox::ShowProgressText(const std::string& text) {
    if (FstatusLine) FstatusLine->setText(QString::fromStdString(text));
    // While start-up or list work shows the progress window, its message line follows.
    if (Fprogress && Fprogress->ProgressVisible() && !text.empty()) Fprogress->SetStatusText(text);
}

void TfrmBaseJukebox::ListProcessStart(const std::string& text) {
    FlistProcessText = text;
    ShowProgressText(text);
}

void TfrmBaseJukebox::ListProcess(int position, int maximum) {
    if (!Fprogress || Closing()) return;
    // A long list operation brings the progress window up; a short one does not flash it.
    if (!Fprogress->isVisible()) {
        if (maximum < kListProgressMinimum) return;
        // As a progress operation: the credits make way and the window may close after it.
        Fprogress->BeginProgress(FlistProcessText.empty() ? std::string("Processing") : FlistProcessText);
        FlistSplash = true;
    }
    Fprogress->SetProgress(position, maximum);
}

void TfrmBaseJukebox::ListProcessFinished() {
    ShowProgressText("");
    FlistProcessText.clear();
    if (FlistSplash && Fprogress) Fprogress->EndProgress();
    FlistSplash = false;
}

}  // namespace tunecrest
