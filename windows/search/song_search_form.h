#pragma once
// The touch song search window: the typed text (from the on-screen keyboard or a real
// one) re-runs the search on every change; the chosen tracks go to the queue, or one is
// played at once. One window for the whole run, reused by ShowSongSearch.
#include <string>

#include "skin/keyboard.h"
#include "skin/skin_forms.h"
#include "windows/search/song_search.h"

class QLineEdit;
class QPainter;

namespace tunecrest {

class TcustomJukeboxList;
class TmySkinButton;
class TmySkinScrollBar;
class TtouchListBox;

enum TsongSearchWindowMode : int { sswAdd = 0, sswPlayNow = 1 };

class TfrmSongSearch2 : public TkeyboardableForm {
  public:
    explicit TfrmSongSearch2(QWidget* parent = nullptr);

    // Binds the library and the queue, sets the window mode and the search mode, takes
    // the skin's fonts and colours and lays the window out (ShowSongSearch's steps
    // before the window is shown).
    void Prepare(TcustomJukeboxList* library, TsongSearchQueue* queue, int windowMode, int searchMode);
    // Forgets the library and the queue after a show.
    void Unbind();
    TsongSearch& Search() { return Fsearch; }
    int WindowMode() const { return FwindowMode; }
    // Whether the typed text waits for the search's copy of the library to be made.
    bool SearchPending() const { return FsearchPending; }

    // The buttons' work.
    void AddSelected(bool close);
    void PlayNowPressed();
    void SelectAll();
    void SearchModePressed();
    void FileTypePressed();

    void PlaceKeyboard() override;
    void ShowKeyboard(bool visible) override;
    void KeyPressed(int key) override;

    QWidget* pnlTop;
    QLineEdit* edSearch;
    TmySkinButton* btnSearchMode;
    TmySkinButton* btnFileType;
    TmySkinButton* btnSelectAll;
    TmySkinButton* btnAddContinue;
    TmySkinButton* btnAddClose;
    TmySkinButton* btnPlayNow;
    TmySkinButton* btnCancel;
    TtouchListBox* lbResults;
    TmySkinScrollBar* sbResults;
    QWidget* pnlKeyboard;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    void TextChanged();
    void PostPreparing();
    void PrepareSome();
    void Recolour(const TformSkinColors& colors);
    void ApplySkinResources();
    void UpdateButtons();
    void LayOut();
    void PaintRow(int index, const QRect& rect, QPainter& canvas, uint8_t state);

    TsongSearch Fsearch;
    TsongSearchQueue* Fqueue = nullptr;
    int FwindowMode = sswAdd;
    TformSkinColors FlastColors;
    bool FcoloursUsed = false;
    bool FresearchPosted = false;
    bool FpreparePosted = false;
    bool FsearchPending = false;
    bool FprepareAtPaint = false;  // the copies are begun at the list's next paint
    TColor FrowColor = 0x202020, FselectedBack = 0x8A5A2A, FselectedText = 0xFFFFFF, FtextColor = 0xFFFFFF;
};

// The one window, made on first use.
TfrmSongSearch2& SongSearch2();

// Shows the search modally over `library`; `searchMode` is the mode to start in and gets
// the mode the person left it in. Nothing happens without a library. True on OK.
bool ShowSongSearch(TcustomJukeboxList* library, TsongSearchQueue* queue, int windowMode, int& searchMode);

}  // namespace tunecrest
