#include "skin/small_dialogs.h"

#include <algorithm>

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QScreen>

#include "core/display/color_text.h"
#include "core/jukebox/global_prefs.h"
#include "skin/component_owner.h"
#include "skin/control_timer.h"
#include "skin/html_label.h"
#include "skin/html_text.h"
#include "skin/keyboard.h"
#include "skin/touch_list_box.h"
#include "core/display/markup_text.h"
#include "skin/modal_runner.h"
#include "skin/qt_color.h"
#include "skin/screen_fonts.h"
#include "skin/skin_button.h"
#include "skin/skin_scroll_bar.h"

namespace tunecrest {

namespace {

constexpr int kOkCancelWidth = 240, kOkCancelHeight = 140, kIconSize = 32;

void SetLabelColor(QLabel& label, TColor color)
{
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, ToQColor(color));
    label.setPalette(palette);
}

// `text` when it reads on `back`, else white or black, whichever reads better. The skin's
// caption colour is made for the button face and may vanish on the panel colour.
TColor ReadableOn(TColor text, TColor back)
{
    auto luma = [](TColor c) { return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000; };
    const int t = luma(ColorToRGB(text)), b = luma(ColorToRGB(back));
    if (std::abs(t - b) >= 100) return text;
    return b < 128 ? clWhite : clBlack;
}

QSize ScreenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1280, 800);
}


// A template's font may be made for square keys: the button keeps its face but not a
// size at which its caption would run over the rounded edges.
void FitCaptionFont(TmySkinButton& button)
{
    TFont font = button.Font();
    const QString caption = QString::fromStdString(button.Caption());
    const int room = button.width() - 2 * std::min(8, button.width() / 10) - 4;
    while (font.Size > 8 && QFontMetrics(ScreenFont(font)).horizontalAdvance(caption) > room) --font.Size;
    if (!(font == button.Font())) button.SetFont(font);
}

// Both buttons wear the template's skin and colours (its font too with `assignFont`).
void TakeTemplate(const TmySkinButton& templateButton, std::initializer_list<TmySkinButton*> buttons,
                  bool assignFont)
{
    for (TmySkinButton* button : buttons) {
        button->BeginUpdate();
        button->SetSkinBitmap(templateButton.SkinBitmap());
        button->AssignSkin(templateButton, assignFont);
        if (assignFont) FitCaptionFont(*button);
        button->EndUpdate();
    }
}

}  // namespace

TFont BoldArial(int size, TColor color)
{
    TFont font;
    font.Name = "Arial";
    font.Size = size;
    font.Color = color;
    font.Bold = true;
    return font;
}

TmySkinButton* MakeDialogButton(QWidget* owner, QWidget* parent, const char* name, const char* caption,
                                int fontSize)
{
    auto* button = CreateComponent<TmySkinButton>(owner, parent);
    button->setObjectName(name);
    button->BeginUpdate();
    button->SetDefaultSkinBitmap(DefaultKeySkin());
    button->SetIsStretchButton(true);
    button->SetCaption(caption);
    button->SetShowCaption(true);
    button->SetFont(BoldArial(fontSize));
    button->resize(100, 48);
    button->EndUpdate();
    return button;
}

const TmySkinButton* SkinTemplateButton()
{
    TfrmKeyboard* keyboard = ExistingKeyboard();
    if (!keyboard || keyboard->Template()->SkinBitmap().isNull()) return nullptr;
    return keyboard->Template();
}

// ---- OK / Cancel

TfrmSkinnedOKCancel::TfrmSkinnedOKCancel(QWidget* parent) : TfrmBaseSkinForm(parent)
{
    setObjectName("frmSkinnedOKCancel");
    resize(kOkCancelWidth, kOkCancelHeight);
    imgIcon = CreateComponent<QLabel>(this, Panel());
    imgIcon->setObjectName("imgIcon");
    imgIcon->setGeometry(8, 8, kIconSize, kIconSize);
    const QPoint offsets[4] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    for (int i = 0; i < 4; ++i) {
        lblCaptionShadow[i] = CreateComponent<QLabel>(this, Panel());
        lblCaptionShadow[i]->setObjectName(QString("lblCaptionShadow%1").arg(i + 1));
        lblCaptionShadow[i]->setProperty("offset", offsets[i]);
    }
    lblCaption = CreateComponent<QLabel>(this, Panel());
    lblCaption->setObjectName("lblCaption");
    const QFont font = ScreenFont(BoldArial(11));
    for (QLabel* label : {lblCaption, lblCaptionShadow[0], lblCaptionShadow[1], lblCaptionShadow[2],
                          lblCaptionShadow[3]}) {
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(font);
    }
    for (QLabel* shadow : lblCaptionShadow) SetLabelColor(*shadow, clGray);
    SetLabelColor(*lblCaption, clWhite);
    btnOK = MakeDialogButton(this, Panel(), "btnOK", "OK");
    btnCancel = MakeDialogButton(this, Panel(), "btnCancel", "Cancel");
    btnOK->OnClick = [this](TObject*) { done(mrOk); };
    btnCancel->OnClick = [this](TObject*) { done(mrCancel); };
    ApplySkin();
    PlaceButtons();
    btnOK->SetupFinished();
    btnCancel->SetupFinished();
}

void TfrmSkinnedOKCancel::SetText(const std::string& text)
{
    // Texts written for the old desktop break lines with "\r\n" or a lone "\r".
    QString q = QString::fromStdString(text);
    q.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QChar('\r'), QChar('\n'));
    lblCaption->setText(q);
    for (QLabel* shadow : lblCaptionShadow) shadow->setText(q);
}

void TfrmSkinnedOKCancel::UseTemplate(const TmySkinButton& templateButton)
{
    TakeTemplate(templateButton, {btnOK, btnCancel}, true);
    ApplySkin();
    const QFont font = ScreenFont(templateButton.Font());
    setFont(font);
    lblCaption->setFont(font);
    for (QLabel* shadow : lblCaptionShadow) {
        shadow->setFont(font);
        SetLabelColor(*shadow, clBlack);
        shadow->hide();
    }
    const TformSkinColors colors = FormSkinColors();
    SetLabelColor(*lblCaption, ReadableOn(colors.CaptionFontColor, colors.ColorB));
}

void TfrmSkinnedOKCancel::ApplySkin()
{
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

void TfrmSkinnedOKCancel::SetIcon(const QImage& icon)
{
    imgIcon->setPixmap(QPixmap::fromImage(icon));
    if (icon.width() > kIconSize || icon.height() > kIconSize) {
        resize(width() + icon.width(), height());
        imgIcon->setGeometry(4, (height() - icon.height()) / 2, icon.width(), icon.height());
    }
    PlaceButtons();
}

void TfrmSkinnedOKCancel::PlaceButtons()
{
    const int okTop = height() - btnOK->height() - 8;
    btnOK->move(116 - btnOK->width() + (width() - kOkCancelWidth), okTop);
    btnCancel->move(width() - 116, okTop);
    // A message shows OK alone, in the middle.
    if (btnCancel->isHidden()) btnOK->move((width() - btnOK->width()) / 2, okTop);
    PlaceCaption();
}

void TfrmSkinnedOKCancel::PlaceCaption()
{
    // The caption fills the space right of the icon and above the buttons.
    const int left = imgIcon->geometry().right() + 6;
    const QRect area(left, 6, width() - left - 8, btnOK->y() - 10);
    lblCaption->setGeometry(area);
    for (QLabel* shadow : lblCaptionShadow)
        shadow->setGeometry(area.translated(shadow->property("offset").toPoint()));
}

void TfrmSkinnedOKCancel::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        done(mrOk);
        return;
    }
    if (e->key() == Qt::Key_Escape) {
        done(mrCancel);
        return;
    }
    TfrmBaseSkinForm::keyPressEvent(e);
}

void TfrmSkinnedOKCancel::resizeEvent(QResizeEvent* e)
{
    TfrmBaseSkinForm::resizeEvent(e);
    PlaceButtons();
}

namespace {
// Grows a question or message so its text shows whole: first wider, up to a comfortable
// line length, then taller; never past the screen. A short text keeps the designed size.
void FitToCaption(TfrmSkinnedOKCancel& form)
{
    form.PlaceButtons();
    const QFontMetrics metrics(form.lblCaption->font());
    const QString text = form.lblCaption->text();
    const QSize screen = ScreenSize();
    const int sideRoom = form.width() - form.lblCaption->width();
    const int maxWidth = std::max(form.width(), std::min(760, screen.width() - 40));
    int natural = 0;
    for (const QString& line : text.split('\n')) natural = std::max(natural, metrics.horizontalAdvance(line));
    const int width = std::clamp(natural + sideRoom + 12, form.width(), maxWidth);
    const int textHeight =
        metrics.boundingRect(QRect(0, 0, width - sideRoom, 100000), Qt::TextWordWrap | Qt::AlignCenter, text)
            .height();
    const int room = form.lblCaption->height();
    const int height = std::clamp(form.height() + textHeight + 12 - room, form.height(), screen.height() - 40);
    form.resize(width, height);
    form.PlaceButtons();
}
}  // namespace

int ShowOKCancel(const TmySkinButton* templateButton, const std::string& text, const QImage& icon)
{
    TfrmSkinnedOKCancel form(QApplication::activeWindow());
    form.SetText(text);
    if (templateButton) form.UseTemplate(*templateButton);
    form.PlaceButtons();
    if (!icon.isNull()) form.SetIcon(icon);
    FitToCaption(form);
    // RunModal centres it on the window it asks over.
    return OkCancelResult(RunModal(form));
}

std::unique_ptr<TfrmSkinnedOKCancel> MakeSkinnedMessage(const std::string& text, const std::string& title)
{
    auto form = std::make_unique<TfrmSkinnedOKCancel>(QApplication::activeWindow());
    form->setWindowTitle(QString::fromStdString(title));
    form->SetText(title.empty() ? text : title + "\n\n" + text);
    form->btnCancel->hide();
    // The template's font first: the form is sized for the text as it will be drawn.
    if (const TmySkinButton* templateButton = SkinTemplateButton()) form->UseTemplate(*templateButton);
    FitToCaption(*form);
    return form;
}

void ShowSkinnedMessage(const std::string& text, const std::string& title)
{
    auto form = MakeSkinnedMessage(text, title);
    RunModal(*form);
}

// ---- status message

TfrmStatusMessage::TfrmStatusMessage(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      Ftimer(MakeControlTimer())
{
    setObjectName("frmStatusMessage");
    setAttribute(Qt::WA_ShowWithoutActivating);
    pnlMessage = new QWidget(this);
    pnlMessage->setObjectName("pnlMessage");
    pnlMessage->setAutoFillBackground(true);
    lblMessage = new ThtmlLabel(pnlMessage);
    lblMessage->setObjectName("lblMessage");
    lblMessage->SetAlignment(Qt::AlignHCenter);
    lblMessage->SetAutoSize(true);
    resize(200, 40);
    Ftimer->OnTimer = [this] {
        Ftimer->Stop();
        hide();
    };
}

TfrmStatusMessage::~TfrmStatusMessage() { Ftimer->Stop(); }

void TfrmStatusMessage::ShowMessage(QPoint topLeft, const std::string& text, int interval)
{
    Ftimer->Stop();
    Ftext = text;
    const TformSkinColors colors = FormSkinColors();
    QPalette palette = pnlMessage->palette();
    palette.setColor(QPalette::Window, ToQColor(colors.ColorB));
    const TColor textColor = ReadableOn(colors.CaptionFontColor, colors.ColorB);
    palette.setColor(QPalette::WindowText, ToQColor(textColor));
    pnlMessage->setPalette(palette);
    lblMessage->SetLabelFont(BoldArial(14, textColor));
    lblMessage->SetCaption(text);
    move(topLeft);
    const int w = lblMessage->width() + 10;
    const int h = std::max(40, lblMessage->height() + 10);
    resize(w, h);
    pnlMessage->setGeometry(rect());
    lblMessage->move(5, (h - lblMessage->height()) / 2);
    show();
    raise();
    Ftimer->Start(interval < 1 ? 1 : interval);
}

TfrmStatusMessage& StatusMessage()
{
    static QPointer<TfrmStatusMessage> window;
    if (!window) {
        window = new TfrmStatusMessage();
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { delete window.data(); });
    }
    return *window;
}

void ShowStatusMessage(const QWidget& where, const std::string& text, int interval)
{
    StatusMessage().ShowMessage(where.mapToGlobal(QPoint(0, 0)), text, interval);
}

// ---- select string

TselectStringLayout LayoutSelectString(int count, int rowHeight, int topStripHeight, bool showTopStrip,
                                       int bottomStripHeight, bool showBottomButtons, int left, int top, int width,
                                       QSize screen)
{
    TselectStringLayout layout;
    layout.RowsShown = std::clamp(count, 1, 6);
    layout.Height = (showTopStrip ? topStripHeight : 0) + rowHeight * layout.RowsShown + 8 +
                    (showBottomButtons ? bottomStripHeight : 0);
    layout.ScrollBarVisible = count > 6;
    layout.Left = left;
    layout.Top = top;
    if (layout.Left + width > screen.width()) layout.Left = screen.width() - width;
    if (layout.Left < 0) layout.Left = (screen.width() - width) / 2;
    if (layout.Top < 0) layout.Top = (screen.height() - layout.Height) / 2;
    if (layout.Top + layout.Height > screen.height()) layout.Top = screen.height() - layout.Height;
    return layout;
}

TfrmSkinnedSelectString::TfrmSkinnedSelectString(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("frmSkinnedSelectString");
    resize(360, 300);
    setAutoFillBackground(true);
    pnlButtonsTop = CreateComponent<QWidget>(this, this);
    pnlButtonsTop->setObjectName("pnlButtonsTop");
    pnlButtonsTop->setAutoFillBackground(true);
    lblSelectZone = CreateComponent<QLabel>(this, pnlButtonsTop);
    lblSelectZone->setObjectName("lblSelectZone");
    lblSelectZone->setText("Select a Zone from below ...");
    lblSelectZone->setFont(ScreenFont(BoldArial(12)));
    lbStringList = CreateComponent<TtouchListBox>(this, this);
    lbStringList->setObjectName("lbStringList");
    lbStringList->SetItemHeight(FrowHeight);
    lbStringList->OnPaintItem = [this](TObject*, int index, const QRect& rect, QPainter& canvas,
                                       TtouchListItemState state) {
        PaintRow(index, rect, canvas, InItemState(state, lisSelected), InItemState(state, lisFocused));
    };
    sbarStringList = CreateComponent<TmySkinScrollBar>(this, this);
    sbarStringList->setObjectName("sbarStringList");
    sbarStringList->SetKind(msbVertical);
    sbarStringList->setFocusPolicy(Qt::NoFocus);
    // The list and the bar move each other.
    BindScrollBar(*sbarStringList, *lbStringList);
    pnlButtonsBottom = CreateComponent<QWidget>(this, this);
    pnlButtonsBottom->setObjectName("pnlButtonsBottom");
    btnOK = MakeDialogButton(this, pnlButtonsBottom, "btnOK", "OK");
    btnCancel = MakeDialogButton(this, pnlButtonsBottom, "btnCancel", "Cancel");
    btnOK->OnClick = [this](TObject*) { done(mrOk); };
    btnCancel->OnClick = [this](TObject*) { done(mrCancel); };
    lbStringList->OnClick = [this](TObject*) {
        if (pnlButtonsBottom->isHidden() && lbStringList->ItemIndex() >= 0) done(mrOk);
    };
    lbStringList->OnDblClick = [this](TObject*) { done(mrOk); };
    for (QWidget* w : {pnlButtonsTop, static_cast<QWidget*>(lblSelectZone), pnlButtonsBottom})
        w->installEventFilter(this);

    const TformSkinColors colors = FormSkinColors();
    for (QWidget* w : {static_cast<QWidget*>(this), pnlButtonsTop, pnlButtonsBottom}) {
        QPalette palette = w->palette();
        palette.setColor(QPalette::Window, ToQColor(colors.ColorB));
        w->setPalette(palette);
    }
    lbStringList->SetColor(colors.ColorB);
    SetLabelColor(*lblSelectZone, ReadableOn(colors.CaptionFontColor, colors.ColorB));
    for (TmySkinButton* b : {btnOK, btnCancel}) {
        b->ApplySkinColors(colors.ColorA, colors.ColorB, DarkenColor(colors.ColorA, 30), colors.CaptionFontColor);
        b->SetupFinished();
    }
    sbarStringList->ApplySkinColors(colors.ColorA, colors.ColorB, DarkenColor(colors.ColorA, 30),
                                    colors.CaptionFontColor);
    sbarStringList->SetupFinished();
}

void TfrmSkinnedSelectString::TakePreferencesLook()
{
    if (const TmySkinScrollBar* bar = GlobalPrefs().SkinScrollBar()) {
        sbarStringList->AssignSkin(*bar);
        FbarWidth = std::max(48, bar->width());
    }
    const TfontContainer* fonts = GlobalPrefs().FontContainer();
    if (!fonts || fonts->Items().Count() == 0) return;
    Ffont = fonts->Items().Items(0)->font();
    FfontTag = FontToHTMLTag(Ffont);
    const QFontMetrics metrics(ScreenFont(Ffont));
    FrowHeight = std::max(kTouchRowHeight, int(std::lround(metrics.boundingRect("Yy").height() * 1.2)));
    lbStringList->SetItemHeight(FrowHeight);
    auto color = [fonts](int index, TColor def) {
        const TcolorItem* item = fonts->Colors().Items(index);
        return item ? item->color : def;
    };
    FrowColor = color(0, FrowColor);
    FselectedText = color(3, FselectedText);
    FselectedFill = color(4, FselectedFill);
    lbStringList->SetColor(FrowColor);
}

void TfrmSkinnedSelectString::SetStrings(const std::vector<std::string>& strings, const std::string& def)
{
    Fstrings = strings;
    std::sort(Fstrings.begin(), Fstrings.end());
    lbStringList->SetCount(int(Fstrings.size()));
    const auto found = std::find(Fstrings.begin(), Fstrings.end(), def);
    if (found != Fstrings.end()) {
        lbStringList->SetItemIndex(int(found - Fstrings.begin()));
        lbStringList->SetSelected(int(found - Fstrings.begin()), true);
    } else {
        for (int i = 0; i < lbStringList->Count(); ++i) lbStringList->SetSelected(i, false);
    }
}

void TfrmSkinnedSelectString::PaintRow(int index, const QRect& rect, QPainter& canvas, bool selected, bool focused)
{
    const TformSkinColors colors = FormSkinColors();
    // The row's text is a value, never markup.
    const std::string text = EscapeMarkup(Fstrings[size_t(index)]);
    if (!FfontTag.empty()) {
        // The font store's look: its first font as the row's font tag, its colours.
        canvas.fillRect(rect, ToQColor(ColorToRGB(selected ? FselectedFill : FrowColor)));
        DrawHTMLText(canvas, FfontTag + text, rect.adjusted(20, 0, -4, 0), Ffont, Qt::AlignVCenter, selected,
                     FselectedText);
    } else {
        canvas.fillRect(rect, ToQColor(selected ? colors.ColorA : colors.ColorB));
        const TFont font = BoldArial(14, selected ? colors.CaptionFontColor : clWhite);
        DrawHTMLText(canvas, text, rect.adjusted(20, 0, -4, 0), font, Qt::AlignVCenter);
    }
    if (focused) {
        canvas.setPen(QPen(ToQColor(colors.CaptionFontColor), 1, Qt::DotLine));
        canvas.drawRect(rect.adjusted(1, 1, -2, -2));
    }
}

void TfrmSkinnedSelectString::Arrange(bool showBottomButtons, bool showTopStrip, int left, int top)
{
    const int stripHeight = btnOK->height();
    pnlButtonsTop->setVisible(showTopStrip);
    pnlButtonsBottom->setVisible(showBottomButtons);
    const TselectStringLayout layout =
        LayoutSelectString(int(Fstrings.size()), FrowHeight, 40, showTopStrip, stripHeight, showBottomButtons, left,
                           top, width(), ScreenSize());
    resize(width(), layout.Height);
    move(layout.Left, layout.Top);
    int y = 0;
    if (showTopStrip) {
        pnlButtonsTop->setGeometry(0, 0, width(), 40);
        lblSelectZone->setGeometry(8, 0, width() - 16, 40);
        y = 40;
    }
    const int barWidth = layout.ScrollBarVisible ? FbarWidth : 0;
    lbStringList->setGeometry(4, y + 4, width() - 8 - barWidth, FrowHeight * layout.RowsShown);
    sbarStringList->setGeometry(width() - 4 - barWidth, y + 4, barWidth, FrowHeight * layout.RowsShown);
    sbarStringList->setVisible(layout.ScrollBarVisible);
    // The rows were chosen before the list had its height: show the chosen one from the
    // top when it fits there, else with as few rows below it as the list allows.
    const int chosen = std::max(0, lbStringList->ItemIndex());
    lbStringList->SetTopIndex(std::min(chosen, lbStringList->MaxTopIndex()));
    sbarStringList->SetMax(lbStringList->MaxTopIndex());
    pnlButtonsBottom->setGeometry(0, height() - stripHeight, width(), stripHeight);
    btnCancel->move(width() - btnCancel->width(), 0);
    btnOK->move(btnCancel->x() - btnOK->width() - 4, 0);
}

std::string TfrmSkinnedSelectString::Selected() const
{
    const int row = lbStringList->ItemIndex();
    if (row < 0 || row >= int(Fstrings.size()) || !lbStringList->Selected(row)) return {};
    return Fstrings[size_t(row)];
}

bool TfrmSkinnedSelectString::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && watched != lbStringList) {
        done(mrCancel);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void SelectString(const std::vector<std::string>* strings, const std::string& caption, const std::string& def,
                  std::string& result, bool& ok, bool showBottomButtons, bool showTopStrip, int top, int left)
{
    result = def;
    ok = false;
    if (!strings) return;
    TfrmSkinnedSelectString form(QApplication::activeWindow());
    form.lblSelectZone->setText(QString::fromStdString(caption));
    // The buttons wear the skin of the preferences' template button (a keyboard key).
    if (const TmySkinButton* templateButton = SkinTemplateButton())
        TakeTemplate(*templateButton, {form.btnOK, form.btnCancel}, false);
    form.TakePreferencesLook();
    form.SetStrings(*strings, def);
    form.Arrange(showBottomButtons, showTopStrip, left, top);
    ok = IsOk(RunModal(form));
    const std::string picked = form.Selected();
    if (ok && !picked.empty()) result = picked;
}

void SelectString2(const std::vector<std::string>* strings, const std::string& caption, const std::string& def,
                   std::string& result, bool showBottomButtons, bool showTopStrip, int top, int left)
{
    bool ok = false;
    SelectString(strings, caption, def, result, ok, showBottomButtons, showTopStrip, top, left);
}

}  // namespace tunecrest
