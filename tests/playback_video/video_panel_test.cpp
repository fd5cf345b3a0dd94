#include "playback/video/filter_graph_panel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "playback/filter_graph.h"
#include "support/media_files.h"
#include "support/player_test_support.h"
#include "support/temp_dir.h"
#include "support/test_application.h"

namespace tunecrest {
namespace {

using test::App;

class VideoPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        Owner = std::make_unique<QWidget>();
        Owner->resize(400, 300);
        auto* layout = new QVBoxLayout(Owner.get());
        layout->addWidget(new QWidget(Owner.get()));
        Panel = new TmyFilterGraphPanel(Owner.get());
        layout->addWidget(Panel);
        layout->addWidget(new QWidget(Owner.get()));
        Owner->show();
        Panel->show();
        QApplication::processEvents();
    }
    std::unique_ptr<QWidget> Owner;
    TmyFilterGraphPanel* Panel = nullptr;
};

TEST_F(VideoPanelTest, PicturesAreCopiedAndRepainted) {
    // 2x1 BGRx picture with padding in the row: blue, red.
    const uint8_t bytes[12] = {0xFF, 0, 0, 0, 0, 0, 0xFF, 0, 9, 9, 9, 9};
    TvideoFrame frame{2, 1, 12, bytes};
    Panel->PresentFrame(frame);
    QApplication::processEvents();
    const QImage image = Panel->CurrentFrame();
    ASSERT_EQ(image.size(), QSize(2, 1));
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(image.pixel(1, 0) & 0xFFFFFF, 0xFF0000u);
    // A frame with a stride too small for its width is refused.
    TvideoFrame bad{4, 1, 8, bytes};
    Panel->PresentFrame(bad);
    EXPECT_EQ(Panel->CurrentFrame().size(), QSize(2, 1));
    Panel->ClearFrame();
    EXPECT_TRUE(Panel->CurrentFrame().isNull());
}

TEST_F(VideoPanelTest, FullScreenMovesToTheMonitorAndBackToItsPlaceInTheLayout) {
    auto* layout = Owner->layout();
    const int index = layout->indexOf(Panel);
    const QRect bounds = Panel->geometry();
    Panel->SetMonitor(7);  // out of range: the first monitor
    Panel->SetFullScreen(true);
    ASSERT_TRUE(Panel->IsFullScreen());
    EXPECT_EQ(Panel->parentWidget(), Panel->FullScreenForm());
    EXPECT_EQ(Panel->FullScreenForm()->geometry(), QGuiApplication::screens()[0]->geometry());
    EXPECT_TRUE(Panel->CursorHidden());
    EXPECT_EQ(layout->indexOf(Panel), -1);
    Panel->SetFullScreen(true);  // already on: nothing changes
    EXPECT_TRUE(Panel->IsFullScreen());

    Panel->SetFullScreen(false);
    EXPECT_FALSE(Panel->IsFullScreen());
    EXPECT_EQ(Panel->parentWidget(), Owner.get());
    EXPECT_EQ(layout->indexOf(Panel), index);
    EXPECT_EQ(Panel->geometry(), bounds);
    EXPECT_FALSE(Panel->CursorHidden());
    EXPECT_FALSE(Panel->FullScreenForm()->isVisible());
}

TEST_F(VideoPanelTest, TheCursorHidesAfterFiveStillSecondsInFullScreen) {
    Panel->SetFullScreen(true);
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Panel, &move);
    EXPECT_FALSE(Panel->CursorHidden());
    for (int i = 0; i < 10; ++i) Panel->TimerTick(500);  // exactly 5000 ms
    EXPECT_FALSE(Panel->CursorHidden());
    Panel->TimerTick(500);
    EXPECT_TRUE(Panel->CursorHidden());
    QApplication::sendEvent(Panel, &move);
    EXPECT_FALSE(Panel->CursorHidden());
    Panel->SetFullScreen(false);
    for (int i = 0; i < 20; ++i) Panel->TimerTick(500);  // not counted outside full screen
    EXPECT_FALSE(Panel->CursorHidden());
}

TEST_F(VideoPanelTest, DoubleClickAndAutomaticFullScreen) {
    QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(Panel, &click);
    EXPECT_TRUE(Panel->IsFullScreen());
    QApplication::sendEvent(Panel, &click);
    EXPECT_FALSE(Panel->IsFullScreen());
    Panel->DoubleClickFullScreen = false;
    QApplication::sendEvent(Panel, &click);
    EXPECT_FALSE(Panel->IsFullScreen());

    Panel->RefreshVideo(false, psPlaying);  // audio only: hidden
    EXPECT_FALSE(Panel->isVisible());
    Panel->RefreshVideo(true, psPlaying);
    EXPECT_TRUE(Panel->isVisible());
    Panel->RefreshVideo(true, psStopped);
    EXPECT_FALSE(Panel->isVisible());
    Panel->AlwaysVisible = true;
    Panel->RefreshVideo(false, psStopped);
    EXPECT_TRUE(Panel->isVisible());
    Panel->AlwaysVisible = false;

    Panel->SetAutoFullScreen(true);
    Panel->RefreshVideo(true, psPaused);
    EXPECT_TRUE(Panel->IsFullScreen());
    Panel->RefreshVideo(true, psStopped);
    EXPECT_FALSE(Panel->IsFullScreen());
    Panel->RefreshVideo(false, psPlaying);
    EXPECT_FALSE(Panel->IsFullScreen());
}

TEST_F(VideoPanelTest, FiltersWindowAndMonitorList) {
    std::unique_ptr<QDialog> window(CreateFiltersWindow(nullptr, {"Playbin (playbin0)", "Fake Sink (fakesink0)"}));
    EXPECT_EQ(window->windowTitle(), "DirectShow Filters");
    auto* list = window->findChild<QListWidget*>();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), "Fake Sink (fakesink0)");
    auto* close = window->findChild<QPushButton*>();
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), "&Close");

    const auto monitors = GetMonitorList();
    ASSERT_FALSE(monitors.empty());
    const QRect r = QGuiApplication::screens()[0]->geometry();
    EXPECT_EQ(monitors[0], "1: (" + std::to_string(r.left()) + ", " + std::to_string(r.top()) + ", " +
                               std::to_string(r.left() + r.width()) + ", " + std::to_string(r.top() + r.height()) +
                               ")");
}

TEST_F(VideoPanelTest, VideoFramesFromThePlayerReachThePanel) {
    test::UseFakeAudioSink();
    test::TempDir dir;
    const std::string file = dir.File("clip.mp4");
    ASSERT_TRUE(test::MakeMediaFile(file, test::TmediaFormat::Mp4Video, 1.0));
    TmyFilterGraph graph;
    graph.SetPanel(Panel);
    int completions = 0;
    graph.OnComplete = [&](TObject*) { ++completions; };
    ASSERT_TRUE(graph.OpenAndPlay(file));
    EXPECT_TRUE(Panel->isVisible());
    ASSERT_TRUE(test::PollUntil(
        [&] {
            QApplication::processEvents();
            graph.TimerTick();
        },
        [&] { return completions > 0; }));
    EXPECT_EQ(Panel->CurrentFrame().size(), QSize(160, 120));
    EXPECT_FALSE(Panel->isVisible());  // hidden again once stopped
    graph.SetPanel(nullptr);
}

}  // namespace
}  // namespace tunecrest
