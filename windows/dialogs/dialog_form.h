#pragma once
// The base of the plain dialogs (lists, settings pages, reports): a skinned form with
// the window caption as a heading strip, a body for ordinary widgets dressed for touch
// in the skin's colours (rows and check boxes big enough for a finger), and a bottom row
// of skinned push buttons. Enter presses the default button, Escape the cancel button;
// a dialog without a cancel button closes with Cancel on Escape.
#include <string>
#include <vector>

#include <QBoxLayout>

#include "core/display/color.h"
#include "skin/skin_button.h"
#include "skin/skin_forms.h"

class QLabel;
class QLineEdit;
class QScrollArea;

namespace tunecrest {

// `text` when it reads on `back`, else white or black, whichever reads better.
TColor ReadableTextOn(TColor text, TColor back);

// The colours of the dialog bodies, from the skin colours: text on the panel, fields
// and their text, borders, the text of selected rows and disabled text.
struct TdialogColors {
    TColor Text = clWhite, Field = clBlack, FieldText = clWhite, Border = clGray, SelectedText = clWhite,
           Disabled = clGray;
};
TdialogColors DialogColors(const TformSkinColors& colors);

// The style sheet of the dialog bodies for the given skin colours: panel, fields,
// selection in the button colour, touch-sized rows, indicators and scroll bars.
QString DialogStyleSheet(const TformSkinColors& colors);

class TfrmPlainDialog : public TfrmBaseSkinForm {
public:
    explicit TfrmPlainDialog(const std::string& caption, QWidget* parent = nullptr);

    // The caption: the window title and the heading strip.
    void SetCaption(const std::string& caption);
    // Where the dialog's own widgets go (a vertical layout).
    QWidget* Body() const { return Fbody; }
    QVBoxLayout* BodyLayout() const { return FbodyLayout; }
    QLabel* Heading() const { return Fheading; }

    // A skinned button in the bottom row, right of the ones added before. With a modal
    // result other than mrNone a click closes the dialog with it.
    TmySkinButton* AddButton(const char* name, const char* caption, int modalResult = 0);
    // Pushes the following buttons to the right end of the row.
    void AddButtonSpace();
    // "OK" and "Cancel" at the right end of the row, closing with their results; Escape
    // presses Cancel, and Enter presses OK when `okIsDefault`.
    void AddOkCancel(TmySkinButton*& ok, TmySkinButton*& cancel, bool okIsDefault);
    // A close button at the right end of the row that both Enter and Escape press.
    TmySkinButton* AddCloseButton(const char* caption);
    // A label owned by the form, on `parent`.
    QLabel* MakeLabel(QWidget* parent, const char* text);
    // A skinned button for the body (beside a list, under an edit).
    TmySkinButton* MakeButton(QWidget* parent, const char* name, const char* caption, int width = 0);
    // The button Enter presses and the one Escape presses.
    void SetDefaultButton(TmySkinButton* button) { FdefaultButton = button; }
    void SetCancelButton(TmySkinButton* button) { FcancelButton = button; }
    TmySkinButton* DefaultButton() const { return FdefaultButton; }
    TmySkinButton* CancelButton() const { return FcancelButton; }

    // While the on-screen keyboards are on, a touch on `edit` asks for its text in the
    // text-entry window (with the keyboard) under `prompt`; OK puts the answer in.
    void UseKeyboardEntry(QLineEdit* edit, const std::string& prompt);

    // Skin colours: the form's own, then the body's style and the heading, and the
    // buttons take the keyboard template's skin when it has one.
    void ApplySkin() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void DressButton(TmySkinButton& button) const;

    QLabel* Fheading = nullptr;
    QScrollArea* Fscroll = nullptr;
    QWidget* Fbody = nullptr;
    QVBoxLayout* FbodyLayout = nullptr;
    QHBoxLayout* FbuttonRow = nullptr;
    std::vector<TmySkinButton*> Fbuttons;
    std::vector<std::pair<QLineEdit*, std::string>> FkeyboardEdits;
    TmySkinButton* FdefaultButton = nullptr;
    TmySkinButton* FcancelButton = nullptr;
};

// Presses a skinned button as a click would (tests and key handling).
void PressButton(TmySkinButton& button);

}  // namespace tunecrest
