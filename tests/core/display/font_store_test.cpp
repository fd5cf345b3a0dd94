#include "core/display/font_store.h"

#include <gtest/gtest.h>

#include "core/base/ini_file.h"

using namespace tunecrest;

TEST(FontTag, ByteExactWithStyleTags) {
    TFont font;
    font.Name = "Arial";
    font.Color = clRed;
    font.Size = 12;
    font.Bold = true;
    EXPECT_EQ(FontToHTMLTag(font), "<font name=\"Arial\" color=#FF0000 size=12><b></u>");
    font.Bold = false;
    font.Underline = true;
    font.Italic = true;  // not part of the tag
    EXPECT_EQ(FontToHTMLTag(font), "<font name=\"Arial\" color=#FF0000 size=12></b><u>");
    font.Name = "Courier New";
    font.Color = clBtnFace;
    font.Size = 9;
    font.Underline = false;
    EXPECT_EQ(FontToHTMLTag(font), "<font name=\"Courier New\" color=#F0F0F0 size=9></b></u>");

    TfontItem item;
    item.SetFont(font);
    EXPECT_EQ(item.HTMLTag(), FontToHTMLTag(font));
}

TEST(FontStore, LookupsFoldCaseAndIndexesClamp) {
    TfontCollection fonts;
    EXPECT_EQ(fonts.Items(0), nullptr);
    EXPECT_EQ(fonts.FindByMask("FTI"), nullptr);
    TFont def;
    EXPECT_EQ(fonts.GetFontByMask("FTI", &def), &def);

    TfontItem& title = fonts.Add();
    title.NiceName = "Track Title";
    title.Mask = "FTI";
    title.FontRef().Name = "Verdana";
    TfontItem& artist = fonts.Add();
    artist.NiceName = "Artist";
    artist.Mask = "FAR";
    EXPECT_EQ(fonts.FindByName("track title"), &title);
    EXPECT_EQ(fonts.FindByName("TRACK TITLE"), &title);
    EXPECT_EQ(fonts.FindByMask("far"), &artist);
    EXPECT_EQ(fonts.FindByName("Nothing"), nullptr);
    EXPECT_EQ(fonts.GetFontByMask("fti", &def)->Name, "Verdana");
    EXPECT_EQ(fonts.Items(5), &artist);
    EXPECT_EQ(fonts.Items(-3), &title);

    // Copies are deep: changing the copy leaves the original alone.
    TfontContainer a;
    a.SetItems(fonts);
    a.NiceName = "Main";
    a.Category = "Skin";
    a.Colors().Add().NiceName = "Back";
    TfontContainer b;
    b.Assign(a);
    b.Items().Items(0)->FontRef().Name = "Tahoma";
    b.Colors().Items(0)->color = clRed;
    EXPECT_EQ(a.Items().Items(0)->font().Name, "Verdana");
    EXPECT_EQ(a.Colors().Items(0)->color, clBlack);
    EXPECT_EQ(b.NiceName, "Main");
    EXPECT_EQ(b.Category, "Skin");
    EXPECT_EQ(b.Colors().FindByName("BACK"), b.Colors().Items(0));
}

TEST(FontStore, SettingsKeysValuesAndDefaults) {
    TfontCollection fonts;
    TfontItem& title = fonts.Add();
    title.NiceName = "Track Title";
    title.ColorNiceName = " Back";
    title.Color = clNavy;
    title.FontRef() = TFont{"Arial", clRed, 12, true, false, true};
    TfontItem& plain = fonts.Add();  // a font of its own, no item colour
    plain.NiceName = "Duration";
    fonts.Add();  // nameless: not saved
    TiniFile ini;
    fonts.SaveFonts(ini, "Fonts (Main)");
    EXPECT_EQ(ini.GetText(),
              "[FontsMain]\r\nTrackTitleName=Arial\r\nTrackTitleColor=#FF0000\r\nTrackTitleSize=12\r\n"
              "TrackTitleBold=1\r\nTrackTitleItalic=0\r\nTrackTitleBack=#000080\r\n"
              "DurationName=Tahoma\r\nDurationColor=#000000\r\nDurationSize=8\r\nDurationBold=0\r\n"
              "DurationItalic=0\r\n");

    TiniFile changed;
    changed.SetText(
        "[FontsMain]\r\nTrackTitleBold=0\r\nTrackTitleItalic=1\r\nTrackTitleColor=blue\r\n"
        "TrackTitleBack=#00FF00\r\nDurationSize=14\r\nName=Liberation Sans\r\n");
    fonts.LoadFonts(changed, "Fonts (Main)");
    const TFont& t = fonts.Items(0)->font();
    EXPECT_EQ(t.Name, "Arial");
    EXPECT_FALSE(t.Bold);
    EXPECT_TRUE(t.Italic);
    EXPECT_TRUE(t.Underline);     // not stored, kept
    EXPECT_EQ(t.Color, clBlack);  // not in the colour form
    EXPECT_EQ(t.Size, 12);
    EXPECT_EQ(fonts.Items(0)->Color, clLime);
    EXPECT_EQ(fonts.Items(1)->font().Size, 14);
    EXPECT_EQ(fonts.Items(2)->font().Name, "Liberation Sans");  // nameless items are read too

    TcolorCollection colors;
    colors.Add().NiceName = "Panel Back";
    colors.Items(0)->color = clTeal;
    colors.Add();
    TiniFile ci;
    colors.SaveColors(ci, "Colors");
    EXPECT_EQ(ci.GetText(), "[Colors]\r\ncolorPanelBack=#008080\r\n");
    colors.Items(0)->color = clRed;
    colors.LoadColors(ci, "Colors");
    EXPECT_EQ(colors.Items(0)->color, clTeal);
}
