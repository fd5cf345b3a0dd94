#include "windows/about_box.h"

#include <chrono>
#include <stdexcept>

#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QTest>

#include "core/base/system_services.h"
#include "skin/skin_button.h"
#include "skin/skin_forms.h"
#include "support/test_application.h"
#include "support/user_input.h"

namespace tunecrest {
namespace {

TEST(ProgressCounters, NestedAndOverlappingNeverBelowZero)
{
    TprogressCounters c;
    EXPECT_FALSE(c.MayClose(true));  // before the first progress operation
    EXPECT_TRUE(c.MayClose(false));  // a hidden window may always close
    c.ShowSplash();
    c.BeginProgress();
    c.ShowSplash();
    c.BeginProgress();
    c.ShowSplash();
    EXPECT_EQ(c.ProgressCount(), 2);
    EXPECT_FALSE(c.EndProgress());
    EXPECT_FALSE(c.CloseSplash());
    EXPECT_TRUE(c.EndProgress());
    EXPECT_FALSE(c.CloseSplash());
    EXPECT_FALSE(c.MayClose(true));
    EXPECT_TRUE(c.CloseSplash());
    EXPECT_TRUE(c.MayClose(true));
    EXPECT_TRUE(c.EndProgress());  // one too many
    EXPECT_TRUE(c.CloseSplash());
    EXPECT_EQ(c.ProgressCount(), 0);
    EXPECT_EQ(c.ShowCount(), 0);
    c.ShowSplash();
    c.ShowSplash();
    c.ForceClose();
    EXPECT_EQ(c.ShowCount(), 0);
}

struct AboutBox : ::testing::Test {
    AboutBox() : about((test::App(), *new TfrmTunecrestAbout2())) {}
    ~AboutBox() override { delete &about; }
    TfrmTunecrestAbout2& about;
};

// A long operation's many steps move the gauge and let the screen repaint only every so
// often (at its first and last steps always), so the work is not held up by them.
TEST_F(AboutBox, ManyProgressStepsRepaintEverySoOftenAndAtTheEnd)
{
    // Counts the turns of the event loop: one event is kept posted, and taken at each.
    struct Tturns : QObject {
        int Count = 0;
        bool Pending = false;
        void Post()
        {
            if (Pending) return;
            Pending = true;
            QCoreApplication::postEvent(this, new QEvent(QEvent::User));
        }
        bool event(QEvent* e) override
        {
            if (e->type() != QEvent::User) return QObject::event(e);
            Pending = false;
            ++Count;
            return true;
        }
    } turns;
    about.BeginProgress("Loading the library");
    QCoreApplication::processEvents();
    const int steps = 20000;
    const auto start = std::chrono::steady_clock::now();
    int atFirst = -1;
    for (int i = 0; i < steps; ++i) {
        turns.Post();
        about.SetProgress(i, steps);
        if (i == 0) {
            atFirst = turns.Count;
            EXPECT_EQ(about.GaugePosition(), 0);
        }
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(atFirst, 1) << "the first step repaints at once";
    const int most = 2 + int(elapsed / TfrmAbout2::kProgressRepaintInterval);
    EXPECT_LE(turns.Count, most);
    // The last step shows whatever is waiting.
    turns.Post();
    const int before = turns.Count;
    about.SetProgress(steps, steps);
    EXPECT_GT(turns.Count, before);
    EXPECT_EQ(about.GaugePosition(), steps);
    about.EndProgress();
}

TEST_F(AboutBox, NestedProgressKeepsThePanelUntilTheLastEnd)
{
    about.BeginProgress("Loading the library");
    EXPECT_TRUE(about.isVisible());
    EXPECT_TRUE(about.ProgressVisible());
    EXPECT_FALSE(about.CreditsVisible());
    EXPECT_EQ(about.StatusText(), "Loading the library");
    about.BeginProgress("Building the tree");
    about.SetProgress(40, 300);
    EXPECT_EQ(about.GaugeMaximum(), 300);
    EXPECT_EQ(about.GaugePosition(), 40);
    about.EndProgress();
    EXPECT_TRUE(about.ProgressVisible());
    EXPECT_TRUE(about.isVisible());
    about.EndProgress();
    EXPECT_FALSE(about.ProgressVisible());
    EXPECT_FALSE(about.isVisible());
    about.EndProgress();  // extra
    EXPECT_EQ(about.Counters().ProgressCount(), 0);
    EXPECT_EQ(about.Counters().ShowCount(), 0);
    EXPECT_EQ(about.lblDiagProgress->text(), "Progress : 0");
}

TEST_F(AboutBox, OverlappingUsersInEveryOrder)
{
    // A splash user and a progress user, released in both orders.
    for (bool splashFirst : {true, false}) {
        about.ShowSplash();
        about.BeginProgress("Scanning");
        if (splashFirst) {
            about.CloseSplash();
            EXPECT_TRUE(about.isVisible());
            about.EndProgress();
        } else {
            about.EndProgress();
            EXPECT_TRUE(about.isVisible());  // the splash user still holds it
            EXPECT_FALSE(about.ProgressVisible());
            about.CloseSplash();
        }
        EXPECT_FALSE(about.isVisible()) << splashFirst;
        EXPECT_EQ(about.Counters().ShowCount(), 0);
    }
    // Two progress operations ending in the order they began, and in reverse.
    about.BeginProgress("A");
    about.BeginProgress("B");
    about.EndProgress();
    about.SetStatusText("A goes on");
    EXPECT_TRUE(about.ProgressVisible());
    about.EndProgress();
    EXPECT_FALSE(about.isVisible());
}

TEST_F(AboutBox, AnExceptionStillEndsItsProgress)
{
    try {
        TprogressScope outer(&about, "Importing");
        TprogressScope inner(&about, "Reading");
        EXPECT_EQ(about.Counters().ProgressCount(), 2);
        throw std::runtime_error("broken file");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(about.Counters().ProgressCount(), 0);
    EXPECT_EQ(about.Counters().ShowCount(), 0);
    EXPECT_FALSE(about.isVisible());
    TprogressScope none(nullptr, "no window");  // callers without a progress window
}

TEST_F(AboutBox, MayCloseRule)
{
    // Before any progress operation a held window refuses to close.
    about.ShowSplash();
    about.close();
    EXPECT_TRUE(about.isVisible());
    about.ForceClose();
    EXPECT_TRUE(about.isVisible());  // the flag is not set yet
    about.BeginProgress("Start-up");
    test::PressKey(about, Qt::Key_Escape);  // held by a progress operation: nothing happens
    EXPECT_TRUE(about.isVisible());
    QTest::mouseClick(&about, Qt::LeftButton, {}, QPoint(150, 40));
    EXPECT_TRUE(about.isVisible());
    about.EndProgress();
    EXPECT_FALSE(about.isVisible());

    // As the about box, a click or Escape closes it.
    about.ShowAbout();
    EXPECT_TRUE(about.CreditsVisible());
    EXPECT_FALSE(about.ProgressVisible());
    test::PressKey(about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
    about.ShowAbout();
    QTest::mouseClick(&about, Qt::LeftButton, {}, QPoint(150, 40));
    EXPECT_FALSE(about.isVisible());
}

TEST_F(AboutBox, InputIsHeldBackWhileProgressRepaintsExceptForLiveControls)
{
    QWidget mainWindow;
    auto* play = new TmySkinButton(&mainWindow);
    play->setGeometry(0, 0, 80, 60);
    auto* stop = new TmySkinButton(&mainWindow);
    stop->setGeometry(100, 0, 80, 60);
    int plays = 0, stops = 0;
    play->OnClick = [&](TObject*) { ++plays; };
    stop->OnClick = [&](TObject*) { ++stops; };
    mainWindow.show();
    about.AddLiveControl(stop);

    auto postClick = [](QWidget* w) {
        const QPointF at(10, 10);
        QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonPress, at, w->mapToGlobal(at),
                                                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonRelease, at, w->mapToGlobal(at),
                                                       Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    };
    about.BeginProgress("Building the lists");
    postClick(play);
    postClick(stop);
    QCoreApplication::postEvent(play, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " "));
    about.SetProgress(1, 500);
    EXPECT_EQ(plays, 0);  // the half-built screen took no touch
    EXPECT_EQ(stops, 1);  // Stop stays live
    about.EndProgress();

    // Outside progress operations input flows as usual.
    postClick(play);
    QCoreApplication::processEvents();
    EXPECT_EQ(plays, 1);
}

TEST(AboutPicture, WashOutAndFrame)
{
    QImage picture(5, 4, QImage::Format_RGB32);
    picture.fill(qRgb(0, 100, 255));
    const QImage washed = WashOutPicture(picture);
    // round(v + (255 - v) x 0.65): 0 -> 166, 100 -> 201, 255 -> 255.
    EXPECT_EQ(QColor(washed.pixel(2, 2)), QColor(166, 201, 255));
    EXPECT_EQ(QColor(washed.pixel(0, 2)), QColor(0x40, 0x40, 0x40));
    EXPECT_EQ(QColor(washed.pixel(2, 0)), QColor(0x40, 0x40, 0x40));
    EXPECT_EQ(QColor(washed.pixel(4, 2)), QColor(0xA0, 0xA0, 0xA0));
    EXPECT_EQ(QColor(washed.pixel(2, 3)), QColor(0xA0, 0xA0, 0xA0));
}

TEST(AboutPicture, ShapedByItsPicture)
{
    test::App();
    TfrmTunecrestAbout2 about;
    about.ShowAbout();
    EXPECT_EQ(about.size(), QSize(300, 175));
    EXPECT_FALSE(about.mask().contains(QPoint(0, 0)));  // rounded corners are cut away
    EXPECT_FALSE(about.mask().contains(QPoint(299, 174)));
    EXPECT_TRUE(about.mask().contains(QPoint(150, 80)));
    EXPECT_EQ(about.mask(), BitmapShapeRegion(about.skinImage->Bitmap(), clLime));
    about.close();
}

TEST(Credits, TagPartsOfALine)
{
    test::App();
    QFont base("Arial");
    base.setPointSize(9);
    TcreditsLine right = ParseCreditsLine("[J:2]Right", base, clNavy, "1.2.3", "App");
    EXPECT_EQ(right.Text, "Right");
    EXPECT_EQ(right.Justify, 2);
    EXPECT_EQ(right.Font.pointSize(), 9);  // the control's font
    TcreditsLine bracket = ParseCreditsLine("[", base, clNavy, "1.2.3", "App");
    EXPECT_EQ(bracket.Text, "[");
    EXPECT_EQ(bracket.Color, clNavy);
    TcreditsLine full =
        ParseCreditsLine("[fn:DejaVu Sans;FS:12;FP:BU;FC:$C00000;HL:https://x.example/;J:1;FS:30]Version %V% of %A%",
                         base, clNavy, "1.2.3", "App");
    EXPECT_EQ(full.Text, "Version 1.2.3 of App");
    EXPECT_EQ(full.Font.family(), "DejaVu Sans");
    EXPECT_EQ(full.Font.pointSize(), 12);  // only the first FS counts
    EXPECT_TRUE(full.Font.bold());
    EXPECT_TRUE(full.Font.underline());
    EXPECT_FALSE(full.Font.italic());
    EXPECT_EQ(full.Color, TColor(0xC00000));
    EXPECT_EQ(full.Hyperlink, "https://x.example/");
    EXPECT_EQ(full.Justify, 1);
    TcreditsLine badSize = ParseCreditsLine("[FS:huge]x", base, clNavy, "", "");
    EXPECT_EQ(badSize.Font.pointSize(), 9);
    EXPECT_EQ(badSize.Color, clBlack);
}

TEST(Credits, ScrollsAsAnEndlessLoop)
{
    test::App();
    TmyCredits credits;
    credits.resize(260, 72);
    credits.SetLines({"one", "two", "three"});
    ASSERT_GT(credits.TotalHeight(), 0);
    const int total = credits.TotalHeight();
    for (int i = 0; i < total - 1; ++i) credits.Step();
    EXPECT_EQ(credits.Offset(), -(total - 1));
    credits.Step();
    EXPECT_EQ(credits.Offset(), 0);
    EXPECT_EQ(credits.Layout()[1].Text, "two");
}

}  // namespace
}  // namespace tunecrest

namespace tunecrest {
namespace {

// The program's own version as the system services report it.
class TversionServices : public TsystemServices {
  public:
    bool GetFileVersion(const std::string& name, TfileVersion& version) override {
        if (!name.empty()) return false;
        version = {2, 5, 1, 9};
        return true;
    }
};

TEST(Credits, VersionLineShowsTheProgramsOwnVersion)
{
    test::App();
    auto old = SetSystemServices(std::make_shared<TversionServices>());
    EXPECT_EQ(ProgramVersionText(vsMjMnRlBd), "2.5.1.9");
    EXPECT_EQ(ProgramVersionText(vsMjMnBd), "2.5.9");
    EXPECT_EQ(ProgramVersionText(vsMjMn), "2.5");
    EXPECT_EQ(ProgramVersionText(vsMjBd), "2.9");
    TfrmTunecrestAbout2 about;
    bool found = false;
    for (const TcreditsLine& line : about.credits->Layout()) {
        EXPECT_EQ(line.Text.find("1.0.0"), std::string::npos);
        if (line.Text == "Version 2.5.1.9") found = true;
    }
    EXPECT_TRUE(found) << "the version line of the credits";
    SetSystemServices(old);
    // Without a version the line says none rather than a made-up one.
    EXPECT_EQ(ProgramVersionText(vsMjMnRlBd), "");
}

}  // namespace
}  // namespace tunecrest
