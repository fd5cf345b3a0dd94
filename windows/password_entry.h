#pragma once
// The password and text entry window: a prompt, an edit with OK and Cancel, and the
// shared on-screen keyboard below. CheckPassword asks for the party-play password,
// InputString for a line of text. One window, made on first use and reused.
#include <string>

#include "skin/keyboard.h"
#include "skin/skin_forms.h"

class QLabel;
class QLineEdit;

namespace tunecrest {

class TmySkinButton;

// What OK does with an entry. Without an expected password any non-empty entry is
// accepted; with one, the whole entry must equal it, letters compared without regard
// to case (a prefix or a longer text is refused).
enum class TentryVerdict { Accept, Incorrect, Blank };
TentryVerdict JudgeEntry(const std::string& expected, const std::string& entry);

class TfrmPassword2 : public TkeyboardableForm {
public:
    explicit TfrmPassword2(QWidget* parent = nullptr);

    // Keyboard after the preferences' switch, the prompt, and the skin colours when they
    // changed since the last time.
    void Prepare(const std::string& prompt);
    void SetExpectedPassword(const std::string& password, bool masked);
    // OK: closes with OK when the entry is accepted; otherwise tells why (through the
    // prompt service), empties the edit and stays open.
    void OkPressed();

    void PlaceKeyboard() override;
    void ShowKeyboard(bool visible) override;
    void KeyPressed(int key) override;

    QWidget* pnlTop;
    QLineEdit* edPassword;
    TmySkinButton* btnOK;
    TmySkinButton* btnCancel;
    QLabel* pnlCaption;
    QWidget* pnlKeyboard;

protected:
    void keyReleaseEvent(QKeyEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void Recolour(const TformSkinColors& colors);
    void LayOut();

    std::string Fexpected;
    TformSkinColors FlastColors;
    bool FcoloursUsed = false;
};

// The one entry window.
TfrmPassword2& Password2();

// True when `password` is empty (nothing is shown), else when the person typed it and
// pressed OK.
bool CheckPassword(const std::string& password, const std::string& prompt);
// Asks for a line of text starting empty; `text` gets what was typed in every case;
// True when closed with OK.
bool InputString(std::string& text, const std::string& prompt);

}  // namespace tunecrest
