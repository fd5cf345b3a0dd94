// The playlist editor's files and playlists: M3U files read and written, playlists of the
// collection and cartridges of the stacker made, renamed and deleted, their play modes,
// the filter, and playing a chosen track.
#include "windows/library/playlist_editor.h"

#include <QComboBox>
#include <QListWidget>
#include <filesystem>
#include <memory>
#include <string>

#include "core/base/services.h"
#include "core/jukebox/jukebox.h"
#include "core/library/jukebox_list.h"
#include "core/tags/playlist_files.h"
#include "windows/about_box.h"
#include "windows/event_rules.h"
#include "windows/library/playlist_editor_constants.h"

namespace tunecrest {

namespace {
constexpr const char* kM3UFilter = "M3U Playlist (*.m3u)";

std::string FolderOf(const std::string& file) {
    return std::filesystem::path(file).parent_path().string();
}
}  // namespace

// --- files and playlists ----------------------------------------------------------------

void TfrmNewPlaylistEditor::ReadFile(const std::string& fileName, bool append) {
    TaudioTagList* list = CurrentList();
    TcustomJukeboxList* library = Library();
    if (!list || !library) return;
    // The list reports its reading through this window to the progress window.
    auto savedStart = list->OnListProcessStart;
    auto savedProcess = list->OnListProcess;
    auto savedFinished = list->OnListProcessFinished;
    list->OnListProcessStart = [this](TObject*, const std::string& text) {
        if (Fprogress) Fprogress->SetStatusText(text);
    };
    list->OnListProcess = [this](TObject*, int index, int count, const TaudioTagPtr&) {
        if (Fprogress) Fprogress->SetProgress(index, count);
    };
    list->OnListProcessFinished = nullptr;
    list->SetAudioFileMask(library->GlobalList().AudioFileMask());
    list->SetUseAudioFileMask(library->GlobalList().UseAudioFileMask());
    std::string error;
    bool ok;
    {
        TprogressScope scope(Fprogress, "Reading Playlist");
        ok = LoadFromPlaylistFile(*list, fileName, append, &error);
    }
    list->SetOverrideTagInfo(library->GlobalList().OverrideTagInfo());
    list->OnListProcessStart = std::move(savedStart);
    list->OnListProcess = std::move(savedProcess);
    list->OnListProcessFinished = std::move(savedFinished);
    FplaylistFolder = FolderOf(fileName);
    if (!ok) Prompt().ShowMessage("The playlist file could not be read.\r\n\r\n" + error, kTitle);
    UpdateList();
}

void TfrmNewPlaylistEditor::LoadFromM3U(bool append) {
    if (!Library() || !CurrentList()) return;
    const auto file = Prompt().ChooseOpenFile(append ? "Add from M3U File" : "Load from M3U File", kM3UFilter,
                                              FplaylistFolder);
    if (!file || file->empty()) return;
    ReadFile(*file, append);
}

void TfrmNewPlaylistEditor::SaveToM3U() {
    TaudioTagList* list = CurrentList();
    if (!Library() || !list || list->Count() == 0) return;
    auto file = Prompt().ChooseSaveFile("Save to M3U File", kM3UFilter, FplaylistFolder);
    if (!file || file->empty()) return;
    if (std::filesystem::path(*file).extension().empty()) *file += ".m3u";
    std::string error;
    if (!ExportM3U(*list, *file, false, false, true, &error))
        Prompt().ShowMessage("The playlist could not be saved.\r\n\r\n" + error, kTitle);
    FplaylistFolder = FolderOf(*file);
}

void TfrmNewPlaylistEditor::MarkCollectionEdit() const {
    if (TcustomJukeboxList* library = Library()) library->MarkPlaylistsUserChange();
}

void TfrmNewPlaylistEditor::MarkStackerEdit() const {
    if (Fjukebox) Fjukebox->MarkUserChange(TcustomJukebox::ulStacker);
}

void TfrmNewPlaylistEditor::SelectRowOf(QListWidget& box, const TaudioTagListList& owner,
                                        const TaudioTagList* list) {
    const int row = owner.IndexOfList(list);
    if (row >= 0 && row < box.count()) SetCurrentRowInCode(box, row);
}

bool TfrmNewPlaylistEditor::Rename(TaudioTagList& list) {
    if (IsJukeboxPlaylist(&list)) return false;
    const auto name = Prompt().AskText("Rename Playlist", "Enter a Name : ", list.Title());
    if (!name) return false;
    if (name->empty()) {
        Prompt().ShowMessage("The playlist name cannot be blank.", "Bad Playlist Name");
        return false;
    }
    TaudioTagListPtr keep = Fcurrent;
    if (InCollection(&list)) {
        MarkCollectionEdit();
        Library()->Playlists().RenameList(&list, *name);
        RefreshPlaylistCollection();
        SelectRowOf(*lbPlaylists, Library()->Playlists(), &list);
    } else if (InStacker(&list)) {
        MarkStackerEdit();
        Fjukebox->Stacker().RenameList(&list, *name);
        RefreshStackerList();
        SelectRowOf(*lbStacker, Fjukebox->Stacker(), &list);
    } else {
        return false;
    }
    if (keep.get() == &list) SetCurrentList(keep);
    return true;
}

void TfrmNewPlaylistEditor::RenameCurrent() {
    if (TaudioTagList* list = CurrentList()) Rename(*list);
}

void TfrmNewPlaylistEditor::NewPlaylist() {
    TcustomJukeboxList* library = Library();
    if (!library) return;
    auto list = std::make_shared<TaudioTagList>();
    list->SetTitle("New Playlist");
    MarkCollectionEdit();
    library->Playlists().AddList(list);
    RefreshPlaylistCollection();
    SetCurrentList(list);
    Rename(*list);
    SelectRowOf(*lbPlaylists, library->Playlists(), list.get());
}

void TfrmNewPlaylistEditor::NewFromM3U() {
    TcustomJukeboxList* library = Library();
    if (!library) return;
    const auto file = Prompt().ChooseOpenFile("New from M3U", kM3UFilter, FplaylistFolder);
    if (!file || file->empty()) return;
    auto list = std::make_shared<TaudioTagList>();
    list->SetTitle(std::filesystem::path(*file).stem().string());
    MarkCollectionEdit();
    library->Playlists().AddList(list);
    RefreshPlaylistCollection();
    SetCurrentList(list);
    Rename(*list);
    ReadFile(*file, false);
    SelectRowOf(*lbPlaylists, library->Playlists(), list.get());
}

void TfrmNewPlaylistEditor::DeleteCurrent() {
    TaudioTagList* list = CurrentList();
    if (!list || IsJukeboxPlaylist(list)) return;
    if (!Prompt().AskYesNo("Are you sure you want to delete " + list->Title() + "?",
                           "Confirm Playlist Delete", false))
        return;
    // Kept alive until the owner has let it go and this window has forgotten it.
    const TaudioTagListPtr doomed = Fcurrent;
    SetCurrentList(nullptr);
    if (InCollection(doomed.get())) {
        MarkCollectionEdit();
        Library()->Playlists().Remove(doomed.get());
        RefreshPlaylistCollection();
    } else if (InStacker(doomed.get())) {
        MarkStackerEdit();
        Fjukebox->Stacker().Remove(doomed.get());
        RefreshStackerList();
    }
}

void TfrmNewPlaylistEditor::AddToCollection() {
    TaudioTagList* list = CurrentList();
    TcustomJukeboxList* library = Library();
    if (!list || !library || InCollection(list)) return;
    const auto answer = Prompt().AskText("Playlist Name", "Enter a name for the playlist.", "New Playlist");
    if (!answer) return;
    const std::string name = answer->empty() ? std::string("New playlist") : *answer;
    MarkCollectionEdit();
    TaudioTagListPtr copy = library->Playlists().AddCopyOfList(*list, name);
    if (copy) copy->SetActive(false);
    RefreshPlaylistCollection();
    SetCurrentList(Fcurrent);
}

void TfrmNewPlaylistEditor::AddToStacker() {
    TaudioTagList* list = CurrentList();
    if (!list || !Fjukebox || InStacker(list)) return;
    std::string name = list->Title();
    if (IsJukeboxPlaylist(list)) {
        const auto answer = Prompt().AskText("Playlist Name", "Enter a name for the playlist.",
                                             "Playlist" + std::to_string(Fjukebox->Stacker().Count() + 1));
        if (!answer) return;
        name = answer->empty() ? std::string("New playlist") : *answer;
    }
    auto cartridge = std::make_shared<TaudioTagList>();
    cartridge->SetOwnsObjects(true);
    cartridge->SetTitle(name);
    cartridge->SetActive(true);
    for (const TaudioTagPtr& tag : list->Items()) cartridge->Add(tag->Clone());
    MarkStackerEdit();
    Fjukebox->Stacker().AddList(cartridge);
    RefreshStackerList();
}

void TfrmNewPlaylistEditor::EmptyStacker() {
    if (!Fjukebox) return;
    MarkStackerEdit();
    Fjukebox->Stacker().Clear();
    RefreshStackerList();
}

void TfrmNewPlaylistEditor::ClearJukeboxPlaylist() {
    if (!Fjukebox) return;
    Fjukebox->MarkUserChange(TcustomJukebox::ulPlaylist);
    Fjukebox->Playlist().Clear();
    RefreshInfo();
}

void TfrmNewPlaylistEditor::SetPlayModeFlag(int mode, bool on) {
    TaudioTagList* list = CurrentList();
    if (!list || IsJukeboxPlaylist(list)) return;
    if (InCollection(list)) MarkCollectionEdit();
    switch (mode) {
        case lmRandom:
            list->SetRandom(on);
            break;
        case lmLoop:
            list->SetLoop(on);
            break;
        case lmResetOnActivate:
            list->SetResetOnActivate(on);
            break;
        default:
            break;
    }
}

void TfrmNewPlaylistEditor::ChooseActivePlaylist(int index) {
    auto* library = dynamic_cast<TcustomlocalJukeboxList*>(Library());
    if (!library || !Fjukebox) return;
    const auto* list =
        reinterpret_cast<const TaudioTagList*>(cboPlaylists->itemData(index).value<quintptr>());
    std::string title;
    if (index > 0 && list && Held(list)) title = list->Title();
    library->ActivatePlaylist(title);
}

void TfrmNewPlaylistEditor::ApplyFilters() {
    TaudioTagList* list = CurrentList();
    TcustomJukeboxList* library = Library();
    if (!list || !library) return;
    if (!FfilterEditor) {
        Prompt().ShowMessage("The Random Play Filter window is not available yet.", kTitle);
        return;
    }
    if (!FfilterEditor(*Ffilter) || !Ffilter->HasRules()) return;
    list = CurrentList();  // the editor ran modally; the list may have gone meanwhile
    if (!list) return;
    TaudioTagList passed;
    Ffilter->ApplyRules(library->GlobalList(), passed, true);
    // The filter's result replaces what was built by hand only when the person agrees.
    if (list->Count() > 0 &&
        !Prompt().AskYesNo("Replace the " + std::to_string(list->Count()) + " tracks of \"" + list->Title() +
                               "\" with the " + std::to_string(passed.Count()) +
                               " tracks that pass the filter?",
                           "Apply Filters", false))
        return;
    if (InStacker(list)) MarkStackerEdit();
    list->Assign(passed, false, false);
    UpdateList();
}

void TfrmNewPlaylistEditor::PlaySelectedTrack() {
    QListWidget* source = FlastTrackSource;
    TaudioTagPtr track;
    if (source == lbPlaylist && lbPlaylist->currentRow() >= 0 &&
        lbPlaylist->currentRow() < int(FlistRows.size()))
        track = FlistRows[size_t(lbPlaylist->currentRow())];
    else if (source == lbSongs && lbSongs->currentRow() >= 0 && lbSongs->currentRow() < int(FsongRows.size()))
        track = FsongRows[size_t(lbSongs->currentRow())];
    auto* library = dynamic_cast<TcustomlocalJukeboxList*>(Library());
    if (!Fjukebox || !track || !library) return;
    library->InsertInQueue(*track);
    if (Fplayer) Fplayer->PlayNext();
}

void TfrmNewPlaylistEditor::StopPlayback() {
    if (Fplayer) Fplayer->Stop();
}

}  // namespace tunecrest
