#pragma once
// The password and text entry window: a prompt, an edit with OK and Cancel, and the
// shared on-screen keyboard below. CheckPassword asks for the party-play password,
// InputString for a line of text. One window, made on first use and reused.
#include <string>

#include "skin/keyboard.h"
#include "skin/skin_forms.h"
#include "windows/password_throttle.h"

class QLabel;
class QLineEdit;
class QTimer;

namespace tunecrest {

class TmySkinButton;

// What OK does with an entry. Without an expected password any non-empty entry is
// accepted, and an empty one too where the caller allows a blank answer; with one, the
// whole entry must equal it, letters compared without regard to case (a prefix or a
// longer text is refused).
enum class TentryVerdict { Accept, Incorrect, Blank };
TentryVerdict JudgeEntry(const std::string& expected, const std::string& entry, bool allowBlank = false);

class TfrmPassword2 : public TkeyboardableForm {
public:
    explicit TfrmPassword2(QWidget* parent = nullptr);

    // Keyboard after the preferences' switch, the prompt, and the skin colours when they
    // changed since the last time.
    void Prepare(const std::string& prompt);
    // Password mode (a non-empty password: checked, masked, slowed down after wrong
    // tries) or text mode (masked on request; blank accepted on request). The entry
    // starts empty.
    void SetExpectedPassword(const std::string& password, bool masked, bool allowBlank = false);
    // OK: closes with OK when the entry is accepted; otherwise tells why (through the
    // prompt service), empties the edit and stays open with the focus in the edit. While
    // a wrong password's wait runs, OK does nothing.
    void OkPressed();
    // The wait before the next password try, in milliseconds (0: none).
    int64_t WaitLeft() const;

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
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void Recolour(const TformSkinColors& colors);
    void LayOut();
    // Shows the wait in the prompt with OK disabled, or the prompt again once it is over.
    void ShowWait();
    void FocusEntry();
    // Enter's release after its press in this window runs OK; true for any Enter release.
    bool EnterReleased(QKeyEvent* e);

    std::string Fexpected;
    std::string Fprompt;
    bool FallowBlank = false;
    bool FenterDown = false;
    TpasswordThrottle Fthrottle;
    QTimer* FwaitTimer;
    TformSkinColors FlastColors;
    bool FcoloursUsed = false;
};

// The one entry window.
TfrmPassword2& Password2();

// True when `password` is empty (nothing is shown), else when the person typed it and
// pressed OK.
bool CheckPassword(const std::string& password, const std::string& prompt);
// Asks for a line of text starting with `text`; `text` gets what was typed in every case;
// True when closed with OK. `allowBlank`: an empty answer is a valid one; `masked`: the
// text is a secret (a new password) shown as "*".
bool InputString(std::string& text, const std::string& prompt, bool allowBlank = false, bool masked = false);

}  // namespace tunecrest
