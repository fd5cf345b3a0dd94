#include "windows/search/song_search_form.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "core/display/font_store.h"
#include "core/jukebox/global_prefs.h"
#include "core/library/jukebox_list.h"
#include "core/display/track_format.h"
#include "skin/apply_skin.h"
#include "skin/component_owner.h"
#include "skin/html_text.h"
#include "skin/image_list.h"
#include "skin/modal_runner.h"
#include "skin/qt_color.h"
#include "skin/screen_fonts.h"
#include "skin/skin_button.h"
#include "skin/skin_scroll_bar.h"
#include "skin/small_dialogs.h"
#include "skin/touch_list_box.h"

namespace tunecrest {

namespace {

constexpr int kButtonHeight = 52;
constexpr int kGap = 4;
constexpr int kVisibleRows = 8;
constexpr int kMinRowHeight = kTouchRowHeight;
// The longest run of making the searches' copies between two turns of the event loop.
constexpr std::chrono::milliseconds kPrepareRun{6};
// Below this many tracks the copies are made as the window opens, in a few milliseconds.
constexpr size_t kPreparedAtOnce = 50000;

// The result rows the window shows: eight, or as many as fit on a lower screen beside the
// buttons and the keyboard (three at the least).
int RowsThatFit(int rowHeight, int otherHeight)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || rowHeight <= 0) return kVisibleRows;
    return std::clamp((screen->availableGeometry().height() - otherHeight) / rowHeight, 3, kVisibleRows);
}
constexpr int kBarWidth = 64;  // the width of the skins' scroll-bar art

TFont ListFont() {
    if (const TfontContainer* fonts = GlobalPrefs().FontContainer())
        if (const TfontItem* item = fonts->Items().Items(0)) return item->font();
    TFont font = BoldArial(14, clWhite);
    font.Bold = false;
    return font;
}

TColor SkinColor(int index, TColor fallback) {
    if (const TfontContainer* fonts = GlobalPrefs().FontContainer())
        if (fonts->Colors().Count() > index)
            if (const TcolorItem* item = fonts->Colors().Items(index)) return item->color;
    return fallback;
}

}  // namespace

TfrmSongSearch2::TfrmSongSearch2(QWidget* parent) : TkeyboardableForm(parent) {
    setObjectName("frmSongSearch2");
    setWindowTitle("Song Search");
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAutoFillBackground(true);
    pnlTop = CreateComponent<QWidget>(this, this);
    pnlTop->setObjectName("pnlTop");
    edSearch = CreateComponent<QLineEdit>(this, pnlTop);
    edSearch->setObjectName("edSearch");
    btnSearchMode = MakeDialogButton(this, pnlTop, "btnSearchMode", "Title", 13);
    btnFileType = MakeDialogButton(this, pnlTop, "btnFileType", "Search  All", 13);
    btnSelectAll = MakeDialogButton(this, pnlTop, "btnSelectAll", "Select All", 13);
    // "&&" shows as one ampersand.
    btnAddContinue =
        MakeDialogButton(this, pnlTop, "btnAddContinue", KeyCaption("Add && Continue").c_str(), 13);
    btnAddClose = MakeDialogButton(this, pnlTop, "btnAddClose", KeyCaption("Add && Close").c_str(), 13);
    btnPlayNow = MakeDialogButton(this, pnlTop, "btnPlayNow", "Play Now", 13);
    btnCancel = MakeDialogButton(this, pnlTop, "btnCancel", "Cancel", 13);
    lbResults = CreateComponent<TtouchListBox>(this, this);
    lbResults->setObjectName("lbResults");
    sbResults = CreateComponent<TmySkinScrollBar>(this, this);
    sbResults->setObjectName("sbResults");
    BindScrollBar(*sbResults, *lbResults);
    pnlKeyboard = CreateComponent<QWidget>(this, this);
    pnlKeyboard->setObjectName("pnlKeyboard");

    edSearch->installEventFilter(this);
    lbResults->installEventFilter(this);
    QObject::connect(edSearch, &QLineEdit::textChanged, this, [this] { TextChanged(); });
    btnSearchMode->OnClick = [this](TObject*) { SearchModePressed(); };
    btnFileType->OnClick = [this](TObject*) { FileTypePressed(); };
    btnSelectAll->OnClick = [this](TObject*) { SelectAll(); };
    btnAddContinue->OnClick = [this](TObject*) { AddSelected(false); };
    btnAddClose->OnClick = [this](TObject*) { AddSelected(true); };
    btnPlayNow->OnClick = [this](TObject*) { PlayNowPressed(); };
    btnCancel->OnClick = [this](TObject*) { done(mrCancel); };
    lbResults->OnPaintItem = [this](TObject*, int index, const QRect& rect, QPainter& canvas,
                                    TtouchListItemState state) { PaintRow(index, rect, canvas, state); };
    lbResults->OnDblClick = [this](TObject*) {
        if (FwindowMode == sswPlayNow)
            PlayNowPressed();
        else
            AddSelected(false);
    };
    Recolour(FormSkinColors());
    for (TmySkinButton* b :
         {btnSearchMode, btnFileType, btnSelectAll, btnAddContinue, btnAddClose, btnPlayNow, btnCancel})
        b->SetupFinished();
    sbResults->SetupFinished();
    UpdateButtons();
}

void TfrmSongSearch2::Recolour(const TformSkinColors& colors) {
    ApplySkinToControls(*this, colors.ColorA, colors.ColorB, DarkenColor(colors.ColorA, 30),
                        colors.CaptionFontColor);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(colors.ColorB));
    setPalette(pal);
    SkinKeyboard(Keyboard(), colors.ColorA, colors.ColorB, colors.CaptionFontColor);
    DressAsKeys(
        {btnSearchMode, btnFileType, btnSelectAll, btnAddContinue, btnAddClose, btnPlayNow, btnCancel},
        colors.CaptionFontColor);
    FlastColors = colors;
    FcoloursUsed = true;
}

void TfrmSongSearch2::ApplySkinResources() {
    const TFont font = ListFont();
    lbResults->setFont(ScreenFont(font));
    const QFontMetrics metrics(lbResults->font());
    lbResults->SetItemHeight(std::max(kMinRowHeight, metrics.boundingRect("Yy").height() + 12));
    FrowColor = SkinColor(0, 0x302418);
    FtextColor = font.Color;
    FselectedText = SkinColor(3, clWhite);
    FselectedBack = SkinColor(4, FlastColors.ColorA);
    lbResults->SetColor(FrowColor);
    if (const TmySkinScrollBar* bar = GlobalPrefs().SkinScrollBar()) sbResults->AssignSkin(*bar);
}

void TfrmSongSearch2::Prepare(TcustomJukeboxList* library, TsongSearchQueue* queue, int windowMode,
                              int searchMode) {
    FwindowMode = windowMode == sswPlayNow ? sswPlayNow : sswAdd;
    const TformSkinColors colors = FormSkinColors();
    if (!FcoloursUsed || !(colors == FlastColors)) Recolour(colors);
    Fsearch.SetLibrary(library);
    Fsearch.UseTrackIndex = library && LibraryKeepsTrackIndexes(*library);
    // The searches' copies of the library are made now for a small library; a large one's
    // in short runs from the window's first paint on, so that neither the opening nor the
    // first key waits for them.
    FsearchPending = false;
    FprepareAtPaint = false;
    if (library && size_t(library->GlobalList().Count()) + size_t(library->VideoList().Count()) < kPreparedAtOnce)
        Fsearch.PrepareIndexSome(std::chrono::steady_clock::time_point::max());
    else
        FprepareAtPaint = true;
    Fqueue = queue;
    SetKeyboardVisible(GlobalPrefs().OnScreenKeyboardsEnabled());
    ApplySkinResources();
    Fsearch.SetSearchMode(searchMode);
    UpdateButtons();
    PlaceKeyboard();
}

void TfrmSongSearch2::Unbind() {
    Fsearch.SetLibrary(nullptr);
    FprepareAtPaint = false;
    FsearchPending = false;
    Fqueue = nullptr;
    lbResults->SetCount(0);
}

void TfrmSongSearch2::UpdateButtons() {
    btnSearchMode->SetCaption(SongSearchModeCaption(Fsearch.SearchMode()));
    btnFileType->SetCaption(SongFileTypeCaption(Fsearch.FileTypeMode()));
    const bool playNow = FwindowMode == sswPlayNow;
    btnAddContinue->setVisible(!playNow);
    btnAddClose->setVisible(!playNow);
    btnSelectAll->setVisible(!playNow);
    btnPlayNow->setVisible(playNow);
    btnPlayNow->setEnabled(!Fqueue || Fqueue->CanPlayNow());
    lbResults->MultiSelect = !playNow;
    lbResults->SingleClickMultiSelect = !playNow && GlobalPrefs().SingleClickMultiSelect();
    lbResults->SingleClickMultiSelectDelay =
        uint32_t(std::max(0, GlobalPrefs().SingleClickMultiSelectDelay()));
}

void TfrmSongSearch2::PostPreparing() {
    if (FpreparePosted) return;
    FpreparePosted = true;
    QTimer::singleShot(0, this, [this] {
        FpreparePosted = false;
        PrepareSome();
    });
}

void TfrmSongSearch2::PrepareSome() {
    if (!Fsearch.Library()) return;
    const bool done = Fsearch.PrepareIndexSome(std::chrono::steady_clock::now() + kPrepareRun);
    // The current mode's copy is made first: a waiting text is searched as soon as it is.
    if (FsearchPending && Fsearch.IndexReady()) TextChanged();
    if (!done) PostPreparing();
}

void TfrmSongSearch2::TextChanged() {
    if (!Fsearch.IndexReady()) {
        // The text is searched once the copy it needs is made; until then the list is
        // empty rather than showing what an earlier text found.
        FsearchPending = true;
        Fsearch.ClearResults();
        lbResults->SetCount(0);
        PostPreparing();
        return;
    }
    FsearchPending = false;
    Fsearch.Search(edSearch->text().toStdString());
    lbResults->SetCount(Fsearch.ResultCount());
    lbResults->update();
}

void TfrmSongSearch2::SearchModePressed() {
    Fsearch.NextSearchMode();
    UpdateButtons();
    TextChanged();
}

void TfrmSongSearch2::FileTypePressed() {
    Fsearch.NextFileTypeMode();
    UpdateButtons();
    TextChanged();
}

void TfrmSongSearch2::SelectAll() {
    lbResults->BeginUpdate();
    for (int i = 0; i < lbResults->Count(); ++i) lbResults->SetSelected(i, true);
    lbResults->EndUpdate();
}

void TfrmSongSearch2::AddSelected(bool close) {
    std::vector<TaudioTagPtr> chosen;
    for (int i = 0; i < lbResults->Count() && i < Fsearch.ResultCount(); ++i)
        if (lbResults->Selected(i)) chosen.push_back(Fsearch.Result(i));
    if (!chosen.empty() && Fqueue) Fqueue->AddTracks(chosen);
    edSearch->clear();
    if (close) done(mrOk);
}

void TfrmSongSearch2::PlayNowPressed() {
    const int row = lbResults->ItemIndex();
    if (row < 0 || row >= Fsearch.ResultCount() || !lbResults->Selected(row) || !Fqueue) return;
    if (!Fqueue->CanPlayNow()) return;
    if (Fqueue->PlayNow(Fsearch.Result(row))) done(mrOk);
}

void TfrmSongSearch2::PaintRow(int index, const QRect& rect, QPainter& canvas, uint8_t state) {
    const TaudioTagPtr found = Fsearch.Result(index);
    if (!found) {
        // The library changed under the results: the text is searched again.
        if (Fsearch.ResultsStale() && !FresearchPosted) {
            FresearchPosted = true;
            QTimer::singleShot(0, this, [this] {
                FresearchPosted = false;
                TextChanged();
            });
        }
        return;
    }
    const TaudioTag& tag = *found;
    const bool selected = InItemState(state, lisSelected);
    canvas.fillRect(rect, ToQColor(selected ? FselectedBack : FrowColor));
    if (InItemState(state, lisFocused)) {
        canvas.setPen(QPen(ToQColor(FselectedText), 1, Qt::DotLine));
        canvas.drawRect(rect.adjusted(1, 1, -2, -2));
    }
    int left = rect.left() + 4;
    if (const TimageList* images = GlobalPrefs().ImageList()) {
        const int image = (tag.MediaType() & 2) ? 11 : (tag.MediaType() & 8) ? 13 : 10;
        if (image < images->Count()) {
            images->Draw(canvas, left, rect.top() + (rect.height() - images->Height()) / 2, image);
            left += images->Width();
        }
    }
    const std::string line = FormatTagFonts(tag, Fsearch.RowFormat(tag), GlobalPrefs(), 0, "*unknown*");
    TFont font = ListFont();
    font.Color = FtextColor;
    const QRect text(left + 20, rect.top(), std::max(0, rect.right() - left - 24), rect.height());
    DrawHTMLText(canvas, line, text, font, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, selected,
                 FselectedText);
}

void TfrmSongSearch2::KeyPressed(int key) {
    ApplyKeyToEdit(*edSearch, key);
}

void TfrmSongSearch2::ShowKeyboard(bool visible) {
    ShowKeyboardIn(*this, *pnlKeyboard, visible);
    if (visible) return;
    edSearch->setFont(font());
    PlaceKeyboard();
}

void TfrmSongSearch2::PlaceKeyboard() {
    TfrmKeyboard& keyboard = Keyboard();
    const bool withKeyboard = KeyboardVisible();
    const int keyboardHeight = withKeyboard ? keyboard.KeyboardHeight() : 0;
    const int topHeight = 2 * kButtonHeight + 3 * kGap;
    const int width = std::max(keyboard.KeyboardWidth() + 4, 600);
    const int rows = RowsThatFit(lbResults->ItemHeight(), topHeight + 4 + keyboardHeight + 4);
    resize(width, rows * lbResults->ItemHeight() + topHeight + 4 + keyboardHeight + 4);
    TFont font = BoldArial(std::max(12, keyboard.KeyFontSize()));
    font.Bold = false;
    edSearch->setFont(ScreenFont(font));
    LayOut();
}

void TfrmSongSearch2::LayOut() {
    const int topHeight = 2 * kButtonHeight + 3 * kGap;
    pnlTop->setGeometry(0, 0, width(), topHeight);
    // First row: the edit and the two mode buttons; second row: the actions.
    const int modeWidth = 130;
    btnFileType->setGeometry(width() - modeWidth - kGap, kGap, modeWidth, kButtonHeight);
    btnSearchMode->setGeometry(btnFileType->x() - modeWidth - kGap, kGap, modeWidth, kButtonHeight);
    const int editHeight = std::min(kButtonHeight, edSearch->sizeHint().height() + 12);
    edSearch->setGeometry(kGap, kGap + (kButtonHeight - editHeight) / 2,
                          std::max(60, btnSearchMode->x() - 2 * kGap), editHeight);
    std::vector<TmySkinButton*> row;
    for (TmySkinButton* b : {btnSelectAll, btnAddContinue, btnAddClose, btnPlayNow, btnCancel})
        if (!b->isHidden()) row.push_back(b);
    const int count = int(row.size());
    const int each = (width() - kGap * (count + 1)) / std::max(1, count);
    for (int i = 0; i < count; ++i)
        row[size_t(i)]->setGeometry(kGap + i * (each + kGap), 2 * kGap + kButtonHeight, each, kButtonHeight);
    const int listTop = topHeight + 2;
    const int keyboardHeight = KeyboardVisible() ? Keyboard().KeyboardHeight() : 0;
    const int listHeight = RowsThatFit(lbResults->ItemHeight(), topHeight + 4 + keyboardHeight + 4) *
                           lbResults->ItemHeight();
    lbResults->setGeometry(2, listTop, width() - 4 - kBarWidth, listHeight);
    sbResults->setGeometry(width() - 2 - kBarWidth, listTop, kBarWidth, listHeight);
    const int keyboardTop = listTop + listHeight + 2;
    pnlKeyboard->setGeometry(2, keyboardTop, width() - 4, std::max(0, height() - keyboardTop));
    if (TfrmKeyboard* keyboard = ExistingKeyboard(); keyboard && pnlKeyboard->isAncestorOf(keyboard))
        keyboard->move((pnlKeyboard->width() - keyboard->width()) / 2,
                       pnlKeyboard->height() - keyboard->height());
}

void TfrmSongSearch2::keyPressEvent(QKeyEvent* e) {
    // Enter acts on release; Escape cancels.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return;
    if (e->key() == Qt::Key_Escape) {
        done(mrCancel);
        return;
    }
    TkeyboardableForm::keyPressEvent(e);
}

void TfrmSongSearch2::keyReleaseEvent(QKeyEvent* e) {
    // Enter closes with OK without adding anything.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !e->isAutoRepeat()) {
        done(mrOk);
        return;
    }
    TkeyboardableForm::keyReleaseEvent(e);
}

bool TfrmSongSearch2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lbResults && event->type() == QEvent::Paint && FprepareAtPaint) {
        FprepareAtPaint = false;
        PostPreparing();
    }
    // After a tap on the results, typing goes on into the search text (letters, digits,
    // space, Backspace); the arrow and page keys stay with the list.
    if (watched == lbResults && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0;
        const bool typed = (!key->text().isEmpty() && key->text()[0].isPrint()) || key->key() == Qt::Key_Backspace;
        if (plain && typed) {
            edSearch->setFocus(Qt::OtherFocusReason);
            QCoreApplication::sendEvent(edSearch, event);
            return true;
        }
    }
    // The edit keeps the Enter key's release to itself; the window closes on it all the same.
    if (watched == edSearch && event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
            done(mrOk);
            return true;
        }
    }
    return TkeyboardableForm::eventFilter(watched, event);
}

void TfrmSongSearch2::showEvent(QShowEvent* e) {
    edSearch->clear();
    edSearch->setFocus();
    TkeyboardableForm::showEvent(e);
}

void TfrmSongSearch2::resizeEvent(QResizeEvent* e) {
    TkeyboardableForm::resizeEvent(e);
    LayOut();
    if (isWindow())
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move((screen->size().width() - width()) / 2, (screen->size().height() - height()) / 2);
}

TfrmSongSearch2& SongSearch2() {
    static QPointer<TfrmSongSearch2> window;
    if (!window) {
        window = new TfrmSongSearch2();
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { delete window.data(); });
    }
    return *window;
}

bool ShowSongSearch(TcustomJukeboxList* library, TsongSearchQueue* queue, int windowMode, int& searchMode) {
    if (!library) return false;
    TfrmSongSearch2& window = SongSearch2();
    window.Prepare(library, queue, windowMode, searchMode);
    const bool ok = IsOk(RunModal(window));
    searchMode = window.Search().SearchMode();
    window.Unbind();
    return ok;
}

}  // namespace tunecrest
