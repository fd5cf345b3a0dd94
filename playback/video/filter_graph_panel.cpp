#include "playback/video/filter_graph_panel.h"

#include <QBoxLayout>
#include <QDialog>
#include <QGuiApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "core/base/text_utils.h"

namespace tunecrest {

std::vector<std::string> GetMonitorList() {
    std::vector<std::string> list;
    const auto screens = QGuiApplication::screens();
    for (int i = 0; i < screens.size(); ++i) {
        const QRect r = screens[i]->geometry();
        // Right and bottom are the first pixel outside the monitor.
        list.push_back(Format("%d: (%d, %d, %d, %d)", i + 1, r.left(), r.top(), r.left() + r.width(),
                              r.top() + r.height()));
    }
    return list;
}

QDialog* CreateFiltersWindow(QWidget* parent, const std::vector<std::string>& filterNames) {
    auto* window = new QDialog(parent);
    window->setWindowTitle("DirectShow Filters");
    auto* layout = new QVBoxLayout(window);
    auto* list = new QListWidget(window);
    for (const auto& name : filterNames) list->addItem(QString::fromStdString(name));
    layout->addWidget(list);
    auto* close = new QPushButton("&Close", window);
    QObject::connect(close, &QPushButton::clicked, window, &QDialog::close);
    layout->addWidget(close, 0, Qt::AlignRight);
    window->resize(420, 300);
    return window;
}

TmyFilterGraphPanel::TmyFilterGraphPanel(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    hide();
}

TmyFilterGraphPanel::~TmyFilterGraphPanel() {
    // The form holds the panel while full screen: give the panel back before the form goes.
    if (FfullScreen) SetFullScreen(false);
    delete FfullScreenForm;
}

void TmyFilterGraphPanel::PresentFrame(const TvideoFrame& frame) {
    if (!frame.Data || frame.Width <= 0 || frame.Height <= 0 || frame.Stride < frame.Width * 4) return;
    const QImage view(frame.Data, frame.Width, frame.Height, frame.Stride, QImage::Format_RGB32);
    QImage copy = view.copy();
    bool queue = false;
    {
        std::lock_guard lock(FframeMutex);
        Fframe = std::move(copy);
        queue = !FrepaintQueued;
        FrepaintQueued = true;
    }
    // One repaint waits at a time, however fast the pictures come.
    if (queue)
        QMetaObject::invokeMethod(
            this,
            [this] {
                {
                    std::lock_guard lock(FframeMutex);
                    FrepaintQueued = false;
                }
                update();
            },
            Qt::QueuedConnection);
}

void TmyFilterGraphPanel::ClearFrame() {
    {
        std::lock_guard lock(FframeMutex);
        Fframe = QImage();
    }
    QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
}

QImage TmyFilterGraphPanel::CurrentFrame() const {
    std::lock_guard lock(FframeMutex);
    return Fframe;
}

void TmyFilterGraphPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QImage frame = CurrentFrame();
    if (frame.isNull()) return;
    // Keeps the picture's proportions, centred with black bars.
    QSize size = frame.size().scaled(this->size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), size);
    target.moveCenter(rect().center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, frame);
}

void TmyFilterGraphPanel::RefreshVideo(bool hasVideo, TmediaPlayState state) {
    const bool visible = (hasVideo && (!HideWhenStopped || state != psStopped)) || AlwaysVisible;
    if (FautoFullScreen) {
        if (hasVideo && (state == psPlaying || state == psPaused))
            SetFullScreen(true);
        else if (state == psStopped)
            SetFullScreen(false);
    }
    if (FfullScreen && FfullScreenForm)
        FfullScreenForm->setVisible(visible);
    setVisible(visible);
}

void TmyFilterGraphPanel::TimerTick(int intervalMs) {
    if (!FfullScreen) return;
    FidleMs += intervalMs;
    if (FidleMs > kCursorHideMs) HideCursor(true);
}

void TmyFilterGraphPanel::HideCursor(bool hide) {
    FcursorHidden = hide;
    if (hide)
        setCursor(Qt::BlankCursor);
    else
        unsetCursor();
}

void TmyFilterGraphPanel::mouseMoveEvent(QMouseEvent* event) {
    FidleMs = 0;
    if (FcursorHidden) HideCursor(false);
    QWidget::mouseMoveEvent(event);
}

void TmyFilterGraphPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (DoubleClickFullScreen) SetFullScreen(!FfullScreen);
    QWidget::mouseDoubleClickEvent(event);
}

void TmyFilterGraphPanel::SetFullScreen(bool on) {
    if (on == FfullScreen) return;
    if (on) {
        FsavedParent = parentWidget();
        FsavedGeometry = geometry();
        FsavedVisible = isVisible();
        QLayout* layout = FsavedParent ? FsavedParent->layout() : nullptr;
        FsavedLayoutIndex = layout ? layout->indexOf(this) : -1;
        if (!FfullScreenForm) {
            FfullScreenForm = new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint);
            auto* formLayout = new QVBoxLayout(FfullScreenForm);
            formLayout->setContentsMargins(0, 0, 0, 0);
        }
        const auto screens = QGuiApplication::screens();
        const int index = (Fmonitor >= 0 && Fmonitor < screens.size()) ? Fmonitor : 0;
        if (!screens.isEmpty()) FfullScreenForm->setGeometry(screens[index]->geometry());
        setParent(FfullScreenForm);
        FfullScreenForm->layout()->addWidget(this);
        FfullScreen = true;
        FidleMs = 0;
        HideCursor(true);
        show();
        FfullScreenForm->show();
        FfullScreenForm->raise();
    } else {
        FfullScreen = false;
        HideCursor(false);
        FfullScreenForm->hide();
        FfullScreenForm->layout()->removeWidget(this);
        setParent(FsavedParent);
        if (FsavedParent && FsavedParent->layout()) {
            if (auto* box = qobject_cast<QBoxLayout*>(FsavedParent->layout()); box && FsavedLayoutIndex >= 0)
                box->insertWidget(FsavedLayoutIndex, this);
            else
                FsavedParent->layout()->addWidget(this);
        }
        setGeometry(FsavedGeometry);
        setVisible(FsavedVisible);
    }
}

void TmyFilterGraphPanel::ShowFiltersWindow(const std::vector<std::string>& filterNames) {
    if (FfiltersWindow) FfiltersWindow->close();
    FfiltersWindow = CreateFiltersWindow(window(), filterNames);
    FfiltersWindow->setAttribute(Qt::WA_DeleteOnClose);
    FfiltersWindow->show();
}

}  // namespace tunecrest
