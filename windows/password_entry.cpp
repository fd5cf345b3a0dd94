#include "windows/password_entry.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>

#include "core/jukebox/global_prefs.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "skin/apply_skin.h"
#include "skin/component_owner.h"
#include "skin/modal_runner.h"
#include "skin/qt_color.h"
#include "skin/screen_fonts.h"
#include "skin/skin_button.h"
#include "skin/small_dialogs.h"

namespace tunecrest {

namespace {
constexpr int kTopHeight = 64, kCaptionHeight = 40, kButtonHeight = 48;

}  // namespace

TentryVerdict JudgeEntry(const std::string& expected, const std::string& entry)
{
    if (expected.empty()) return entry.empty() ? TentryVerdict::Blank : TentryVerdict::Accept;
    if (PasswordMatches(expected, entry)) return TentryVerdict::Accept;
    return entry.empty() ? TentryVerdict::Blank : TentryVerdict::Incorrect;
}

TfrmPassword2::TfrmPassword2(QWidget* parent) : TkeyboardableForm(parent)
{
    setObjectName("frmPassword2");
    setWindowTitle("Enter Password");
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAutoFillBackground(true);
    pnlCaption = CreateComponent<QLabel>(this, this);
    pnlCaption->setObjectName("pnlCaption");
    pnlCaption->setAlignment(Qt::AlignCenter);
    pnlCaption->setAutoFillBackground(true);
    pnlCaption->setFont(ScreenFont(BoldArial(14)));
    pnlTop = CreateComponent<QWidget>(this, this);
    pnlTop->setObjectName("pnlTop");
    edPassword = CreateComponent<QLineEdit>(this, pnlTop);
    edPassword->setObjectName("edPassword");
    btnOK = MakeDialogButton(this, pnlTop, "btnOK", "OK", 14);
    btnCancel = MakeDialogButton(this, pnlTop, "btnCancel", "Cancel", 14);
    btnOK->OnClick = [this](TObject*) { OkPressed(); };
    btnCancel->OnClick = [this](TObject*) { done(mrCancel); };
    pnlKeyboard = CreateComponent<QWidget>(this, this);
    pnlKeyboard->setObjectName("pnlKeyboard");
    Recolour(FormSkinColors());
    btnOK->SetupFinished();
    btnCancel->SetupFinished();
}

void TfrmPassword2::Recolour(const TformSkinColors& colors)
{
    ApplySkinToControls(*this, colors.ColorA, colors.ColorB, DarkenColor(colors.ColorA, 30), colors.CaptionFontColor);
    QPalette palette = pnlCaption->palette();
    palette.setColor(QPalette::Window, ToQColor(colors.ColorB));
    // The prompt is drawn in the inverse of its background.
    palette.setColor(QPalette::WindowText, ToQColor(~colors.ColorB & 0xFFFFFF));
    pnlCaption->setPalette(palette);
    // The buttons wear the keyboard's key skin and glyph bitmap.
    SkinKeyboard(Keyboard(), colors.ColorA, colors.ColorB, colors.CaptionFontColor);
    DressAsKeys({btnOK, btnCancel}, colors.CaptionFontColor);
    FlastColors = colors;
    FcoloursUsed = true;
}

void TfrmPassword2::Prepare(const std::string& prompt)
{
    SetKeyboardVisible(GlobalPrefs().OnScreenKeyboardsEnabled());
    pnlCaption->setText(QString::fromStdString(prompt));
    const TformSkinColors colors = FormSkinColors();
    if (!FcoloursUsed || !(colors == FlastColors)) Recolour(colors);
}

void TfrmPassword2::SetExpectedPassword(const std::string& password, bool masked)
{
    Fexpected = password;
    edPassword->setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
}

void TfrmPassword2::OkPressed()
{
    const std::string entry = edPassword->text().toStdString();
    switch (JudgeEntry(Fexpected, entry)) {
        case TentryVerdict::Accept: done(mrOk); return;
        case TentryVerdict::Incorrect: Prompt().ShowMessage("The password is incorrect.", "Invalid Password"); break;
        case TentryVerdict::Blank: Prompt().ShowMessage("You must enter something!", "Blank Entry"); break;
    }
    edPassword->clear();
}

void TfrmPassword2::ShowKeyboard(bool visible)
{
    ShowKeyboardIn(*this, *pnlKeyboard, visible);
    if (visible) return;
    edPassword->setFont(font());
    resize(300, kTopHeight + kCaptionHeight);
    LayOut();
}

void TfrmPassword2::PlaceKeyboard()
{
    TfrmKeyboard& keyboard = Keyboard();
    const int keyboardHeight = KeyboardVisible() ? keyboard.KeyboardHeight() : 0;
    const int width = std::max(keyboard.KeyboardWidth() + 4, 300);
    resize(width, keyboardHeight + kButtonHeight + 4 + kCaptionHeight + (kTopHeight - kButtonHeight - 4));
    TFont font = BoldArial(std::max(9, keyboard.KeyFontSize()));
    font.Bold = false;
    edPassword->setFont(ScreenFont(font));
    LayOut();
}

void TfrmPassword2::LayOut()
{
    pnlCaption->setGeometry(0, 0, width(), kCaptionHeight);
    pnlTop->setGeometry(0, kCaptionHeight, width(), kTopHeight);
    // Wide enough for either caption in the keys' font.
    const QFontMetrics captions(ScreenFont(btnCancel->Font()));
    const int okWidth = std::max({int(std::lround(1.5 * std::max(kButtonHeight, 50))),
                                  captions.horizontalAdvance(QString::fromStdString(btnOK->Caption())) + 24,
                                  captions.horizontalAdvance(QString::fromStdString(btnCancel->Caption())) + 24});
    btnCancel->setGeometry(width() - okWidth - 2, (kTopHeight - kButtonHeight) / 2, okWidth, kButtonHeight);
    btnOK->setGeometry(btnCancel->x() - okWidth - 2, btnCancel->y(), okWidth, kButtonHeight);
    const int editHeight = std::max(kButtonHeight, std::min(kTopHeight - 8, edPassword->sizeHint().height() + 8));
    edPassword->setGeometry(4, (kTopHeight - editHeight) / 2, std::max(40, btnOK->x() - 8), editHeight);
    const int top = kCaptionHeight + kTopHeight;
    pnlKeyboard->setGeometry(2, top, width() - 4, std::max(0, height() - top));
    if (TfrmKeyboard* keyboard = ExistingKeyboard(); keyboard && pnlKeyboard->isAncestorOf(keyboard))
        keyboard->move(0, pnlKeyboard->height() - keyboard->height());
}

void TfrmPassword2::KeyPressed(int key) { ApplyKeyToEdit(*edPassword, key); }

void TfrmPassword2::keyPressEvent(QKeyEvent* e)
{
    // Enter acts on release, as the OK button does; Escape cancels.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return;
    if (e->key() == Qt::Key_Escape) {
        done(mrCancel);
        return;
    }
    TkeyboardableForm::keyPressEvent(e);
}

void TfrmPassword2::keyReleaseEvent(QKeyEvent* e)
{
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !e->isAutoRepeat()) {
        OkPressed();
        return;
    }
    TkeyboardableForm::keyReleaseEvent(e);
}

void TfrmPassword2::showEvent(QShowEvent* e)
{
    edPassword->clear();
    edPassword->setFocus();
    TkeyboardableForm::showEvent(e);
}

void TfrmPassword2::resizeEvent(QResizeEvent* e)
{
    TkeyboardableForm::resizeEvent(e);
    LayOut();
    if (isWindow())
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move((screen->size().width() - width()) / 2, (screen->size().height() - height()) / 2);
}

TfrmPassword2& Password2()
{
    static QPointer<TfrmPassword2> window;
    if (!window) {
        window = new TfrmPassword2();
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { delete window.data(); });
    }
    return *window;
}

bool CheckPassword(const std::string& password, const std::string& prompt)
{
    if (password.empty()) return true;
    TfrmPassword2& window = Password2();
    window.Prepare(prompt);
    window.SetExpectedPassword(password, true);
    return IsOk(RunModal(window));
}

bool InputString(std::string& text, const std::string& prompt)
{
    TfrmPassword2& window = Password2();
    window.Prepare(prompt);
    window.SetExpectedPassword("", false);
    window.edPassword->setText(QString::fromStdString(text));
    const bool ok = IsOk(RunModal(window));
    text = window.edPassword->text().toStdString();
    return ok;
}

}  // namespace tunecrest
