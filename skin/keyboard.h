#pragma once
// The on-screen keyboard: one shared form of keys, docked into whichever keyboard-aware
// form (TkeyboardableForm) is showing. A touched key delivers its character to the
// nearest keyboard-aware form among the keyboard's parents. Keys never take the focus,
// so the edit being typed into keeps it.
//
// Eleven columns by five rows: the punctuation row, the digits and three rows of letters
// with backspace, Space and "Clr"; the last column adds what addresses and file names
// need (":", "/", "-", "_"), and the case key switches the letters between capitals and
// small letters, so a station's address or a file name can be typed by touch. Each time
// the keyboard docks into a form it starts in capitals.
#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include <QDialog>
#include <QImage>
#include <QRect>

#include "core/display/color.h"

class QLineEdit;

namespace tunecrest {

class TmySkinButton;

struct TkeyboardKey {
    const char* Caption;  // "&&" shows one ampersand
    int Code;             // 8 backspace, 0 clear, 32 space, others the typed character
};
constexpr int kKeyboardKeyCount = 54;
constexpr int kKeyboardColumns = 11, kKeyboardRows = 5;
// The case key delivers nothing: the keyboard switches its letters.
constexpr int kKeyBackspace = 8, kKeyClear = 0, kKeySpace = 32, kKeyCase = -1;
constexpr int kCaseKeyIndex = 53;
extern const std::array<TkeyboardKey, kKeyboardKeyCount> kKeyboardKeys;

// The caption a key shows: "&&" in the key table stands for one ampersand.
std::string KeyCaption(const char* caption);

// The skin keys and dialog buttons wear while no skin gives them one: three frames
// (normal, pressed, mask) of a rounded face in grey levels that recolouring shades to
// the skin's colours.
const QImage& DefaultKeySkin();

// Where key `index` sits at `keySize`: keys 0 to 46 ten to a row from the top left;
// "Space" two keys wide at column 7 of the last row, the case key at column 9, "Clr" at
// column 10; keys 49 to 52 in column 10 of rows 0 to 3.
QRect KeyboardKeyRect(int index, int keySize);

// A form that can dock the shared keyboard and receives its key presses.
class TkeyboardableForm : public QDialog {
public:
    explicit TkeyboardableForm(QWidget* parent = nullptr);
    // Takes the keyboard off the form first when it is docked anywhere inside it, so the
    // next form can take it and it is never freed with this one.
    ~TkeyboardableForm() override;

    bool KeyboardVisible() const { return FkeyboardVisible; }
    // Stores the value and calls ShowKeyboard with it.
    void SetKeyboardVisible(bool value);

    // Sizes and arranges the form around the keyboard.
    virtual void PlaceKeyboard() = 0;
    // Docks the shared keyboard into the form's keyboard area and shows it, or hides the area.
    virtual void ShowKeyboard(bool visible) = 0;
    // Each character from the keyboard (codes of kKeyboardKeys).
    virtual void KeyPressed(int key) = 0;

private:
    bool FkeyboardVisible = false;
};

// Shows the shared keyboard docked into `area` of `form`, or takes it off the form and
// hides the area. The form is laid out with PlaceKeyboard before the keyboard docks.
void ShowKeyboardIn(TkeyboardableForm& form, QWidget& area, bool visible);
// Dresses a text-entry window's buttons as the keyboard's keys (skin and template), with
// captions in `fontColor`.
void DressAsKeys(std::initializer_list<TmySkinButton*> buttons, TColor fontColor);

// The key handling of the text-entry windows: the edit takes the focus; 0 clears it;
// backspace goes to the edit as a real key press; other codes append their character;
// the caret goes to the end.
void ApplyKeyToEdit(QLineEdit& edit, int key);

class TfrmKeyboard : public QWidget {
public:
    explicit TfrmKeyboard(QWidget* parent = nullptr);

    // Stores the flag and sets the form to 510 x 200 with the key panel filling it.
    void InitKeyboard(bool flag);
    bool InitFlag() const { return FinitFlag; }
    // The template key's size and the key font (size div 3, in points); then lays the keys out again
    // from the preferences' key size.
    void SetKeySize(int size);
    void SetFontSize(int size);
    int KeyboardWidth() const;
    int KeyboardHeight() const;
    int KeyFontSize() const;
    // Lays the 49 keys out from the preferences' key size and takes the skin bitmaps of
    // the preferences' bitmap store (first: key skin, the keys' own skin without one; second:
    // the backspace glyph). Docked, the keyboard takes its new size at once and its form
    // places itself around it again.
    void LayoutKeys();

    TmySkinButton* Key(int index) const;
    TmySkinButton* Template() const { return Key(0); }
    // The code key `index` delivers now: a letter key's small letter while the keyboard
    // types small letters.
    int KeyCode(int index) const;
    // Capitals (false) or small letters (true); the letter keys and the case key show it.
    bool SmallLetters() const { return FsmallLetters; }
    void SetSmallLetters(bool on);
    // Passes `code` to the nearest keyboard-aware form among the keyboard's parents;
    // false (and nothing happens) when there is none.
    bool DeliverKey(int code);

    // Docks the keyboard into `area` at the bottom, at the keyboard's size, and shows it;
    // nullptr takes it off any form and hides it.
    void DockInto(QWidget* area);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    // Docked: size and place in the area (after the form is placed again when asked).
    void FollowDock(bool placeForm);

    QWidget* FinnerPanel;
    std::vector<TmySkinButton*> Fkeys;
    bool FsmallLetters = false;
    int FtemplateSize = 60;
    int FfontSize = 20;
    bool FinitFlag = false;
};

// The shared keyboard, made on first use (a QApplication must exist) and kept for the
// whole run.
TfrmKeyboard& Keyboard();
// The shared keyboard when it has been made, else nullptr.
TfrmKeyboard* ExistingKeyboard();

// Recolours every key of `keyboard`: colour A for the keys, colour B around them, colour
// A darkened by 30 % for checked text. The captions take `fontColor` (the skin's caption
// colour): in the key colour itself they would not show on the key.
void SkinKeyboard(QWidget& keyboard, TColor colorA, TColor colorB, TColor fontColor);

}  // namespace tunecrest
