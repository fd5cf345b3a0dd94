#pragma once
// The album picker: a guest chooses one album from a skinned tree of the library's
// albums, compilations, genres and (optionally) CDs, for example to queue it whole.
// Made by its entry routine ChooseCD and freed after use.
#include "core/library/album_artist_groupings.h"
#include "core/display/color.h"
#include "skin/skin_forms.h"
#include "windows/library/library_tree_rows.h"

namespace tunecrest {

class TcustomJukebox;
class TcustomJukeboxListViewer2;
class TmySkinButton;
class TmySkinScrollBar;
class TtouchTreeView;

class TfrmChooseCD : public TfrmBaseSkinForm {
  public:
    explicit TfrmChooseCD(QWidget* parent = nullptr);
    ~TfrmChooseCD() override;

    void SetJukebox(TcustomJukebox* jukebox, bool showCDLists);
    void SetListColor(TColor color);
    void ApplySkin() override;
    // The skin of the global preferences: fonts, scroll bar, tree images and buttons.
    void ApplyPreferences();
    // Rebuilds the tree from the library (also done on show).
    void RebuildTree();
    // OK closes only on an album; Cancel clears the choice.
    void OkPressed();
    void CancelPressed();
    // A typed key opens the category node the tree has for it.
    void KeyToCategory(int key);

    const TaudioTagAlbumPtr& ChosenAlbum() const { return Fchosen; }
    TcustomJukeboxListViewer2& Viewer() { return *Fviewer; }
    const TlibraryTreeLook& Look() const { return Flook; }

    TtouchTreeView* tvAlbums;
    TmySkinScrollBar* sbAlbums;
    QWidget* pnlBottom;
    TmySkinButton* btnOK = nullptr;
    TmySkinButton* btnCancel = nullptr;

  protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void LayOut();
    void UpdateOk();

    std::unique_ptr<TcustomJukeboxListViewer2> Fviewer;
    TlibraryTreeLook Flook;
    TaudioTagAlbumPtr Fchosen;
    int FbuttonHeight = 48;
};

// Shows the picker for `jukebox`'s library. True only when the person chose an album
// and pressed OK; `album` then holds it (otherwise it is cleared). Without a jukebox
// nothing is shown and the answer is false.
bool ChooseCD(TcustomJukebox* jukebox, bool showCDLists, TaudioTagAlbumPtr& album, TColor listColor);

}  // namespace tunecrest
