#include "windows/settings/screen_saver.h"

#include <gtest/gtest.h>

#include <QImage>
#include <set>
#include <QTest>

#include "core/base/services.h"
#include "skin/color_panels.h"
#include "skin/html_label.h"
#include "support/fake_media_player.h"
#include "support/manual_timers.h"
#include "support/special_files.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "support/user_input.h"

namespace tunecrest {
namespace {

TaudioTagPtr Track(const std::string& artist, const std::string& title, const std::string& album, uint32_t trackNo,
                   uint32_t media = 1)
{
    auto tag = std::make_shared<TaudioTag>();
    tag->SetArtist(artist);
    tag->SetTitle(title);
    tag->SetAlbum(album);
    tag->SetTrackNo(trackNo);
    tag->SetMediaType(media);
    tag->SetFilename("/music/a.mp3");
    return tag;
}

const TfontContainer* Fonts() { return &DefaultScreenSaverFonts(); }

void WritePicture(const std::string& path, QColor colour)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(path), "JPG"));
}

TEST(ScreenSaverTexts, EveryValueFromATrackOrStreamIsEscaped)
{
    // A local track: the format language escapes the fields.
    auto track = Track("<b>Band</b>", "Fish & Chips", "<i>Live</i>", 3);
    TscreenSaverTexts t = ScreenSaverTexts(track.get(), "", "", Fonts(), "Jukebox");
    EXPECT_TRUE(t.TrackShown);
    EXPECT_NE(t.Artist.find("&lt;b&gt;Band&lt;/b&gt;"), std::string::npos) << t.Artist;
    EXPECT_NE(t.Title.find("Fish &amp; Chips"), std::string::npos) << t.Title;
    EXPECT_NE(t.Album.find("&lt;i&gt;Live&lt;/i&gt;"), std::string::npos) << t.Album;
    EXPECT_NE(t.Album.find("Track 3"), std::string::npos);

    // A station playing by address: its name and the address are values, not markup.
    t = ScreenSaverTexts(nullptr, "Radio <font size=99>", "http://x/?a=1&b=<2>", Fonts(), "Jukebox");
    EXPECT_EQ(t.Title.find("<font size=99>"), std::string::npos) << t.Title;
    EXPECT_NE(t.Title.find("Radio &lt;font size=99&gt;"), std::string::npos);
    EXPECT_NE(t.Album.find("http://x/?a=1&amp;b=&lt;2&gt;"), std::string::npos) << t.Album;
    EXPECT_TRUE(t.Artist.empty());

    // An internet track: the station in Artist, the stream title in Title.
    auto stream = Track("Station <x>", "Now: A&B", "", 0, 4);
    t = ScreenSaverTexts(stream.get(), "", "", Fonts(), "Jukebox");
    EXPECT_NE(t.Title.find("Station &lt;x&gt;"), std::string::npos) << t.Title;
    EXPECT_NE(t.Album.find(" [") , std::string::npos);
    EXPECT_NE(t.Album.find("Now: A&amp;B"), std::string::npos) << t.Album;
    EXPECT_FALSE(t.TrackShown);
}

TEST(ScreenSaverTexts, CasesInOrder)
{
    // Nothing plays: the application title in font 0, or in red without a font store.
    TscreenSaverTexts t = ScreenSaverTexts(nullptr, "", "", Fonts(), "Tunecrest & Co");
    EXPECT_EQ(t.Title, Fonts()->Items().Items(0)->HTMLTag() + "Tunecrest &amp; Co");
    t = ScreenSaverTexts(nullptr, "", "", nullptr, "Tunecrest");
    EXPECT_EQ(t.Title, "<font color=#ff0000 size=16>Tunecrest");
    // A track without fonts shows only the title of the program.
    auto track = Track("A", "B", "C", 1);
    t = ScreenSaverTexts(track.get(), "", "", nullptr, "Tunecrest");
    EXPECT_FALSE(t.TrackShown);
    EXPECT_EQ(t.Title, "<font color=#ff0000 size=16>Tunecrest");

    // Album line: with a track number, without, or nothing without an album.
    t = ScreenSaverTexts(Track("A", "B", "C", 0).get(), "", "", Fonts(), "");
    EXPECT_EQ(t.Album.find("Track"), std::string::npos);
    EXPECT_NE(t.Album.find("C"), std::string::npos);
    t = ScreenSaverTexts(Track("", "", "", 5).get(), "", "", Fonts(), "");
    EXPECT_TRUE(t.Album.empty());
    EXPECT_NE(t.Artist.find("Unknown"), std::string::npos);
    EXPECT_NE(t.Title.find("Unknown"), std::string::npos);
}

TEST(ScreenSaverTexts, IntervalAndPictures)
{
    EXPECT_EQ(SlideIntervalMs(0, true), 60000);
    EXPECT_EQ(SlideIntervalMs(0, false), 1000);
    EXPECT_EQ(SlideIntervalMs(3, false), 3000);
    EXPECT_EQ(SlideIntervalMs(2, true), 120000);
    test::TempDir dir;
    EXPECT_TRUE(SlideShowPictures(dir.File("missing")).empty());
    EXPECT_TRUE(SlideShowPictures("").empty());
    test::App();
    WritePicture(dir.File("b.JPG"), Qt::red);
    WritePicture(dir.File("a.jpg"), Qt::blue);
    WritePicture(dir.File("c.png"), Qt::green);
    EXPECT_EQ(SlideShowPictures(dir.Path().string()), (std::vector<std::string>{"a.jpg", "b.JPG"}));
}

struct SaverRig : ::testing::Test {
    void SetUp() override
    {
        test::App();
        SetRandomSeed(7);
        saver = std::make_unique<TfrmScreenSaver>();
        saver->SetFontContainer(Fonts());
        saver->SetPlayer(&player);
        saver->resize(800, 600);
    }
    test::TmanualTimers timers;
    test::FakeMediaPlayer player;
    std::unique_ptr<TfrmScreenSaver> saver;
    test::TempDir dir;
};

TEST_F(SaverRig, EmptyFolderLeavesLabelsCentred)
{
    saver->UseRandomImages = true;
    saver->RandomImagesFolder = dir.Path().string();
    saver->UpdateTrackDisplay(Track("A", "B", "C", 1), "", 1, "");
    saver->ShowSaver();
    saver->resize(800, 600);
    QCoreApplication::processEvents();
    EXPECT_TRUE(saver->pnlImage->Image().isNull());
    EXPECT_FALSE(saver->pnlImage->isVisible());
    EXPECT_TRUE(saver->pnlLabelAdjustor->isVisible());
    // The labels stack artist, title, album around the middle of the screen.
    EXPECT_LT(saver->lblArtist->y(), saver->lblTitle->y());
    EXPECT_LT(saver->lblTitle->y(), saver->lblAlbum->y());
    EXPECT_LT(saver->lblAlbum->y() + saver->lblAlbum->height(), 600);
    EXPECT_GT(saver->lblArtist->y(), 100);
    saver->CloseSaver();
}

TEST_F(SaverRig, SlideShowChangesPictureAtTheInterval)
{
    WritePicture(dir.File("one.jpg"), Qt::red);
    WritePicture(dir.File("two.jpg"), Qt::blue);
    saver->RandomImagesFolder = dir.Path().string();
    saver->UseMinutes = false;
    saver->SetSlideShow(true);
    saver->SetSlideShowInterval(0);  // acts as 1 second
    EXPECT_EQ(saver->IntervalMs(), 1000);
    saver->SetSlideShowInterval(3);
    saver->ShowSaver();
    ASSERT_FALSE(saver->pnlImage->Image().isNull());
    EXPECT_TRUE(saver->ShowingRandomImage());
    EXPECT_FALSE(saver->pnlLabelAdjustor->isVisible());
    std::set<std::string> seen{saver->PictureFile()};
    // A marker picture stays until the third tick replaces it with a slide.
    QImage marker(3, 3, QImage::Format_RGB32);
    marker.fill(Qt::green);
    for (int slide = 0; slide < 10; ++slide) {
        saver->pnlImage->SetImage(marker);
        timers.Advance(2000);
        EXPECT_EQ(saver->pnlImage->Image().size(), QSize(3, 3));
        timers.Advance(1000);
        EXPECT_EQ(saver->pnlImage->Image().size(), QSize(64, 48));
        seen.insert(saver->PictureFile());
    }
    EXPECT_EQ(seen.size(), 2u) << "both pictures are shown in time";
    EXPECT_TRUE(saver->Timer().IsActive());
    saver->CloseSaver();
    EXPECT_FALSE(saver->Timer().IsActive());
    EXPECT_FALSE(saver->isVisible());
}

TEST_F(SaverRig, SlideShowSkipsAFifoNamedLikeAPictureWithoutWaitingOnIt)
{
    const std::string fifo = test::MakeFifo(dir.File("stuck.jpg"));
    saver->RandomImagesFolder = dir.Path().string();
    saver->SetSlideShow(true);
    test::TfifoWatchdog watchdog({fifo});
    saver->ShowSaver();
    EXPECT_FALSE(watchdog.Finish()) << "the slide show waited on the FIFO";
    EXPECT_TRUE(saver->pnlImage->Image().isNull());
    saver->CloseSaver();
}

// In a slide show the playing track's title, artist and album stay under the picture.
TEST_F(SaverRig, SlideShowKeepsTheTrackLabelsUnderThePicture)
{
    WritePicture(dir.File("one.jpg"), Qt::red);
    saver->RandomImagesFolder = dir.Path().string();
    saver->SetSlideShow(true);
    saver->UpdateTrackDisplay(Track("Night Band", "Slow Song", "Late Album", 1), "", 1, "");
    saver->ShowSaver();
    saver->resize(800, 600);
    QCoreApplication::processEvents();
    ASSERT_FALSE(saver->pnlImage->Image().isNull());
    for (ThtmlLabel* label : {saver->lblArtist, saver->lblTitle, saver->lblAlbum})
        EXPECT_TRUE(label->isVisible()) << label->objectName().toStdString();
    EXPECT_NE(saver->lblTitle->Caption().find("Slow Song"), std::string::npos);
    const int pictureBottom = saver->pnlImage->geometry().bottom();
    EXPECT_GT(saver->lblArtist->y(), pictureBottom);
    EXPECT_LT(saver->lblArtist->y(), saver->lblTitle->y());
    EXPECT_LT(saver->lblTitle->y(), saver->lblAlbum->y());
    EXPECT_EQ(saver->lblAlbum->geometry().bottom(), 599);
    saver->CloseSaver();
}

TEST_F(SaverRig, TouchOnAnyPartOrAKeyCloses)
{
    for (QWidget* part : {static_cast<QWidget*>(saver->lblTitle), static_cast<QWidget*>(saver->lblAlbum),
                          static_cast<QWidget*>(saver->pnlImage), static_cast<QWidget*>(saver.get())}) {
        saver->ShowSaver();
        ASSERT_TRUE(saver->isVisible());
        part->show();
        QTest::mouseClick(part, Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_FALSE(saver->isVisible()) << part->objectName().toStdString();
    }
    saver->ShowSaver();
    test::PressKey(*saver, Qt::Key_Space);
    EXPECT_FALSE(saver->isVisible());
}

TEST_F(SaverRig, FollowsTheTrackPlayingWhileShown)
{
    TaudioTagPtr playing = Track("First Band", "One", "", 0);
    saver->TrackSource = [&] { return playing; };
    saver->UpdateTrackDisplay(playing, "", 1, "");
    saver->ShowSaver();
    EXPECT_NE(saver->lblArtist->Caption().find("First Band"), std::string::npos);
    playing = Track("Second Band", "Two", "", 0);
    timers.Advance(1000);
    EXPECT_NE(saver->lblArtist->Caption().find("Second Band"), std::string::npos);
    saver->CloseSaver();
}

TEST_F(SaverRig, ClockFollowsTheTimeAtEachTickAndStaysCentredAcrossTheScreen)
{
    TDateTime now = EncodeDate(2026, 3, 14) + EncodeTime(21, 5, 0, 0);
    SetClock([&now] { return now; });
    saver->SetShowClock(true);
    EXPECT_TRUE(saver->GetShowClock());
    EXPECT_NE(saver->lblClock->Caption().find("2026"), std::string::npos) << saver->lblClock->Caption();
    saver->ShowSaver();
    saver->resize(800, 600);
    QCoreApplication::processEvents();
    const QRect placed = saver->lblClock->geometry();
    EXPECT_EQ(placed.x(), 0);
    EXPECT_EQ(placed.width(), 800);
    // The next tick shows the new time (not eleven ticks later), in the same place.
    now = EncodeDate(2027, 3, 14) + EncodeTime(21, 6, 1, 0);
    timers.Advance(1000);
    EXPECT_NE(saver->lblClock->Caption().find("2027"), std::string::npos);
    EXPECT_EQ(saver->lblClock->geometry(), placed) << "the clock moved after its refresh";
    // The track labels keep their width when their text changes.
    saver->UpdateTrackDisplay(Track("A much longer artist name", "T", "Al", 1), "", 1, "");
    for (ThtmlLabel* label : {saver->lblArtist, saver->lblTitle, saver->lblAlbum})
        EXPECT_EQ(label->width(), 800);
    SetClock({});
    saver->CloseSaver();
}

}  // namespace
}  // namespace tunecrest
