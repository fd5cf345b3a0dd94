#include "windows/library/choose_cd.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

#include "core/display/browse_tree.h"
#include "core/jukebox/global_prefs.h"
#include "core/jukebox/jukebox.h"
#include "skin/component_owner.h"
#include "skin/image_list.h"
#include "skin/modal_runner.h"
#include "skin/screen_fonts.h"
#include "skin/skin_button.h"
#include "skin/skin_scroll_bar.h"
#include "skin/small_dialogs.h"
#include "skin/touch_list_box.h"

namespace tunecrest {

TfrmChooseCD::TfrmChooseCD(QWidget* parent)
    : TfrmBaseSkinForm(parent), Fviewer(std::make_unique<TcustomJukeboxListViewer2>()) {
    setObjectName("frmChooseCD");
    setWindowTitle("Choose CD");
    Fviewer->SetDisplayMode(DisplayModes({dmAlbums, dmCompilations, dmGenres, dmGenreAlbums}));
    Fviewer->ShowEmptyAlphas = false;
    Flook.Viewer = Fviewer.get();
    QWidget* panel = Panel();
    tvAlbums = CreateComponent<TtouchTreeView>(this, panel);
    tvAlbums->setObjectName("tvAlbums");
    tvAlbums->FollowClickPreferences();
    tvAlbums->MultiSelect = false;
    tvAlbums->SetItemHeight(kTouchRowHeight);
    tvAlbums->OnPaintItem = [this](TObject*, int index, const QRect& rect, QPainter& canvas,
                                   TtouchListItemState state) {
        PaintLibraryTreeRow(*tvAlbums, Flook, index, rect, canvas, state);
    };
    tvAlbums->OnItemIndexChange = [this](TObject*) { UpdateOk(); };
    tvAlbums->OnDblClick = [this](TObject*) {
        TmyNode* node = tvAlbums->GetSelectedNode();
        if (node && node->DataAs<TaudioTagAlbum>()) OkPressed();
    };
    tvAlbums->installEventFilter(this);
    sbAlbums = CreateComponent<TmySkinScrollBar>(this, panel);
    sbAlbums->setObjectName("sbAlbums");
    BindScrollBar(*sbAlbums, *tvAlbums);
    pnlBottom = CreateComponent<QWidget>(this, panel);
    pnlBottom->setObjectName("pnlBottom");
    btnOK = MakeDialogButton(this, pnlBottom, "btnOK", "OK", 14);
    btnCancel = MakeDialogButton(this, pnlBottom, "btnCancel", "Cancel", 14);
    btnOK->OnClick = [this](TObject*) { OkPressed(); };
    btnCancel->OnClick = [this](TObject*) { CancelPressed(); };
    btnOK->SetupFinished();
    btnCancel->SetupFinished();
    sbAlbums->SetupFinished();
    tvAlbums->SetColor(clBlack);
    ApplySkin();
    resize(720, 640);
    UpdateOk();
}

TfrmChooseCD::~TfrmChooseCD() = default;

void TfrmChooseCD::SetJukebox(TcustomJukebox* jukebox, bool showCDLists) {
    Fviewer->ShowCDLists = showCDLists;
    Fviewer->SetJukeboxList(jukebox ? jukebox->Owner() : nullptr);
    Flook.Jukebox = jukebox;
}

void TfrmChooseCD::ApplySkin() {
    TfrmBaseSkinForm::ApplySkin();
    const TColor captionColor = FormSkinColors().CaptionFontColor;
    for (TmySkinButton* button : {btnOK, btnCancel}) {
        if (!button) continue;  // the base form applies its skin before the buttons exist
        button->BeginUpdate();
        button->SetFontColor(captionColor);
        button->SetHighlightFontColor(captionColor);
        button->EndUpdate();
    }
}

void TfrmChooseCD::SetListColor(TColor color) {
    tvAlbums->SetColor(color);
}

void TfrmChooseCD::ApplyPreferences() {
    TglobalPrefs& prefs = GlobalPrefs();
    if (const TmySkinScrollBar* bar = prefs.SkinScrollBar()) sbAlbums->AssignSkin(*bar);
    Flook.Skin = prefs.FontContainer();
    if (Flook.Skin)
        if (const TfontItem* heading = Flook.Skin->Items().FindByName("Heading")) {
            const QFont font = ScreenFont(heading->font());
            tvAlbums->setFont(font);
            tvAlbums->SetItemHeight(std::max(kTouchRowHeight, QFontMetrics(font).height() + 2));
        }
    Flook.Images = prefs.ImageList();
    if (const TmySkinButton* skin = prefs.SkinButton()) {
        for (TmySkinButton* b : {btnOK, btnCancel}) {
            b->BeginUpdate();
            b->SetGlyph(skin->Glyph());
            b->SetSkinBitmap(skin->SkinBitmap());
            b->AssignSkin(*skin, false);
            b->EndUpdate();
        }
        FbuttonHeight = std::max(48, skin->SkinHeight());
    }
    LayOut();
}

void TfrmChooseCD::RebuildTree() {
    Fviewer->Rebuild(tvAlbums->Model());
    tvAlbums->RebuildVisible();
    UpdateOk();
}

void TfrmChooseCD::UpdateOk() {
    TmyNode* node = tvAlbums->GetSelectedNode();
    btnOK->setEnabled(node && node->DataAs<TaudioTagAlbum>());
}

void TfrmChooseCD::OkPressed() {
    TmyNode* node = tvAlbums->GetSelectedNode();
    auto album = node ? std::dynamic_pointer_cast<TaudioTagAlbum>(node->Data) : nullptr;
    // Only an album is an answer: OK on a letter, genre or playlist stays open.
    if (!album) return;
    Fchosen = std::move(album);
    done(mrOk);
}

void TfrmChooseCD::CancelPressed() {
    Fchosen.reset();
    done(mrCancel);
}

void TfrmChooseCD::KeyToCategory(int key) {
    char c = 0;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        c = char('A' + (key - Qt::Key_A));
    else if (key >= Qt::Key_0 && key <= Qt::Key_9)
        c = char('0' + (key - Qt::Key_0));
    else if (key == Qt::Key_Return || key == Qt::Key_Enter)
        c = 13;
    TmyNode* node = c ? Fviewer->NodeForKey(c) : nullptr;
    if (!node) return;
    tvAlbums->SelectNode(node, false);
    const int row = tvAlbums->Model().RowOf(node);
    if (row >= 0) tvAlbums->SetTopIndex(row);
    UpdateOk();
}

bool TfrmChooseCD::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tvAlbums && event->type() == QEvent::KeyRelease)
        KeyToCategory(static_cast<QKeyEvent*>(event)->key());
    return TfrmBaseSkinForm::eventFilter(watched, event);
}

void TfrmChooseCD::showEvent(QShowEvent* e) {
    TfrmBaseSkinForm::showEvent(e);
    Fchosen.reset();
    RebuildTree();
    // RunModal has centred it on the window it was opened from.
}

void TfrmChooseCD::resizeEvent(QResizeEvent* e) {
    TfrmBaseSkinForm::resizeEvent(e);
    LayOut();
}

void TfrmChooseCD::LayOut() {
    const int w = width(), h = height();
    const int bottom = FbuttonHeight + 8;
    const int barWidth = std::max(24, sbAlbums->SkinWidth());
    tvAlbums->setGeometry(8, 8, w - barWidth - 20, h - bottom - 16);
    sbAlbums->setGeometry(w - barWidth - 8, 8, barWidth, h - bottom - 16);
    pnlBottom->setGeometry(0, h - bottom, w, bottom);
    const int bw = 140;
    btnCancel->setGeometry(w - bw - 8, 4, bw, FbuttonHeight);
    btnOK->setGeometry(w - 2 * bw - 16, 4, bw, FbuttonHeight);
    sbAlbums->SetLargeStep(std::max(1, tvAlbums->VisibleRowCount() - 1));
}

bool ChooseCD(TcustomJukebox* jukebox, bool showCDLists, TaudioTagAlbumPtr& album, TColor listColor) {
    album.reset();
    if (!jukebox) return false;
    TfrmChooseCD window;
    window.SetJukebox(jukebox, showCDLists);
    window.SetListColor(listColor);
    window.ApplyPreferences();
    const bool ok = IsOk(RunModal(window));
    if (ok && window.ChosenAlbum()) album = window.ChosenAlbum();
    return ok && album != nullptr;
}

}  // namespace tunecrest
