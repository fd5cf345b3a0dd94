#pragma once
// The playlist editor: a desktop-style window in which an operator builds playlists from
// the library. On the left the library tree and the tracks of the chosen node; on the
// right the library's playlist collection and the stacker's cartridges above the list
// being edited. It loads, appends and saves M3U files, makes, renames and deletes
// playlists, copies them into the stacker or the collection, sorts, shuffles and filters
// the edited list, and picks the jukebox's activated playlist.
//
// The edited list is never the window's own: it belongs to the collection, the stacker
// or the jukebox. The window keeps a shared reference so a list removed behind its back
// never dangles, and drops the list at the next look once its owner no longer holds it.
#include <QListWidget>
#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/library/tag_list_list.h"
#include "core/tags/tag_list_rules.h"
#include "skin/skin_forms.h"
#include "windows/library/tree_rebuild.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tunecrest {

class TcustomJukebox;
class TcustomJukeboxList;
class TcustomJukeboxListViewer;
class TcustomMediaPlayer;
class TfrmAbout2;
class TiniFile;

// A cartridge action of the main window (add, load or save a cartridge file).
using TcartridgeAction = std::function<void()>;
// The Random Play Filter editor on a filter; true when the person confirmed it.
using TfilterEditor = std::function<bool(TtagListRules& filter)>;

// The edited list as rows: a row per track with the track as its object, and the rows
// that drag and drop accept. Knows which widgets a drag may come from.
class TplaylistRows : public QListWidget {
  public:
    explicit TplaylistRows(QWidget* parent = nullptr) : QListWidget(parent) {}
    // Set by the editor: the drag sources it accepts and what a drop does.
    std::function<bool(QObject* source)> AcceptsFrom;
    std::function<void(QObject* source, int row)> DropFrom;
    // The row a drag inside the list started from.
    int DragRow = -1;

  protected:
    void startDrag(Qt::DropActions actions) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
};

class TfrmNewPlaylistEditor : public QMainWindow {
  public:
    explicit TfrmNewPlaylistEditor(QWidget* parent = nullptr);
    ~TfrmNewPlaylistEditor() override;

    // What the main window calls.
    void SetJukebox(TcustomJukebox* jukebox);
    void SetPlaybackVisible(TcustomMediaPlayer* player);
    void SetAddCartridgeAction(TcartridgeAction action);
    void SetLoadCartridgeAction(TcartridgeAction action);
    void SetSaveCartridgeAction(TcartridgeAction action);
    void SetProgressWindow(TfrmAbout2* window) { Fprogress = window; }
    void SetFilterEditor(TfilterEditor editor) { FfilterEditor = std::move(editor); }
    void RefreshPlaylistCollection();
    void SelectActivePlaylist(TaudioTagList* list);
    void RefreshStackerList();
    void UpdatePlaylistTree();
    void RefreshInfo();
    void PlaylistChanged() { RefreshInfo(); }
    void LoadSettings(const TiniFile& ini, const std::string& section);
    void SaveSettings(TiniFile& ini, const std::string& section) const;

    TcustomJukebox* Jukebox() const { return Fjukebox; }
    TcustomJukeboxList* Library() const;
    // The edited list, or none; a list its owner no longer holds is dropped first.
    TaudioTagList* CurrentList();
    TtagListRules& Filter() { return *Ffilter; }
    const std::string& PlaylistFolder() const { return FplaylistFolder; }
    void SetPlaylistFolder(const std::string& folder) { FplaylistFolder = folder; }
    const TtreeRebuild& TreeRebuild() const { return Frebuild; }
    // The texts of the four status panels.
    std::string StatusText(int panel) const;

    // Choosing what to edit and where tracks come from.
    void ChoosePlaylist(int row);
    void ChooseCartridge(int row);
    void ChooseTab(int index);
    void ChooseTreeItem(QTreeWidgetItem* item);

    // Track operations on the edited list.
    void AddSelectedTracks();
    void AddAllTracks();
    void MoveUp();
    void MoveDown();
    void DeleteSelected();
    void ClearList();
    void SortBy(int sortType);
    void Randomize();
    // Drag and drop onto the edited list: from itself (moves the dragged row to `row`, -1
    // past the end), from the songs list (adds the selected tracks) or from the tree (adds
    // the chosen node's tracks).
    bool AcceptsDrop(QObject* source) const;
    void Drop(QObject* source, int row);

    // Files and playlists.
    void LoadFromM3U(bool append);
    void SaveToM3U();
    void NewPlaylist();
    void NewFromM3U();
    void RenameCurrent();
    void DeleteCurrent();
    void AddToCollection();
    void AddToStacker();
    void EmptyStacker();
    void ClearJukeboxPlaylist();
    void SetPlayModeFlag(int mode, bool on);
    void ChooseActivePlaylist(int index);
    void ApplyFilters();
    void PlaySelectedTrack();
    void StopPlayback();

    // Controls, by the names skins and tests look them up with.
    QTreeWidget* tvJukebox;
    QListWidget* lbSongs;
    QTabWidget* pcPlaylists;
    QListWidget* lbPlaylists;
    QComboBox* cboPlaylists;
    QWidget* pnlActivePlaylist;
    QPushButton* btnNew;
    QPushButton* btnNewFromM3U;
    QPushButton* btnDelete;
    QPushButton* btnRename;
    QGroupBox* gbSettings;
    QCheckBox* cbRandom;
    QCheckBox* cbLoop;
    QCheckBox* cbReset;
    QListWidget* lbStacker;
    QPushButton* btnStackerRename;
    QPushButton* btnStackerDelete;
    QPushButton* btnStackerEmpty;
    QPushButton* btnLoadCartridge;
    QPushButton* btnAddCartridge;
    QPushButton* btnSaveCartridge;
    TplaylistRows* lbPlaylist;
    QLabel* sbPanels[4];
    QToolButton* tbtnAddPlaylistTo;
    QToolButton* tbtnSort;
    QMenu* mnuControl;
    QMenu* mnuCollection;
    QMenu* mnuStacker;
    QAction* actnAddSelected;
    QAction* actnAddAll;
    QAction* actnMoveUp;
    QAction* actnMoveDown;
    QAction* actnDelete;
    QAction* actnClear;
    QAction* actnSortArtist;
    QAction* actnSortTitle;
    QAction* actnSortDuration;
    QAction* actnRandomize;
    QAction* actnLoadM3U;
    QAction* actnAddM3U;
    QAction* actnSaveM3U;
    QAction* actnPlaylistsNew;
    QAction* actnPlaylistsNewFromM3U;
    QAction* actnPlaylistsDelete;
    QAction* actnPlaylistsRename;
    QAction* actnAddToStacker;
    QAction* actnAddToplaylists;
    QAction* actnStackerEmpty;
    QAction* actnClearPlaylist;
    QAction* actnApplyFilters;
    QAction* actnPlaySelectedTrack;
    QAction* actnStopPlayback;
    QAction* actnClose;

  protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TformSkinColors FformColors;  // the colours the window is styled in
    void BuildControls();
    void BuildActions();
    void SetCurrentList(TaudioTagListPtr list);
    void UpdateList();
    bool InCollection(const TaudioTagList* list) const;
    bool InStacker(const TaudioTagList* list) const;
    bool IsJukeboxPlaylist(const TaudioTagList* list) const;
    bool Held(const TaudioTagList* list) const;
    TaudioTagListPtr JukeboxPlaylistRef() const;
    void ReadFile(const std::string& fileName, bool append);
    bool Rename(TaudioTagList& list);
    void SelectRowOf(QListWidget& box, const TaudioTagListList& owner, const TaudioTagList* list);
    void SelectTrack(const TaudioTag* tag);
    void AddTracks(const std::vector<TaudioTagPtr>& tags);
    std::vector<TaudioTagPtr> NodeTracks(QTreeWidgetItem* item) const;
    void MakeSortAction(QAction* action);
    void MarkCollectionEdit() const;
    void MarkStackerEdit() const;

    TcustomJukebox* Fjukebox = nullptr;
    TcustomMediaPlayer* Fplayer = nullptr;
    TfrmAbout2* Fprogress = nullptr;
    TaudioTagListPtr Fcurrent;
    bool FinCollection = false, FinStacker = false;
    std::unique_ptr<TtagListRules> Ffilter;
    std::unique_ptr<TcustomJukeboxListViewer> Fviewer;
    std::string FplaylistFolder;
    TcartridgeAction FaddCartridge, FloadCartridge, FsaveCartridge;
    TfilterEditor FfilterEditor;
    TtreeRebuild Frebuild;
    // Tracks of the songs list and of the edited list, row by row.
    std::vector<TaudioTagPtr> FsongRows, FlistRows;
    // Tracks of the lists by row, so a row always finds its list.
    std::vector<TaudioTagListPtr> FcollectionRows, FstackerRows;
    // The stored panel sizes ("RightPanelWidth", "TrackListHeight", "PLSelectionHeight";
    // 0: the layout's own), put in place when the window is first shown.
    struct TeditorPanelSizes {
        int RightPanelWidth = 0, TrackListHeight = 0, SelectionHeight = 0;
    };
    TeditorPanelSizes CurrentPanelSizes() const;
    void ApplyPanelSizes();
    TeditorPanelSizes FpanelSizes;
    bool FpanelsShown = false;
    QSplitter* FmainSplit = nullptr;
    QSplitter* FleftSplit = nullptr;
    QSplitter* FrightSplit = nullptr;
    // The list of tracks a person last touched: Play Selected Track plays from it.
    QListWidget* FlastTrackSource = nullptr;
    uint64_t FfreeKey = 0;
};

}  // namespace tunecrest
