#include "core/jukebox/global_prefs.h"

#include <gtest/gtest.h>

#include "core/base/ini_file.h"

using namespace tunecrest;

TEST(GlobalPrefs, DefaultsFromAnEmptyFileAndIniRoundTrip) {
    TglobalPrefs prefs;
    prefs.SetKeySize(10);
    prefs.SetOnScreenKeyboardsEnabled(false);
    prefs.LoadFromIni(TiniFile());
    EXPECT_EQ(prefs.KeySize(), 60);
    EXPECT_TRUE(prefs.OnScreenKeyboardsEnabled());
    EXPECT_FALSE(prefs.SingleClickMultiSelect());
    EXPECT_EQ(prefs.SingleClickMultiSelectDelay(), 500);

    prefs.SetSingleClickMultiSelect(true);
    prefs.SetSingleClickMultiSelectDelay(250);
    prefs.SetKeySize(72);
    prefs.SetOnScreenKeyboardsEnabled(false);
    TiniFile ini;
    prefs.SaveToIni(ini);
    EXPECT_EQ(ini.GetText(),
              "[Preferences]\r\nSingleClickMultiSelect=1\r\nSingleClickMultiSelectDelay=250\r\n\r\n"
              "[OnScreenKeyboards]\r\nKeySize=72\r\nEnabled=0\r\n");
    TglobalPrefs back;
    back.LoadFromIni(ini);
    EXPECT_TRUE(back.SingleClickMultiSelect());
    EXPECT_EQ(back.SingleClickMultiSelectDelay(), 250);
    EXPECT_EQ(back.KeySize(), 72);
    EXPECT_FALSE(back.OnScreenKeyboardsEnabled());
}

TEST(GlobalPrefs, ChangeNoticesListenersAndUpdateBrackets) {
    TglobalPrefs prefs;
    std::vector<std::string> calls;
    prefs.OnChange = [&](TObject*) { calls.push_back("event"); };
    int ownerA = 0, ownerB = 0;
    prefs.AddChangeListener(&ownerA, [&](TObject*) { calls.push_back("a1"); });
    prefs.AddChangeListener(&ownerB, [&](TObject*) { calls.push_back("b"); });
    prefs.AddChangeListener(&ownerA, [&](TObject*) { calls.push_back("a2"); });
    prefs.SetKeySize(50);
    EXPECT_EQ(calls, (std::vector<std::string>{"event", "a1", "b", "a2"}));

    calls.clear();
    prefs.RemoveChangeListener(&ownerA);  // both records of that owner go
    EXPECT_EQ(prefs.ListenerCount(), 1);
    prefs.SetSingleClickMultiSelectDelay(100);  // only stores
    EXPECT_TRUE(calls.empty());

    prefs.BeginUpdate();
    prefs.SetKeySize(40);
    prefs.SetOnScreenKeyboardsEnabled(false);
    EXPECT_TRUE(calls.empty());
    prefs.EndUpdate();
    EXPECT_EQ(calls, (std::vector<std::string>{"event", "b"}));
    prefs.EndUpdate();  // never below zero: the next bracket still holds notices back
    calls.clear();
    prefs.BeginUpdate();
    prefs.SetKeySize(41);
    EXPECT_TRUE(calls.empty());
    prefs.EndUpdate();
    EXPECT_EQ(calls.size(), 2u);
}

TEST(GlobalPrefs, HasBitmapNeedsAContainerAndAnIndexBelowItsCount) {
    TglobalPrefs prefs;
    EXPECT_FALSE(prefs.HasBitmap(0));
    TglobalPrefs::SetBitmapCounter([](const TbitmapContainer&) { return 3; });
    int storage = 0;
    prefs.SetBitmapContainer(reinterpret_cast<TbitmapContainer*>(&storage));
    EXPECT_TRUE(prefs.HasBitmap(2));
    EXPECT_FALSE(prefs.HasBitmap(3));
    EXPECT_FALSE(prefs.HasBitmap(-1));
    TglobalPrefs::SetBitmapCounter(nullptr);
}
