#include "windows/library/playlist_editor.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/jukebox/global_prefs.h"
#include "core/jukebox/jukebox.h"
#include "core/library/jukebox_list.h"
#include "skin/jukebox_list_viewer.h"
#include "windows/about_box.h"
#include "windows/editors/editor_form.h"
#include "windows/event_rules.h"
#include "windows/library/playlist_editor_constants.h"

namespace tunecrest {

namespace {

constexpr int kButtonHeight = 48;

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setMinimumHeight(kButtonHeight);
    return b;
}

}  // namespace

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
    // A touch window in the skin's colours: menus, tools, check boxes and lists sized for a
    // finger; it follows every skin change. Styled before its tools are made, so that they
    // are sized for the style's bold captions.
    StyleEditorDialog(*this);
    BuildActions();
    BuildControls();
    GlobalPrefs().AddChangeListener(this, [this](TObject*) {
        if (FformColors != FormSkinColors()) {
            FformColors = FormSkinColors();
            StyleEditorDialog(*this);
        }
    });
    FformColors = FormSkinColors();
    resize(1240, 760);
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

// --- events ---------------------------------------------------------------------------

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
