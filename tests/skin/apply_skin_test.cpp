#include "skin/apply_skin.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "skin/component_owner.h"
#include "skin/skin_colors.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

// Stand-ins for the skinned controls, each applying the colours by its kind's rule and
// counting its rebuilds (one per change notification of a colour set).
class TfakeSkinPanel : public QWidget, public TskinColorTarget {
public:
    explicit TfakeSkinPanel(QWidget* parent) : QWidget(parent) { SkinColors.OnChange = [this](TObject*) { ++Rebuilds; }; }
    void ApplySkinColors(TColor button, TColor panel, TColor, TColor) override
    {
        SkinColors.BeginUpdate();
        SkinColors.SetColor1(panel);
        SkinColors.SetColor2(button);
        SkinColors.EndUpdate();
    }
    TskinColors SkinColors;
    int Rebuilds = 0;
};

class TfakeSkinButton : public QWidget, public TskinColorTarget {
public:
    explicit TfakeSkinButton(QWidget* parent) : QWidget(parent) {}
    void ApplySkinColors(TColor button, TColor panel, TColor checkedFont, TColor font) override
    {
        ++Rebuilds;  // one update bracket around all four changes
        ButtonSkinColors.SetColor1(button);
        OuterSkinColors.SetColor1(panel);
        FontColor = font;
        CheckedFontColor = checkedFont;
    }
    TskinColors ButtonSkinColors, OuterSkinColors;
    TColor FontColor = clBlack, CheckedFontColor = clBlack;
    int Rebuilds = 0;
};

constexpr TColor kButton = 0xA86D4A, kPanel = 0x754939, kChecked = 0x102030, kFont = clWhite;

TEST(ComponentOwner, CreationOrderMovesAndDeletion)
{
    test::App();
    QWidget form;
    auto* a = CreateComponent<QWidget>(&form, &form);
    auto* b = CreateComponent<QWidget>(&form, a);  // sits on a, owned by the form
    auto* c = CreateComponent<QWidget>(&form, b);
    a->setObjectName("pnlA");
    c->setObjectName("btnC");
    EXPECT_EQ(OwnedComponents(&form), (std::vector<QObject*>{a, b, c}));
    EXPECT_EQ(ComponentOwner(c), &form);
    EXPECT_EQ(FindComponent(&form, "btnC"), c);
    EXPECT_EQ(FindComponent(&form, "missing"), nullptr);
    EXPECT_TRUE(OwnedComponents(a).empty());

    // Giving b to another owner takes it off the form's list.
    QWidget other;
    InsertComponent(&other, b);
    EXPECT_EQ(OwnedComponents(&form), (std::vector<QObject*>{a, c}));
    EXPECT_EQ(ComponentOwner(b), &other);
    RemoveComponent(&form, b);  // not the form's: nothing happens
    EXPECT_EQ(ComponentOwner(b), &other);
    RemoveComponent(&other, b);
    EXPECT_EQ(ComponentOwner(b), nullptr);
    EXPECT_EQ(ComponentCount(&other), 0);

    // A component deleted by its Qt parent drops out of the list.
    delete c;
    EXPECT_EQ(OwnedComponents(&form), (std::vector<QObject*>{a}));
    // Owning itself is refused; a null component is ignored.
    InsertComponent(a, a);
    InsertComponent(&form, nullptr);
    EXPECT_EQ(ComponentOwner(a), &form);
}

TEST(ApplySkinToControls, FormReachesEverythingItOwnsAtAnyDepth)
{
    test::App();
    QWidget form;
    auto* panel = CreateComponent<TfakeSkinPanel>(&form, &form);
    auto* inner = CreateComponent<QWidget>(&form, panel);
    auto* ok = CreateComponent<TfakeSkinButton>(&form, inner);
    auto* cancel = CreateComponent<TfakeSkinButton>(&form, panel);
    // A keyboard docked into the form, owned by something else.
    QObject keyboardOwner;
    auto* keyboardKey = CreateComponent<TfakeSkinButton>(&keyboardOwner, panel);
    // A button sitting on the form that nobody owns.
    auto* stray = new TfakeSkinButton(&form);

    ApplySkinToControls(form, kButton, kPanel, kChecked, kFont);
    EXPECT_EQ(FormColor(form), kPanel);
    EXPECT_TRUE(form.autoFillBackground());
    EXPECT_EQ(panel->SkinColors.Color1(), kPanel);
    EXPECT_EQ(panel->SkinColors.Color2(), kButton);
    EXPECT_EQ(panel->Rebuilds, 1);
    for (TfakeSkinButton* b : {ok, cancel}) {
        EXPECT_EQ(b->ButtonSkinColors.Color1(), kButton);
        EXPECT_EQ(b->OuterSkinColors.Color1(), kPanel);
        EXPECT_EQ(b->FontColor, kFont);
        EXPECT_EQ(b->CheckedFontColor, kChecked);
        EXPECT_EQ(b->Rebuilds, 1);
    }
    EXPECT_EQ(keyboardKey->Rebuilds, 0);
    EXPECT_EQ(keyboardKey->ButtonSkinColors.Color1(), clGray);
    EXPECT_EQ(stray->Rebuilds, 0);
}

TEST(ApplySkinToControls, PanelChangesOnlyWhatThePanelOwns)
{
    test::App();
    QWidget form;
    SetFormColor(form, clSilver);
    auto* panel = CreateComponent<TfakeSkinPanel>(&form, &form);
    auto* ok = CreateComponent<TfakeSkinButton>(&form, panel);
    ApplySkinToControls(*panel, kButton, kPanel, kChecked, kFont);
    EXPECT_EQ(FormColor(form), clSilver);
    EXPECT_EQ(panel->Rebuilds, 0);
    EXPECT_EQ(panel->SkinColors.Color1(), clGray);
    EXPECT_EQ(ok->Rebuilds, 0);
    EXPECT_FALSE(panel->autoFillBackground());  // a panel is no form: its own colour stays

    // A button the panel owns is reached.
    auto* owned = CreateComponent<TfakeSkinButton>(panel, panel);
    ApplySkinToControls(*panel, kButton, kPanel, kChecked, kFont);
    EXPECT_EQ(owned->Rebuilds, 1);
    EXPECT_EQ(ok->Rebuilds, 0);
}

}  // namespace
}  // namespace tunecrest
