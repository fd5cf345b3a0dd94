// The playlist editor's edited list: which list it is and where it is held, its rows and
// status panels, choosing what to edit, and the track operations on it.
#include "windows/library/playlist_editor.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <string>
#include <vector>

#include "core/base/shared_utils.h"
#include "core/jukebox/jukebox.h"
#include "core/library/jukebox_list.h"
#include "skin/jukebox_list_viewer.h"
#include "windows/event_rules.h"
#include "windows/library/playlist_editor_constants.h"

namespace tunecrest {

namespace {
constexpr const char* kEmptyRow = "The Playlist is Empty ...";
constexpr const char* kNoListRow = "No Playlist Selected ...";

std::vector<std::string> DisplayLines(const TaudioTagList& list, TtagDisplayFormat format,
                                      std::vector<TaudioTagPtr>& rows) {
    TmyStringList lines;
    list.GetDisplayListEx(lines, true, mkAll, false, format);
    std::vector<std::string> out;
    rows.clear();
    for (int i = 0; i < lines.Count(); ++i) {
        out.push_back(lines.Strings(i));
        rows.push_back(lines.ObjectAs<TaudioTag>(i));
    }
    return out;
}
}  // namespace

// --- the edited list ------------------------------------------------------------------

bool TfrmNewPlaylistEditor::InCollection(const TaudioTagList* list) const {
    const TcustomJukeboxList* library = Library();
    return list && library && const_cast<TcustomJukeboxList*>(library)->Playlists().IndexOfList(list) >= 0;
}

bool TfrmNewPlaylistEditor::InStacker(const TaudioTagList* list) const {
    return list && Fjukebox && Fjukebox->Stacker().IndexOfList(list) >= 0;
}

bool TfrmNewPlaylistEditor::IsJukeboxPlaylist(const TaudioTagList* list) const {
    return list && Fjukebox && list == &Fjukebox->Playlist();
}

bool TfrmNewPlaylistEditor::Held(const TaudioTagList* list) const {
    return IsJukeboxPlaylist(list) || InCollection(list) || InStacker(list);
}

TaudioTagListPtr TfrmNewPlaylistEditor::JukeboxPlaylistRef() const {
    // The jukebox owns its playlist outright: the window points at it without a share,
    // and forgets it with the library (SetJukebox's free notice).
    if (!Fjukebox) return nullptr;
    return TaudioTagListPtr(TaudioTagListPtr(), &Fjukebox->Playlist());
}

TaudioTagList* TfrmNewPlaylistEditor::CurrentList() {
    if (Fcurrent && !Held(Fcurrent.get())) SetCurrentList(nullptr);
    return Fcurrent.get();
}

void TfrmNewPlaylistEditor::SetCurrentList(TaudioTagListPtr list) {
    Fcurrent = std::move(list);
    FinCollection = Library() && InCollection(Fcurrent.get());
    FinStacker = Library() && InStacker(Fcurrent.get());
    actnAddToStacker->setEnabled(Fcurrent && !FinStacker);
    actnAddToplaylists->setEnabled(Fcurrent && !FinCollection);
    if (actnAddToStacker->isEnabled())
        tbtnAddPlaylistTo->setDefaultAction(actnAddToStacker);
    else if (actnAddToplaylists->isEnabled())
        tbtnAddPlaylistTo->setDefaultAction(actnAddToplaylists);
    UpdateList();
}

void TfrmNewPlaylistEditor::UpdateList() {
    TaudioTagList* list = Fcurrent.get();
    lbPlaylist->clear();
    FlistRows.clear();
    lbPlaylist->setEnabled(list && list->Count() > 0);
    if (list) {
        const std::vector<std::string> lines = DisplayLines(*list, tdfArtistTitleDuration, FlistRows);
        for (const std::string& line : lines) lbPlaylist->addItem(QString::fromStdString(line));
        if (lines.empty()) lbPlaylist->addItem(kEmptyRow);
    } else {
        lbPlaylist->addItem(kNoListRow);
    }
    const bool editable = list && !IsJukeboxPlaylist(list);
    for (QAction* a : {actnPlaylistsDelete, actnPlaylistsRename}) a->setEnabled(editable);
    for (QCheckBox* box : {cbRandom, cbLoop, cbReset}) box->setEnabled(editable);
    if (list && FinCollection) {
        SetCheckDetached(*cbReset, list->IsResetOnActivate());
        SetCheckDetached(*cbLoop, list->IsLoop());
        SetCheckDetached(*cbRandom, list->IsRandom());
    } else if (!list) {
        for (QCheckBox* box : {cbRandom, cbLoop, cbReset}) SetCheckDetached(*box, false);
    }
    for (int i = 0; i < 4; ++i) sbPanels[i]->setText(QString::fromStdString(StatusText(i)));
    // Delete takes the place of the hidden New-from-M3U button, Rename sits below it.
    btnDelete->move(
        0, btnNewFromM3U->isVisibleTo(btnNewFromM3U->parentWidget()) ? 2 * kButtonPitch : kButtonPitch);
    btnRename->move(0, btnDelete->y() + kButtonPitch);
}

std::string TfrmNewPlaylistEditor::StatusText(int panel) const {
    const TaudioTagList* list = Fcurrent.get();
    switch (panel) {
        case 0: {
            std::string suffix;
            if (actnAddToplaylists->isEnabled())
                suffix = " (stacker)";
            else if (actnAddToStacker->isEnabled())
                suffix = " (playlist collection)";
            return "List : " + (list ? list->Title() : std::string("NONE")) + suffix;
        }
        case 1:
            return "Count : " + std::to_string(list ? list->Count() : 0);
        case 2:
            return "Play Time : " + FormatHMS(list ? int(list->TotalDuration()) : 0);
        case 3:
            return "Artist Count : " + std::to_string(list ? list->ArtistCount() : 0);
        default:
            return "";
    }
}

// --- choosing what to edit -----------------------------------------------------------

void TfrmNewPlaylistEditor::ChoosePlaylist(int row) {
    if (row >= 0 && row < int(FcollectionRows.size())) SetCurrentList(FcollectionRows[size_t(row)]);
}

void TfrmNewPlaylistEditor::ChooseCartridge(int row) {
    if (row >= 0 && row < int(FstackerRows.size())) SetCurrentList(FstackerRows[size_t(row)]);
}

void TfrmNewPlaylistEditor::ChooseTab(int index) {
    mnuCollection->setEnabled(index == 0);
    mnuStacker->setEnabled(index == 1);
    QListWidget* box = index == 0 ? lbPlaylists : index == 1 ? lbStacker : nullptr;
    const int row = box ? box->currentRow() : -1;
    const bool selected = box && row >= 0 && box->item(row) && box->item(row)->isSelected();
    if (!selected) {
        SetCurrentList(nullptr);
        return;
    }
    if (index == 0)
        ChoosePlaylist(row);
    else
        ChooseCartridge(row);
}

void TfrmNewPlaylistEditor::ChooseTreeItem(QTreeWidgetItem* item) {
    lbSongs->clear();
    FsongRows.clear();
    auto* list = dynamic_cast<TaudioTagList*>(TcustomJukeboxListViewer::ItemData(item));
    if (!list) return;
    // Shown in track or title order; the library's own lists keep their order.
    TaudioTagList shown;
    shown.Assign(*list, false, false);
    TtagDisplayFormat format = tdfTitleArtistDuration;
    if (auto* album = dynamic_cast<TaudioTagAlbum*>(list)) {
        shown.SortBy(tstTrackTitle);
        format = album->Compilation ? tdfTrackArtistTitleDuration : tdfTrackTitleDuration;
    } else if (dynamic_cast<TaudioTagArtist*>(list)) {
        shown.SortBy(tstTitle);
        format = item->parent() ? tdfTitleDuration : tdfTitleArtistDuration;
    }
    for (const std::string& line : DisplayLines(shown, format, FsongRows))
        lbSongs->addItem(QString::fromStdString(line));
}

// --- track operations -------------------------------------------------------------------

void TfrmNewPlaylistEditor::AddTracks(const std::vector<TaudioTagPtr>& tags) {
    TaudioTagList* list = CurrentList();
    if (!list || tags.empty()) return;
    if (InStacker(list)) MarkStackerEdit();
    list->BeginUpdate();
    for (const TaudioTagPtr& tag : tags) list->AddCopy(tag);
    list->EndUpdate();
    UpdateList();
}

void TfrmNewPlaylistEditor::AddSelectedTracks() {
    if (!CurrentList()) return;
    std::vector<TaudioTagPtr> tags;
    for (int row = 0; row < lbSongs->count() && row < int(FsongRows.size()); ++row)
        if (lbSongs->item(row)->isSelected()) {
            tags.push_back(FsongRows[size_t(row)]);
            lbSongs->item(row)->setSelected(false);
        }
    AddTracks(tags);
}

void TfrmNewPlaylistEditor::AddAllTracks() {
    AddTracks(FsongRows);
}

void TfrmNewPlaylistEditor::SelectTrack(const TaudioTag* tag) {
    for (size_t row = 0; row < FlistRows.size(); ++row)
        if (FlistRows[row].get() == tag) {
            SetCurrentRowInCode(*lbPlaylist, int(row));
            return;
        }
}

void TfrmNewPlaylistEditor::MoveUp() {
    TaudioTagList* list = CurrentList();
    const int row = lbPlaylist->currentRow();
    if (!list || row < 0 || row >= int(FlistRows.size())) return;
    const TaudioTagPtr tag = FlistRows[size_t(row)];
    list->MoveUp(list->IndexOf(tag.get()));
    UpdateList();
    SelectTrack(tag.get());
}

void TfrmNewPlaylistEditor::MoveDown() {
    TaudioTagList* list = CurrentList();
    const int row = lbPlaylist->currentRow();
    if (!list || row < 0 || row >= int(FlistRows.size())) return;
    const TaudioTagPtr tag = FlistRows[size_t(row)];
    list->MoveDown(list->IndexOf(tag.get()));
    UpdateList();
    SelectTrack(tag.get());
}

void TfrmNewPlaylistEditor::DeleteSelected() {
    TaudioTagList* list = CurrentList();
    const int row = lbPlaylist->currentRow();
    if (!list || row < 0 || row >= int(FlistRows.size())) return;
    std::vector<TaudioTagPtr> doomed;
    for (int i = int(FlistRows.size()) - 1; i >= 0; --i)
        if (lbPlaylist->item(i)->isSelected() || i == row) doomed.push_back(FlistRows[size_t(i)]);
    list->BeginUpdate();
    for (const TaudioTagPtr& tag : doomed) list->Remove(tag.get());
    list->EndUpdate();
    UpdateList();
    if (!FlistRows.empty()) SetCurrentRowInCode(*lbPlaylist, std::min(row, int(FlistRows.size()) - 1));
}

void TfrmNewPlaylistEditor::ClearList() {
    if (TaudioTagList* list = CurrentList()) {
        list->Clear();
        UpdateList();
    }
}

void TfrmNewPlaylistEditor::SortBy(int sortType) {
    if (TaudioTagList* list = CurrentList()) {
        list->SortBy(TaudioTagSortType(sortType));
        UpdateList();
    }
}

void TfrmNewPlaylistEditor::Randomize() {
    if (TaudioTagList* list = CurrentList()) {
        list->Shuffle();
        UpdateList();
    }
}

void TfrmNewPlaylistEditor::MakeSortAction(QAction* action) {
    tbtnSort->setDefaultAction(action);
}

}  // namespace tunecrest
