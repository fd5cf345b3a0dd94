#include "skin/skin_forms.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "core/jukebox/global_prefs.h"
#include "skin/apply_skin.h"
#include "skin/bitmap_container.h"
#include "skin/component_owner.h"
#include "skin/qt_color.h"
#include "skin/skin_colors.h"
#include "skin/skin_panel.h"

namespace tunecrest {

namespace {

TformSkinColors& StoredSkinColors()
{
    static TformSkinColors colors;
    return colors;
}

constexpr int kBorder = 10;

// The skinned panel that fills a form: it wears the skin's panel picture from the
// preferences' bitmap store, recoloured with the panel colour; without a picture it is
// the panel colour with a light inner line, so a borderless window still shows where it
// ends.
class TformPanel : public TmySkinPanel {
public:
    explicit TformPanel(QWidget* parent) : TmySkinPanel(parent) {}
    void ApplySkinColors(TColor buttonColor, TColor panelColor, TColor checked, TColor font) override
    {
        Fcolor = panelColor;
        TmySkinPanel::ApplySkinColors(buttonColor, panelColor, checked, font);
        update();
    }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        if (!EffectiveSkin().isNull()) {
            TmySkinPanel::paintEvent(e);
            return;
        }
        QPainter p(this);
        p.fillRect(rect(), ToQColor(Fcolor));
        p.setPen(ToQColor(LightenColor(Fcolor, 35)));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    TColor Fcolor = 0x754939;
};

// Keeps a form panel behind the controls of a window and at the window's size.
class TpanelBehind : public QObject {
public:
    TpanelBehind(QWidget& window, QWidget& panel) : QObject(&panel), Fpanel(panel) { window.installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show) {
            Fpanel.setGeometry(static_cast<QWidget*>(watched)->rect());
            Fpanel.lower();
        }
        return false;
    }

private:
    QWidget& Fpanel;
};

void SkinFormPanel(TformPanel& panel)
{
    const TformSkinColors colors = FormSkinColors();
    if (const QImage picture = FormPanelPicture(); picture.cacheKey() != panel.SkinBitmap().cacheKey())
        panel.SetSkinBitmap(picture);
    panel.ApplySkinColors(colors.ColorA, colors.ColorB, DarkenColor(colors.ColorA, 30), colors.ColorA);
}

}  // namespace

void WearFormPanel(QWidget& window)
{
    if (window.findChild<TformPanel*>("frmFormPanel", Qt::FindDirectChildrenOnly)) return;
    auto* panel = new TformPanel(&window);
    panel->setObjectName("frmFormPanel");
    panel->setAttribute(Qt::WA_OpaquePaintEvent, false);
    panel->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    panel->SetupFinished();
    panel->setGeometry(window.rect());
    panel->lower();
    new TpanelBehind(window, *panel);
    SkinFormPanel(*panel);
    GlobalPrefs().AddChangeListener(panel, [panel](TObject*) { SkinFormPanel(*panel); });
    QObject::connect(panel, &QObject::destroyed, [panel] { GlobalPrefs().RemoveChangeListener(panel); });
}

TformSkinColors FormSkinColors() { return StoredSkinColors(); }

void SetFormSkinColors(const TformSkinColors& colors)
{
    StoredSkinColors() = colors;
    GlobalPrefs().Changed();
}

TformEdge FormEdgeAt(int dx, int dy, int width, int height)
{
    if (dx < kBorder + 1) {
        if (dy <= kBorder) return TformEdge::TopLeft;
        if (dy < height - kBorder) return TformEdge::Left;
        return TformEdge::BottomLeft;
    }
    if (dx >= width - kBorder) {
        if (dy <= kBorder) return TformEdge::TopRight;
        if (dy < height - kBorder) return TformEdge::Right;
        return TformEdge::BottomRight;
    }
    if (dy <= kBorder) return TformEdge::Top;
    if (dy >= height - kBorder) return TformEdge::Bottom;
    return TformEdge::None;
}

Qt::CursorShape EdgeCursor(TformEdge edge)
{
    switch (edge) {
        case TformEdge::Left:
        case TformEdge::Right: return Qt::SizeHorCursor;
        case TformEdge::Top:
        case TformEdge::Bottom: return Qt::SizeVerCursor;
        case TformEdge::TopLeft:
        case TformEdge::BottomRight: return Qt::SizeFDiagCursor;
        case TformEdge::TopRight:
        case TformEdge::BottomLeft: return Qt::SizeBDiagCursor;
        case TformEdge::None: break;
    }
    return Qt::ArrowCursor;
}

Qt::Edges EdgeToQtEdges(TformEdge edge)
{
    switch (edge) {
        case TformEdge::Left: return Qt::LeftEdge;
        case TformEdge::Right: return Qt::RightEdge;
        case TformEdge::Top: return Qt::TopEdge;
        case TformEdge::Bottom: return Qt::BottomEdge;
        case TformEdge::TopLeft: return Qt::TopEdge | Qt::LeftEdge;
        case TformEdge::TopRight: return Qt::TopEdge | Qt::RightEdge;
        case TformEdge::BottomLeft: return Qt::BottomEdge | Qt::LeftEdge;
        case TformEdge::BottomRight: return Qt::BottomEdge | Qt::RightEdge;
        case TformEdge::None: break;
    }
    return {};
}

// ---- TfrmBaseSkinForm

TfrmBaseSkinForm::TfrmBaseSkinForm(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    auto* panel = CreateComponent<TformPanel>(this, this);
    FfrmBaseSkinForm = panel;
    FfrmBaseSkinForm->setObjectName("frmBaseSkinForm");
    // The panel paints the whole form, so it is drawn before the controls on it.
    panel->setAttribute(Qt::WA_OpaquePaintEvent, false);
    panel->SetupFinished();
    FfrmBaseSkinForm->setMouseTracking(true);
    FfrmBaseSkinForm->installEventFilter(this);
    GlobalPrefs().AddChangeListener(this, [this](TObject*) { ApplySkin(); });
    ApplySkin();
}

TfrmBaseSkinForm::~TfrmBaseSkinForm() { GlobalPrefs().RemoveChangeListener(this); }

void TfrmBaseSkinForm::SetSizeable(bool value)
{
    Fsizeable = value;
    if (!value) FfrmBaseSkinForm->unsetCursor();
}

QImage FormPanelPicture()
{
    const TbitmapContainer* store = GlobalPrefs().BitmapContainer();
    return store ? store->Items().BitmapByName(kFormPanelPictureName) : QImage();
}

void TfrmBaseSkinForm::ApplySkin()
{
    const TformSkinColors colors = FormSkinColors();
    auto* panel = static_cast<TmySkinPanel*>(FfrmBaseSkinForm);
    if (const QImage picture = FormPanelPicture(); picture.cacheKey() != panel->SkinBitmap().cacheKey())
        panel->SetSkinBitmap(picture);
    ApplySkinToControls(*this, colors.ColorA, colors.ColorB, DarkenColor(colors.ColorA, 30), colors.ColorA);
    ++FapplyCount;
}

TformEdge TfrmBaseSkinForm::EdgeUnder(QPoint panelPoint) const
{
    if (!Fsizeable) return TformEdge::None;
    const QPoint p = FfrmBaseSkinForm->mapTo(this, panelPoint);
    return FormEdgeAt(p.x(), p.y(), width(), height());
}

bool TfrmBaseSkinForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FfrmBaseSkinForm &&
        (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const TformEdge edge = EdgeUnder(mouse->position().toPoint());
        if (Fsizeable) FfrmBaseSkinForm->setCursor(EdgeCursor(edge));
        // The window manager resizes the window from here on.
        if (edge != TformEdge::None && (mouse->buttons() & Qt::LeftButton) && windowHandle())
            windowHandle()->startSystemResize(EdgeToQtEdges(edge));
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmBaseSkinForm::resizeEvent(QResizeEvent* e)
{
    FfrmBaseSkinForm->setGeometry(rect());
    QDialog::resizeEvent(e);
}

// ---- TmySkinForm

QRegion BitmapShapeRegion(const QImage& bitmap, TColor transparentColor)
{
    QRegion region;
    if (bitmap.isNull()) return region;
    const QImage image = ToSkinBitmap(bitmap);
    const TcolorTriple clear = ColorToTriple(transparentColor);
    // One rectangle per run of opaque pixels in a row: the same region as one per pixel.
    QList<QRect> rects;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        int x = 0;
        while (x < image.width()) {
            auto opaque = [&](int px) {
                const uchar* p = line + 3 * px;
                return !(p[0] == clear.B && p[1] == clear.G && p[2] == clear.R);
            };
            while (x < image.width() && !opaque(x)) ++x;
            const int start = x;
            while (x < image.width() && opaque(x)) ++x;
            if (x > start) rects.append(QRect(start, y, x - start, 1));
        }
    }
    region.setRects(rects.constData(), int(rects.size()));
    return region;
}

TmySkinForm::TmySkinForm(QWidget* parent) : QWidget(parent) {}

void TmySkinForm::SetBitmap(const QImage& bitmap)
{
    Fbitmap = ToSkinBitmap(bitmap).copy();
    UpdateShape();
}

void TmySkinForm::SetTransparentColor(TColor color)
{
    FtransparentColor = color;
    UpdateShape();
}

void TmySkinForm::UpdateShape()
{
    if (Fbitmap.isNull() || !parentWidget()) return;
    setGeometry(0, 0, Fbitmap.width(), Fbitmap.height());
    QWidget* form = window();
    form->resize(Fbitmap.size());
    const QRegion shape = BitmapShapeRegion(Fbitmap, FtransparentColor);
    // An empty mask would mean "no shape" to Qt; a bitmap all in the transparent colour
    // leaves nothing of the window, so it gets a mask outside the window.
    form->setMask(shape.isEmpty() ? QRegion(-1, -1, 1, 1) : shape);
    update();
}

void TmySkinForm::paintEvent(QPaintEvent*)
{
    if (Fbitmap.isNull()) return;
    QPainter p(this);
    p.drawImage(0, 0, Fbitmap);
}

void TmySkinForm::mousePressEvent(QMouseEvent* e)
{
    if (FformMove && e->button() == Qt::LeftButton && window()->windowHandle()) {
        window()->windowHandle()->startSystemMove();
        return;
    }
    QWidget::mousePressEvent(e);
}

}  // namespace tunecrest
