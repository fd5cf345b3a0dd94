#include "windows/library/stacker_list.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <filesystem>

#include "core/display/browse_tree.h"
#include "core/display/font_store.h"
#include "core/base/ini_file.h"
#include "core/jukebox/jukebox.h"
#include "core/library/jukebox_data_files.h"
#include "core/library/jukebox_list.h"
#include "core/display/markup_text.h"
#include "core/base/services.h"
#include "core/base/shared_utils.h"
#include "core/base/text_utils.h"
#include "skin/component_owner.h"
#include "skin/html_text.h"
#include "skin/image_list.h"
#include "skin/qt_color.h"
#include "skin/screen_fonts.h"
#include "skin/skin_button.h"
#include "skin/skin_panel.h"
#include "skin/skin_scroll_bar.h"
#include "skin/small_dialogs.h"
#include "skin/touch_list_box.h"
#include "windows/about_box.h"
#include "windows/event_rules.h"

namespace tunecrest {

// The largest window side or offset a stored layout may hold.
constexpr int kMaxStoredSize = 32768;

namespace {

constexpr int kBar = 48;  // touch targets
constexpr int kGap = 8;
constexpr int kStatusHeight = 32;
constexpr const char* kLoadItem = "[Load ...]";

TColor SkinColorAt(const TfontContainer* skin, int index, TColor fallback) {
    if (!skin) return fallback;
    const TcolorItem* item = skin->Colors().Items(index);
    return item ? item->color : fallback;
}

int Luma(TColor c) {
    return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000;
}

TColor ReadableOn(TColor back, TColor text) {
    if (std::abs(Luma(text) - Luma(back)) >= 110) return text;
    return Luma(back) > 128 ? clBlack : clWhite;
}

const TFont* SkinFont(const TfontContainer* skin, const char* name) {
    if (!skin) return nullptr;
    const TfontItem* item = skin->Items().FindByName(name);
    return item ? &item->font() : nullptr;
}

}  // namespace

TfrmStackerList::TfrmStackerList(QWidget* parent)
    : TfrmBaseSkinForm(parent), Fviewer(std::make_unique<TcustomJukeboxListViewer2>()) {
    setObjectName("frmStackerList");
    setWindowTitle("Stacker");
    setWindowFlags(Qt::Window);
    SetSizeable(true);
    Fviewer->SetDisplayMode(DisplayModes({dmAlbums, dmPlaylists, dmCompilations, dmGenreAlbums}));
    Fviewer->ShowEmptyAlphas = false;
    Fviewer->ShowCDLists = false;
    Fviewer->OnProcess = [this](TObject*, int index, int count, const std::string& comment) {
        Frebuild.Progress(index, count, comment);
    };
    Flook.Viewer = Fviewer.get();

    QWidget* panel = Panel();
    auto button = [&](const char* name, const char* caption, std::function<void()> run) {
        TmySkinButton* b = MakeDialogButton(this, panel, name, caption, 11);
        b->OnClick = [run = std::move(run)](TObject*) { run(); };
        return b;
    };
    btnAdd = button("btnAdd", "Add", [this] { AddSelectedNode(); });
    btnDelete = button("btnDelete", "Delete", [this] { DeleteSelectedCartridge(); });
    btnEmpty = button("btnEmpty", "Empty Stacker", [this] { EmptyStacker(); });
    btnLoadStacker = button("btnLoadStacker", "Load Cartridge ...", [this] {
        if (FloadCartridge) FloadCartridge();
    });
    btnAddStacker = button("btnAddStacker", "Add Cartridge ...", [this] {
        if (FaddCartridge) FaddCartridge();
    });
    btnSaveStacker = button("btnSaveStacker", "Save to File ...", [this] {
        if (!FsaveCartridge) return;
        FsaveCartridge();
        RefillCartridges();
    });
    btnGenres = button("btnGenres", "Genres", [this] { ToggleGenres(); });
    btnClose = button("btnClose", "Close", [this] { close(); });

    pnlTree = CreateComponent<TmySkinPanel>(this, panel);
    pnlTree->setObjectName("pnlTree");
    tvLibrary = CreateComponent<TtouchTreeView>(this, pnlTree);
    tvLibrary->setObjectName("tvLibrary");
    tvLibrary->FollowClickPreferences();
    tvLibrary->OnPaintItem = [this](TObject*, int index, const QRect& rect, QPainter& canvas,
                                    TtouchListItemState state) {
        PaintLibraryTreeRow(*tvLibrary, Flook, index, rect, canvas, state);
    };
    tvLibrary->OnDblClick = [this](TObject*) { AddSelectedNode(); };
    tvLibrary->installEventFilter(this);
    sbTree = CreateComponent<TmySkinScrollBar>(this, pnlTree);
    sbTree->setObjectName("sbTree");
    BindScrollBar(*sbTree, *tvLibrary);

    pnlStacker = CreateComponent<TmySkinPanel>(this, panel);
    pnlStacker->setObjectName("pnlStacker");
    // A switch: held down and captioned "On" while the stacker plays.
    cbStackerEnabled = MakeDialogButton(this, pnlStacker, "cbStackerEnabled", "Off", 11);
    cbStackerEnabled->OnClick = [this](TObject*) { ToggleStackerEnabled(); };
    lblStackerEnabled = CreateComponent<QLabel>(this, pnlStacker);
    lblStackerEnabled->setObjectName("lblStackerEnabled");
    lblStackerEnabled->setText("Stacker Enabled");
    lbStacker = CreateComponent<TtouchListBox>(this, pnlStacker);
    lbStacker->setObjectName("lbStacker");
    lbStacker->FollowClickPreferences();
    lbStacker->OnPaintItem = [this](TObject*, int index, const QRect& rect, QPainter& canvas,
                                    TtouchListItemState state) {
        PaintStackerRow(index, rect, canvas, state);
    };
    lbStacker->OnKeyUp = [this](TObject*, QKeyEvent* e) {
        if (e->key() == Qt::Key_Delete) DeleteSelectedCartridge();
    };
    sbStacker = CreateComponent<TmySkinScrollBar>(this, pnlStacker);
    sbStacker->setObjectName("sbStacker");
    BindScrollBar(*sbStacker, *lbStacker);
    lblLoadCartridge = CreateComponent<QLabel>(this, pnlStacker);
    lblLoadCartridge->setObjectName("lblLoadCartridge");
    lblLoadCartridge->setText("Load Cartridge :");
    cboCartridges = CreateComponent<QComboBox>(this, pnlStacker);
    cboCartridges->setObjectName("cboCartridges");
    cboCartridges->setMinimumHeight(kBar);
    connect(cboCartridges, &QComboBox::activated, this, [this](int index) { ChooseCartridgeFile(index); });

    for (int i = 0; i < 3; ++i) {
        sbStatus[i] = CreateComponent<QLabel>(this, panel);
        sbStatus[i]->setObjectName(QString("sbStackerStatus%1").arg(i));
    }
    sbStatus[0]->setText("Albums : 0");
    sbStatus[1]->setText("Tracks : 0");
    sbStatus[2]->setText("Play time : 0:00");
    QFont labelFont = font();
    labelFont.setPointSize(13);
    for (QLabel* label : {lblStackerEnabled, lblLoadCartridge, sbStatus[0], sbStatus[1], sbStatus[2]})
        label->setFont(labelFont);
    QFont comboFont = cboCartridges->font();
    comboFont.setPointSize(13);
    cboCartridges->setFont(comboFont);
    tvLibrary->SetItemHeight(kTouchRowHeight);
    lbStacker->SetItemHeight(kTouchRowHeight);

    SetShowLoadCartridge(nullptr);
    SetShowAddCartridge(nullptr);
    SetShowSaveCartridge(nullptr);
    for (TmySkinButton* b : {btnAdd, btnDelete, btnEmpty, btnLoadStacker, btnAddStacker, btnSaveStacker,
                             btnGenres, btnClose, cbStackerEnabled})
        b->SetupFinished();
    for (TskinnedControl* c : std::initializer_list<TskinnedControl*>{pnlTree, pnlStacker, sbTree, sbStacker})
        c->SetupFinished();
    ApplySkin();
    ApplyListColor();
    resize(1100, 720);
}

TfrmStackerList::~TfrmStackerList() = default;

TcustomlocalJukeboxList* TfrmStackerList::LocalLibrary() const {
    return Fjukebox ? dynamic_cast<TcustomlocalJukeboxList*>(Fjukebox->Owner()) : nullptr;
}

void TfrmStackerList::SetJukebox(TcustomJukebox* jukebox) {
    Fjukebox = jukebox;
    Flook.Jukebox = jukebox;
    Fviewer->SetJukeboxList(jukebox ? jukebox->Owner() : nullptr);
    FjukeboxFileDate = FplaylistsFileDate = -1;
    if (jukebox) ApplyListColor();
}

void TfrmStackerList::SetSkin(const TfontContainer* skin) {
    Flook.Skin = skin;
    if (const TFont* heading = SkinFont(skin, "Heading")) {
        const QFont screen = ScreenFont(*heading);
        lbStacker->setFont(screen);
        const int height = QFontMetrics(screen).height() + 2;
        lbStacker->SetItemHeight(std::max(height, kTouchRowHeight));
        tvLibrary->SetItemHeight(std::max(height, kTouchRowHeight));
        QPalette p = cboCartridges->palette();
        p.setColor(QPalette::Text, ToQColor(ColorToRGB(heading->Color)));
        p.setColor(QPalette::ButtonText, ToQColor(ColorToRGB(heading->Color)));
        cboCartridges->setPalette(p);
    }
    LayOut();
}

void TfrmStackerList::SetScrollBarSkin(const TmySkinScrollBar* skin) {
    if (!skin) return;
    for (TmySkinScrollBar* bar : {sbTree, sbStacker}) bar->AssignSkin(*skin);
    LayOut();
}

void TfrmStackerList::SetListColor(TColor color) {
    FlistColor = color;
    if (Fjukebox) ApplyListColor();
}

void TfrmStackerList::ApplyListColor() {
    tvLibrary->SetColor(FlistColor);
    lbStacker->SetColor(FlistColor);
    QPalette p = cboCartridges->palette();
    p.setColor(QPalette::Base, ToQColor(ColorToRGB(FlistColor)));
    p.setColor(QPalette::Button, ToQColor(ColorToRGB(FlistColor)));
    cboCartridges->setPalette(p);
}

void TfrmStackerList::SetTreeImages(const TimageList* images) {
    Flook.Images = images;
}

void TfrmStackerList::SetShowLoadCartridge(std::function<void()> action) {
    FloadCartridge = std::move(action);
    btnLoadStacker->setVisible(bool(FloadCartridge));
    LayOut();
}

void TfrmStackerList::SetShowAddCartridge(std::function<void()> action) {
    FaddCartridge = std::move(action);
    btnAddStacker->setVisible(bool(FaddCartridge));
    LayOut();
}

void TfrmStackerList::SetShowSaveCartridge(std::function<void()> action) {
    FsaveCartridge = std::move(action);
    btnSaveStacker->setVisible(bool(FsaveCartridge));
    LayOut();
}

// --- the stacker and its status ---------------------------------------------------------

void TfrmStackerList::UpdateStackerStatus() {
    if (!Fjukebox) return;
    const TaudioTagPlaylistList& stacker = Fjukebox->Stacker();
    const int row = lbStacker->ItemIndex();
    lbStacker->SetCount(stacker.Count());
    if (row >= 0 && row < stacker.Count()) SetCurrentRowInCode(*lbStacker, row);
    cbStackerEnabled->SetDown(stacker.Active());
    cbStackerEnabled->SetCaption(stacker.Active() ? "On" : "Off");
    sbStatus[1]->setText(QString::fromStdString("Tracks : " + std::to_string(stacker.TrackCount())));
    sbStatus[2]->setText(QString::fromStdString("Duration : " + FormatHMS(int(stacker.TotalDuration()))));
    sbStatus[0]->setText(QString::fromStdString("Albums : " + std::to_string(stacker.Count())));
    lbStacker->update();
}

std::string TfrmStackerList::StackerRowText(int row) const {
    if (!Fjukebox || row < 0 || row >= Fjukebox->Stacker().Count()) return "";
    const TaudioTagListPtr cartridge = Fjukebox->Stacker().GetList(row);
    std::string artist;
    cartridge->GetAlbumArtist(artist);
    // Tracks of several artists make no one album artist.
    if (artist.empty() || artist == "Compilation") return cartridge->Title();
    return cartridge->Title() + " - " + artist;
}

int TfrmStackerList::StackerRowImage(int row) const {
    if (!Flook.Images || !Fjukebox || row < 0 || row >= Fjukebox->Stacker().Count()) return -1;
    const TaudioTagListPtr cartridge = Fjukebox->Stacker().GetList(row);
    return StackerRowText(row) == cartridge->Title() ? 7 : 12;
}

void TfrmStackerList::PaintStackerRow(int index, const QRect& rect, QPainter& canvas,
                                      TtouchListItemState state) {
    if (!Fjukebox || index < 0 || index >= Fjukebox->Stacker().Count()) return;
    canvas.save();
    canvas.fillRect(rect, ToQColor(ColorToRGB(FlistColor)));
    const bool selected = InItemState(state, lisSelected);
    TColor textColor = clWhite;
    if (selected) {
        canvas.fillRect(rect, ToQColor(ColorToRGB(SkinColorAt(Flook.Skin, 4, clNavy))));
        textColor = SkinColorAt(Flook.Skin, 3, clWhite);
    }
    if (InItemState(state, lisFocused)) {
        canvas.setPen(QPen(ToQColor(ColorToRGB(textColor)), 1, Qt::DotLine));
        canvas.drawRect(rect.adjusted(1, 1, -2, -2));
    }
    const int image = StackerRowImage(index);
    if (image >= 0)
        Flook.Images->Draw(canvas, rect.left() + 4, rect.top() + (rect.height() - Flook.Images->Height()) / 2,
                           image);
    const TFont* album = SkinFont(Flook.Skin, "Album");
    TFont base;
    base.Color = textColor;
    if (const TFont* heading = SkinFont(Flook.Skin, "Heading")) base = *heading;
    const std::string text =
        (album ? FontToHTMLTag(*album) : std::string()) + EscapeMarkup(StackerRowText(index));
    DrawHTMLText(canvas, text, rect.adjusted(4 + 20 + (Flook.Images ? Flook.Images->Width() : 0), 0, -4, 0),
                 base, Qt::AlignVCenter, selected, textColor);
    canvas.restore();
}

// --- the tree ---------------------------------------------------------------------------

void TfrmStackerList::RefreshStackerTree() {
    if (!Fjukebox) return;
    Frebuild.Run(Fprogress, "Updating Stacker Tree", [this] { Fviewer->Rebuild(tvLibrary->Model()); });
    tvLibrary->RebuildVisible();
}

void TfrmStackerList::ToggleGenres() {
    Fviewer->ToggleDisplayMode(dmGenres);
    btnGenres->SetDown(Fviewer->HasDisplayMode(dmGenres));
    RefreshStackerTree();
}

bool TfrmStackerList::AcceptsNode(const TmyNode* node) const {
    return node && node->DataAs<TaudioTagList>() && !node->DataAs<TaudioTagArtist>();
}

// --- actions ----------------------------------------------------------------------------

void TfrmStackerList::AddSelectedNode() {
    TcustomlocalJukeboxList* library = LocalLibrary();
    TmyNode* node = tvLibrary->GetSelectedNode();
    auto* list = node ? node->DataAs<TaudioTagList>() : nullptr;
    if (!library || !list) return;
    library->AddToStacker(list);
    UpdateStackerStatus();
}

void TfrmStackerList::DeleteSelectedCartridge() {
    TcustomlocalJukeboxList* library = LocalLibrary();
    const int row = lbStacker->ItemIndex();
    if (!library || row < 0 || row >= Fjukebox->Stacker().Count()) return;
    library->RemoveFromStacker(Fjukebox->Stacker().GetList(row).get());
    UpdateStackerStatus();
}

void TfrmStackerList::EmptyStacker() {
    if (TcustomlocalJukeboxList* library = LocalLibrary()) {
        library->ClearStacker();
        UpdateStackerStatus();
    }
}

void TfrmStackerList::ToggleStackerEnabled() {
    if (TcustomlocalJukeboxList* library = LocalLibrary()) {
        library->SetStackerActive(!Fjukebox->Stacker().Active());
        UpdateStackerStatus();
    }
}

void TfrmStackerList::RefillCartridges() {
    cboCartridges->clear();
    cboCartridges->addItem(kLoadItem);
    if (!FcartridgeFolder.empty())
        for (const std::string& name : FindFilesInFolder(FcartridgeFolder, "*.ctg"))
            cboCartridges->addItem(QString::fromStdString(std::filesystem::path(name).stem().string()));
    SetCurrentRowInCode(*cboCartridges, 0);
}

void TfrmStackerList::ChooseCartridgeFile(int index) {
    const std::string name = cboCartridges->itemText(index).toStdString();
    const std::filesystem::path file = std::filesystem::path(FcartridgeFolder) / (name + ".ctg");
    std::error_code ec;
    if (index > 0 && !FcartridgeFolder.empty() && std::filesystem::is_regular_file(file, ec)) {
        if (Fjukebox) {
            // Read completely first: a damaged file leaves the stacker as it is.
            std::vector<TaudioTagListPtr> read;
            if (ReadListsFile(file.string(), read) == TlistFileState::lfsLoaded) {
                TaudioTagPlaylistList& stacker = Fjukebox->Stacker();
                Fjukebox->MarkUserChange(TcustomJukebox::ulStacker);
                stacker.BeginUpdate();
                stacker.Clear();
                for (auto& list : read) stacker.AddList(list);
                stacker.EndUpdate();
                UpdateStackerStatus();
            } else {
                Prompt().ShowMessage("Cannot load the cartridge " + file.string(), "Error");
            }
        }
    } else if (FloadCartridge) {
        FloadCartridge();
    }
    SetCurrentRowInCode(*cboCartridges, 0);
}

// --- layout -----------------------------------------------------------------------------

void TfrmStackerList::LoadLayout(const TiniFile& ini, const std::string& section) {
    resize(ini.ReadIntegerWithin(section, "Width", width(), 100, kMaxStoredSize), ini.ReadIntegerWithin(section, "Height", height(), 100, kMaxStoredSize));
    const QSize screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size() : size();
    move(ini.ReadIntegerWithin(section, "Left", (screen.width() - width()) / 2, -kMaxStoredSize, kMaxStoredSize),
         ini.ReadIntegerWithin(section, "Top", (screen.height() - height()) / 2, -kMaxStoredSize, kMaxStoredSize));
    FrightPanelWidth = ini.ReadIntegerWithin(section, "RightPanelWidth", FrightPanelWidth, 0, kMaxStoredSize);
    const bool genres = ini.ReadBool(section, "ViewGenres", false);
    if (genres != Fviewer->HasDisplayMode(dmGenres))
        ToggleGenres();
    else
        RefreshStackerTree();
    LayOut();
}

void TfrmStackerList::SaveLayout(TiniFile& ini, const std::string& section) const {
    ini.WriteInteger(section, "Width", width());
    ini.WriteInteger(section, "Height", height());
    ini.WriteInteger(section, "Left", x());
    ini.WriteInteger(section, "Top", y());
    ini.WriteInteger(section, "RightPanelWidth", FrightPanelWidth);
    ini.WriteBool(section, "ViewGenres", Fviewer->HasDisplayMode(dmGenres));
}

void TfrmStackerList::ApplySkin() {
    TfrmBaseSkinForm::ApplySkin();
    // The panels around the two lists wear the skin's panel picture, as the form does.
    const QImage picture = FormPanelPicture();
    for (TmySkinPanel* panel : {pnlTree, pnlStacker})
        if (panel && picture.cacheKey() != panel->SkinBitmap().cacheKey()) panel->SetSkinBitmap(picture);
    // Captions in the skin's caption colour, which reads on the button face.
    const TColor captionColor = FormSkinColors().CaptionFontColor;
    for (QObject* component : OwnedComponents(this))
        if (auto* button = dynamic_cast<TmySkinButton*>(component)) {
            button->BeginUpdate();
            button->SetFontColor(captionColor);
            button->SetHighlightFontColor(captionColor);
            button->EndUpdate();
        }
}

void TfrmStackerList::showEvent(QShowEvent* e) {
    TfrmBaseSkinForm::showEvent(e);
    ApplySkin();
    ApplyListColor();
    const TformSkinColors colors = FormSkinColors();
    // The preferences' text colour, unless it would not read on the panel.
    const TColor text = ReadableOn(ColorToRGB(colors.ColorB), ColorToRGB(colors.CaptionFontColor));
    for (QLabel* label : {lblStackerEnabled, lblLoadCartridge, sbStatus[0], sbStatus[1], sbStatus[2]}) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, ToQColor(text));
        label->setPalette(p);
    }
    if (TcustomJukeboxList* library = Fjukebox ? Fjukebox->Owner() : nullptr) {
        const TDateTime jukeboxDate = library->GetJukeboxFileDate();
        const TDateTime playlistsDate = library->GetPlaylistsFileDate();
        // The tree is built again only when the library's files changed since.
        if (jukeboxDate != FjukeboxFileDate || playlistsDate != FplaylistsFileDate ||
            Frebuild.Builds() == 0) {
            FjukeboxFileDate = jukeboxDate;
            FplaylistsFileDate = playlistsDate;
            RefreshStackerTree();
        }
        UpdateStackerStatus();
    }
    RefillCartridges();
}

bool TfrmStackerList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tvLibrary && event->type() == QEvent::MouseButtonRelease) {
        // A node carried from the tree and let go over the stacker list is added.
        const auto* e = static_cast<QMouseEvent*>(event);
        const QPoint at = lbStacker->mapFromGlobal(e->globalPosition().toPoint());
        if (lbStacker->rect().contains(at) && AcceptsNode(tvLibrary->GetSelectedNode())) AddSelectedNode();
    }
    return TfrmBaseSkinForm::eventFilter(watched, event);
}

void TfrmStackerList::resizeEvent(QResizeEvent* e) {
    TfrmBaseSkinForm::resizeEvent(e);
    LayOut();
}

void TfrmStackerList::LayOut() {
    const int w = width(), h = height();
    int x = kGap;
    for (TmySkinButton* b :
         {btnAdd, btnDelete, btnEmpty, btnLoadStacker, btnAddStacker, btnSaveStacker, btnGenres}) {
        if (!b->isVisibleTo(this)) continue;
        const int bw =
            std::max(110, QFontMetrics(ScreenFont(b->Font()))
                                  .horizontalAdvance(QString::fromStdString(b->Caption()).remove('&')) +
                              32);
        b->setGeometry(x, kGap, bw, kBar);
        x += bw + kGap;
    }
    btnClose->setGeometry(w - 110 - kGap, kGap, 110, kBar);
    const int top = kBar + 2 * kGap;
    const int bottom = h - kStatusHeight - kGap;
    const int right = std::clamp(FrightPanelWidth, 200, std::max(200, w - 300));
    pnlTree->setGeometry(kGap, top, w - right - 3 * kGap, bottom - top);
    pnlStacker->setGeometry(w - right - kGap, top, right, bottom - top);
    const int barWidth = std::max(kBar / 2, sbTree->SkinWidth() > 0 ? sbTree->SkinWidth() : kBar / 2);
    const int inset = 8;
    tvLibrary->setGeometry(inset, inset, pnlTree->width() - barWidth - 2 * inset - 4,
                           pnlTree->height() - 2 * inset);
    sbTree->setGeometry(pnlTree->width() - barWidth - inset, inset, barWidth, pnlTree->height() - 2 * inset);
    const int pw = pnlStacker->width(), ph = pnlStacker->height();
    cbStackerEnabled->setGeometry(inset, inset, 2 * kBar, kBar);
    lblStackerEnabled->setGeometry(inset + 2 * kBar + kGap, inset, pw - 2 * kBar - 3 * inset, kBar);
    const int comboTop = ph - inset - kBar;
    lblLoadCartridge->setGeometry(inset, comboTop, 150, kBar);
    cboCartridges->setGeometry(inset + 150, comboTop, pw - 150 - 2 * inset, kBar);
    const int listTop = inset + kBar + kGap;
    lbStacker->setGeometry(inset, listTop, pw - barWidth - 2 * inset - 4, comboTop - kGap - listTop);
    sbStacker->setGeometry(pw - barWidth - inset, listTop, barWidth, comboTop - kGap - listTop);
    for (int i = 0; i < 3; ++i)
        sbStatus[i]->setGeometry(kGap + i * (w - 2 * kGap) / 3, h - kStatusHeight, (w - 2 * kGap) / 3,
                                 kStatusHeight);
    for (TmySkinScrollBar* bar : {sbTree, sbStacker}) bar->SetLargeStep(1);
    sbTree->SetLargeStep(std::max(1, tvLibrary->VisibleRowCount() - 1));
    sbStacker->SetLargeStep(std::max(1, lbStacker->VisibleRowCount() - 1));
}

}  // namespace tunecrest
