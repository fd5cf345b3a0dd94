#include "skin/keyboard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>

#include "core/jukebox/global_prefs.h"
#include "skin/apply_skin.h"
#include "skin/bitmap_container.h"
#include "skin/component_owner.h"
#include "skin/skin_button.h"

namespace tunecrest {

const std::array<TkeyboardKey, kKeyboardKeyCount> kKeyboardKeys = {{
    {"!", 33}, {"'", 39}, {"#", 35}, {"$", 36}, {"%", 37}, {"&&", 38}, {"*", 42}, {"=", 61}, {"?", 63}, {".", 46},
    {"1", 49}, {"2", 50}, {"3", 51}, {"4", 52}, {"5", 53}, {"6", 54}, {"7", 55}, {"8", 56}, {"9", 57}, {"0", 48},
    {"Q", 81}, {"W", 87}, {"E", 69}, {"R", 82}, {"T", 84}, {"Y", 89}, {"U", 85}, {"I", 73}, {"O", 79}, {"P", 80},
    {"A", 65}, {"S", 83}, {"D", 68}, {"F", 70}, {"G", 71}, {"H", 72}, {"J", 74}, {"K", 75}, {"L", 76}, {"<-", 8},
    {"Z", 90}, {"X", 88}, {"C", 67}, {"V", 86}, {"B", 66}, {"N", 78}, {"M", 77},
    {"Space", 32},
    {"Clr", 0},
    {":", 58}, {"/", 47}, {"-", 45}, {"_", 95},
    {"abc", kKeyCase},
}};

namespace {
bool IsLetterCode(int code) { return code >= 'A' && code <= 'Z'; }
}  // namespace

std::string KeyCaption(const char* caption)
{
    std::string text = caption ? caption : "";
    for (size_t at = text.find("&&"); at != std::string::npos; at = text.find("&&", at + 1)) text.erase(at, 1);
    return text;
}

const QImage& DefaultKeySkin()
{
    // Frames of 30 x 30 cut into 10 x 10 cells when stretched: the rounded corners stay
    // inside the corner cells, and the edge and centre cells are uniform along the
    // direction they are repeated in, so a stretched key shows no seams.
    static const QImage skin = [] {
        constexpr int kSide = 30;
        QImage image(kSide * 3, kSide, QImage::Format_RGB32);
        image.fill(QColor(128, 128, 128));
        QPainter p(&image);
        auto grey = [](int level) { return QColor(level, level, level); };
        const struct {
            int Face, Light, Dark;
        } faces[2] = {{150, 200, 96}, {112, 92, 128}};
        for (int f = 0; f < 2; ++f) {
            const int x0 = f * kSide;
            p.setPen(grey(56));
            p.setBrush(grey(faces[f].Face));
            p.drawRoundedRect(QRect(x0, 0, kSide - 1, kSide - 1), 7, 7);
            p.setPen(grey(faces[f].Light));
            p.drawLine(x0 + 5, 1, x0 + kSide - 6, 1);
            p.drawLine(x0 + 3, 2, x0 + kSide - 4, 2);
            p.setPen(grey(faces[f].Dark));
            p.drawLine(x0 + 3, kSide - 3, x0 + kSide - 4, kSide - 3);
        }
        // The mask: white where the face is, so a touch on a corner's outside misses.
        p.fillRect(QRect(2 * kSide, 0, kSide, kSide), Qt::black);
        p.setPen(Qt::white);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRect(2 * kSide, 0, kSide - 1, kSide - 1), 7, 7);
        p.end();
        return ToSkinBitmap(image);
    }();
    return skin;
}

QRect KeyboardKeyRect(int index, int keySize)
{
    if (index < 0 || index >= kKeyboardKeyCount) return QRect();
    int column = index % 10, row = index / 10;
    if (index == 48) column = 10;  // "Clr"
    else if (index == kCaseKeyIndex) column = 9, row = 4;
    else if (index > 48) column = 10, row = index - 49;
    const int width = index == 47 ? 2 * keySize : keySize;
    return QRect(keySize * column, keySize * row, width, keySize);
}

// ---- keyboard-aware forms

TkeyboardableForm::TkeyboardableForm(QWidget* parent) : QDialog(parent) {}

TkeyboardableForm::~TkeyboardableForm()
{
    TfrmKeyboard* keyboard = ExistingKeyboard();
    if (keyboard && isAncestorOf(keyboard)) keyboard->DockInto(nullptr);
}

void TkeyboardableForm::SetKeyboardVisible(bool value)
{
    FkeyboardVisible = value;
    ShowKeyboard(value);
}

void ShowKeyboardIn(TkeyboardableForm& form, QWidget& area, bool visible)
{
    if (visible) {
        area.show();
        form.PlaceKeyboard();
        Keyboard().DockInto(&area);
        return;
    }
    if (TfrmKeyboard* keyboard = ExistingKeyboard(); keyboard && form.isAncestorOf(keyboard))
        keyboard->DockInto(nullptr);
    area.hide();
}

void DressAsKeys(std::initializer_list<TmySkinButton*> buttons, TColor fontColor)
{
    const TmySkinButton* key = Keyboard().Template();
    for (TmySkinButton* button : buttons) {
        button->BeginUpdate();
        button->SetSkinBitmap(key->SkinBitmap());
        button->AssignSkin(*key, false);
        button->SetFontColor(fontColor);
        button->EndUpdate();
    }
}

void ApplyKeyToEdit(QLineEdit& edit, int key)
{
    edit.setFocus();
    if (key == kKeyClear) {
        edit.clear();
    } else if (key == kKeyBackspace) {
        edit.end(false);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Backspace, Qt::NoModifier);
        QCoreApplication::sendEvent(&edit, &press);
        QCoreApplication::sendEvent(&edit, &release);
    } else if (key > 0) {
        const QString text = edit.text() + QChar(char32_t(key) <= 0xFFFF ? char16_t(key) : u'?');
        // A full edit refuses more text as typing would.
        if (text.size() <= edit.maxLength()) edit.setText(text);
    }
    edit.end(false);
}

// ---- the keyboard

TfrmKeyboard::TfrmKeyboard(QWidget* parent)
    : QWidget(parent, parent ? Qt::Widget : Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                                 Qt::WindowDoesNotAcceptFocus)
{
    setObjectName("frmKeyboard");
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    FinnerPanel = CreateComponent<QWidget>(this, this);
    FinnerPanel->setObjectName("pnlKeyboard");
    FinnerPanel->setFocusPolicy(Qt::NoFocus);
    FinnerPanel->setAutoFillBackground(true);
    TFont font;
    font.Name = "Arial";
    font.Color = clBlack;
    font.Bold = true;
    for (int i = 0; i < kKeyboardKeyCount; ++i) {
        auto* key = CreateComponent<TmySkinButton>(this, FinnerPanel);
        key->setObjectName(i == 0 ? QString("btn1") : QString("btnKey%1").arg(i));
        key->BeginUpdate();
        key->SetDefaultSkinBitmap(DefaultKeySkin());
        key->SetIsStretchButton(true);
        key->SetShowCaption(true);
        key->SetCaption(KeyCaption(kKeyboardKeys[size_t(i)].Caption));
        key->SetGlyphTransparentColor(0xFF00FF);
        key->SetFont(font);
        key->SetWantFocus(false);
        key->EndUpdate();
        // A click lands only on the key's shape, so a touch that slides off types nothing.
        if (i == kCaseKeyIndex) key->OnClick = [this](TObject*) { SetSmallLetters(!FsmallLetters); };
        else key->OnClick = [this, i](TObject*) { DeliverKey(KeyCode(i)); };
        if (i > 0) key->AssignSkin(*Fkeys[0], true);
        Fkeys.push_back(key);
    }
    InitKeyboard(false);
    SetKeySize(GlobalPrefs().KeySize());
    for (TmySkinButton* key : Fkeys) key->SetupFinished();
}

void TfrmKeyboard::InitKeyboard(bool flag)
{
    FinitFlag = flag;
    FinnerPanel->show();
    resize(510, 200);
    FinnerPanel->setGeometry(rect());
}

void TfrmKeyboard::SetKeySize(int size)
{
    FtemplateSize = size < 1 ? 1 : size;
    FfontSize = GlobalPrefs().KeySize() / 3;
    LayoutKeys();
}

void TfrmKeyboard::SetFontSize(int size)
{
    FfontSize = size;
    LayoutKeys();
}

int TfrmKeyboard::KeyboardWidth() const { return FtemplateSize * kKeyboardColumns; }
int TfrmKeyboard::KeyboardHeight() const { return FtemplateSize * kKeyboardRows; }
int TfrmKeyboard::KeyFontSize() const { return FfontSize; }

TmySkinButton* TfrmKeyboard::Key(int index) const
{
    return index >= 0 && index < int(Fkeys.size()) ? Fkeys[size_t(index)] : nullptr;
}

int TfrmKeyboard::KeyCode(int index) const
{
    if (index < 0 || index >= kKeyboardKeyCount) return -1;
    const int code = kKeyboardKeys[size_t(index)].Code;
    return FsmallLetters && IsLetterCode(code) ? code - 'A' + 'a' : code;
}

void TfrmKeyboard::SetSmallLetters(bool on)
{
    FsmallLetters = on;
    for (int i = 0; i < kKeyboardKeyCount; ++i) {
        const int code = KeyCode(i);
        if (IsLetterCode(kKeyboardKeys[size_t(i)].Code)) Fkeys[size_t(i)]->SetCaption(std::string(1, char(code)));
    }
    // The case key names the letters a touch on it gives.
    Fkeys[kCaseKeyIndex]->SetCaption(on ? "ABC" : "abc");
}

void TfrmKeyboard::LayoutKeys()
{
    const int keySize = GlobalPrefs().KeySize() > 0 ? GlobalPrefs().KeySize() : 1;
    const auto* store = static_cast<const TbitmapContainer*>(GlobalPrefs().BitmapContainer());
    const int bitmaps = store ? store->Items().Count() : 0;
    for (int i = 0; i < kKeyboardKeyCount; ++i) {
        TmySkinButton* key = Fkeys[size_t(i)];
        key->BeginUpdate();
        TFont font = Fkeys[0]->Font();
        font.Size = FfontSize > 0 ? FfontSize : 1;
        // The case key's caption is a word: a smaller font keeps it inside the key.
        if (i == kCaseKeyIndex) font.Size = std::max(1, font.Size * 3 / 4);
        key->SetFont(font);
        const QRect r = KeyboardKeyRect(i, keySize);
        if (key->geometry() != r) key->setGeometry(r);
        if (kKeyboardKeys[size_t(i)].Code == kKeyBackspace) {
            // Backspace shows the store's second bitmap as its glyph and no caption.
            key->SetShowCaption(false);
            key->SetGlyph(bitmaps > 1 ? store->Items().Items(1)->Bitmap() : QImage());
        }
        // Without a store the keys go back to their own skin.
        key->SetSkinBitmap(bitmaps > 0 ? store->Items().Items(0)->Bitmap() : QImage());
        key->EndUpdate();
    }
    FinnerPanel->setGeometry(0, 0, keySize * kKeyboardColumns, keySize * kKeyboardRows);
    FollowDock(true);
}

void TfrmKeyboard::FollowDock(bool placeForm)
{
    QWidget* area = parentWidget();
    if (!area) return;
    // The form it is docked in arranges itself around the new size first, so the keys'
    // right column and bottom row are never cut off.
    for (QWidget* w = area; w; w = w->parentWidget()) {
        if (auto* form = dynamic_cast<TkeyboardableForm*>(w)) {
            if (placeForm && form->KeyboardVisible()) form->PlaceKeyboard();
            break;
        }
    }
    setGeometry(0, area->height() - KeyboardHeight(), KeyboardWidth(), KeyboardHeight());
    FinnerPanel->setGeometry(rect());
}

bool TfrmKeyboard::DeliverKey(int code)
{
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* form = dynamic_cast<TkeyboardableForm*>(w)) {
            form->KeyPressed(code);
            return true;
        }
    }
    return false;
}

void TfrmKeyboard::DockInto(QWidget* area)
{
    hide();
    if (!area) {
        setParent(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowDoesNotAcceptFocus);
        return;
    }
    setParent(area, Qt::Widget);
    SetSmallLetters(false);
    FollowDock(false);
    show();
}

void TfrmKeyboard::keyPressEvent(QKeyEvent* e)
{
    const QString text = e->text();
    if (!text.isEmpty() && DeliverKey(text.at(0).unicode())) return;
    QWidget::keyPressEvent(e);
}

namespace {
QPointer<TfrmKeyboard>& SharedKeyboard()
{
    static QPointer<TfrmKeyboard> keyboard;
    return keyboard;
}
}  // namespace

TfrmKeyboard& Keyboard()
{
    auto& keyboard = SharedKeyboard();
    if (!keyboard) {
        keyboard = new TfrmKeyboard();
        // It lives for the whole run and goes when the application quits.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { delete SharedKeyboard().data(); });
    }
    return *keyboard;
}

TfrmKeyboard* ExistingKeyboard() { return SharedKeyboard().data(); }

void SkinKeyboard(QWidget& keyboard, TColor colorA, TColor colorB, TColor fontColor)
{
    ApplySkinToControls(keyboard, colorA, colorB, DarkenColor(colorA, 30), fontColor);
}

}  // namespace tunecrest
