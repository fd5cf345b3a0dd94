#pragma once
// The stacker window: the operator fills the jukebox's CD stacker here. On the left the
// library tree of albums, playlists and (optionally) genres; on the right the stacker's
// cartridges (each an album or a playlist), a "Stacker Enabled" switch and the cartridge
// files of the cartridge folder. Touch-sized skinned controls throughout.
#include <functional>
#include <string>

#include "core/base/date_time.h"
#include "core/library/tag_list_list.h"
#include "skin/skin_forms.h"
#include "windows/library/library_tree_rows.h"
#include "windows/library/tree_rebuild.h"

class QComboBox;
class QLabel;

namespace tunecrest {

class TcustomJukebox;
class TcustomJukeboxList;
class TcustomJukeboxListViewer2;
class TcustomlocalJukeboxList;
class TfontContainer;
class TfrmAbout2;
class TiniFile;
class TimageList;
class TmySkinButton;
class TmySkinPanel;
class TmySkinScrollBar;
class TtouchListBox;
class TtouchTreeView;
class TmyNode;

class TfrmStackerList : public TfrmBaseSkinForm {
  public:
    explicit TfrmStackerList(QWidget* parent = nullptr);
    ~TfrmStackerList() override;

    // What the main window calls.
    void SetJukebox(TcustomJukebox* jukebox);
    void SetSkin(const TfontContainer* skin);
    void SetScrollBarSkin(const TmySkinScrollBar* skin);
    void SetListColor(TColor color);
    void SetTreeImages(const TimageList* images);
    void SetShowLoadCartridge(std::function<void()> action);
    void SetShowAddCartridge(std::function<void()> action);
    void SetShowSaveCartridge(std::function<void()> action);
    void UpdateStackerStatus();
    void RefreshStackerTree();
    void LoadLayout(const TiniFile& ini, const std::string& section);
    void SaveLayout(TiniFile& ini, const std::string& section) const;
    // Stored by the main window while it initialises.
    void SetProgressWindow(TfrmAbout2* window) { Fprogress = window; }
    void SetCartridgeFolder(const std::string& folder) { FcartridgeFolder = folder; }
    void SetMissingArtistText(const std::string& text) { Flook.MissingArtist = text; }

    void ApplySkin() override;
    TcustomJukebox* Jukebox() const { return Fjukebox; }
    const TtreeRebuild& TreeRebuild() const { return Frebuild; }
    TcustomJukeboxListViewer2& Viewer() { return *Fviewer; }
    const TlibraryTreeLook& Look() const { return Flook; }
    // The stacker row's text and image (-1: none drawn).
    std::string StackerRowText(int row) const;
    int StackerRowImage(int row) const;

    // Actions.
    void AddSelectedNode();
    void DeleteSelectedCartridge();
    void EmptyStacker();
    void ToggleStackerEnabled();
    void ToggleGenres();
    void RefillCartridges();
    void ChooseCartridgeFile(int index);
    // A tree node dragged onto the stacker list: an album, playlist or genre list is
    // accepted, an artist is not.
    bool AcceptsNode(const TmyNode* node) const;

    TtouchTreeView* tvLibrary;
    TmySkinScrollBar* sbTree;
    TtouchListBox* lbStacker;
    TmySkinScrollBar* sbStacker;
    TmySkinPanel* pnlTree;
    TmySkinPanel* pnlStacker;
    TmySkinButton* cbStackerEnabled;
    QLabel* lblStackerEnabled;
    QLabel* lblLoadCartridge;
    QComboBox* cboCartridges;
    TmySkinButton* btnAdd;
    TmySkinButton* btnDelete;
    TmySkinButton* btnEmpty;
    TmySkinButton* btnLoadStacker;
    TmySkinButton* btnAddStacker;
    TmySkinButton* btnSaveStacker;
    TmySkinButton* btnGenres;
    TmySkinButton* btnClose;
    QLabel* sbStatus[3];

  protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TcustomlocalJukeboxList* LocalLibrary() const;
    void LayOut();
    void PaintStackerRow(int index, const QRect& rect, QPainter& canvas, TtouchListItemState state);
    void ApplyListColor();

    TcustomJukebox* Fjukebox = nullptr;
    std::unique_ptr<TcustomJukeboxListViewer2> Fviewer;
    TlibraryTreeLook Flook;
    TColor FlistColor = clBlack;
    TfrmAbout2* Fprogress = nullptr;
    std::string FcartridgeFolder;
    std::function<void()> FloadCartridge, FaddCartridge, FsaveCartridge;
    TtreeRebuild Frebuild;
    TDateTime FjukeboxFileDate = -1, FplaylistsFileDate = -1;
    int FrightPanelWidth = 420;
};

}  // namespace tunecrest
