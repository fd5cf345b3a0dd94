#pragma once
// The three small dialogs that stand in for the system's message boxes on the touch
// screen, in the skin's colours: an OK/Cancel question, a self-closing status message
// and a list from which one string is picked; and the dialog-properties component.
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QObject>

#include "core/display/color.h"
#include "core/display/font_store.h"
#include "skin/skin_forms.h"

class QLabel;

namespace tunecrest {

class TmySkinButton;
class TmySkinScrollBar;
class TcontrolTimer;
class ThtmlLabel;
class TtouchListBox;

class TfrmSkinnedOKCancel : public TfrmBaseSkinForm {
public:
    explicit TfrmSkinnedOKCancel(QWidget* parent = nullptr);

    void SetText(const std::string& text);
    // Both buttons take the template's skin bitmap and colours; then, after the form's
    // skin colouring, its font (shrunk where a caption would not fit its button); the
    // caption and the hidden, black shadows take the template's font and the caption the
    // dialog caption colour.
    void UseTemplate(const TmySkinButton& templateButton);
    // A picture wider or higher than 32 pixels widens the form by its width.
    void SetIcon(const QImage& icon);
    // OK at 116 - its width (plus any extra form width), Cancel at form width - 116, both
    // 8 pixels above the bottom.
    void PlaceButtons();

    TmySkinButton* btnOK = nullptr;
    TmySkinButton* btnCancel = nullptr;
    QLabel* imgIcon;
    QLabel* lblCaption;
    QLabel* lblCaptionShadow[4];

    // The form's skin colours; the button captions take the skin's caption colour, which
    // reads on the button face (the face colour itself would not).
    void ApplySkin() override;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void PlaceCaption();
};

// Arial in bold at `size` points in the colour `color`: the dialogs' caption font.
TFont BoldArial(int size, TColor color = clBlack);
// A stretched push button of a skinned dialog, owned by `owner`, captioned in bold Arial
// of `fontSize` points. It wears the keyboard keys' own skin until a template gives it
// the loaded one; its skin is built when the form calls SetupFinished.
TmySkinButton* MakeDialogButton(QWidget* owner, QWidget* parent, const char* name, const char* caption,
                                int fontSize = 12);

// The skin source of the dialogs' buttons: the keyboard's template key once it has a
// skin bitmap, else nullptr (the buttons keep their designed look).
const TmySkinButton* SkinTemplateButton();

// Modal OK/Cancel question: 1 for OK (or Enter), 2 for Cancel (or Escape).
int ShowOKCancel(const TmySkinButton* templateButton, const std::string& text, const QImage& icon = QImage());

// A message with only OK (the OK/Cancel form with Cancel hidden and OK centred), in the
// template button's look when the keyboard has a skin, sized for its text.
void ShowSkinnedMessage(const std::string& text, const std::string& title);
std::unique_ptr<TfrmSkinnedOKCancel> MakeSkinnedMessage(const std::string& text, const std::string& title);

class TfrmStatusMessage : public QWidget {
public:
    explicit TfrmStatusMessage(QWidget* parent = nullptr);
    ~TfrmStatusMessage() override;
    // Shows `text` at `topLeft` (screen coordinates) for `interval` milliseconds.
    void ShowMessage(QPoint topLeft, const std::string& text, int interval);
    const std::string& Text() const { return Ftext; }
    TcontrolTimer& Timer() { return *Ftimer; }

    QWidget* pnlMessage;
    ThtmlLabel* lblMessage;

private:
    std::unique_ptr<TcontrolTimer> Ftimer;
    std::string Ftext;
};

// The one status window, made on first use.
TfrmStatusMessage& StatusMessage();
// Shows the status window at the left and top of `where` for `interval` milliseconds.
void ShowStatusMessage(const QWidget& where, const std::string& text, int interval);

// The geometry of the string picker: rows shown (1 to 6), its height, and where it
// goes so it stays on the screen.
struct TselectStringLayout {
    int RowsShown = 1;
    int Height = 0;
    int Left = 0, Top = 0;
    bool ScrollBarVisible = false;
};
TselectStringLayout LayoutSelectString(int count, int rowHeight, int topStripHeight, bool showTopStrip,
                                       int bottomStripHeight, bool showBottomButtons, int left, int top, int width,
                                       QSize screen);

class TfrmSkinnedSelectString : public QDialog {
public:
    explicit TfrmSkinnedSelectString(QWidget* parent = nullptr);

    // Sorted copy of `strings`; the row equal to `def` is selected when there is one.
    void SetStrings(const std::vector<std::string>& strings, const std::string& def);
    const std::vector<std::string>& Strings() const { return Fstrings; }
    // The look of the preferences: the template scroll bar's skin and width, and the font
    // store's first font (rows "Yy" x 1.2 high, never below a finger's 48 pixels) and its
    // colours (0 the rows, 3 and 4 the selected row's text and fill).
    void TakePreferencesLook();
    void Arrange(bool showBottomButtons, bool showTopStrip, int left, int top);
    // The picked string, or empty when no row is selected.
    std::string Selected() const;

    QWidget* pnlButtonsTop;
    QLabel* lblSelectZone;
    TtouchListBox* lbStringList;
    TmySkinScrollBar* sbarStringList;
    QWidget* pnlButtonsBottom;
    TmySkinButton* btnOK;
    TmySkinButton* btnCancel;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PaintRow(int index, const QRect& rect, QPainter& canvas, bool selected, bool focused);
    // The width that shows every entry and the caption whole.
    int NeededWidth(bool scrollBar) const;

    std::vector<std::string> Fstrings;
    int FrowHeight = 48;
    int FbarWidth = 48;
    // From the font store (empty tag: none, the designed look).
    std::string FfontTag;
    TFont Ffont;
    TColor FrowColor = clBlack, FselectedText = clWhite, FselectedFill = clBlue;
};

// Picks one of `strings`: `result` is the picked string, or `def` when nothing was
// picked (or `strings` is null); `ok` tells whether the dialog closed with OK.
void SelectString(const std::vector<std::string>* strings, const std::string& caption, const std::string& def,
                  std::string& result, bool& ok, bool showBottomButtons = true, bool showTopStrip = true,
                  int top = -1, int left = -1);
void SelectString2(const std::vector<std::string>* strings, const std::string& caption, const std::string& def,
                   std::string& result, bool showBottomButtons = true, bool showTopStrip = true, int top = -1,
                   int left = -1);

// The look of a dialog as a component: caption, colours, fonts, logo, place and size.
class TmyDialogProperties : public QObject {
public:
    explicit TmyDialogProperties(QObject* owner = nullptr) : QObject(owner) {}
    std::string Caption;
    TColor BackgroundColor = clWhite;
    int Position = 0;  // the form position the dialog opens at
    int Height = 307;
    int Width = 460;
    const TFont& Font() const { return Ffont; }
    void SetFont(const TFont& font) { Ffont = font; }
    const TFont& AlertFont() const { return FalertFont; }
    void SetAlertFont(const TFont& font) { FalertFont = font; }
    const QImage& Logo() const { return Flogo; }
    void SetLogo(const QImage& logo) { Flogo = logo.copy(); }

private:
    TFont Ffont, FalertFont;
    QImage Flogo;
};

}  // namespace tunecrest
