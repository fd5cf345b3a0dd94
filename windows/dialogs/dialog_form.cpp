#include "windows/dialogs/dialog_form.h"

#include <cstdlib>

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>

#include "core/display/color_text.h"
#include "core/jukebox/global_prefs.h"
#include "core/base/services.h"
#include "core/base/shared_utils.h"
#include "skin/component_owner.h"
#include "skin/modal_runner.h"
#include "skin/qt_color.h"
#include "skin/screen_fonts.h"
#include "skin/skin_button.h"
#include "skin/skin_colors.h"
#include "skin/small_dialogs.h"
#include "skin/touch_dress.h"

namespace tunecrest {

namespace {

constexpr int kButtonHeight = 52;

int Luma(TColor c)
{
    c = ColorToRGB(c);
    return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000;
}

QString Css(TColor color) { return QString::fromStdString(ColorToHTML(ColorToRGB(color))); }

}  // namespace

TColor ReadableTextOn(TColor text, TColor back)
{
    const int t = Luma(text), b = Luma(back);
    if (std::abs(t - b) >= 100) return text;
    return b < 128 ? clWhite : clBlack;
}

TdialogColors DialogColors(const TformSkinColors& colors)
{
    TdialogColors c;
    const TColor panel = ColorToRGB(colors.ColorB);
    const bool darkPanel = Luma(panel) < 128;
    c.Text = ReadableTextOn(colors.CaptionFontColor, panel);
    // Fields sit a step darker than a dark panel and near white on a light one.
    c.Field = darkPanel ? DarkenColor(panel, 45) : LightenColor(panel, 80);
    c.FieldText = ReadableTextOn(c.Text, c.Field);
    c.Border = darkPanel ? LightenColor(panel, 35) : DarkenColor(panel, 35);
    c.SelectedText = ReadableTextOn(colors.CaptionFontColor, ColorToRGB(colors.ColorA));
    c.Disabled = darkPanel ? LightenColor(panel, 40) : DarkenColor(panel, 40);
    return c;
}

QString DialogStyleSheet(const TformSkinColors& colors)
{
    const TdialogColors c = DialogColors(colors);
    const TColor button = ColorToRGB(colors.ColorA);
    QString css = R"(
QWidget#dlgBody { background: transparent; }
QWidget { color: %TEXT%; }
QLabel:disabled, QCheckBox:disabled, QRadioButton:disabled, QGroupBox:disabled { color: %DISABLED%; }
QListWidget, QPlainTextEdit, QTextEdit, QLineEdit, QSpinBox {
  background: %FIELD%; color: %FIELDTEXT%; border: 1px solid %BORDER%; border-radius: 6px;
  selection-background-color: %BUTTON%; selection-color: %SELTEXT%; }
QLineEdit, QSpinBox { min-height: 46px; padding: 0 8px; }
QLineEdit:disabled, QSpinBox:disabled, QListWidget:disabled { color: %DISABLED%; }
QListWidget { outline: 0; }
QListWidget::item { min-height: 47px; padding: 0 10px; border-bottom: 1px solid %FIELD%; }
QListWidget::item:selected { background: %BUTTON%; color: %SELTEXT%; }
QListWidget::indicator, QCheckBox::indicator, QRadioButton::indicator { width: 18px; height: 18px;
  border: 2px solid %BORDER%; padding: 4px; background: %FIELD%; }
QCheckBox::indicator, QListWidget::indicator { border-radius: 5px; }
QRadioButton::indicator { border-radius: 15px; }
QListWidget::indicator:checked, QCheckBox::indicator:checked, QRadioButton::indicator:checked {
  background: %TEXT%; background-clip: content; border-color: %TEXT%; }
QRadioButton::indicator:checked { background: qradialgradient(cx:0.5, cy:0.5, radius:0.5, fx:0.5, fy:0.5,
  stop:0 %TEXT%, stop:0.5 %TEXT%, stop:0.56 %FIELD%, stop:1 %FIELD%); background-clip: padding; }
QCheckBox::indicator:disabled, QRadioButton::indicator:disabled { border-color: %DISABLED%; }
QCheckBox, QRadioButton { min-height: 48px; spacing: 12px; }
QGroupBox { border: 1px solid %BORDER%; border-radius: 8px; margin-top: 16px; padding: 14px 8px 6px 8px;
  font-weight: bold; }
QGroupBox::title { subcontrol-origin: margin; left: 12px; padding: 0 6px; }
QSpinBox::up-button, QSpinBox::down-button { width: 36px; }
QScrollBar:vertical { width: 48px; background: %FIELD%; margin: 0; }
QScrollBar:horizontal { height: 48px; background: %FIELD%; margin: 0; }
QScrollBar::handle { background: %BUTTON%; border-radius: 6px; min-height: 48px; min-width: 48px; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }
QScrollBar::add-page, QScrollBar::sub-page { background: none; }
QTabWidget::pane { border: 1px solid %BORDER%; border-radius: 6px; top: -1px; }
QTabBar::tab { min-height: 47px; padding: 0 18px; margin-right: 3px; background: %FIELD%; color: %FIELDTEXT%;
  border: 1px solid %BORDER%; border-bottom: none; border-top-left-radius: 8px; border-top-right-radius: 8px; }
QTabBar::tab:selected { background: %BUTTON%; color: %SELTEXT%; font-weight: bold; }
QTabBar::tab:disabled { color: %DISABLED%; }
QCheckBox:pressed, QRadioButton:pressed { color: %BUTTON%; }
QCheckBox::indicator:pressed, QRadioButton::indicator:pressed { border-color: %BUTTON%; }
QComboBox { background: %FIELD%; color: %FIELDTEXT%; border: 1px solid %BORDER%; border-radius: 6px;
  min-height: 46px; padding: 0 8px; }
QComboBox:disabled { color: %DISABLED%; }
QComboBox::drop-down { width: 44px; }
QComboBox QAbstractItemView { background: %FIELD%; color: %FIELDTEXT%; outline: 0; }
QComboBox QAbstractItemView::item { min-height: 48px; padding: 0 10px; }
QComboBox QAbstractItemView::item:selected { background: %BUTTON%; color: %SELTEXT%; }
QProgressBar { background: %FIELD%; border: 1px solid %BORDER%; border-radius: 6px; min-height: 28px;
  text-align: center; color: %FIELDTEXT%; }
QProgressBar::chunk { background: %BUTTON%; border-radius: 5px; }
)";
    css.replace("%TEXT%", Css(c.Text))
        .replace("%FIELDTEXT%", Css(c.FieldText))
        .replace("%FIELD%", Css(c.Field))
        .replace("%BORDER%", Css(c.Border))
        .replace("%BUTTON%", Css(button))
        .replace("%SELTEXT%", Css(c.SelectedText))
        .replace("%DISABLED%", Css(c.Disabled));
    return css;
}

TfrmPlainDialog::TfrmPlainDialog(const std::string& caption, QWidget* parent) : TfrmBaseSkinForm(parent)
{
    auto* outer = new QVBoxLayout(Panel());
    outer->setContentsMargins(14, 8, 14, 12);
    outer->setSpacing(8);
    Fheading = CreateComponent<QLabel>(this, Panel());
    Fheading->setObjectName("lblHeading");
    Fheading->setFont(ScreenFont(BoldArial(15)));
    Fheading->setMinimumHeight(36);
    outer->addWidget(Fheading);
    // The body scrolls on a small screen; the heading and the buttons stay.
    Fbody = CreateComponent<QWidget>(this, Panel());
    Fbody->setObjectName("dlgBody");
    Fbody->setFont(ScreenFont(TFont{"Arial", clWindowText, 11, false}));
    FbodyLayout = new QVBoxLayout(Fbody);
    FbodyLayout->setContentsMargins(0, 0, 0, 0);
    FbodyLayout->setSpacing(8);
    Fscroll = MakeTouchScroll(Panel(), Fbody);
    Fscroll->setObjectName("dlgBodyScroll");
    Fscroll->setFont(Fbody->font());
    outer->addWidget(Fscroll, 1);
    FbuttonRow = new QHBoxLayout();
    FbuttonRow->setSpacing(10);
    outer->addLayout(FbuttonRow);
    SetCaption(caption);
    ApplySkin();
}

void TfrmPlainDialog::SetCaption(const std::string& caption)
{
    setWindowTitle(QString::fromStdString(caption));
    Fheading->setText(QString::fromStdString(caption));
}

QLabel* TfrmPlainDialog::MakeLabel(QWidget* parent, const char* text)
{
    auto* label = CreateComponent<QLabel>(this, parent);
    label->setText(text);
    return label;
}

TmySkinButton* TfrmPlainDialog::MakeButton(QWidget* parent, const char* name, const char* caption, int width)
{
    // A touch button has no keyboard accelerator: its caption shows without the marks.
    const std::string shown = StripAccelerators(caption);
    TmySkinButton* button = MakeDialogButton(this, parent, name, shown.c_str(), 12);
    const int textWidth = QFontMetrics(ScreenFont(BoldArial(12))).horizontalAdvance(QString::fromStdString(shown));
    button->setFixedSize(width > 0 ? width : std::max(110, textWidth + 40), kButtonHeight);
    DressButton(*button);
    button->SetupFinished();
    return button;
}

TmySkinButton* TfrmPlainDialog::AddButton(const char* name, const char* caption, int modalResult)
{
    TmySkinButton* button = MakeButton(Panel(), name, caption);
    if (modalResult != mrNone) button->OnClick = [this, modalResult](TObject*) { done(modalResult); };
    FbuttonRow->addWidget(button);
    Fbuttons.push_back(button);
    return button;
}

void TfrmPlainDialog::AddButtonSpace() { FbuttonRow->addStretch(1); }

void TfrmPlainDialog::AddOkCancel(TmySkinButton*& ok, TmySkinButton*& cancel, bool okIsDefault)
{
    AddButtonSpace();
    ok = AddButton("btnOK", "&OK", mrOk);
    cancel = AddButton("btnCancel", "&Cancel", mrCancel);
    if (okIsDefault) SetDefaultButton(ok);
    SetCancelButton(cancel);
}

TmySkinButton* TfrmPlainDialog::AddCloseButton(const char* caption)
{
    AddButtonSpace();
    TmySkinButton* close = AddButton("btnClose", caption, mrOk);
    SetDefaultButton(close);
    SetCancelButton(close);
    return close;
}

void TfrmPlainDialog::DressButton(TmySkinButton& button) const
{
    const TformSkinColors colors = FormSkinColors();
    button.BeginUpdate();
    if (const TmySkinButton* templateButton = SkinTemplateButton()) {
        button.SetSkinBitmap(templateButton->SkinBitmap());
        button.AssignSkin(*templateButton, false);
    }
    button.SetFontColor(colors.CaptionFontColor);
    button.EndUpdate();
}

void TfrmPlainDialog::ApplySkin()
{
    TfrmBaseSkinForm::ApplySkin();
    if (!Fbody) return;  // the base's constructor: nothing of ours exists yet
    const TformSkinColors colors = FormSkinColors();
    // On the scroll holder, so that its scroll bar is dressed too.
    Fscroll->setStyleSheet(DialogStyleSheet(colors) + "QScrollArea#dlgBodyScroll { background: transparent; }");
    // Check marks and radio dots are drawn from the palette: light marks on the dark
    // fields of a dark panel, dark ones on a light panel.
    const TdialogColors dialogColors = DialogColors(colors);
    QPalette body = Fbody->palette();
    body.setColor(QPalette::Base, ToQColor(dialogColors.Field));
    body.setColor(QPalette::Text, ToQColor(dialogColors.FieldText));
    body.setColor(QPalette::WindowText, ToQColor(dialogColors.Text));
    body.setColor(QPalette::Window, ToQColor(colors.ColorB));
    body.setColor(QPalette::Button, ToQColor(dialogColors.Field));
    body.setColor(QPalette::ButtonText, ToQColor(dialogColors.FieldText));
    body.setColor(QPalette::Highlight, ToQColor(colors.ColorA));
    Fbody->setPalette(body);
    QPalette palette = Fheading->palette();
    palette.setColor(QPalette::WindowText, ToQColor(ReadableTextOn(colors.CaptionFontColor, colors.ColorB)));
    Fheading->setPalette(palette);
    for (QObject* component : OwnedComponents(this))
        if (auto* button = dynamic_cast<TmySkinButton*>(component)) DressButton(*button);
}

void TfrmPlainDialog::UseKeyboardEntry(QLineEdit* edit, const std::string& prompt)
{
    FkeyboardEdits.emplace_back(edit, prompt);
    edit->installEventFilter(this);
}

bool TfrmPlainDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && GlobalPrefs().OnScreenKeyboardsEnabled()) {
        for (const auto& [edit, prompt] : FkeyboardEdits) {
            if (edit != watched || !edit->isEnabled() || edit->isReadOnly()) continue;
            const std::optional<std::string> answer =
                Prompt().AskText(windowTitle().toStdString(), prompt, edit->text().toStdString());
            if (answer) {
                edit->setText(QString::fromStdString(*answer));
                Q_EMIT edit->textEdited(edit->text());
            }
            return true;
        }
    }
    return TfrmBaseSkinForm::eventFilter(watched, event);
}

void TfrmPlainDialog::showEvent(QShowEvent* e)
{
    // Buttons made before a skin was loaded take it now.
    ApplySkin();
    // A list's current row changes by a touch only: a list taking the focus would make
    // its first row current by itself.
    for (QAbstractItemView* view : Fbody->findChildren<QAbstractItemView*>()) view->setFocusPolicy(Qt::NoFocus);
    DressForTouch(*Panel());
    TfrmBaseSkinForm::showEvent(e);
}

void TfrmPlainDialog::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (FdefaultButton && FdefaultButton->isEnabled()) PressButton(*FdefaultButton);
        return;
    }
    if (e->key() == Qt::Key_Escape) {
        if (FcancelButton) PressButton(*FcancelButton);
        else done(mrCancel);
        return;
    }
    TfrmBaseSkinForm::keyPressEvent(e);
}

void PressButton(TmySkinButton& button)
{
    if (button.isEnabled()) button.Click();
}

}  // namespace tunecrest
