#pragma once
// The video panel of the in-process player: paints the pictures the graph hands it,
// moves to a borderless window over a chosen monitor for full screen, hides the
// mouse cursor after a while without movement, and lists the pipeline's elements.
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <mutex>

#include "playback/filter_graph_panel.h"

class QDialog;

namespace tunecrest {

// Monitors as "%d: (%d, %d, %d, %d)": 1-based number, then left, top, right, bottom.
std::vector<std::string> GetMonitorList();

// The "DirectShow Filters" window: the element names and a "&Close" button.
QDialog* CreateFiltersWindow(QWidget* parent, const std::vector<std::string>& filterNames);

class TmyFilterGraphPanel : public QWidget, public TcustomFilterGraphPanel {
public:
    // Idle time in full screen after which the cursor is hidden.
    static constexpr int kCursorHideMs = 5000;

    explicit TmyFilterGraphPanel(QWidget* parent = nullptr);
    ~TmyFilterGraphPanel() override;

    void PresentFrame(const TvideoFrame& frame) override;
    void ClearFrame() override;
    void RefreshVideo(bool hasVideo, TmediaPlayState state) override;
    void TimerTick(int intervalMs) override;
    void SetFullScreen(bool on) override;
    bool IsFullScreen() const override { return FfullScreen; }
    void SetMonitor(int index) override { Fmonitor = index; }
    int GetMonitor() const override { return Fmonitor; }
    void SetAutoFullScreen(bool on) override { FautoFullScreen = on; }
    bool GetAutoFullScreen() const override { return FautoFullScreen; }
    void SetDoubleClickFullScreen(bool on) override { DoubleClickFullScreen = on; }
    void ShowFiltersWindow(const std::vector<std::string>& filterNames) override;

    bool DoubleClickFullScreen = true;
    // Hidden while the graph is stopped (unless AlwaysVisible).
    bool HideWhenStopped = true;
    bool AlwaysVisible = false;

    // The last picture received (a copy).
    QImage CurrentFrame() const;
    bool CursorHidden() const { return FcursorHidden; }
    QWidget* FullScreenForm() const { return FfullScreenForm; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void HideCursor(bool hide);

    mutable std::mutex FframeMutex;
    QImage Fframe;
    bool FrepaintQueued = false;  // guarded by FframeMutex

    bool FfullScreen = false;
    bool FautoFullScreen = false;
    int Fmonitor = 0;
    int FidleMs = 0;
    bool FcursorHidden = false;
    QWidget* FfullScreenForm = nullptr;  // owned, created on first use
    QPointer<QWidget> FsavedParent;
    QRect FsavedGeometry;
    int FsavedLayoutIndex = -1;
    bool FsavedVisible = false;
    QPointer<QDialog> FfiltersWindow;
};

}  // namespace tunecrest
