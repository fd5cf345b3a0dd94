#include "skin/keyboard.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "core/jukebox/global_prefs.h"
#include "skin/bitmap_container.h"
#include "skin/skin_button.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

// A keyboard-aware form with an edit and a keyboard area below it; key presses go to its
// focused edit.
class TtypingForm : public TkeyboardableForm {
public:
    explicit TtypingForm(QWidget* parent = nullptr) : TkeyboardableForm(parent)
    {
        if (parent) setWindowFlags(Qt::Widget);
        resize(640, 420);
        Edit = new QLineEdit(this);
        Edit->setGeometry(10, 10, 300, 40);
        Area = new QWidget(this);
        Area->setGeometry(0, 110, 640, 310);
    }
    void PlaceKeyboard() override {}
    void ShowKeyboard(bool visible) override { Keyboard().DockInto(visible ? Area : nullptr); }
    void KeyPressed(int key) override
    {
        Keys.push_back(key);
        if (auto* edit = qobject_cast<QLineEdit*>(focusWidget())) ApplyKeyToEdit(*edit, key);
    }
    QLineEdit* Edit;
    QWidget* Area;
    std::vector<int> Keys;
};

int KeyIndex(int code)
{
    for (int i = 0; i < kKeyboardKeyCount; ++i)
        if (kKeyboardKeys[size_t(i)].Code == code) return i;
    return -1;
}

void Touch(int code)
{
    TmySkinButton* key = Keyboard().Key(KeyIndex(code));
    ASSERT_NE(key, nullptr);
    QTest::mouseClick(key, Qt::LeftButton, {}, key->rect().center());
}

void ShowFocused(QWidget& form, QWidget& edit)
{
    form.show();
    form.activateWindow();
    edit.setFocus();
    QCoreApplication::processEvents();
}

TEST(Keyboard, KeyTableAndGeometry)
{
    test::App();
    ASSERT_EQ(kKeyboardKeys.size(), 54u);
    EXPECT_STREQ(kKeyboardKeys[5].Caption, "&&");
    EXPECT_EQ(kKeyboardKeys[5].Code, 38);
    EXPECT_EQ(kKeyboardKeys[19].Code, '0');
    EXPECT_EQ(kKeyboardKeys[39].Code, kKeyBackspace);
    EXPECT_EQ(kKeyboardKeys[47].Code, kKeySpace);
    EXPECT_EQ(kKeyboardKeys[48].Code, kKeyClear);
    EXPECT_EQ(KeyboardKeyRect(0, 60), QRect(0, 0, 60, 60));
    EXPECT_EQ(KeyboardKeyRect(23, 60), QRect(180, 120, 60, 60));
    EXPECT_EQ(KeyboardKeyRect(46, 60), QRect(360, 240, 60, 60));
    EXPECT_EQ(KeyboardKeyRect(47, 60), QRect(420, 240, 120, 60));  // Space: two keys wide
    EXPECT_EQ(KeyboardKeyRect(53, 60), QRect(540, 240, 60, 60));   // the case key
    EXPECT_EQ(KeyboardKeyRect(48, 60), QRect(600, 240, 60, 60));   // Clr: last column
    EXPECT_EQ(KeyboardKeyRect(49, 60), QRect(600, 0, 60, 60));     // ":" above it
    EXPECT_EQ(KeyboardKeyRect(52, 60), QRect(600, 180, 60, 60));   // "_"
    EXPECT_TRUE(KeyboardKeyRect(54, 60).isNull());
    // No two keys overlap, and together they fill the eleven by five grid.
    int area = 0;
    for (int i = 0; i < kKeyboardKeyCount; ++i) {
        area += KeyboardKeyRect(i, 10).width() * KeyboardKeyRect(i, 10).height();
        for (int j = i + 1; j < kKeyboardKeyCount; ++j)
            EXPECT_FALSE(KeyboardKeyRect(i, 10).intersects(KeyboardKeyRect(j, 10))) << i << " " << j;
    }
    EXPECT_EQ(area, 110 * 50);

    GlobalPrefs().SetKeySize(60);
    Keyboard().SetKeySize(60);
    EXPECT_EQ(Keyboard().KeyboardWidth(), 660);
    EXPECT_EQ(Keyboard().KeyboardHeight(), 300);
    EXPECT_EQ(Keyboard().KeyFontSize(), 20);
    EXPECT_EQ(Keyboard().Key(47)->geometry(), QRect(420, 240, 120, 60));
    for (int i = 0; i < kKeyboardKeyCount; ++i) EXPECT_EQ(Keyboard().Key(i)->focusPolicy(), Qt::NoFocus) << i;
    EXPECT_EQ(Keyboard().focusPolicy(), Qt::NoFocus);
}

TEST(Keyboard, TypesIntoTheFocusedEditAndKeysNeverTakeFocus)
{
    test::App();
    TtypingForm form;
    form.SetKeyboardVisible(true);
    ShowFocused(form, *form.Edit);
    ASSERT_TRUE(form.isAncestorOf(&Keyboard()));
    for (int code : std::vector<int>{'T', 'U', 'N', 'E', kKeyBackspace, kKeySpace, '!', '&'}) Touch(code);
    EXPECT_EQ(form.Edit->text().toStdString(), "TUN !&");
    EXPECT_EQ(form.focusWidget(), form.Edit);  // the keys left the focus where it was
    EXPECT_EQ(form.Edit->cursorPosition(), form.Edit->text().size());
    Touch(kKeyClear);
    EXPECT_EQ(form.Edit->text(), "");
    EXPECT_EQ(form.Keys, (std::vector<int>{'T', 'U', 'N', 'E', 8, 32, '!', '&', 0}));
}

TEST(Keyboard, SmallLettersAndThePunctuationOfAddressesAndFileNames)
{
    test::App();
    TtypingForm form;
    form.SetKeyboardVisible(true);
    ShowFocused(form, *form.Edit);
    EXPECT_FALSE(Keyboard().SmallLetters());  // capitals each time it docks
    TmySkinButton* caseKey = Keyboard().Key(kCaseKeyIndex);
    EXPECT_EQ(caseKey->Caption(), "abc");
    QTest::mouseClick(caseKey, Qt::LeftButton, {}, caseKey->rect().center());
    EXPECT_TRUE(Keyboard().SmallLetters());
    EXPECT_EQ(caseKey->Caption(), "ABC");
    EXPECT_EQ(Keyboard().Key(KeyIndex('Q'))->Caption(), "q");
    // The case key itself types nothing and leaves the focus in the edit.
    EXPECT_TRUE(form.Keys.empty());
    EXPECT_EQ(form.focusWidget(), form.Edit);
    for (int code : std::vector<int>{'H', 'T', 'T', 'P', ':', '/', '/', 'R', '-', 'A', '_', '1', '.', 'F', 'M'})
        Touch(code);
    EXPECT_EQ(form.Edit->text().toStdString(), "http://r-a_1.fm");
    QTest::mouseClick(caseKey, Qt::LeftButton, {}, caseKey->rect().center());
    Touch('A');
    EXPECT_EQ(form.Edit->text().toStdString(), "http://r-a_1.fmA");
    // Small letters on, then docked into another form: capitals again.
    QTest::mouseClick(caseKey, Qt::LeftButton, {}, caseKey->rect().center());
    TtypingForm next;
    next.SetKeyboardVisible(true);
    EXPECT_FALSE(Keyboard().SmallLetters());
    EXPECT_EQ(Keyboard().Key(KeyIndex('Q'))->Caption(), "Q");
    next.SetKeyboardVisible(false);
}

TEST(Keyboard, DeliversToTheNearestOfTwoNestedForms)
{
    test::App();
    TtypingForm outer;
    auto* inner = new TtypingForm(&outer);
    inner->setGeometry(0, 0, 640, 420);
    outer.show();
    inner->show();

    inner->SetKeyboardVisible(true);
    inner->Edit->setFocus();
    QCoreApplication::processEvents();
    Touch('A');
    EXPECT_EQ(inner->Keys, (std::vector<int>{'A'}));
    EXPECT_TRUE(outer.Keys.empty());

    outer.SetKeyboardVisible(true);  // now docked in the outer form's own area
    Touch('B');
    EXPECT_EQ(outer.Keys, (std::vector<int>{'B'}));
    EXPECT_EQ(inner->Keys, (std::vector<int>{'A'}));
    Keyboard().DockInto(nullptr);
}

TEST(Keyboard, SurvivesDockingInAndOutOfThreeFormsInTurn)
{
    test::App();
    for (int round = 0; round < 3; ++round) {
        {
            TtypingForm form;
            form.SetKeyboardVisible(true);
            ShowFocused(form, *form.Edit);
            Touch('1' + round);
            EXPECT_EQ(form.Edit->text().toStdString(), std::string(1, char('1' + round)));
        }  // the form goes with the keyboard still docked in it
        ASSERT_NE(ExistingKeyboard(), nullptr) << "round " << round;
        EXPECT_EQ(Keyboard().parentWidget(), nullptr);
        EXPECT_FALSE(Keyboard().isVisible());
    }
    // A form that never took it leaves it where it is.
    TtypingForm holder;
    holder.SetKeyboardVisible(true);
    { TtypingForm other; }
    EXPECT_TRUE(holder.isAncestorOf(&Keyboard()));
    holder.SetKeyboardVisible(false);
}

// A form that sizes its keyboard area from the keyboard's size, as the touch dialogs do.
class TsizingForm : public TtypingForm {
public:
    void PlaceKeyboard() override
    {
        ++Placed;
        resize(Keyboard().KeyboardWidth(), 110 + Keyboard().KeyboardHeight());
        Area->setGeometry(0, 110, width(), Keyboard().KeyboardHeight());
    }
    void ShowKeyboard(bool visible) override { ShowKeyboardIn(*this, *Area, visible); }
    int Placed = 0;
};

// A new key size while the keyboard is docked: the form is placed again and the keyboard
// takes its new size, so no column or row is cut off.
TEST(Keyboard, DockedKeyboardAndItsFormFollowANewKeySize)
{
    test::App();
    const int before = GlobalPrefs().KeySize();
    GlobalPrefs().SetKeySize(50);
    Keyboard().SetKeySize(50);
    {
        TsizingForm form;
        form.SetKeyboardVisible(true);
        EXPECT_EQ(Keyboard().geometry(), QRect(0, 0, 550, 250));
        const int placed = form.Placed;
        GlobalPrefs().SetKeySize(64);
        Keyboard().SetKeySize(64);
        EXPECT_GT(form.Placed, placed);
        EXPECT_EQ(form.size(), QSize(704, 110 + 320));
        EXPECT_EQ(Keyboard().geometry(), QRect(0, 0, 704, 320));
        TmySkinButton* clear = Keyboard().Key(48);
        EXPECT_EQ(clear->geometry(), QRect(640, 256, 64, 64));
        EXPECT_TRUE(Keyboard().rect().contains(clear->geometry().bottomRight()));
        // Laid out again by a new skin, with the form hidden: no form placing, same size.
        form.SetKeyboardVisible(false);
        const int hidden = form.Placed;
        Keyboard().LayoutKeys();
        EXPECT_EQ(form.Placed, hidden);
    }
    GlobalPrefs().SetKeySize(before);
    Keyboard().SetKeySize(before);
}

TEST(Keyboard, KeyWithoutKeyboardAwareParentDoesNothing)
{
    test::App();
    Keyboard().DockInto(nullptr);
    EXPECT_FALSE(Keyboard().DeliverKey('A'));
    QWidget plain;
    Keyboard().DockInto(&plain);
    EXPECT_FALSE(Keyboard().DeliverKey('A'));
    Keyboard().DockInto(nullptr);
}

TEST(Keyboard, CaptionsShowOneAmpersandAndTheDefaultSkinAnswersOnItsFaceOnly)
{
    test::App();
    EXPECT_EQ(KeyCaption("&&"), "&");
    EXPECT_EQ(KeyCaption("&&&&"), "&&");
    EXPECT_EQ(KeyCaption("Clr"), "Clr");
    EXPECT_EQ(KeyCaption(nullptr), "");
    EXPECT_EQ(Keyboard().Key(5)->Caption(), "&");
    for (int i = 0; i < kKeyboardKeyCount; ++i) {
        EXPECT_TRUE(Keyboard().Key(i)->IsSetUp()) << i;
        EXPECT_EQ(Keyboard().Key(i)->DefaultSkinBitmap().cacheKey(), DefaultKeySkin().cacheKey()) << i;
    }

    // Three square frames; a stretched key built from them is pressed on its rounded
    // face, not on the corners outside it.
    ASSERT_EQ(DefaultKeySkin().width(), 3 * DefaultKeySkin().height());
    TmySkinButton key;
    key.SetDefaultSkinBitmap(DefaultKeySkin());
    key.SetIsStretchButton(true);
    key.SetWantFocus(false);
    key.resize(120, 60);
    key.SetupFinished();
    key.show();
    EXPECT_TRUE(key.IsPointInButton(QPoint(60, 30)));
    EXPECT_TRUE(key.IsPointInButton(QPoint(3, 30)));
    EXPECT_FALSE(key.IsPointInButton(QPoint(1, 1)));
    EXPECT_FALSE(key.IsPointInButton(QPoint(119, 59)));
    int clicks = 0;
    key.OnClick = [&](TObject*) { ++clicks; };
    QTest::mouseClick(&key, Qt::LeftButton, {}, QPoint(1, 1));  // (0, 0) means "the centre"
    QTest::mouseClick(&key, Qt::LeftButton, {}, QPoint(60, 30));
    EXPECT_EQ(clicks, 1);
}

TEST(Keyboard, BackspaceGlyphComesFromTheSecondBitmapOfTheStore)
{
    test::App();
    TbitmapContainer store;
    QImage skin(30, 10, QImage::Format_BGR888);
    skin.fill(Qt::gray);
    store.Items().Add()->SetBitmap(skin);
    GlobalPrefs().SetBitmapContainer(&store);
    Keyboard().LayoutKeys();
    TmySkinButton* backspace = Keyboard().Key(39);
    EXPECT_TRUE(backspace->Glyph().isNull());  // no second bitmap: neither glyph nor caption
    EXPECT_FALSE(backspace->SkinBitmap().isNull());

    QImage arrow(16, 16, QImage::Format_BGR888);
    arrow.fill(Qt::white);
    store.Items().Add()->SetBitmap(arrow);
    Keyboard().LayoutKeys();
    EXPECT_EQ(backspace->Glyph().size(), QSize(16, 16));
    EXPECT_TRUE(Keyboard().Key(40)->Glyph().isNull());
    GlobalPrefs().SetBitmapContainer(nullptr);
    Keyboard().LayoutKeys();
    EXPECT_TRUE(backspace->SkinBitmap().isNull());  // back to the keys' own skin
}

}  // namespace
}  // namespace tunecrest
