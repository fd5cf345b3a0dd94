#include "windows/library/playlist_editor.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "core/jukebox/global_prefs.h"
#include "core/base/ini_file.h"
#include "core/jukebox/jukebox.h"
#include "core/library/jukebox_list.h"
#include "core/tags/playlist_files.h"
#include "core/base/services.h"
#include "core/base/shared_utils.h"
#include "skin/jukebox_list_viewer.h"
#include "windows/about_box.h"
#include "windows/editors/editor_form.h"
#include "windows/event_rules.h"

namespace tunecrest {

// The largest window side or offset a stored layout may hold.
constexpr int kMaxStoredSize = 32768;

namespace {

constexpr const char* kEmptyRow = "The Playlist is Empty ...";
constexpr const char* kNoListRow = "No Playlist Selected ...";
constexpr const char* kM3UFilter = "M3U Playlist (*.m3u)";
constexpr const char* kTitle = "Playlist Editor";
// Buttons beside the collection sit one touch row apart.
constexpr int kButtonPitch = 53;
constexpr int kButtonHeight = 48;

std::string FolderOf(const std::string& file) {
    return std::filesystem::path(file).parent_path().string();
}

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

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setMinimumHeight(kButtonHeight);
    return b;
}

}  // namespace

// --- the edited list's rows ----------------------------------------------------------

void TplaylistRows::startDrag(Qt::DropActions actions) {
    DragRow = currentRow();
    QListWidget::startDrag(actions);
}

void TplaylistRows::dragEnterEvent(QDragEnterEvent* e) {
    if (AcceptsFrom && AcceptsFrom(e->source()))
        e->acceptProposedAction();
    else
        e->ignore();
}

void TplaylistRows::dragMoveEvent(QDragMoveEvent* e) {
    if (!AcceptsFrom || !AcceptsFrom(e->source())) {
        e->ignore();
        return;
    }
    // The row under the cursor is shown as the drop place.
    const int row = indexAt(e->position().toPoint()).row();
    if (row >= 0) SetCurrentRowInCode(*this, row);
    e->acceptProposedAction();
}

void TplaylistRows::dropEvent(QDropEvent* e) {
    if (!AcceptsFrom || !AcceptsFrom(e->source())) {
        e->ignore();
        return;
    }
    const int row = indexAt(e->position().toPoint()).row();
    e->setDropAction(Qt::CopyAction);
    e->accept();
    if (DropFrom) DropFrom(e->source(), row);
}

// --- construction --------------------------------------------------------------------

TfrmNewPlaylistEditor::TfrmNewPlaylistEditor(QWidget* parent)
    : QMainWindow(parent),
      Ffilter(std::make_unique<TtagListRules>()),
      Fviewer(std::make_unique<TcustomJukeboxListViewer>()) {
    setObjectName("frmNewPlaylistEditor");
    setWindowTitle(kTitle);
    Fviewer->SetDisplayMode(
        DisplayModes({dmArtists, dmTitles, dmAlbums, dmCompilations, dmInvalid, dmGenres}));
    Fviewer->ShowEmptyAlphas = true;
    Fviewer->ShowCDLists = false;
    Fviewer->OnProcess = [this](TObject*, int index, int count, const std::string& comment) {
        Frebuild.Progress(index, count, comment);
    };
    BuildActions();
    BuildControls();
    // A touch window in the skin's colours: menus, tools, check boxes and lists sized for a
    // finger; it follows every skin change.
    StyleEditorDialog(*this);
    GlobalPrefs().AddChangeListener(this, [this](TObject*) {
        if (FformColors != FormSkinColors()) {
            FformColors = FormSkinColors();
            StyleEditorDialog(*this);
        }
    });
    FformColors = FormSkinColors();
    resize(1100, 760);
    pcPlaylists->setCurrentIndex(0);
    SetPlaybackVisible(nullptr);
    SetAddCartridgeAction(nullptr);
    SetLoadCartridgeAction(nullptr);
    SetSaveCartridgeAction(nullptr);
    SetJukebox(nullptr);
}

TfrmNewPlaylistEditor::~TfrmNewPlaylistEditor() {
    GlobalPrefs().RemoveChangeListener(this);
    if (TcustomJukeboxList* library = Library(); library && FfreeKey)
        library->RemoveFreeNotification(FfreeKey);
}

void TfrmNewPlaylistEditor::BuildActions() {
    auto make = [this](QAction*& action, const char* name, const char* text, std::function<void()> run) {
        action = new QAction(text, this);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
    };
    make(actnAddSelected, "actnAddSelected", "Add &Selected Tracks", [this] { AddSelectedTracks(); });
    make(actnAddAll, "actnAddAll", "Add &All Tracks", [this] { AddAllTracks(); });
    make(actnMoveUp, "actnMoveUp", "Move &Up", [this] { MoveUp(); });
    make(actnMoveDown, "actnMoveDown", "Move &Down", [this] { MoveDown(); });
    make(actnDelete, "actnDelete", "&Delete", [this] { DeleteSelected(); });
    make(actnClear, "actnClear", "&Clear", [this] { ClearList(); });
    make(actnSortArtist, "actnSortArtist", "Sort by &Artist", [this] {
        SortBy(tstArtist);
        MakeSortAction(actnSortArtist);
    });
    make(actnSortTitle, "actnSortTitle", "Sort by &Title", [this] {
        SortBy(tstTitle);
        MakeSortAction(actnSortTitle);
    });
    make(actnSortDuration, "actnSortDuration", "Sort by D&uration", [this] {
        SortBy(tstDuration);
        MakeSortAction(actnSortDuration);
    });
    make(actnRandomize, "actnRandomize", "&Randomize", [this] {
        Randomize();
        MakeSortAction(actnRandomize);
    });
    make(actnLoadM3U, "actnLoadM3U", "&Load from M3U File ...", [this] { LoadFromM3U(false); });
    make(actnAddM3U, "actnAddM3U", "A&dd from M3U File ...", [this] { LoadFromM3U(true); });
    make(actnSaveM3U, "actnSaveM3U", "&Save to M3U File ...", [this] { SaveToM3U(); });
    make(actnPlaylistsNew, "actnPlaylistsNew", "&New", [this] { NewPlaylist(); });
    make(actnPlaylistsNewFromM3U, "actnPlaylistsNewFromM3U", "New from &M3U ...", [this] { NewFromM3U(); });
    make(actnPlaylistsDelete, "actnPlaylistsDelete", "&Delete", [this] { DeleteCurrent(); });
    make(actnPlaylistsRename, "actnPlaylistsRename", "&Rename", [this] { RenameCurrent(); });
    make(actnAddToStacker, "actnAddToStacker", "Add To Stac&ker", [this] { AddToStacker(); });
    make(actnAddToplaylists, "actnAddToplaylists", "Add to Playlist &Collection",
         [this] { AddToCollection(); });
    make(actnStackerEmpty, "actnStackerEmpty", "&Empty", [this] { EmptyStacker(); });
    make(actnClearPlaylist, "actnClearPlaylist", "Clear Playlist", [this] { ClearJukeboxPlaylist(); });
    make(actnApplyFilters, "actnApplyFilters", "Apply &Filters ...", [this] { ApplyFilters(); });
    make(actnPlaySelectedTrack, "actnPlaySelectedTrack", "&Play Selected Track",
         [this] { PlaySelectedTrack(); });
    make(actnStopPlayback, "actnStopPlayback", "&Stop Playback", [this] { StopPlayback(); });
    make(actnClose, "actnClose", "&Close", [this] { close(); });

    QMenu* file = menuBar()->addMenu("&File");
    file->addActions({actnLoadM3U, actnAddM3U, actnSaveM3U});
    file->addSeparator();
    file->addAction(actnClose);
    QMenu* edit = menuBar()->addMenu("&Playlist");
    edit->addActions({actnAddSelected, actnAddAll, actnMoveUp, actnMoveDown, actnDelete, actnClear});
    edit->addSeparator();
    edit->addActions({actnSortArtist, actnSortTitle, actnSortDuration, actnRandomize});
    edit->addSeparator();
    edit->addActions({actnApplyFilters, actnAddToplaylists, actnAddToStacker});
    mnuCollection = menuBar()->addMenu("C&ollection");
    mnuCollection->addActions(
        {actnPlaylistsNew, actnPlaylistsNewFromM3U, actnPlaylistsRename, actnPlaylistsDelete});
    mnuStacker = menuBar()->addMenu("&Stacker");
    mnuStacker->addActions({actnPlaylistsRename, actnPlaylistsDelete, actnStackerEmpty});
    mnuControl = menuBar()->addMenu("Co&ntrol");
    mnuControl->addActions({actnPlaySelectedTrack, actnStopPlayback});

    QToolBar* tools = addToolBar("Tools");
    tools->setObjectName("tbPlaylistEditor");
    tools->setIconSize(QSize(32, 32));
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tools->addActions({actnLoadM3U, actnSaveM3U});
    tools->addSeparator();
    tools->addActions({actnMoveUp, actnMoveDown, actnDelete, actnClear});
    tbtnSort = new QToolButton(tools);
    tbtnSort->setObjectName("tbtnSort");
    tbtnSort->setPopupMode(QToolButton::MenuButtonPopup);
    auto* sortMenu = new QMenu(tbtnSort);
    sortMenu->addActions({actnSortArtist, actnSortTitle, actnSortDuration, actnRandomize});
    tbtnSort->setMenu(sortMenu);
    tbtnSort->setDefaultAction(actnSortArtist);
    tools->addWidget(tbtnSort);
    tools->addSeparator();
    tools->addAction(actnApplyFilters);
    tbtnAddPlaylistTo = new QToolButton(tools);
    tbtnAddPlaylistTo->setObjectName("tbtnAddPlaylistTo");
    tbtnAddPlaylistTo->setDefaultAction(actnAddToStacker);
    tools->addWidget(tbtnAddPlaylistTo);
    for (QToolButton* b : tools->findChildren<QToolButton*>())
        b->setMinimumSize(kButtonHeight, kButtonHeight);
}

void TfrmNewPlaylistEditor::BuildControls() {
    FmainSplit = new QSplitter(Qt::Horizontal, this);
    setCentralWidget(FmainSplit);

    // Left: the library tree above the chosen node's tracks.
    FleftSplit = new QSplitter(Qt::Vertical, FmainSplit);
    tvJukebox = new QTreeWidget(FleftSplit);
    tvJukebox->setObjectName("tvJukebox");
    tvJukebox->setHeaderHidden(true);
    tvJukebox->setDragEnabled(true);
    tvJukebox->setDragDropMode(QAbstractItemView::DragOnly);
    tvJukebox->setIconSize(QSize(0, 0));
    connect(tvJukebox, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item, QTreeWidgetItem*) { ChooseTreeItem(item); });
    auto* songsPanel = new QWidget(FleftSplit);
    auto* songsLayout = new QVBoxLayout(songsPanel);
    songsLayout->setContentsMargins(0, 0, 0, 0);
    lbSongs = new QListWidget(songsPanel);
    lbSongs->setObjectName("lbSongs");
    lbSongs->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbSongs->setDragEnabled(true);
    lbSongs->setDragDropMode(QAbstractItemView::DragOnly);
    connect(lbSongs, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) {
        if (lbSongs->currentRow() >= 0) AddSelectedTracks();
    });
    songsLayout->addWidget(lbSongs, 1);
    auto* addRow = new QHBoxLayout;
    auto* btnAddSelected = new QToolButton(songsPanel);
    btnAddSelected->setObjectName("sbtnAddSelected");
    btnAddSelected->setDefaultAction(actnAddSelected);
    btnAddSelected->setMinimumSize(kButtonHeight * 4, kButtonHeight);
    auto* btnAddAll = new QToolButton(songsPanel);
    btnAddAll->setObjectName("sbtnAddAll");
    btnAddAll->setDefaultAction(actnAddAll);
    btnAddAll->setMinimumSize(kButtonHeight * 3, kButtonHeight);
    addRow->addWidget(btnAddSelected);
    addRow->addWidget(btnAddAll);
    addRow->addStretch(1);
    songsLayout->addLayout(addRow);

    // Right: the collection and the stacker above the edited list.
    FrightSplit = new QSplitter(Qt::Vertical, FmainSplit);
    pcPlaylists = new QTabWidget(FrightSplit);
    pcPlaylists->setObjectName("pcPlaylists");

    auto* collection = new QWidget(pcPlaylists);
    collection->setObjectName("tsPlaylistCollection");
    auto* collectionLayout = new QHBoxLayout(collection);
    auto* collectionLeft = new QVBoxLayout;
    lbPlaylists = new QListWidget(collection);
    lbPlaylists->setObjectName("lbPlaylists");
    connect(lbPlaylists, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ChoosePlaylist(lbPlaylists->row(item)); });
    collectionLeft->addWidget(lbPlaylists, 1);
    pnlActivePlaylist = new QWidget(collection);
    pnlActivePlaylist->setObjectName("pnlActivePlaylist");
    auto* activeRow = new QHBoxLayout(pnlActivePlaylist);
    activeRow->setContentsMargins(0, 0, 0, 0);
    activeRow->addWidget(new QLabel("Active Playlist :", pnlActivePlaylist));
    cboPlaylists = new QComboBox(pnlActivePlaylist);
    cboPlaylists->setObjectName("cboPlaylists");
    cboPlaylists->setMinimumHeight(kButtonHeight);
    connect(cboPlaylists, &QComboBox::activated, this, [this](int index) { ChooseActivePlaylist(index); });
    activeRow->addWidget(cboPlaylists, 1);
    collectionLeft->addWidget(pnlActivePlaylist);
    collectionLayout->addLayout(collectionLeft, 1);
    auto* collectionRight = new QVBoxLayout;
    auto* buttonColumn = new QWidget(collection);
    buttonColumn->setObjectName("pnlCollectionButtons");
    buttonColumn->setFixedWidth(170);
    btnNew = MakeButton(buttonColumn, "btnNew", "New");
    btnNewFromM3U = MakeButton(buttonColumn, "btnNewFromM3U", "New from M3U");
    btnDelete = MakeButton(buttonColumn, "btnDelete", "Delete");
    btnRename = MakeButton(buttonColumn, "btnRename", "Rename");
    connect(btnNew, &QPushButton::clicked, actnPlaylistsNew, &QAction::trigger);
    connect(btnNewFromM3U, &QPushButton::clicked, actnPlaylistsNewFromM3U, &QAction::trigger);
    connect(btnDelete, &QPushButton::clicked, actnPlaylistsDelete, &QAction::trigger);
    connect(btnRename, &QPushButton::clicked, actnPlaylistsRename, &QAction::trigger);
    for (QPushButton* b : {btnNew, btnNewFromM3U, btnDelete, btnRename}) b->resize(170, kButtonHeight);
    btnNewFromM3U->move(0, kButtonPitch);
    buttonColumn->setMinimumHeight(4 * kButtonPitch);
    collectionRight->addWidget(buttonColumn);
    gbSettings = new QGroupBox("Settings", collection);
    gbSettings->setObjectName("gbSettings");
    // The three switches side by side under the list: with finger-sized boxes a column of
    // them would make the window too high for a small screen.
    auto* settingsLayout = new QHBoxLayout(gbSettings);
    cbRandom = new QCheckBox("Random", gbSettings);
    cbRandom->setObjectName("cbRandom");
    cbLoop = new QCheckBox("Loop", gbSettings);
    cbLoop->setObjectName("cbLoop");
    cbReset = new QCheckBox("Reset", gbSettings);
    cbReset->setObjectName("cbReset");
    for (auto [box, mode] :
         {std::pair{cbRandom, lmRandom}, std::pair{cbLoop, lmLoop}, std::pair{cbReset, lmResetOnActivate}}) {
        box->setMinimumHeight(36);
        settingsLayout->addWidget(box);
        connect(box, &QCheckBox::clicked, this, [this, mode](bool on) { SetPlayModeFlag(mode, on); });
    }
    settingsLayout->addStretch(1);
    collectionLeft->addWidget(gbSettings);
    collectionRight->addStretch(1);
    collectionLayout->addLayout(collectionRight);
    pcPlaylists->addTab(collection, "Playlist Collection");

    auto* stacker = new QWidget(pcPlaylists);
    stacker->setObjectName("tsStacker");
    auto* stackerLayout = new QHBoxLayout(stacker);
    lbStacker = new QListWidget(stacker);
    lbStacker->setObjectName("lbStacker");
    connect(lbStacker, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ChooseCartridge(lbStacker->row(item)); });
    stackerLayout->addWidget(lbStacker, 1);
    // Two columns of finger-sized buttons, so the page is no higher than the collection's.
    auto* stackerButtons = new QGridLayout;
    int stackerButton = 0;
    btnStackerRename = MakeButton(stacker, "btnStackerRename", "Rename");
    btnStackerDelete = MakeButton(stacker, "btnStackerDelete", "Delete");
    btnStackerEmpty = MakeButton(stacker, "btnStackerEmpty", "&Empty");
    btnLoadCartridge = MakeButton(stacker, "btnLoadCartridge", "Load");
    btnAddCartridge = MakeButton(stacker, "btnAddCartridge", "Add");
    btnSaveCartridge = MakeButton(stacker, "btnSaveCartridge", "Save");
    connect(btnStackerRename, &QPushButton::clicked, actnPlaylistsRename, &QAction::trigger);
    connect(btnStackerDelete, &QPushButton::clicked, actnPlaylistsDelete, &QAction::trigger);
    connect(btnStackerEmpty, &QPushButton::clicked, actnStackerEmpty, &QAction::trigger);
    connect(btnLoadCartridge, &QPushButton::clicked, this, [this] {
        if (FloadCartridge) FloadCartridge();
    });
    connect(btnAddCartridge, &QPushButton::clicked, this, [this] {
        if (FaddCartridge) FaddCartridge();
    });
    connect(btnSaveCartridge, &QPushButton::clicked, this, [this] {
        if (FsaveCartridge) FsaveCartridge();
    });
    for (QPushButton* b : {btnStackerRename, btnStackerDelete, btnStackerEmpty, btnLoadCartridge,
                           btnAddCartridge, btnSaveCartridge}) {
        b->setFixedWidth(150);
        stackerButtons->addWidget(b, stackerButton / 2, stackerButton % 2);
        ++stackerButton;
    }
    stackerButtons->setRowStretch(3, 1);
    stackerLayout->addLayout(stackerButtons);
    pcPlaylists->addTab(stacker, "Stacker");
    connect(pcPlaylists, &QTabWidget::currentChanged, this, [this](int index) { ChooseTab(index); });

    lbPlaylist = new TplaylistRows(FrightSplit);
    lbPlaylist->setObjectName("lbPlaylist");
    lbPlaylist->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbPlaylist->setDragEnabled(true);
    lbPlaylist->setAcceptDrops(true);
    lbPlaylist->setDragDropMode(QAbstractItemView::DragDrop);
    lbPlaylist->setDropIndicatorShown(true);
    lbPlaylist->AcceptsFrom = [this](QObject* source) { return AcceptsDrop(source); };
    lbPlaylist->DropFrom = [this](QObject* source, int row) { Drop(source, row); };
    lbPlaylist->installEventFilter(this);
    lbSongs->installEventFilter(this);
    for (QListWidget* box : {static_cast<QListWidget*>(lbPlaylist), lbSongs})
        connect(box, &QListWidget::itemPressed, this,
                [this, box](QListWidgetItem*) { FlastTrackSource = box; });

    // Rows a finger can hit, in the size the main window's lists use.
    for (QListWidget* box : {lbSongs, static_cast<QListWidget*>(lbPlaylist), lbPlaylists, lbStacker}) {
        QFont f = box->font();
        f.setPointSize(14);
        box->setFont(f);
        box->setStyleSheet("QListWidget::item { min-height: 48px; }");
    }
    QFont treeFont = tvJukebox->font();
    treeFont.setPointSize(14);
    tvJukebox->setFont(treeFont);
    tvJukebox->setStyleSheet("QTreeWidget::item { min-height: 48px; }");

    FmainSplit->setStretchFactor(0, 1);
    FmainSplit->setStretchFactor(1, 1);
    FleftSplit->setStretchFactor(0, 3);
    FleftSplit->setStretchFactor(1, 2);
    FrightSplit->setStretchFactor(0, 2);
    FrightSplit->setStretchFactor(1, 3);

    for (int i = 0; i < 4; ++i) {
        sbPanels[i] = new QLabel(this);
        sbPanels[i]->setObjectName(QString("sbPlaylistEditor%1").arg(i));
        sbPanels[i]->setMinimumWidth(i == 0 ? 320 : 160);
        statusBar()->addWidget(sbPanels[i], i == 0 ? 1 : 0);
    }
    statusBar()->setObjectName("sbPlaylistEditor");
}

// --- what the main window calls -------------------------------------------------------

TcustomJukeboxList* TfrmNewPlaylistEditor::Library() const {
    return Fviewer->JukeboxList();
}

void TfrmNewPlaylistEditor::SetJukebox(TcustomJukebox* jukebox) {
    if (TcustomJukeboxList* old = Library(); old && FfreeKey) old->RemoveFreeNotification(FfreeKey);
    FfreeKey = 0;
    Fjukebox = jukebox;
    Fcurrent.reset();
    if (jukebox) {
        Fviewer->SetJukeboxList(jukebox->Owner());
        if (TcustomJukeboxList* library = jukebox->Owner())
            FfreeKey = library->AddFreeNotification([this](TObject*) {
                // The library and its jukebox are going: nothing of theirs may be kept.
                FfreeKey = 0;
                Fjukebox = nullptr;
                Fcurrent.reset();
                FcollectionRows.clear();
                FstackerRows.clear();
                FsongRows.clear();
                FlistRows.clear();
            });
    }
    pnlActivePlaylist->setVisible(jukebox != nullptr);
}

void TfrmNewPlaylistEditor::SetPlaybackVisible(TcustomMediaPlayer* player) {
    Fplayer = player;
    mnuControl->menuAction()->setVisible(player != nullptr);
    actnPlaySelectedTrack->setVisible(player != nullptr);
    actnStopPlayback->setVisible(player != nullptr);
}

void TfrmNewPlaylistEditor::SetAddCartridgeAction(TcartridgeAction action) {
    FaddCartridge = std::move(action);
    btnAddCartridge->setVisible(bool(FaddCartridge));
}

void TfrmNewPlaylistEditor::SetLoadCartridgeAction(TcartridgeAction action) {
    FloadCartridge = std::move(action);
    btnLoadCartridge->setVisible(bool(FloadCartridge));
}

void TfrmNewPlaylistEditor::SetSaveCartridgeAction(TcartridgeAction action) {
    FsaveCartridge = std::move(action);
    btnSaveCartridge->setVisible(bool(FsaveCartridge));
}

void TfrmNewPlaylistEditor::RefreshPlaylistCollection() {
    FcollectionRows.clear();
    lbPlaylists->clear();
    cboPlaylists->clear();
    cboPlaylists->addItem("[none]");
    if (TcustomJukeboxList* library = Library()) {
        TaudioTagPlaylistList& lists = library->Playlists();
        for (int i = 0; i < lists.Count(); ++i) {
            TaudioTagListPtr list = lists.GetList(i);
            lbPlaylists->addItem(QString::fromStdString(list->Title()));
            cboPlaylists->addItem(QString::fromStdString(list->Title()),
                                  QVariant::fromValue(reinterpret_cast<quintptr>(list.get())));
            FcollectionRows.push_back(std::move(list));
        }
    }
    SelectActivePlaylist(Fjukebox ? Fjukebox->ActivatedPlaylist() : nullptr);
    // A list the collection no longer holds is not edited any more.
    if (Fcurrent && !Held(Fcurrent.get())) SetCurrentList(nullptr);
}

void TfrmNewPlaylistEditor::SelectActivePlaylist(TaudioTagList* list) {
    if (!list) {
        if (cboPlaylists->count() == 0) cboPlaylists->insertItem(0, "[none]");
        SetCurrentRowInCode(*cboPlaylists, 0);
        return;
    }
    const int index = cboPlaylists->findData(QVariant::fromValue(reinterpret_cast<quintptr>(list)));
    SetCurrentRowInCode(*cboPlaylists, std::max(0, index));
}

void TfrmNewPlaylistEditor::RefreshStackerList() {
    // The cartridges were replaced or changed: the edited list stays only while the
    // stacker (or another owner) still holds it.
    if (Fcurrent && !Held(Fcurrent.get())) Fcurrent.reset();
    FstackerRows.clear();
    lbStacker->clear();
    if (Fjukebox) {
        TaudioTagPlaylistList& stacker = Fjukebox->Stacker();
        for (int i = 0; i < stacker.Count(); ++i) {
            TaudioTagListPtr cartridge = stacker.GetList(i);
            lbStacker->addItem(QString::fromStdString(cartridge->Title()));
            FstackerRows.push_back(std::move(cartridge));
        }
    }
    SetCurrentList(Fcurrent);
}

void TfrmNewPlaylistEditor::UpdatePlaylistTree() {
    Frebuild.Run(Fprogress, "Updating Playlist Tree", [this] {
        FsongRows.clear();
        lbSongs->clear();
        Fviewer->Rebuild(tvJukebox);
    });
}

void TfrmNewPlaylistEditor::RefreshInfo() {
    if (Fcurrent && !Held(Fcurrent.get())) {
        SetCurrentList(nullptr);
        return;
    }
    UpdateList();
}

void TfrmNewPlaylistEditor::LoadSettings(const TiniFile& ini, const std::string& section) {
    const int w = ini.ReadIntegerWithin(section, "Width", width(), 100, kMaxStoredSize);
    const int h = ini.ReadIntegerWithin(section, "Height", height(), 100, kMaxStoredSize);
    resize(w, h);
    const QSize screen =
        QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size() : QSize(w, h);
    move(ini.ReadIntegerWithin(section, "Left", (screen.width() - width()) / 2, -kMaxStoredSize, kMaxStoredSize),
         ini.ReadIntegerWithin(section, "Top", (screen.height() - height()) / 2, -kMaxStoredSize, kMaxStoredSize));
    // The panel sizes are kept and put in place once the window has its size on screen
    // (a window not shown yet has no panel sizes to share out).
    FpanelSizes.RightPanelWidth = ini.ReadIntegerWithin(section, "RightPanelWidth",
                                                        CurrentPanelSizes().RightPanelWidth, 0, kMaxStoredSize);
    FpanelSizes.TrackListHeight = ini.ReadIntegerWithin(section, "TrackListHeight",
                                                        CurrentPanelSizes().TrackListHeight, 0, kMaxStoredSize);
    FpanelSizes.SelectionHeight = ini.ReadIntegerWithin(section, "PLSelectionHeight",
                                                        CurrentPanelSizes().SelectionHeight, 0, kMaxStoredSize);
    if (isVisible()) ApplyPanelSizes();
    FplaylistFolder = ini.ReadString(section, "PlaylistFolder", FplaylistFolder);
    Ffilter->LoadFromIni(ini, section);
}

void TfrmNewPlaylistEditor::SaveSettings(TiniFile& ini, const std::string& section) const {
    ini.WriteInteger(section, "Width", width());
    ini.WriteInteger(section, "Height", height());
    ini.WriteInteger(section, "Left", x());
    ini.WriteInteger(section, "Top", y());
    const TeditorPanelSizes sizes = CurrentPanelSizes();
    ini.WriteInteger(section, "RightPanelWidth", sizes.RightPanelWidth);
    ini.WriteInteger(section, "TrackListHeight", sizes.TrackListHeight);
    ini.WriteInteger(section, "PLSelectionHeight", sizes.SelectionHeight);
    ini.WriteString(section, "PlaylistFolder", FplaylistFolder);
    Ffilter->SaveToIni(ini, section);
}

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

bool TfrmNewPlaylistEditor::AcceptsDrop(QObject* source) const {
    if (!source) return false;
    if (source == lbPlaylist) return true;
    if (source == lbSongs) return lbSongs->count() > 0;
    if (source == tvJukebox) return TcustomJukeboxListViewer::ItemData(tvJukebox->currentItem()) != nullptr;
    return false;
}

std::vector<TaudioTagPtr> TfrmNewPlaylistEditor::NodeTracks(QTreeWidgetItem* item) const {
    auto* list = dynamic_cast<TaudioTagList*>(TcustomJukeboxListViewer::ItemData(item));
    return list ? list->Items() : std::vector<TaudioTagPtr>{};
}

void TfrmNewPlaylistEditor::Drop(QObject* source, int row) {
    TaudioTagList* list = CurrentList();
    if (!list || !AcceptsDrop(source)) return;
    if (source == lbSongs) {
        AddSelectedTracks();
        return;
    }
    if (source == tvJukebox) {
        AddTracks(NodeTracks(tvJukebox->currentItem()));
        return;
    }
    const int from = lbPlaylist->DragRow;
    if (from < 0 || from >= int(FlistRows.size())) return;
    const TaudioTagPtr tag = FlistRows[size_t(from)];
    const int to = row < 0 || row >= int(FlistRows.size()) ? list->Count() - 1
                                                           : list->IndexOf(FlistRows[size_t(row)].get());
    list->Move(list->IndexOf(tag.get()), to);
    UpdateList();
    SelectTrack(tag.get());
}

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

// --- events ---------------------------------------------------------------------------

namespace {
// The least a panel of the editor keeps when stored sizes are put in place.
constexpr int kMinPanelSize = 80;
}  // namespace

TfrmNewPlaylistEditor::TeditorPanelSizes TfrmNewPlaylistEditor::CurrentPanelSizes() const {
    // Until the panels were laid out on screen their sizes are the ones read.
    if (!FpanelsShown) return FpanelSizes;
    return {FmainSplit->sizes().value(1), FleftSplit->sizes().value(1), FrightSplit->sizes().value(0)};
}

void TfrmNewPlaylistEditor::ApplyPanelSizes() {
    // A size of 0 (none read) leaves the panel as the layout made it.
    auto share = [](QSplitter* split, int first, int second, bool secondGiven) {
        const QList<int> sizes = split->sizes();
        const int total = sizes.value(0) + sizes.value(1);
        if (total <= 0) return false;
        // A stored size never squeezes the other panel out of sight.
        const int room = std::max(0, total - std::min(kMinPanelSize, total / 2));
        if (secondGiven) {
            second = std::min(second, room);
            split->setSizes({total - second, second});
        } else {
            first = std::min(first, room);
            split->setSizes({first, total - first});
        }
        return true;
    };
    // The panels have no sizes until the window is laid out on screen: tried again then.
    if (FmainSplit->sizes().value(0) + FmainSplit->sizes().value(1) <= 0) return;
    if (FpanelSizes.RightPanelWidth > 0) share(FmainSplit, 0, FpanelSizes.RightPanelWidth, true);
    if (FpanelSizes.TrackListHeight > 0) share(FleftSplit, 0, FpanelSizes.TrackListHeight, true);
    if (FpanelSizes.SelectionHeight > 0) share(FrightSplit, FpanelSizes.SelectionHeight, 0, false);
    FpanelsShown = true;
}

void TfrmNewPlaylistEditor::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!FpanelsShown) {
        ApplyPanelSizes();
        if (!FpanelsShown)
            QTimer::singleShot(0, this, [this] {
                if (!FpanelsShown) ApplyPanelSizes();
            });
    }
    if (!Library()) return;
    UpdatePlaylistTree();
    RefreshInfo();
    ChooseTab(pcPlaylists->currentIndex());
}

bool TfrmNewPlaylistEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == lbPlaylist || watched == lbSongs)
            FlastTrackSource = static_cast<QListWidget*>(watched);
    }
    if (watched == lbPlaylist && event->type() == QEvent::KeyRelease &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        DeleteSelected();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace tunecrest
