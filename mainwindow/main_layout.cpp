#include "mainwindow/main_layout.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "core/base/ini_file.h"
#include "mainwindow/display_settings.h"
#include "playback/image_getter.h"
#include "skin/display_controls.h"
#include "skin/html_label.h"
#include "skin/paint_regions.h"
#include "skin/qt_color.h"
#include "skin/fitted_text.h"
#include "skin/screen_fonts.h"
#include "skin/skin_button.h"
#include "skin/skin_panel.h"
#include "skin/skin_scroll_bar.h"
#include "skin/touch_list_box.h"

namespace tunecrest {

namespace {
// The shipped skins' button and scroll bar art is this big: well above a finger's 48.
constexpr int kControlSize = 64;
constexpr int kSmallButtonHeight = 56;
constexpr int kBarWidth = 56;
constexpr int kOuterMargin = 10;
constexpr int kSpacing = 10;
constexpr int kCoverSize = 132;
constexpr int kSongTitleHeight = 34;
constexpr int kTimerWidth = 110;
constexpr int kPopupWidth = 420;
// The gap "Add Gap" puts around the whole layout: about the edge a television cuts.
constexpr int kAddedGap = 40;
// Room a button's caption needs beside its text: the caption keeps 8 pixels off each edge.
constexpr int kCaptionRoom = 24;
constexpr const char* kGeometry = "Geometry";
}  // namespace

void TlayoutKeys::Read(const TiniFile& ini) {
    CoverArtWidth = ini.ReadIntegerWithin(kGeometry, "CoverArtWidth", CoverArtWidth, 0, kMaxWindowSize);
    QueueHeight = ini.ReadIntegerWithin(kGeometry, "QueueHeight", QueueHeight, 0, kMaxWindowSize);
    TrackListWidth = ini.ReadIntegerWithin(kGeometry, "TrackListWidth", TrackListWidth, 0, kMaxWindowSize);
    SongTitleHeight = ini.ReadIntegerWithin(kGeometry, "SongTitleHeight", SongTitleHeight, 0, kMaxWindowSize);
}

void TlayoutKeys::Write(TiniFile& ini) const {
    ini.WriteInteger(kGeometry, "CoverArtWidth", CoverArtWidth);
    ini.WriteInteger(kGeometry, "QueueHeight", QueueHeight);
    ini.WriteInteger(kGeometry, "TrackListWidth", TrackListWidth);
    ini.WriteInteger(kGeometry, "SongTitleHeight", SongTitleHeight);
}

TcolumnWidths LayoutColumns(int width, const TlayoutKeys& keys, bool covers) {
    const int usable = std::max(0, width - 2 * kOuterMargin - 2 * kSpacing);
    // The cover matrix takes a wider share, so covers are big enough to recognise.
    const int browseShare = covers ? 42 : 32, trackShare = covers ? 30 : 36;
    TcolumnWidths c;
    c.Browse = usable * browseShare / 100;
    c.Tracks = usable * trackShare / 100;
    // Stored widths count while both other columns keep room for their buttons.
    if (keys.CoverArtWidth >= kMinColumnWidth && usable - keys.CoverArtWidth >= 2 * kMinColumnWidth)
        c.Browse = keys.CoverArtWidth;
    if (keys.TrackListWidth >= kMinColumnWidth && usable - c.Browse - keys.TrackListWidth >= kMinColumnWidth)
        c.Tracks = keys.TrackListWidth;
    c.Queue = usable - c.Browse - c.Tracks;
    if (c.Queue < kMinColumnWidth) {
        c.Browse = usable * browseShare / 100;
        c.Tracks = usable * trackShare / 100;
        c.Queue = usable - c.Browse - c.Tracks;
    }
    return c;
}

TmainLayout::TmainLayout(QWidget& form, const TfontContainer& listFonts)
    : QObject(&form), ListFonts(listFonts), Fform(form), FnoCover(NoCoverPicture(kCoverSize)) {
    ResetFormatStrings(FormatStrings);
    // "Set Defaults" of the view settings resets the copy the dialog edits.
    FormatStrings.OnResetDefaults = [](TObject* sender) {
        if (auto* formats = dynamic_cast<TformatStringContainer*>(sender)) ResetFormatStrings(*formats);
    };
    TrackListDisplay.SetDisplayTrackNumbers(true);
    QueueListDisplay.SetDisplayTrackNumbers(true);

    auto* outer = new QVBoxLayout(&form);
    Fouter = outer;
    outer->setContentsMargins(kOuterMargin, kOuterMargin, kOuterMargin, kOuterMargin);
    outer->setSpacing(kSpacing);
    // The volume bar at the top, across the window.
    VolumePanel = new TmySkinPanel(&form);
    VolumePanel->setObjectName("pnlVolume");
    Fskinned.push_back(VolumePanel);
    auto* volumeRow = new QHBoxLayout(VolumePanel);
    volumeRow->setContentsMargins(16, 6, 16, 6);
    auto* volumeCaption = new QLabel(QStringLiteral("VOLUME"), VolumePanel);
    volumeCaption->setObjectName("lblVolumeCaption");
    volumeCaption->setFont(ScreenFont(TFont{"Tahoma", clWhite, 11, true}));
    volumeRow->addWidget(volumeCaption);
    VolumeBar = MakeHorizontalBar(VolumePanel, "sbVolume");
    volumeRow->addWidget(VolumeBar, 1);
    VolumePanel->hide();
    outer->addWidget(VolumePanel);
    auto* columns = new QHBoxLayout;
    Fcolumns = columns;
    columns->setSpacing(kSpacing);
    outer->addLayout(columns, 1);

    // The browse column: the mode buttons over the tree or the cover matrix.
    FbrowseColumn = new QWidget(&form);
    FbrowseColumn->setObjectName("pnlBrowseColumn");
    auto* browse = new QVBoxLayout(FbrowseColumn);
    browse->setContentsMargins(0, 0, 0, 0);
    browse->setSpacing(kSpacing);
    BrowseButtonPanel = new TmySkinPanel(FbrowseColumn);
    BrowseButtonPanel->setObjectName("pnlBrowseModes");
    Fskinned.push_back(BrowseButtonPanel);
    auto* modes = new QHBoxLayout(BrowseButtonPanel);
    modes->setContentsMargins(8, 8, 8, 8);
    modes->setSpacing(8);
    const struct {
        const char* Name;
        const char* Caption;
        const char* Action;
    } modeButtons[] = {{"btnViewTree", "Library", "actnViewJukeboxlistView"},
                       {"btnViewCovers", "Covers", "actnViewCoverArtView"},
                       {"btnViewArtistCovers", "Artists", "actnViewArtistsAndCovers"}};
    for (int i = 0; i < 3; ++i) {
        auto* b = MakeButton(BrowseButtonPanel, modeButtons[i].Name, modeButtons[i].Caption,
                             modeButtons[i].Action, 15);
        b->SetIsCheckButton(true);
        b->setFixedHeight(kSmallButtonHeight);
        // The mode buttons act as radio buttons: whatever the action did, the one in
        // force is checked.
        b->OnClick = [this, action = std::string(modeButtons[i].Action)](TObject*) {
            if (RunAction) RunAction(action);
            for (int j = 0; j < int(ModeButtons.size()); ++j) ModeButtons[size_t(j)]->SetChecked(j == Fmode);
        };
        modes->addWidget(b);
        ModeButtons.push_back(b);
    }
    browse->addWidget(BrowseButtonPanel);
    // Song search by touch, the whole width of the column under the browse modes: a guest
    // finds a song without a keyboard.
    SearchButton = MakeButton(FbrowseColumn, "btnSearch", "Search", "actnSearch", 15);
    SearchButton->hide();
    browse->addWidget(SearchButton);

    BrowsePanel = new TmySkinPanel(FbrowseColumn);
    BrowsePanel->setObjectName("pnlBrowse");
    Fskinned.push_back(static_cast<TmySkinPanel*>(BrowsePanel));
    auto* browseInner = new QVBoxLayout(BrowsePanel);
    browseInner->setContentsMargins(8, 8, 8, 8);
    browseInner->setSpacing(0);
    FtreeBox = new QWidget(BrowsePanel);
    auto* treeRow = new QHBoxLayout(FtreeBox);
    treeRow->setContentsMargins(0, 0, 0, 0);
    treeRow->setSpacing(6);
    Tree = new TtouchTreeView(FtreeBox);
    Tree->setObjectName("tvJukeboxList");
    Tree->FollowClickPreferences();
    Tree->SetSwipeScroll();
    treeRow->addWidget(Tree, 1);
    TreeBar = MakeBar(FtreeBox, "sbJukeboxList");
    treeRow->addWidget(TreeBar);
    BindScrollBar(*TreeBar, *Tree);
    browseInner->addWidget(FtreeBox, 1);
    FcoverBox = new QWidget(BrowsePanel);
    auto* coverRow = new QHBoxLayout(FcoverBox);
    coverRow->setContentsMargins(0, 0, 0, 0);
    coverRow->setSpacing(6);
    CoverMatrix = new TpaintRegionContainer(FcoverBox);
    CoverMatrix->setObjectName("pmCoverArt");
    coverRow->addWidget(CoverMatrix, 1);
    CoverBar = MakeBar(FcoverBox, "sbCoverArt");
    coverRow->addWidget(CoverBar);
    browseInner->addWidget(FcoverBox, 1);
    FcoverBox->hide();
    browse->addWidget(BrowsePanel, 1);
    columns->addWidget(FbrowseColumn);

    // The track column: its heading, the artist's covers in mode 2, the list and the
    // buttons that queue what was chosen.
    FtrackColumn = new QWidget(&form);
    FtrackColumn->setObjectName("pnlTrackColumn");
    auto* trackOuter = new QVBoxLayout(FtrackColumn);
    trackOuter->setContentsMargins(0, 0, 0, 0);
    TrackPanel = new TmySkinPanel(FtrackColumn);
    TrackPanel->setObjectName("pnlTrackList");
    Fskinned.push_back(TrackPanel);
    auto* track = new QVBoxLayout(TrackPanel);
    track->setContentsMargins(10, 10, 10, 10);
    track->setSpacing(8);
    TrackListHeader = new ThtmlLabel(TrackPanel);
    TrackListHeader->setObjectName("lblTrackListHeader");
    // A long name never widens the column: it goes on over a second line.
    TrackListHeader->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    TrackListHeader->SetWordWrap(true);
    track->addWidget(TrackListHeader);
    FartistCoverBox = new QWidget(TrackPanel);
    auto* artistRow = new QHBoxLayout(FartistCoverBox);
    artistRow->setContentsMargins(0, 0, 0, 0);
    ArtistCoverMatrix = new TpaintRegionContainer(FartistCoverBox);
    ArtistCoverMatrix->setObjectName("pmArtistCoverArt");
    artistRow->addWidget(ArtistCoverMatrix);
    FartistCoverBox->setFixedHeight(kArtistCoversHeight);
    FartistCoverBox->hide();
    track->addWidget(FartistCoverBox);
    auto* trackRow = new QHBoxLayout;
    trackRow->setSpacing(6);
    TrackList = new TtouchListBox(TrackPanel);
    TrackList->setObjectName("lstTracks");
    TrackList->FollowClickPreferences();
    TrackList->SetSwipeScroll();
    trackRow->addWidget(TrackList, 1);
    TrackBar = MakeBar(TrackPanel, "sbTracks");
    trackRow->addWidget(TrackBar);
    BindScrollBar(*TrackBar, *TrackList);
    track->addLayout(trackRow, 1);
    auto* trackButtons = new QHBoxLayout;
    trackButtons->setSpacing(8);
    trackButtons->addWidget(MakeButton(TrackPanel, "btnQueue", "Queue", "actnQueueAddSelected", 15));
    trackButtons->addWidget(MakeButton(TrackPanel, "btnQueueAll", "Queue All", "actnQueueAddAll", 15));
    QueueCDButton = MakeButton(TrackPanel, "btnQueueCD", "Queue CD", "actnQueueAlbum", 15);
    QueueCDButton->hide();
    trackButtons->addWidget(QueueCDButton);
    track->addLayout(trackButtons);
    trackOuter->addWidget(TrackPanel);
    columns->addWidget(FtrackColumn);

    // The queue column: now playing on top, the queue below with its edit buttons.
    FqueueColumn = new QWidget(&form);
    FqueueColumn->setObjectName("pnlQueueColumn");
    auto* queueOuter = new QVBoxLayout(FqueueColumn);
    queueOuter->setContentsMargins(0, 0, 0, 0);
    queueOuter->setSpacing(kSpacing);
    NowPlayingPanel = new TmySkinPanel(FqueueColumn);
    NowPlayingPanel->setObjectName("pnlNowPlaying");
    Fskinned.push_back(NowPlayingPanel);
    auto* now = new QHBoxLayout(NowPlayingPanel);
    now->setContentsMargins(14, 14, 14, 14);
    now->setSpacing(14);
    NowPlayingCover = new QLabel(NowPlayingPanel);
    NowPlayingCover->setObjectName("imgNowPlaying");
    NowPlayingCover->setFixedSize(kCoverSize, kCoverSize);
    NowPlayingCover->setPixmap(QPixmap::fromImage(FnoCover));
    now->addWidget(NowPlayingCover, 0, Qt::AlignTop);
    auto* nowText = new QVBoxLayout;
    nowText->setSpacing(4);
    // The song title banner: one line of markup that scrolls when the settings say so.
    SongTitle = new TScrollBanner3(NowPlayingPanel);
    SongTitle->setObjectName("bnrSongTitle");
    SongTitle->setFixedHeight(kSongTitleHeight);
    SongTitle->SetSpaces(8);
    SongTitle->SetScrollInc(2);
    nowText->addWidget(SongTitle);
    NowPlaying = new QLabel(NowPlayingPanel);
    NowPlaying->setObjectName("lblNowPlaying");
    NowPlaying->setFont(ScreenFont(TFont{"Tahoma", clWhite, 19, true}));
    NowPlaying->setWordWrap(true);
    nowText->addWidget(NowPlaying);
    NowPlayingDetails = new QLabel(NowPlayingPanel);
    NowPlayingDetails->setObjectName("lblNowPlayingDetails");
    NowPlayingDetails->setFont(ScreenFont(TFont{"Tahoma", clWhite, 13, false}));
    NowPlayingDetails->setWordWrap(true);
    nowText->addWidget(NowPlayingDetails);
    nowText->addStretch(1);
    StatusLine = new QLabel(NowPlayingPanel);
    StatusLine->setObjectName("lblStatus");
    StatusLine->setFont(ScreenFont(TFont{"Tahoma", clWhite, 11, false}));
    nowText->addWidget(StatusLine);
    CreditsLabel = new QLabel(NowPlayingPanel);
    CreditsLabel->setObjectName("lblCredits");
    CreditsLabel->setFont(ScreenFont(TFont{"Tahoma", clWhite, 16, true}));
    CreditsLabel->hide();
    nowText->addWidget(CreditsLabel);
    now->addLayout(nowText, 1);
    // Titles and names come from tags and streams: shown as text, never read as markup.
    for (QLabel* label : {NowPlaying, NowPlayingDetails, StatusLine, CreditsLabel})
        label->setTextFormat(Qt::PlainText);
    // Each text has room of its own, whatever it says: one line for the title and the
    // status, two for the details; a text too long for its room is drawn smaller, then
    // shortened (ShowFitted), never over its neighbours.
    NowPlaying->setWordWrap(false);
    StatusLine->setWordWrap(false);
    for (auto [label, lines] : {std::pair{NowPlaying, 1}, std::pair{NowPlayingDetails, 2}, std::pair{StatusLine, 1}}) {
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        label->setFixedHeight(QFontMetrics(label->font()).height() +
                              (lines - 1) * QFontMetrics(label->font()).lineSpacing());
    }
    queueOuter->addWidget(NowPlayingPanel);

    // The stacker panel: its switch, the stacker's state, and its cartridges.
    QHBoxLayout* stacker = nullptr;
    StackerPanel = MakeRowPanel(FqueueColumn, "pnlStacker", stacker);
    StackerButton = MakeButton(StackerPanel, "btnStacker", "Stacker", "actnStackerEnabled", 15);
    StackerButton->SetIsCheckButton(true);
    StackerButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    stacker->addWidget(StackerButton);
    StackerTitle = new ThtmlLabel(StackerPanel);
    StackerTitle->setObjectName("lblStackerTitle");
    StackerTitle->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    stacker->addWidget(StackerTitle, 1);
    StackerConfigButton = MakeButton(StackerPanel, "btnStackerConfigure", "Cartridges", "actnStackerConfigure", 15);
    StackerConfigButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    stacker->addWidget(StackerConfigButton);
    StackerPanel->hide();
    queueOuter->addWidget(StackerPanel);

    QueuePanel = new TmySkinPanel(FqueueColumn);
    QueuePanel->setObjectName("pnlQueue");
    Fskinned.push_back(QueuePanel);
    auto* queue = new QVBoxLayout(QueuePanel);
    queue->setContentsMargins(10, 10, 10, 10);
    queue->setSpacing(8);
    QueueHeader = new ThtmlLabel(QueuePanel);
    QueueHeader->setObjectName("lblQueueHeader");
    QueueHeader->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    // A heading too long for the column goes on over a second line.
    QueueHeader->SetWordWrap(true);
    queue->addWidget(QueueHeader);
    auto* queueRow = new QHBoxLayout;
    queueRow->setSpacing(6);
    QueueList = new TtouchListBox(QueuePanel);
    QueueList->setObjectName("lstQueue");
    QueueList->FollowClickPreferences();
    QueueList->SetSwipeScroll();
    queueRow->addWidget(QueueList, 1);
    QueueBar = MakeBar(QueuePanel, "sbQueue");
    queueRow->addWidget(QueueBar);
    BindScrollBar(*QueueBar, *QueueList);
    queue->addLayout(queueRow, 1);
    auto* queueButtons = new QHBoxLayout;
    queueButtons->setSpacing(8);
    queueButtons->addWidget(MakeButton(QueuePanel, "btnQueueUp", "Up", "actnQueueMoveUp", 15));
    queueButtons->addWidget(MakeButton(QueuePanel, "btnQueueDown", "Down", "actnQueueMoveDown", 15));
    queueButtons->addWidget(MakeButton(QueuePanel, "btnQueueDelete", "Remove", "actnQueueDelete", 15));
    queue->addLayout(queueButtons);
    queueOuter->addWidget(QueuePanel, 1);
    columns->addWidget(FqueueColumn, 1);
    for (QWidget* column : {FbrowseColumn, FtrackColumn, FqueueColumn})
        column->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    // The play controls along the bottom.
    ButtonPanel = new TmySkinPanel(&form);
    ButtonPanel->setObjectName("pnlButtons");
    Fskinned.push_back(ButtonPanel);
    auto* buttons = new QHBoxLayout(ButtonPanel);
    buttons->setContentsMargins(16, 10, 16, 10);
    buttons->setSpacing(16);
    // The menu first, at the left end where a hand finds it without looking.
    MenuButton = MakeButton(ButtonPanel, "btnMenu", "Menu", "", 18);
    MenuButton->setFixedHeight(kControlSize);
    MenuButton->setMaximumWidth(160);
    buttons->addWidget(MenuButton);
    BackButton = MakeButton(ButtonPanel, "btnBack", "Back", "actnControlBack", 18);
    PlayButton = MakeButton(ButtonPanel, "btnPlay", "Play", "actnControlPlay", 18);
    PauseButton = MakeButton(ButtonPanel, "btnPause", "Pause", "actnControlPause", 18);
    PauseButton->SetIsCheckButton(true);
    // The button shows the player's state, not its own: after a touch it shows what the
    // player did (nothing, when there was nothing to pause).
    PauseButton->OnClick = [this](TObject*) {
        if (RunAction) RunAction("actnControlPause");
        SetPaused(FpausedShown);
    };
    StopButton = MakeButton(ButtonPanel, "btnStop", "Stop", "actnControlStop", 18);
    NextButton = MakeButton(ButtonPanel, "btnNext", "Next", "actnControlNext", 18);
    for (TmySkinButton* b : {BackButton, PlayButton, PauseButton, StopButton, NextButton}) {
        b->setFixedHeight(kControlSize);
        buttons->addWidget(b);
    }
    BackButton->hide();
    // The timer and the track-position bar beside the play controls.
    Timer = new QLabel(ButtonPanel);
    Timer->setObjectName("lblTimer");
    Timer->setFont(ScreenFont(TFont{"Tahoma", clWhite, 20, true}));
    Timer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Timer->setMinimumWidth(kTimerWidth);
    Timer->setTextFormat(Qt::PlainText);
    buttons->addWidget(Timer);
    PositionBar = MakeHorizontalBar(ButtonPanel, "sbTrackPosition");
    buttons->addWidget(PositionBar, 2);
    // Volume-bar mode 2: the button that shows the pop-up volume bar above it.
    VolumeButton = MakeButton(ButtonPanel, "btnVolume", "Volume", "", 18);
    VolumeButton->SetIsCheckButton(true);
    VolumeButton->setFixedHeight(kControlSize);
    VolumeButton->setMaximumWidth(160);
    VolumeButton->OnClick = [this](TObject*) {
        if (RunAction) RunAction("actnViewVolumePopupShow");
        VolumeButton->SetChecked(VolumePopupVisible());
    };
    buttons->addWidget(VolumeButton);
    outer->addWidget(ButtonPanel);
    VolumePopup = new TmySkinPanel(&form);
    VolumePopup->setObjectName("pnlVolumePopup");
    Fskinned.push_back(VolumePopup);
    auto* popupRow = new QHBoxLayout(VolumePopup);
    popupRow->setContentsMargins(12, 12, 12, 12);
    VolumePopupBar = MakeHorizontalBar(VolumePopup, "sbVolumePopup");
    popupRow->addWidget(VolumePopupBar);
    VolumePopup->hide();
    SetBarModes(0, 0);

    for (TmySkinScrollBar* bar : {TreeBar, CoverBar, TrackBar, QueueBar, VolumeBar, PositionBar, VolumePopupBar})
        Fskinned.push_back(bar);

    Fbrowse = std::make_unique<TbrowseTreeView>(*Tree, ListFonts);
    Fcovers = std::make_unique<TcoverMatrixView>(*CoverMatrix, ListFonts);
    Fcovers->BindScrollBar(CoverBar);
    FartistCovers = std::make_unique<TcoverMatrixView>(*ArtistCoverMatrix, ListFonts);
    FartistCovers->CaptionLines = 1;
    ArtistCoverMatrix->SetMatrix(3, 1);
    Flists = std::make_unique<TtrackListViews>(*TrackList, *QueueList, ListFonts, FormatStrings,
                                               TrackListDisplay, QueueListDisplay);
    form.installEventFilter(this);
    ApplyListAppearance();
}

TmainLayout::~TmainLayout() {
    Fform.removeEventFilter(this);
    if (FnowCover) FnowCover->OnChange = nullptr;
}

TmySkinButton* TmainLayout::MakeButton(QWidget* parent, const char* name, const char* caption,
                                       const char* action, int fontSize) {
    auto* b = new TmySkinButton(parent);
    b->setObjectName(name);
    b->setProperty("action", QString::fromUtf8(action));
    b->SetIsStretchButton(true);
    b->SetCaption(caption);
    b->SetShowCaption(true);
    TFont f;
    f.Name = "Tahoma";
    f.Size = fontSize;
    f.Bold = true;
    f.Color = clWhite;
    b->SetFont(f);
    b->setProperty("actionName", QString::fromLatin1(action));
    // Wide enough for its caption on one line, and for a finger.
    const int text = QFontMetrics(ScreenFont(f)).horizontalAdvance(QString::fromUtf8(caption));
    b->setMinimumWidth(std::max(96, text + kCaptionRoom));
    b->setFixedHeight(kSmallButtonHeight);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // A button runs its action, so the party-play guards hold for it as for every road in.
    b->OnClick = [this, action = std::string(action)](TObject*) {
        if (RunAction) RunAction(action);
    };
    Fskinned.push_back(b);
    Buttons.push_back(b);
    return b;
}

TmySkinPanel* TmainLayout::MakeRowPanel(QWidget* parent, const char* name, QHBoxLayout*& row) {
    auto* panel = new TmySkinPanel(parent);
    panel->setObjectName(name);
    Fskinned.push_back(panel);
    row = new QHBoxLayout(panel);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(8);
    return panel;
}

TmySkinScrollBar* TmainLayout::MakeBar(QWidget* parent, const char* name) {
    auto* bar = new TmySkinScrollBar(parent);
    bar->setObjectName(name);
    bar->setFixedWidth(kBarWidth);
    return bar;
}

TmySkinScrollBar* TmainLayout::MakeHorizontalBar(QWidget* parent, const char* name) {
    auto* bar = new TmySkinScrollBar(parent);
    bar->setObjectName(name);
    bar->SetKind(msbHorizontal);
    bar->setFixedHeight(kBarWidth);
    bar->setMinimumWidth(4 * kBarWidth);
    return bar;
}

void TmainLayout::SetBarModes(int volumeMode, int trackPositionMode) {
    FvolumeMode = std::clamp(volumeMode, 0, 2);
    FtrackPositionMode = std::max(trackPositionMode, 0);
    VolumePanel->setVisible(FvolumeMode == 1);
    VolumeButton->setVisible(FvolumeMode == 2);
    if (FvolumeMode != 2) SetVolumePopupVisible(false);
    PositionBar->setVisible(FtrackPositionMode != 0);
}

void TmainLayout::SetVolumePopupVisible(bool visible) {
    visible = visible && FvolumeMode == 2;
    VolumeButton->SetChecked(visible);
    if (visible) {
        PlaceVolumePopup();
        VolumePopup->raise();
    }
    VolumePopup->setVisible(visible);
}

bool TmainLayout::VolumePopupVisible() const { return !VolumePopup->isHidden(); }

void TmainLayout::ApplyViewOptions(const TlayoutViewOptions& options) {
    StackerPanel->setVisible(options.StackerVisible);
    SongTitle->setVisible(options.SongTitleVisible);
    FgapAdded = options.AddGap;
    const int margin = FgapAdded ? kAddedGap : kOuterMargin;
    Fouter->setContentsMargins(margin, margin, margin, margin);
    SetBarModes(options.VolumeMode, options.TrackPositionMode);
    Timer->setMinimumWidth(std::max(options.TimerWidth, 48));
}

void TmainLayout::SetStackerTitle(const std::string& markup, bool enabled) {
    if (markup != StackerTitle->Caption()) StackerTitle->SetCaption(markup);
    StackerButton->SetChecked(enabled);
}

void TmainLayout::SetPaused(bool paused) {
    FpausedShown = paused;
    PauseButton->SetChecked(paused);
    PauseButton->SetCaption(paused ? "Paused" : "Pause");
}

void TmainLayout::PlaceVolumePopup() {
    // Above the volume button, its right edge on the button's.
    const QPoint corner = VolumeButton->mapTo(&Fform, QPoint(VolumeButton->width(), 0));
    const int h = kBarWidth + 24;
    const int left = std::max(0, corner.x() - kPopupWidth);
    VolumePopup->setGeometry(left, std::max(0, ButtonPanel->y() - h - 4), kPopupWidth, h);
}

std::vector<TskinnedControl*> TmainLayout::SkinnedControls() const {
    return Fskinned;
}

bool TmainLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &Fform && event->type() == QEvent::Resize) {
        ArrangeLayout();
        if (VolumePopupVisible()) PlaceVolumePopup();
    }
    return QObject::eventFilter(watched, event);
}

void TmainLayout::ArrangeLayout() {
    const TcolumnWidths c = LayoutColumns(Fform.width(), Keys, Fmode == bmCovers);
    // The columns share the width in these proportions; as shares (not fixed widths)
    // they never make the window itself wider or narrower.
    Fcolumns->setStretch(0, std::max(1, c.Browse));
    Fcolumns->setStretch(1, std::max(1, c.Tracks));
    Fcolumns->setStretch(2, std::max(1, c.Queue));
    if (Keys.SongTitleHeight >= kCoverSize + 28 && Keys.SongTitleHeight <= Fform.height() / 3)
        NowPlayingPanel->setFixedHeight(Keys.SongTitleHeight);
    else
        NowPlayingPanel->setFixedHeight(kCoverSize + 28);
}

void TmainLayout::ApplyBrowseMode(int mode) {
    Fmode = mode;
    for (int i = 0; i < int(ModeButtons.size()); ++i) ModeButtons[size_t(i)]->SetChecked(i == mode);
    FtreeBox->setVisible(mode != bmCovers);
    FcoverBox->setVisible(mode == bmCovers);
    FartistCoverBox->setVisible(mode == bmArtistsAndCovers && FartistCoversVisible);
    if (mode == bmArtistsAndCovers) ArtistCoverMatrix->SetMatrix(3, 1);
    if (mode == bmCovers && (CoverMatrix->XCount() != CoverAcross || CoverMatrix->YCount() != CoverDown))
        CoverMatrix->SetMatrix(std::max(1, CoverAcross), std::max(1, CoverDown));
    ArrangeLayout();
}

void TmainLayout::SetAlbumCoversVisible(bool visible) {
    FartistCoversVisible = visible;
    FartistCoverBox->setVisible(Fmode == bmArtistsAndCovers && visible);
}

void TmainLayout::ApplyListAppearance() {
    Flists->ApplyListAppearance();
    const TFont font = ListFont(ListFonts, lfnHeading);
    Tree->setFont(ScreenFont(font));
    Tree->SetItemHeight(ListRowHeight(font));
    Tree->SetColor(ListColor(ListFonts, lcBackground));
    Tree->SetFocusColor(ListColor(ListFonts, lcBackgroundFocused));
    Tree->SetChangeColorOnFocus(ListColor(ListFonts, lcBackground) !=
                                ListColor(ListFonts, lcBackgroundFocused));
    for (TpaintRegionContainer* m : {CoverMatrix, ArtistCoverMatrix}) {
        m->SetColor(ListColor(ListFonts, lcBackground));
        m->SetFocusColor(ListColor(ListFonts, lcBackgroundFocused));
    }
    for (ThtmlLabel* header : {TrackListHeader, QueueHeader, StackerTitle}) {
        header->SetLabelFont(ListFont(ListFonts, lfnHeading));
        header->SetLabelStyle(CaptionShadows ? lsShadow : lsNormal);
    }
    Tree->update();
}

void TmainLayout::SetNowPlaying(const std::string& title, const std::string& details) {
    ShowFitted(*NowPlaying, QString::fromStdString(title));
    ShowFitted(*NowPlayingDetails, QString::fromStdString(details));
}

void TmainLayout::SetStatus(const std::string& text) {
    ShowFitted(*StatusLine, QString::fromStdString(text));
}

void TmainLayout::ShowCredits(int credits, bool visible) {
    CreditsLabel->setText(QStringLiteral("Credits: %1").arg(credits));
    CreditsLabel->setVisible(visible);
}

void TmainLayout::SetQueueHeader(const std::string& markup) {
    QueueHeader->SetCaption(markup);
}

void TmainLayout::SetTrackListHeader(const std::string& markup) {
    TrackListHeader->SetCaption(markup);
}

void TmainLayout::ShowNowPlayingCover(const TaudioTagPtr& track, const std::string& coverFolder,
                                      bool coverFolderOnly) {
    if (!FnowCover) {
        FnowCover = std::make_unique<TimageGetter>();
        FnowCover->Rect = {0, 0, kCoverSize, kCoverSize};
        FnowCover->Enlarge = true;
        FnowCover->CoverUseEmbedded = true;
        FnowCover->OnChange = [this](TObject*) {
            const Tbitmap& b = FnowCover->Picture();
            QImage image;
            if (!b.Empty()) {
                image = QImage(b.Width(), b.Height(), QImage::Format_RGB888);
                for (int y = 0; y < b.Height(); ++y)
                    std::memcpy(image.scanLine(y), b.ScanLine(y), size_t(b.BytesPerLine()));
            }
            SetNowPlayingCover(image);
        };
    }
    FnowCover->CoverFolder = coverFolder;
    FnowCover->CoverFolderOnly = coverFolderOnly;
    FnowCover->CoverFileFirst = CoverFileFirst;
    SetNowPlayingCover(QImage());
    if (track)
        FnowCover->GetCoverImage(track);
    else
        FnowCover->Cancel();
}

bool TmainLayout::PicturesPending() const {
    if (FnowCover && FnowCover->Busy()) return true;
    for (const TpaintRegionContainer* m : {CoverMatrix, ArtistCoverMatrix})
        for (int i = 0; i < m->RegionCount(); ++i)
            if (auto* r = dynamic_cast<TimagePaintRegion*>(m->GetRegion(i)); r && r->ImageGetter().Busy())
                return true;
    return false;
}

void TmainLayout::SetNowPlayingCover(const QImage& image) {
    const QImage shown =
        image.isNull() ? FnoCover
                       : image.scaled(kCoverSize, kCoverSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    NowPlayingCover->setPixmap(QPixmap::fromImage(shown));
}

}  // namespace tunecrest
