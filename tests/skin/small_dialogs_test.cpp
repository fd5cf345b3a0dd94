#include "skin/small_dialogs.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QFontMetrics>
#include <cmath>
#include <QTest>

#include "core/jukebox/global_prefs.h"
#include "skin/screen_fonts.h"
#include "skin/skin_scroll_bar.h"
#include "skin/skin_button.h"
#include "skin/html_label.h"
#include "skin/html_text.h"
#include "skin/touch_list_box.h"
#include "support/manual_timers.h"
#include "support/scripted_modal_runner.h"
#include "support/test_application.h"
#include "support/user_input.h"

namespace tunecrest {
namespace {

using test::TscriptedModalRunner;

void Press(TmySkinButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center()); }

template <typename T>
T& As(QDialog& dialog)
{
    auto* form = dynamic_cast<T*>(&dialog);
    if (!form) throw std::runtime_error("unexpected dialog");
    return *form;
}

TEST(SmallDialogs, OkCancelAnswersByButtonsAndKeys)
{
    test::App();
    auto runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope(runner);
    runner->Push([](QDialog& d) { Press(As<TfrmSkinnedOKCancel>(d).btnOK); });
    runner->Push([](QDialog& d) { Press(As<TfrmSkinnedOKCancel>(d).btnCancel); });
    runner->Push([](QDialog& d) { test::PressKey(d, Qt::Key_Return); });
    runner->Push([](QDialog& d) { test::PressKey(d, Qt::Key_Escape); });
    EXPECT_EQ(ShowOKCancel(nullptr, "Clear the queue?"), 1);
    EXPECT_EQ(ShowOKCancel(nullptr, "Clear the queue?"), 2);
    EXPECT_EQ(ShowOKCancel(nullptr, "Clear the queue?"), 1);
    EXPECT_EQ(ShowOKCancel(nullptr, "Clear the queue?"), 2);
    EXPECT_EQ(runner->Pending(), 0);
}

TEST(SmallDialogs, OkCancelLayoutTemplateAndIcon)
{
    test::App();
    {
        TfrmSkinnedOKCancel form;
        form.SetText("Remove the playlist?");
        EXPECT_EQ(form.size(), QSize(240, 140));
        EXPECT_EQ(form.btnOK->x(), 116 - form.btnOK->width());
        EXPECT_EQ(form.btnCancel->x(), 240 - 116);
        EXPECT_EQ(form.btnOK->y(), 140 - form.btnOK->height() - 8);
        EXPECT_EQ(form.btnCancel->y(), form.btnOK->y());
        // Without a template the designed font stays and the shadows show, one pixel off.
        for (QLabel* shadow : form.lblCaptionShadow) {
            EXPECT_FALSE(shadow->isHidden());
            EXPECT_EQ(shadow->text(), "Remove the playlist?");
            const QPoint d = shadow->pos() - form.lblCaption->pos();
            EXPECT_EQ(std::abs(d.x()) + std::abs(d.y()), 2);
        }
        EXPECT_EQ(form.lblCaptionShadow[0]->pos() - form.lblCaption->pos(), QPoint(-1, -1));
        EXPECT_EQ(form.lblCaptionShadow[3]->pos() - form.lblCaption->pos(), QPoint(1, 1));

        QImage small(32, 32, QImage::Format_RGB32);
        small.fill(Qt::red);
        form.SetIcon(small);
        EXPECT_EQ(form.size(), QSize(240, 140));
        QImage big(48, 40, QImage::Format_RGB32);
        big.fill(Qt::red);
        form.SetIcon(big);
        EXPECT_EQ(form.size(), QSize(288, 140));
        EXPECT_EQ(form.imgIcon->geometry(), QRect(4, 50, 48, 40));
        EXPECT_EQ(form.btnOK->x(), 116 - form.btnOK->width() + 48);
        EXPECT_EQ(form.btnCancel->x(), 288 - 116);
    }
    {
        TmySkinButton templateButton;
        templateButton.SetFont(TFont{"Arial", clBlack, 21, true});
        TfrmSkinnedOKCancel form;
        form.UseTemplate(templateButton);
        // The captions shrink to fit their buttons; the text takes the template's font.
        EXPECT_LT(form.btnCancel->Font().Size, 21);
        EXPECT_EQ(form.btnCancel->Font().Name, "Arial");
        EXPECT_EQ(form.lblCaption->font(), ScreenFont(templateButton.Font()));
        for (QLabel* shadow : form.lblCaptionShadow) {
            EXPECT_TRUE(shadow->isHidden());
            EXPECT_EQ(shadow->palette().color(QPalette::WindowText), QColor(Qt::black));
        }
    }
}

TEST(SmallDialogs, MessageHasOnlyOk)
{
    test::App();
    auto runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope(runner);
    runner->Push([](QDialog& d) {
        auto& form = As<TfrmSkinnedOKCancel>(d);
        EXPECT_TRUE(form.btnCancel->isHidden());
        EXPECT_EQ(form.btnOK->geometry().center().x(), form.rect().center().x());
        EXPECT_EQ(form.windowTitle(), "Error");
        Press(form.btnOK);
    });
    ShowSkinnedMessage("Cannot load the cartridge", "Error");
    EXPECT_EQ(runner->Pending(), 0);
}

TEST(SmallDialogs, StatusMessageClosesOnItsTimer)
{
    test::App();
    test::TmanualTimers timers;
    TfrmStatusMessage status;
    QWidget where;
    where.move(120, 80);
    where.show();
    status.ShowMessage(where.mapToGlobal(QPoint(0, 0)), "Queue saved", 1500);
    EXPECT_TRUE(status.isVisible());
    EXPECT_EQ(status.pos(), where.mapToGlobal(QPoint(0, 0)));
    EXPECT_EQ(status.width(), status.lblMessage->width() + 10);
    EXPECT_EQ(status.lblMessage->Caption(), "Queue saved");
    EXPECT_EQ(status.Timer().Interval(), 1500);
    timers.Advance(1499);
    EXPECT_TRUE(status.isVisible());
    timers.Advance(1);
    EXPECT_FALSE(status.isVisible());
    EXPECT_FALSE(status.Timer().IsActive());

    // A new message restarts the time.
    status.ShowMessage(QPoint(0, 0), "One", 1000);
    timers.Advance(900);
    status.ShowMessage(QPoint(0, 0), "Two", 1000);
    timers.Advance(900);
    EXPECT_TRUE(status.isVisible());
    EXPECT_EQ(status.Text(), "Two");
    timers.Advance(100);
    EXPECT_FALSE(status.isVisible());
}

TEST(SmallDialogs, SelectStringLayout)
{
    const QSize screen(1280, 800);
    TselectStringLayout three = LayoutSelectString(3, 40, 40, true, 48, true, 100, 100, 360, screen);
    EXPECT_EQ(three.RowsShown, 3);
    EXPECT_FALSE(three.ScrollBarVisible);
    EXPECT_EQ(three.Height, 40 + 120 + 8 + 48);
    TselectStringLayout ten = LayoutSelectString(10, 40, 40, false, 48, false, 100, 100, 360, screen);
    EXPECT_EQ(ten.RowsShown, 6);
    EXPECT_TRUE(ten.ScrollBarVisible);
    EXPECT_EQ(ten.Height, 240 + 8);
    EXPECT_EQ(LayoutSelectString(0, 40, 40, false, 48, false, 0, 0, 360, screen).RowsShown, 1);
    // Kept on the screen.
    TselectStringLayout right = LayoutSelectString(3, 40, 40, true, 48, true, 1100, 700, 360, screen);
    EXPECT_EQ(right.Left, 1280 - 360);
    EXPECT_EQ(right.Top, 800 - right.Height);
    TselectStringLayout unplaced = LayoutSelectString(3, 40, 40, true, 48, true, -1, -1, 360, screen);
    EXPECT_EQ(unplaced.Left, (1280 - 360) / 2);
    EXPECT_EQ(unplaced.Top, (800 - unplaced.Height) / 2);
}

TEST(SmallDialogs, SelectStringPicksSortedStrings)
{
    test::App();
    auto runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope(runner);
    const std::vector<std::string> zones{"Patio", "Bar", "Lounge"};
    std::string result;
    bool ok = true;

    // Null strings: nothing shows, the default comes back.
    SelectString(nullptr, "Zones", "Bar", result, ok);
    EXPECT_EQ(result, "Bar");
    EXPECT_FALSE(ok);

    runner->Push([](QDialog& d) {
        auto& form = As<TfrmSkinnedSelectString>(d);
        EXPECT_EQ(form.Strings(), (std::vector<std::string>{"Bar", "Lounge", "Patio"}));
        EXPECT_EQ(form.lbStringList->Count(), 3);
        EXPECT_TRUE(form.sbarStringList->isHidden());
        EXPECT_EQ(form.lblSelectZone->text(), "Zones");
        EXPECT_EQ(form.lbStringList->SelectedCount(), 0);  // default not listed
        Press(form.btnCancel);
    });
    SelectString(&zones, "Zones", "Garden", result, ok);
    EXPECT_EQ(result, "Garden");
    EXPECT_FALSE(ok);

    runner->Push([](QDialog& d) {
        auto& form = As<TfrmSkinnedSelectString>(d);
        EXPECT_EQ(form.lbStringList->ItemIndex(), 1);
        EXPECT_TRUE(form.lbStringList->Selected(1));  // "Lounge" is selected
        form.lbStringList->SetItemIndex(2);
        Press(form.btnOK);
    });
    SelectString(&zones, "Zones", "Lounge", result, ok);
    EXPECT_EQ(result, "Patio");
    EXPECT_TRUE(ok);

    // Without the bottom strip a single touch on a row picks it.
    runner->Push([](QDialog& d) {
        auto& form = As<TfrmSkinnedSelectString>(d);
        EXPECT_TRUE(form.pnlButtonsBottom->isHidden());
        TtouchListBox* list = form.lbStringList;
        QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(30, list->ItemHeight() / 2));
    });
    SelectString2(&zones, "Zones", "Patio", result, false, true);
    EXPECT_EQ(result, "Bar");

    // Escape cancels, also once a touch gave the list the focus
    // (needs the touch list to pass on keys it does not use; its ListKey once kept every key).
    runner->Push([](QDialog& d) {
        auto& form = As<TfrmSkinnedSelectString>(d);
        test::TapRow(*form.lbStringList, 2);
        ASSERT_EQ(form.lbStringList->ItemIndex(), 2);
        test::PressKey(d, Qt::Key_Escape);
    });
    SelectString(&zones, "Zones", "Bar", result, ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(result, "Bar");

    // A touch on the top strip cancels.
    runner->Push([](QDialog& d) {
        auto& form = As<TfrmSkinnedSelectString>(d);
        QTest::mouseClick(form.lblSelectZone, Qt::LeftButton);
    });
    SelectString(&zones, "Zones", "Patio", result, ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(result, "Patio");
    EXPECT_EQ(runner->Pending(), 0);
}

// The exit question's long entry shows whole: the picker is as wide as its widest row.
TEST(SmallDialogs, SelectStringShowsEveryEntryWhole)
{
    test::App();
    auto runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope(runner);
    const std::vector<std::string> items{"Exit Tunecrest Audio System Professional", "Shut Down the computer"};
    runner->Push([&](QDialog& d) {
        auto& form = As<TfrmSkinnedSelectString>(d);
        TtouchListBox* list = form.lbStringList;
        for (const std::string& item : items) {
            const int needed = MeasureHTMLText(item, BoldArial(14)).width();
            EXPECT_LE(20 + needed + 4, list->width()) << item;
        }
        EXPECT_LE(list->geometry().right(), form.width());
        EXPECT_LE(form.width(), QGuiApplication::primaryScreen()->size().width());
        Press(form.btnOK);
    });
    std::string result;
    bool ok = false;
    SelectString(&items, "What do you want to do?", items[0], result, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(result, items[0]);
}

TEST(SmallDialogs, SelectStringShowsSixRowsAndTheBarForTen)
{
    test::App();
    TfrmSkinnedSelectString form;
    std::vector<std::string> ten;
    for (int i = 9; i >= 0; --i) ten.push_back("Zone " + std::to_string(i));
    form.SetStrings(ten, "Zone 7");
    form.Arrange(true, true, 10, 10);
    EXPECT_EQ(form.lbStringList->height(), 6 * form.lbStringList->ItemHeight());
    EXPECT_FALSE(form.sbarStringList->isHidden());
    EXPECT_EQ(form.sbarStringList->Max(), 4);
    EXPECT_EQ(form.Selected(), "Zone 7");
    form.sbarStringList->SetPosition(3);  // the bar scrolls the list
    EXPECT_EQ(form.lbStringList->TopIndex(), 3);
}

// With the preferences' resources the list wears the skinned bar of the template and the
// font store's first font and colours.
TEST(SmallDialogs, SelectStringTakesTheTemplateBarAndTheFontStore)
{
    test::App();
    TmySkinScrollBar templateBar;
    QImage barSkin(30, 90, QImage::Format_RGB32);
    barSkin.fill(QColor(128, 128, 128));
    templateBar.SetSkinBitmap(barSkin);
    templateBar.setFixedWidth(52);
    TfontContainer fonts;
    TfontItem& font = fonts.Items().Add();
    TFont big;
    big.Name = "Arial";
    big.Size = 28;
    big.Color = clWhite;
    font.SetFont(big);
    for (TColor c : {TColor(0x102030), TColor(0), TColor(0), TColor(0x00FFFF), TColor(0x0000FF)}) fonts.Colors().Add().color = c;
    TglobalPrefs& prefs = GlobalPrefs();
    TmySkinScrollBar* oldBar = prefs.SkinScrollBar();
    TfontContainer* oldFonts = prefs.FontContainer();
    prefs.SetSkinScrollBar(&templateBar);
    prefs.SetFontContainer(&fonts);

    auto runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope(runner);
    std::vector<std::string> ten;
    for (int i = 0; i < 10; ++i) ten.push_back("Zone " + std::to_string(i));
    runner->Push([&](QDialog& d) {
        auto& form = As<TfrmSkinnedSelectString>(d);
        const int yy = QFontMetrics(ScreenFont(big)).boundingRect("Yy").height();
        EXPECT_EQ(form.lbStringList->ItemHeight(), std::max(48, int(std::lround(yy * 1.2))));
        EXPECT_EQ(form.sbarStringList->SkinBitmap().size(), barSkin.size());
        EXPECT_EQ(form.sbarStringList->width(), 52);
        EXPECT_FALSE(form.sbarStringList->isHidden());
        EXPECT_TRUE(form.lbStringList->Selected(0));
        EXPECT_EQ(form.lbStringList->TopIndex(), 0);
        const QImage shot = form.lbStringList->grab().toImage();
        const int row = form.lbStringList->ItemHeight();
        EXPECT_EQ(shot.pixelColor(4, row / 2), QColor(0xFF, 0x00, 0x00)) << "the selected row in colour 4";
        EXPECT_EQ(shot.pixelColor(4, row + row / 2), QColor(0x30, 0x20, 0x10)) << "rows in colour 0";
        Press(form.btnOK);
    });
    std::string result;
    bool ok = false;
    SelectString(&ten, "Zones", "Zone 0", result, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(result, "Zone 0");
    prefs.SetSkinScrollBar(oldBar);
    prefs.SetFontContainer(oldFonts);
}

TEST(SmallDialogs, DialogPropertiesKeepTheirOwnCopies)
{
    test::App();
    TmyDialogProperties properties;
    EXPECT_EQ(properties.Height, 307);
    EXPECT_EQ(properties.Width, 460);
    QImage logo(4, 4, QImage::Format_RGB32);
    logo.fill(Qt::red);
    properties.SetLogo(logo);
    logo.fill(Qt::blue);
    EXPECT_EQ(properties.Logo().pixel(0, 0), qRgb(255, 0, 0));
}

}  // namespace
}  // namespace tunecrest

namespace tunecrest {
namespace {

// The skin's caption colour is made for the button face; on the panel a dark caption on a
// dark panel would vanish, so the headings fall back to white (or black on a light one).
TEST(SmallDialogs, HeadingsStayReadableOnThePanel)
{
    test::App();
    const TformSkinColors saved = FormSkinColors();
    TfrmStatusMessage status;
    status.setAttribute(Qt::WA_DontShowOnScreen, true);
    SetFormSkinColors({0x3090E0, 0x202020, 0x101010});
    status.ShowMessage(QPoint(0, 0), "Saved", 1000);
    EXPECT_EQ(status.lblMessage->LabelFont().Color, clWhite);
    {
        TfrmSkinnedSelectString form;
        EXPECT_EQ(form.lblSelectZone->palette().color(QPalette::WindowText), QColor(Qt::white));
    }
    SetFormSkinColors({0x3090E0, 0xF0F0F0, 0xE8E8E8});
    status.ShowMessage(QPoint(0, 0), "Saved", 1000);
    EXPECT_EQ(status.lblMessage->LabelFont().Color, clBlack);
    SetFormSkinColors({0x3090E0, 0x202020, 0xE0E0E0});  // a caption colour that reads stays
    status.ShowMessage(QPoint(0, 0), "Saved", 1000);
    EXPECT_EQ(status.lblMessage->LabelFont().Color, TColor(0xE0E0E0));
    status.hide();
    SetFormSkinColors(saved);
}

}  // namespace
}  // namespace tunecrest
