// The skinned buttons of a plain dialog read as what they are: an enabled button looks
// the same with or without the focus (the last one tapped keeps it), and a disabled one
// is faded, never drawn like one that can be pressed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "skin/skin_button.h"
#include "support/test_application.h"
#include "windows/dialogs/dialog_form.h"

namespace tunecrest {
namespace {

QImage Look(TmySkinButton& button) { return button.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The spread of lightness over the button: its caption against its face.
int Contrast(const QImage& image)
{
    int lightest = 0, darkest = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int l = image.pixelColor(x, y).lightness();
            lightest = std::max(lightest, l);
            darkest = std::min(darkest, l);
        }
    return lightest - darkest;
}

TEST(SkinnedButtonStates, FocusDoesNotChangeTheLookAndDisabledButtonsAreFaded)
{
    test::App();
    TfrmPlainDialog dialog("Buttons");
    TmySkinButton* focused = dialog.AddButton("btnOne", "Same");
    TmySkinButton* plain = dialog.AddButton("btnTwo", "Same");
    TmySkinButton* disabled = dialog.AddButton("btnThree", "Same");
    dialog.resize(600, 300);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    disabled->setEnabled(false);
    QTest::mouseClick(focused, Qt::LeftButton, {}, focused->rect().center());
    focused->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(focused->size(), plain->size());
    ASSERT_EQ(plain->size(), disabled->size());
    EXPECT_TRUE(focused->hasFocus());
    EXPECT_EQ(Look(*focused), Look(*plain)) << "the focused button's caption is drawn in another colour";
    EXPECT_NE(Look(*disabled), Look(*plain)) << "a disabled button looks like an enabled one";
    EXPECT_LT(Contrast(Look(*disabled)), Contrast(Look(*plain)));
    // Enabled again, it looks like the others.
    disabled->setEnabled(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(Look(*disabled), Look(*plain));
}

}  // namespace
}  // namespace tunecrest
