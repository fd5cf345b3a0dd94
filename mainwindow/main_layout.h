#pragma once
// The touch layout of the main window, for 1280x800 screens and up: the browse area on
// the left (the tree, the cover matrix, or the tree with the chosen artist's covers above
// the track list), the track list in the middle with its queue buttons, now playing and
// the queue on the right, and the play controls along the bottom. Every control a finger
// uses is at least 48 pixels in both directions.
//
// The stored layout keys keep their meaning: "CoverArtWidth" is the width of the browse
// area, "TrackListWidth" that of the track list, "SongTitleHeight" the height of the now
// playing panel and "QueueHeight" that of the queue panel (0: the layout's own choice).
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "core/display/font_store.h"
#include "core/display/tag_list_display_settings.h"
#include "core/display/track_format.h"
#include "mainwindow/browse_views.h"
#include "mainwindow/cover_matrix.h"
#include "mainwindow/layout_view_options.h"
#include "mainwindow/track_views.h"

class QLabel;
class QHBoxLayout;
class QVBoxLayout;
class QStackedLayout;

namespace tunecrest {

class TiniFile;
class TimageGetter;
class ThtmlLabel;
class TmySkinButton;
class TmySkinPanel;
class TmySkinScrollBar;
class TpaintRegionContainer;
class TScrollBanner3;
class TskinnedControl;
class TtouchListBox;
class TtouchTreeView;

// The browse modes of the left side.
enum TbrowseMode : int { bmTree = 0, bmCovers = 1, bmArtistsAndCovers = 2, bmNone = 3 };

// The stored sizes of the layout ("Geometry" section); 0 leaves the size to the layout.
struct TlayoutKeys {
    int CoverArtWidth = 0;
    int TrackListWidth = 0;
    int QueueHeight = 0;
    int SongTitleHeight = 0;
    // A missing key keeps the value held ("current").
    void Read(const TiniFile& ini);
    void Write(TiniFile& ini) const;
};

// The widths of the three columns for a window `width` wide: stored widths when they
// leave every column room for its controls, else shares of the width (the browse column
// wider while it shows covers).
struct TcolumnWidths {
    int Browse = 0;
    int Tracks = 0;
    int Queue = 0;
};
TcolumnWidths LayoutColumns(int width, const TlayoutKeys& keys, bool covers);
// Narrowest a column may be and still hold its buttons.
inline constexpr int kMinColumnWidth = 300;
// Height of the cover strip above the track list in the artists-and-covers mode.
inline constexpr int kArtistCoversHeight = 190;

class TmainLayout : public QObject {
  public:
    // Builds every control into `form` (which gets the layout); the views paint in the
    // skin's list store `listFonts`.
    TmainLayout(QWidget& form, const TfontContainer& listFonts);
    ~TmainLayout() override;

    // The stores the views paint with: the skin's list fonts, and the formats and display
    // settings owned here.
    const TfontContainer& ListFonts;
    TformatStringContainer FormatStrings;
    TtagListDisplaySettings TrackListDisplay;
    TtagListDisplaySettings QueueListDisplay;
    TlayoutKeys Keys;

    TbrowseTreeView& Browse() { return *Fbrowse; }
    TcoverMatrixView& Covers() { return *Fcovers; }
    TcoverMatrixView& ArtistCovers() { return *FartistCovers; }
    TtrackListViews& Lists() { return *Flists; }

    // Shows and sizes the panels of a browse mode.
    void ApplyBrowseMode(int mode);
    int BrowseMode() const { return Fmode; }
    // Shows or hides the artist cover strip (mode 2 with albums to show).
    void SetAlbumCoversVisible(bool visible);
    // Volume-bar mode 0 none, 1 bar at the top, 2 pop-up bar behind its button; the
    // track-position bar (with the timer) shown for a mode other than 0.
    void SetBarModes(int volumeMode, int trackPositionMode);
    int VolumeMode() const { return FvolumeMode; }
    int TrackPositionMode() const { return FtrackPositionMode; }
    // Shows or hides the pop-up volume bar (mode 2 only).
    void SetVolumePopupVisible(bool visible);
    bool VolumePopupVisible() const;
    // The layout's view options: the stacker panel, the song title banner, the extra gap
    // around the whole layout (for screens that cut their edges), the bars' modes and the
    // timer's width. The queue-CD, search and back buttons are the window's to show (their
    // actions and party play decide too).
    void ApplyViewOptions(const TlayoutViewOptions& options);
    bool GapAdded() const { return FgapAdded; }
    // The stacker panel's line: its state (empty, inactive, the cartridge playing) as markup,
    // and its button checked while the stacker is on.
    void SetStackerTitle(const std::string& markup, bool enabled);
    // The pause button shows the paused state: checked, and its caption says so.
    void SetPaused(bool paused);
    // Re-places the columns after a resize or a change of the keys.
    void ArrangeLayout();
    // The skinned controls in creation order.
    std::vector<TskinnedControl*> SkinnedControls() const;
    // List fonts and colours onto the lists, tree and matrices.
    void ApplyListAppearance();

    void SetNowPlaying(const std::string& title, const std::string& details);
    void SetStatus(const std::string& text);
    // The credits display: the count, shown only while `visible` (credit mode).
    void ShowCredits(int credits, bool visible);
    void SetQueueHeader(const std::string& markup);
    void SetTrackListHeader(const std::string& markup);
    // The picture beside now playing (null: the no-cover picture).
    void SetNowPlayingCover(const QImage& image);
    // Fetches the track's cover on the getter's worker; the picture shows when it is back
    // (the no-cover picture until then, and for none).
    void ShowNowPlayingCover(const TaudioTagPtr& track, const std::string& coverFolder, bool coverFolderOnly);
    // The cover art folder is searched before the file's own picture.
    bool CoverFileFirst = false;
    // The skin's "FontShadows": the list headings are drawn with a shadow.
    bool CaptionShadows = false;
    // True while any cover of the window is still being fetched.
    bool PicturesPending() const;

    // Runs an action by name; the window sets it, the buttons call it.
    std::function<void(const std::string& action)> RunAction;
    // The cover matrix's cells across and down in the covers mode.
    int CoverAcross = 3;
    int CoverDown = 3;

    // The controls by role.
    QWidget* BrowsePanel = nullptr;
    TtouchTreeView* Tree = nullptr;
    TmySkinScrollBar* TreeBar = nullptr;
    TpaintRegionContainer* CoverMatrix = nullptr;
    TmySkinScrollBar* CoverBar = nullptr;
    TpaintRegionContainer* ArtistCoverMatrix = nullptr;
    TtouchListBox* TrackList = nullptr;
    TmySkinScrollBar* TrackBar = nullptr;
    TtouchListBox* QueueList = nullptr;
    TmySkinScrollBar* QueueBar = nullptr;
    TmySkinPanel* NowPlayingPanel = nullptr;
    TmySkinPanel* ButtonPanel = nullptr;
    TmySkinPanel* BrowseButtonPanel = nullptr;
    TmySkinPanel* TrackPanel = nullptr;
    TmySkinPanel* QueuePanel = nullptr;
    TScrollBanner3* SongTitle = nullptr;
    QLabel* NowPlaying = nullptr;
    QLabel* NowPlayingDetails = nullptr;
    QLabel* StatusLine = nullptr;
    // The credits left in credit mode ("Credits: 5"); hidden outside it.
    QLabel* CreditsLabel = nullptr;
    QLabel* NowPlayingCover = nullptr;
    ThtmlLabel* TrackListHeader = nullptr;
    ThtmlLabel* QueueHeader = nullptr;
    TmySkinButton* PlayButton = nullptr;
    TmySkinButton* PauseButton = nullptr;
    TmySkinButton* StopButton = nullptr;
    TmySkinButton* NextButton = nullptr;
    // The back button (its action chosen in the preferences), the song search by touch and
    // the album picker that queues a whole CD.
    TmySkinButton* BackButton = nullptr;
    TmySkinButton* SearchButton = nullptr;
    TmySkinButton* QueueCDButton = nullptr;
    // The stacker panel: the stacker's switch, its state and the way to its cartridges.
    TmySkinPanel* StackerPanel = nullptr;
    TmySkinButton* StackerButton = nullptr;
    TmySkinButton* StackerConfigButton = nullptr;
    ThtmlLabel* StackerTitle = nullptr;
    // The way into the main menu for a finger (the window decides what a touch does).
    TmySkinButton* MenuButton = nullptr;
    // The volume bar at the top (volume-bar mode 1), the pop-up volume bar and its button
    // (mode 2), the track-position bar and the timer beside the play controls.
    TmySkinPanel* VolumePanel = nullptr;
    TmySkinScrollBar* VolumeBar = nullptr;
    TmySkinButton* VolumeButton = nullptr;
    TmySkinPanel* VolumePopup = nullptr;
    TmySkinScrollBar* VolumePopupBar = nullptr;
    TmySkinScrollBar* PositionBar = nullptr;
    QLabel* Timer = nullptr;
    std::vector<TmySkinButton*> ModeButtons;
    std::vector<TmySkinButton*> Buttons;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TmySkinButton* MakeButton(QWidget* parent, const char* name, const char* caption, const char* action,
                              int fontSize);
    // A skinned panel holding one row of controls, 8 pixels in from its edges.
    TmySkinPanel* MakeRowPanel(QWidget* parent, const char* name, QHBoxLayout*& row);
    TmySkinScrollBar* MakeBar(QWidget* parent, const char* name);
    TmySkinScrollBar* MakeHorizontalBar(QWidget* parent, const char* name);
    void PlaceVolumePopup();

    QWidget& Fform;
    QHBoxLayout* Fcolumns = nullptr;
    QWidget* FbrowseColumn = nullptr;
    QWidget* FtrackColumn = nullptr;
    QWidget* FqueueColumn = nullptr;
    QWidget* FtreeBox = nullptr;
    QWidget* FcoverBox = nullptr;
    QWidget* FartistCoverBox = nullptr;
    std::vector<TskinnedControl*> Fskinned;
    std::unique_ptr<TbrowseTreeView> Fbrowse;
    std::unique_ptr<TcoverMatrixView> Fcovers;
    std::unique_ptr<TcoverMatrixView> FartistCovers;
    std::unique_ptr<TtrackListViews> Flists;
    int Fmode = bmNone;
    int FvolumeMode = 0;
    int FtrackPositionMode = 0;
    bool FartistCoversVisible = false;
    bool FgapAdded = false;
    bool FpausedShown = false;
    QVBoxLayout* Fouter = nullptr;
    QImage FnoCover;
    std::unique_ptr<TimageGetter> FnowCover;
};

}  // namespace tunecrest
