#include "core/base/shared_utils.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/base/date_time.h"
#include "core/base/exceptions.h"
#include "core/base/system_services.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

using namespace tunecrest;

TEST(SharedUtils, TimeStampsRoundTripToTheMillisecond) {
    const TDateTime t = EncodeDate(2023, 7, 14) + EncodeTime(21, 5, 9, 347);
    EXPECT_EQ(DateTimeStamp(t), "20230714210509347");
    EXPECT_EQ(TimeStamp(t), "210509347");
    EXPECT_NEAR(StampToDateTime(DateTimeStamp(t)), t, 0.5 / kMillisecondsPerDay);
    // Parts that are no number count as 0.
    EXPECT_NEAR(StampToDateTime("20230714xx0509347"), EncodeDate(2023, 7, 14) + EncodeTime(0, 5, 9, 347),
                0.5 / kMillisecondsPerDay);
}

TEST(SharedUtils, EmptyStampIsZeroAndAnImpossibleOneIsAClearError) {
    EXPECT_EQ(StampToDateTime(""), 0.0);
    EXPECT_EQ(StampToDateTime("   "), 0.0);
    EXPECT_THROW(StampToDateTime("20231399000000000"), Exception);
}

TEST(SharedUtils, MatchFileMaskGivesPlaceholderValues) {
    TmyStringList values;
    values.Add("stale=1");
    MatchFileMask("Song - Band - 07", "%t - %a - %n", values);
    EXPECT_EQ(values.Text(), "%t=Song\n%a=Band\n%n=07\n");
    // A missing prefix or separator hands the whole rest to the placeholder; values keep their blanks.
    MatchFileMask(" Just a title ", "%t - %a", values);
    EXPECT_EQ(values.Text(), "%t= Just a title \n");
    MatchFileMask("No prefix", "[%n] %t", values);
    EXPECT_EQ(values.Text(), "%n=No prefix\n");
    // The last occurrence of a placeholder wins.
    MatchFileMask("a_b_c", "%t_%a_%t", values);
    EXPECT_EQ(values.Values("%t"), "c");
    EXPECT_EQ(values.Values("%a"), "b");
    MatchFileMask("anything", "no placeholders", values);
    EXPECT_EQ(values.Count(), 0);
}

TEST(SharedUtils, ReplacePlaceholderMakesOnePass) {
    EXPECT_EQ(ReplacePlaceholder("%a - %a (%b)", 'a', "X"), "X - X (%b)");
    // A value that holds the placeholder itself is inserted once, not expanded forever.
    EXPECT_EQ(ReplacePlaceholder("[%a]", 'a', "%a%a"), "[%a%a]");
    EXPECT_EQ(ReplacePlaceholder("100%", 'a', "X"), "100%");
}

TEST(SharedUtils, NameFilters) {
    EXPECT_TRUE(IsSafeFileName("Rock_(1980's)~{x}@!#$&^-`"));
    EXPECT_FALSE(IsSafeFileName("two words"));
    EXPECT_FALSE(IsSafeFileName(""));
    EXPECT_FALSE(IsSafeFileName("a/b"));
    EXPECT_EQ(FilterChars("a b-c d", "abcd ", true), "a_bc_d");
    EXPECT_EQ(FilterChars("a b", "ab ", false), "a b");
    EXPECT_EQ(MakeAlphaNumName("The Jukebox 2.0!"), "TheJukebox20");
    EXPECT_EQ(StripAccelerators("&File && E&xit"), "File  Exit");
}

TEST(SharedUtils, TagTextsSwitchesAndFormats) {
    EXPECT_EQ(GetTagValue("x<Name>Bob</NAME>y", "name"), "Bob");
    EXPECT_EQ(GetTagValue("<Name>Bob", "name"), "");
    EXPECT_EQ(ReplaceTagValue("x<a>1</a>y", "A", "22"), "x<a>22</a>y");
    EXPECT_EQ(URLEncode("a b/ü"), "a%20b%2f%c3%bc");
    const std::vector<std::string> params = {"song.mp3", "-RootFolder=\"/srv/juke box/\"", "/NOCLASS"};
    std::string value;
    EXPECT_TRUE(GetCmdLineSwitchValue(params, "rootfolder", value));
    EXPECT_EQ(value, "/srv/juke box/");
    EXPECT_TRUE(HasCmdLineSwitch(params, "noclass"));
    EXPECT_FALSE(HasCmdLineSwitch(params, "song.mp3"));
    EXPECT_EQ(FormatHMS(3725), "1:02:05");
    EXPECT_EQ(IncludeTrailingBackslashFixed("/music//jazz"), "/music/jazz/");
    EXPECT_EQ(IncludeTrailingBackslashFixed("/music/"), "/music/");
    EXPECT_TRUE(StrToBool("-3"));
    EXPECT_FALSE(StrToBool("yes"));
}

TEST(SharedUtils, FilesInFolderAndTheirTimes) {
    test::TempDir dir;
    for (const char* n : {"a.jpg", "B.JPG", "c.bmp"}) std::ofstream(dir.File(n)) << "x";
    EXPECT_EQ(FindFilesInFolder(dir.Path().string(), "*.jpg"), std::vector<std::string>{"a.jpg"});
    EXPECT_EQ(FindFilesInFolder(dir.Path().string(), "?.*").size(), 3u);
    EXPECT_TRUE(FileExistsQuiet(dir.File("a.jpg")));
    EXPECT_FALSE(FileExistsQuiet(dir.File("none")));
    EXPECT_GT(GetFileDateTime(dir.File("a.jpg")), 40000.0);
    EXPECT_EQ(GetFileDateTime(dir.File("none")), 0.0);
}

namespace {
class FakeServices : public TsystemServices {
public:
    bool shutdownOk = false;
    std::vector<std::string> ListCDDrives() override { return {"/media/cdrom/"}; }
    bool GetVolumeSerial(const std::string& root, uint32_t& serial) override {
        serial = 0x00AB12CD;
        return root == "/media/cdrom/";
    }
    bool Shutdown(std::string& error) override {
        error = "Access denied";
        return shutdownOk;
    }
    bool GetFileVersion(const std::string&, TfileVersion& v) override {
        v = {2, 5, 1, 9};
        return true;
    }
};
}  // namespace

TEST(SystemServices, RoutinesFormatWhatTheServicesAnswer) {
    auto fake = std::make_shared<FakeServices>();
    SetSystemServices(fake);
    RefreshCDDrives();
    EXPECT_TRUE(IsOnCDDrive("/media/cdrom/track01.mp3"));
    EXPECT_FALSE(IsOnCDDrive("/media/cdrom2/x.mp3"));
    EXPECT_EQ(GetVolumeSerial("/media/cdrom/"), "00AB12CD");
    EXPECT_EQ(GetVolumeSerial("/elsewhere/"), "");
    // The outcome of a shutdown is shown, not only returned.
    auto prompt = std::make_shared<test::TrecordingPrompt>();
    auto oldPrompt = SetPrompt(prompt);
    std::string message;
    EXPECT_FALSE(ShutdownWindows(message));
    EXPECT_EQ(message, "Shutdown failed with Access denied");
    fake->shutdownOk = true;
    EXPECT_TRUE(ShutdownWindows(message));
    EXPECT_EQ(message, "Shutdown Initiated");
    EXPECT_EQ(prompt->Messages,
              (std::vector<std::string>{"|Shutdown failed with Access denied", "|Shutdown Initiated"}));
    SetPrompt(oldPrompt);
    EXPECT_EQ(GetFileVersionString("", 4), "2.5.1.9");
    EXPECT_EQ(GetFileVersionString("", 3), "2.5.1");
    EXPECT_EQ(GetFileVersionString("", 2), "2.5");
    SetSystemServices(nullptr);
    RefreshCDDrives();
    EXPECT_TRUE(CDDrives().empty());
    EXPECT_EQ(GetFileVersionString("", 4), "");
}
