#include "core/jukebox/timer_alarms.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/base/ini_file.h"
#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "support/temp_dir.h"

using namespace tunecrest;

namespace {

constexpr uint8_t kSunday = 1, kFriday = 1 << 5, kSaturday = 1 << 6;

class AlarmTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Fnow = At(1, 12, 10);  // Thursday 29 Feb 2024; the checks come at :10, :30 and :50
        SetClock([this] { return Fnow; });
        Flist.OnOnAlarm = [this](TObject* sender, TonOffTimerAlarm* a) { Record("on", sender, a); };
        Flist.OnOffAlarm = [this](TObject* sender, TonOffTimerAlarm* a) { Record("off", sender, a); };
    }
    void TearDown() override { SetClock({}); }

    // Day 1 is Thursday 29 Feb 2024, day 2 Friday 1 Mar, day 3 Saturday ...
    static TDateTime At(int day, int hour, int minute) {
        return EncodeDate(2024, 2, 28) + day + EncodeTime(hour, minute, 0, 0);
    }
    // Checks every `stepMinutes` from now until `until`, as the timer would.
    void RunUntil(TDateTime until, int stepMinutes = 20) {
        while (Fnow < until) {
            Fnow = std::round(Fnow * 1440 + stepMinutes) / 1440;
            Flist.TimerTick();
        }
    }
    void Record(const char* kind, TObject* sender, TonOffTimerAlarm* alarm) {
        EXPECT_EQ(sender, &Flist);
        const int index = [&] {
            for (int i = 0; i < Flist.Count(); ++i)
                if (Flist.GetAlarm(i) == alarm) return i;
            return -1;
        }();
        Fevents.push_back(std::string(kind) + std::to_string(index) + " " + FormatDateTimeIso(Fnow));
    }
    TonOffTimerAlarm* Add(int startH, int finishH, uint8_t days) {
        TonOffTimerAlarm* a = Flist.AddNew();
        a->SetStartTime(EncodeTime(startH, 0, 0, 0));
        a->SetFinishTime(EncodeTime(finishH, 0, 0, 0));
        a->SetDays(days);
        return a;
    }

    TDateTime Fnow = 0;
    TonOffTimerAlarmList Flist;
    std::vector<std::string> Fevents;
};

}  // namespace

TEST(AlarmText, DayMasksAndTimes) {
    EXPECT_EQ(NormaliseDayMask(0xFF), 0x7F);
    EXPECT_EQ(NormaliseDayMask(0x180), 0);
    EXPECT_EQ(DayMaskToText(0), ".......");
    EXPECT_EQ(DayMaskToText(0x7F), "SMTWTFS");
    EXPECT_EQ(DayMaskToText(kSunday | kFriday), "S....F.");
    EXPECT_EQ(DayMaskToText(0x80 | kSaturday), "......S");

    EXPECT_EQ(FormatAlarmTime(EncodeTime(22, 5, 9, 0)), "22:05:09");
    EXPECT_EQ(FormatAlarmTime(EncodeTime(0, 0, 0, 0)), "00:00:00");
    const struct {
        const char* text;
        int h, m, s;
    } good[] = {{"22:05:09", 22, 5, 9},    {"7:30", 7, 30, 0},     {"10:00:00 PM", 22, 0, 0},
                {"12:15:00 am", 0, 15, 0}, {"12:00 PM", 12, 0, 0}, {"22.00.00", 22, 0, 0},
                {" 06:45:00 ", 6, 45, 0}};
    for (const auto& g : good) {
        TDateTime t = -1;
        ASSERT_TRUE(ParseAlarmTime(g.text, t)) << g.text;
        EXPECT_EQ(FormatAlarmTime(t), Format("%02d:%02d:%02d", g.h, g.m, g.s)) << g.text;
    }
    for (const char* bad : {"", "abc", "25:00", "10:60", "13:00 PM", "0:30 AM", "1:2:3:4", "-1:00", "12",
                            "10::00", "123:00", "PM"}) {
        TDateTime t = 0;
        EXPECT_FALSE(ParseAlarmTime(bad, t)) << bad;
    }
}

TEST_F(AlarmTest, WeeklyAlarmFiresOnceAfterItsTimeAndAgainSevenDaysLater) {
    Add(8, 9, kFriday);
    Add(8, 9, kSaturday)->SetEnabled(false);
    Flist.SetEnabled(true);
    RunUntil(At(16, 12, 0));  // two weeks and a day
    EXPECT_EQ(Fevents, (std::vector<std::string>{"on0 2024-03-01 08:10:00", "off0 2024-03-01 09:10:00",
                                                 "on0 2024-03-08 08:10:00", "off0 2024-03-08 09:10:00",
                                                 "on0 2024-03-15 08:10:00", "off0 2024-03-15 09:10:00"}));
}

TEST_F(AlarmTest, TimeAlreadyPastWhenSetOrLoadedWaitsForTheNextDay) {
    Fnow = At(2, 10, 5);  // Friday 10:05
    TiniFile ini;
    ini.SetText(
        "[JukeboxAlarms]\nEnabled=1\nAlarm00On_Time=08:00:00\nAlarm00On_Bitmask=32\n"
        "Alarm00Off_Time=11:00:00\nAlarm00Off_Bitmask=32\n");
    Flist.LoadFromIni(ini, "JukeboxAlarms");
    ASSERT_EQ(Flist.Count(), 1);
    RunUntil(At(9, 9, 0));
    // The on time had passed at load: only the off event today, both a week later.
    EXPECT_EQ(Fevents, (std::vector<std::string>{"off0 2024-03-01 11:05:00", "on0 2024-03-08 08:05:00"}));
}

TEST_F(AlarmTest, SwitchedOffOnEventFiresOnlyTheOffEvent) {
    TonOffTimerAlarm* a = Add(8, 9, kFriday);
    a->SetOnEventEnabled(false);
    EXPECT_TRUE(a->GetEnabled());
    EXPECT_FALSE(a->StartAlarm().Enabled());
    Flist.SetEnabled(true);
    RunUntil(At(3, 0, 0));
    EXPECT_EQ(Fevents, (std::vector<std::string>{"off0 2024-03-01 09:10:00"}));
}

TEST_F(AlarmTest, DisabledListLoadsItsAlarmsButNeverFires) {
    TiniFile ini;
    ini.SetText(
        "[A]\nEnabled=0\nAlarm00On_Time=08:00:00\nAlarm00On_Bitmask=127\n"
        "Alarm00Off_Time=09:00:00\nAlarm00Off_Bitmask=127\n");
    Flist.LoadFromIni(ini, "A");
    EXPECT_EQ(Flist.Count(), 1);
    EXPECT_FALSE(Flist.GetEnabled());
    RunUntil(At(4, 0, 0));
    EXPECT_TRUE(Fevents.empty());
}

TEST_F(AlarmTest, NightAlarmStopsOnTheMorningAfterItsDay) {
    Add(22, 2, kFriday);
    Flist.SetEnabled(true);
    RunUntil(At(11, 0, 0));
    // Not at 02:00 on Friday (that night began on Thursday), but on Saturday.
    EXPECT_EQ(Fevents, (std::vector<std::string>{"on0 2024-03-01 22:10:00", "off0 2024-03-02 02:10:00",
                                                 "on0 2024-03-08 22:10:00", "off0 2024-03-09 02:10:00"}));
}

TEST_F(AlarmTest, HandlerMayDeleteAlarmsDuringACheck) {
    Add(8, 8, kFriday);
    Add(8, 9, kFriday);
    Flist.OnOnAlarm = [this](TObject*, TonOffTimerAlarm* a) {
        Fevents.push_back("on");
        Flist.Delete(a);
    };
    Flist.SetEnabled(true);
    RunUntil(At(3, 0, 0));
    // The first alarm's off event is not sent after it was deleted; the second alarm
    // moved up into the deleted place and is checked at the next tick.
    EXPECT_EQ(Fevents, (std::vector<std::string>{"on", "on"}));
    EXPECT_EQ(Flist.Count(), 0);
}

TEST_F(AlarmTest, IniFormRoundTripAndEventFlagsSurviveDisabling) {
    Add(22, 2, kFriday | kSaturday);
    TonOffTimerAlarm* second = Add(7, 8, 0xFF);
    second->SetOffEventEnabled(false);
    TonOffTimerAlarm* third = Add(6, 7, kSunday);
    third->SetEnabled(false);
    Flist.SetEnabled(true);

    TiniFile ini;
    ini.SetText("[JukeboxAlarms]\nAlarm07On_Time=stale\n");
    Flist.SaveToIni(ini, "JukeboxAlarms");
    EXPECT_EQ(ini.ReadSectionValues("JukeboxAlarms"),
              (std::vector<std::string>{"Enabled=1",
                                        "Alarm00On_Time=22:00:00",
                                        "Alarm00On_Bitmask=96",
                                        "Alarm00On_Enabled=1",
                                        "Alarm00Off_Time=02:00:00",
                                        "Alarm00Off_Bitmask=96",
                                        "Alarm00Off_Enabled=1",
                                        "Alarm00On_EventEnabled=1",
                                        "Alarm00Off_EventEnabled=1",
                                        "Alarm01On_Time=07:00:00",
                                        "Alarm01On_Bitmask=127",
                                        "Alarm01On_Enabled=1",
                                        "Alarm01Off_Time=08:00:00",
                                        "Alarm01Off_Bitmask=127",
                                        "Alarm01Off_Enabled=0",
                                        "Alarm01On_EventEnabled=1",
                                        "Alarm01Off_EventEnabled=0",
                                        "Alarm02On_Time=06:00:00",
                                        "Alarm02On_Bitmask=1",
                                        "Alarm02On_Enabled=0",
                                        "Alarm02Off_Time=07:00:00",
                                        "Alarm02Off_Bitmask=1",
                                        "Alarm02Off_Enabled=0",
                                        "Alarm02On_EventEnabled=1",
                                        "Alarm02Off_EventEnabled=1"}));

    TonOffTimerAlarmList loaded;
    int changes = 0;
    loaded.OnChange = [&](TObject*) { ++changes; };
    loaded.LoadFromIni(ini, "JukeboxAlarms");
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(loaded.Count(), 3);
    EXPECT_TRUE(loaded.GetEnabled());
    EXPECT_EQ(loaded.GetAlarm(0)->DayMaskText(), ".....FS");
    EXPECT_TRUE(loaded.GetAlarm(0)->FinishesNextDay());
    EXPECT_FALSE(loaded.GetAlarm(1)->OffEventEnabled());
    // The disabled alarm comes back disabled, and enabling it brings both events back.
    TonOffTimerAlarm* back = loaded.GetAlarm(2);
    EXPECT_FALSE(back->GetEnabled());
    back->SetEnabled(true);
    EXPECT_TRUE(back->StartAlarm().Enabled());
    EXPECT_TRUE(back->FinishAlarm().Enabled());

    TiniFile again;
    loaded.GetAlarm(2)->SetEnabled(false);
    loaded.SaveToIni(again, "JukeboxAlarms");
    EXPECT_EQ(again.ReadSectionValues("JukeboxAlarms"), ini.ReadSectionValues("JukeboxAlarms"));
}

TEST_F(AlarmTest, OlderFilesLoad) {
    // Locale times, no event-flag keys, a gap after Alarm02, a mask with bit 7 set.
    TiniFile ini;
    ini.SetText(
        "[A]\nEnabled=1\n"
        "Alarm00On_Time=10:00:00 PM\nAlarm00On_Bitmask=160\nAlarm00On_Enabled=0\n"
        "Alarm00Off_Time=2:00:00 AM\nAlarm00Off_Bitmask=160\nAlarm00Off_Enabled=0\n"
        "Alarm01On_Time=7:00:00 AM\nAlarm01On_Bitmask=127\nAlarm01On_Enabled=0\n"
        "Alarm01Off_Time=8:00:00 AM\nAlarm01Off_Bitmask=127\nAlarm01Off_Enabled=1\n"
        "Alarm02On_Time=nonsense\nAlarm02On_Bitmask=1\n"
        "Alarm04On_Time=06:00:00\n");
    Flist.LoadFromIni(ini, "A");
    ASSERT_EQ(Flist.Count(), 3);
    TonOffTimerAlarm* night = Flist.GetAlarm(0);
    EXPECT_EQ(FormatAlarmTime(night->GetStartTime()), "22:00:00");
    EXPECT_EQ(FormatAlarmTime(night->GetFinishTime()), "02:00:00");
    EXPECT_EQ(night->GetDays(), kFriday);
    // Both events off in the old form is a disabled alarm; enabling it turns both on.
    EXPECT_FALSE(night->GetEnabled());
    EXPECT_TRUE(night->OnEventEnabled());
    EXPECT_TRUE(night->OffEventEnabled());
    night->SetEnabled(true);
    EXPECT_TRUE(night->StartAlarm().Enabled() && night->FinishAlarm().Enabled());
    // One event off in the old form stays off.
    TonOffTimerAlarm* offOnly = Flist.GetAlarm(1);
    EXPECT_TRUE(offOnly->GetEnabled());
    EXPECT_FALSE(offOnly->OnEventEnabled());
    EXPECT_TRUE(offOnly->OffEventEnabled());
    // An unreadable time is midnight.
    EXPECT_EQ(FormatAlarmTime(Flist.GetAlarm(2)->GetStartTime()), "00:00:00");
}

TEST_F(AlarmTest, AssignCopiesEverySettingInOneChange) {
    Add(22, 2, kFriday)->SetOnEventEnabled(false);
    Add(6, 7, kSunday)->SetEnabled(false);
    TonOffTimerAlarmList copy;
    int changes = 0;
    copy.OnChange = [&](TObject*) { ++changes; };
    copy.Assign(Flist, false);
    copy.Assign(Flist, true);
    copy.Assign(copy, true);
    EXPECT_EQ(changes, 3);
    ASSERT_EQ(copy.Count(), 8);
    for (int i = 0; i < copy.Count(); ++i)
        EXPECT_EQ(copy.GetAlarm(i)->SaveToXML(), Flist.GetAlarm(i % 2)->SaveToXML());
    copy.Assign(copy, false);
    EXPECT_EQ(copy.Count(), 8);
    copy.Assign(TonOffTimerAlarmList(), false);
    EXPECT_EQ(copy.Count(), 0);
}

TEST_F(AlarmTest, XmlExport) {
    TonOffTimerAlarm* a = Add(22, 2, kFriday | kSaturday);
    a->SetStartTime(EncodeTime(22, 30, 15, 250));
    a->SetOnEventEnabled(false);
    Add(7, 8, 0x7F)->SetEnabled(false);
    Flist.SetEnabled(true);
    EXPECT_EQ(a->SaveToXML(),
              "<alarm ae=\"1\" st=\"223015250\" ft=\"020000000\" ad=\"96\" one=\"0\" ofe=\"1\"/>");

    test::TempDir dir;
    const std::string file = dir.File("alarms.xml");
    std::string error;
    ASSERT_TRUE(Flist.SaveToXMLFile(file, &error)) << error;
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(file, bytes));
    EXPECT_EQ(bytes,
              "<?xml version=\"1.0\"?>\r\n"
              "<alarmsettings le=\"1\">\r\n"
              "<alarm ae=\"1\" st=\"223015250\" ft=\"020000000\" ad=\"96\" one=\"0\" ofe=\"1\"/>\r\n"
              "<alarm ae=\"0\" st=\"070000000\" ft=\"080000000\" ad=\"127\" one=\"1\" ofe=\"1\"/>\r\n"
              "</alarmsettings>\r\n");
    EXPECT_FALSE(Flist.SaveToXMLFile(dir.File("missing/alarms.xml"), &error));
    EXPECT_FALSE(error.empty());
}
