#include "skin_art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "skin/qt_color.h"
#include "skin/skin_colors.h"

namespace tunecrest {

namespace {

QColor Level(int level) { return QColor(level, level, level); }

QImage Canvas(int width, int height, int level = 128)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Level(level));
    return image;
}

// The look of one face: a vertical gradient, a border and an optional inner highlight.
struct Tface {
    int Top, Bottom, Border, Highlight;  // Highlight < 0: none
};

constexpr Tface kNormal{158, 118, 82, 178};
constexpr Tface kPressed{100, 118, 72, -1};
constexpr Tface kChecked{204, 176, 96, 224};
constexpr Tface kCheckedPressed{180, 192, 90, -1};

void Face(QPainter& p, const QRectF& r, qreal radius, const Tface& f, TskinStyle style)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, Level(f.Top));
    fill.setColorAt(1, Level(f.Bottom));
    p.setPen(QPen(Level(f.Border), 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    if (style == ssClassic) {
        // A gloss over the upper half.
        const QRectF gloss = r.adjusted(2, 2, -2, -r.height() / 2);
        QLinearGradient g(gloss.topLeft(), gloss.bottomLeft());
        g.setColorAt(0, Level(std::min(f.Top + 50, 238)));
        g.setColorAt(1, Level(std::min(f.Top + 8, 238)));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        const qreal gr = std::max<qreal>(radius - 2, 0);
        p.drawRoundedRect(gloss, std::min(gr, gloss.height() / 2), std::min(gr, gloss.height() / 2));
    }
    if (f.Highlight >= 0) {
        p.setClipRect(QRectF(r.left(), r.top(), r.width(), r.height() / 2));
        p.setPen(QPen(Level(f.Highlight), 1.0));
        p.setBrush(Qt::NoBrush);
        const qreal ir = std::max<qreal>(radius - 1, 0);
        p.drawRoundedRect(r.adjusted(1.5, 1.5, -1.5, -1.5), ir, ir);
    }
    p.restore();
}

// A soft shadow under a face, in darker shades of the surroundings.
void Shadow(QPainter& p, const QRectF& r, qreal radius)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(Level(116));
    p.drawRoundedRect(r.translated(0, 3).adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
    p.setBrush(Level(102));
    p.drawRoundedRect(r.translated(0, 1.5), radius, radius);
    p.restore();
}

// A mask shape: one exact colour, no smoothing, so every pixel is a mask colour.
void MaskShape(QPainter& p, const QRectF& r, qreal radius, const QColor& c)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(r, radius, radius);
    p.restore();
}

void Polygon(QPainter& p, std::initializer_list<QPointF> points, int level)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(Level(level));
    p.drawPolygon(QPolygonF(QList<QPointF>(points)));
    p.restore();
}

void Marker(QImage& image, int x, int y) { image.setPixel(x, y, qRgb(255, 255, 255)); }

QImage ToTemplate(const QImage& image) { return ToSkinBitmap(image); }

// ---- push and check buttons: frames side by side, the last one the mask.

constexpr int kButtonW = 120, kButtonH = 64;

QImage Button(TskinStyle style, bool check)
{
    const std::vector<Tface> faces = check ? std::vector<Tface>{kNormal, kPressed, kChecked, kCheckedPressed}
                                           : std::vector<Tface>{kNormal, kPressed};
    const int frames = int(faces.size()) + 1;
    QImage image = Canvas(kButtonW * frames, kButtonH);
    QPainter p(&image);
    const QRectF face(4, 3, kButtonW - 8, kButtonH - 10);
    const qreal radius = style == ssDefault ? 12 : face.height() / 2;
    for (int i = 0; i < int(faces.size()); ++i) {
        p.save();
        p.translate(i * kButtonW, 0);
        const bool pressed = i % 2 == 1;
        const QRectF r = pressed ? face.translated(0, 1.5) : face;
        if (!pressed) Shadow(p, r, radius);
        Face(p, r, radius, faces[size_t(i)], style);
        if (i >= 2) {
            // The checked states carry a lit indicator bar near the bottom of the face.
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(Qt::NoPen);
            p.setBrush(Level(244));
            p.drawRoundedRect(QRectF(r.center().x() - 20, r.bottom() - 9, 40, 4), 2, 2);
        }
        p.restore();
    }
    p.translate((frames - 1) * kButtonW, 0);
    p.fillRect(QRect(0, 0, kButtonW, kButtonH), Qt::black);
    MaskShape(p, face.adjusted(0, 0, 0, 2), radius, Qt::white);
    p.end();
    return ToTemplate(image);
}

// ---- scroll bars: parts cut by three markers; up button, thumb, track, down button.

constexpr int kBarW = 64;
constexpr int kUpEnd = 64, kThumbEnd = 129, kTrackEnd = 146, kBarH = 211;

void BarButton(QPainter& p, int top, bool up, bool pressed, TskinStyle style)
{
    const QRectF r(6, top + 6, kBarW - 12, 52);
    const qreal radius = style == ssDefault ? 10 : r.width() / 2;
    Face(p, pressed ? r.translated(0, 1) : r, radius, pressed ? kPressed : kNormal, style);
    const qreal cx = 32, cy = top + 32 + (pressed ? 1 : 0);
    const int glyph = pressed ? 222 : 238;
    if (up)
        Polygon(p, {{cx, cy - 9}, {cx + 12, cy + 7}, {cx - 12, cy + 7}}, glyph);
    else
        Polygon(p, {{cx, cy + 9}, {cx + 12, cy - 7}, {cx - 12, cy - 7}}, glyph);
}

QImage VerticalBar(TskinStyle style)
{
    QImage image = Canvas(kBarW * 3, kBarH);
    QPainter p(&image);
    for (int frame = 0; frame < 2; ++frame) {
        p.save();
        p.translate(frame * kBarW, 0);
        const bool pressed = frame == 1;
        BarButton(p, 0, true, pressed, style);
        const QRectF thumb(10, kUpEnd + 5, kBarW - 20, 54);
        Face(p, pressed ? thumb.translated(0, 1) : thumb, style == ssDefault ? 10 : 20, pressed ? kPressed : kNormal, style);
        for (int i = -1; i <= 1; ++i) p.fillRect(QRectF(22, kUpEnd + 32 + i * 7 + (pressed ? 1 : 0), 20, 2), Level(pressed ? 84 : 96));
        // The track: a groove that repeats along the bar.
        p.fillRect(QRect(25, kThumbEnd + 1, 14, kTrackEnd - kThumbEnd - 1), Level(96));
        p.fillRect(QRect(27, kThumbEnd + 1, 10, kTrackEnd - kThumbEnd - 1), Level(104));
        BarButton(p, kTrackEnd + 1, false, pressed, style);
        p.restore();
    }
    p.translate(2 * kBarW, 0);
    p.fillRect(QRect(0, 0, kBarW, kBarH), Qt::black);
    MaskShape(p, QRectF(6, 6, kBarW - 12, 53), 10, Qt::white);
    MaskShape(p, QRectF(10, kUpEnd + 5, kBarW - 20, 55), 10, Qt::white);
    MaskShape(p, QRectF(6, kTrackEnd + 7, kBarW - 12, 53), 10, Qt::white);
    p.end();
    Marker(image, 0, kUpEnd);
    Marker(image, 0, kThumbEnd);
    Marker(image, 0, kTrackEnd);
    return ToTemplate(image);
}

// The horizontal bar is the vertical one mirrored about its diagonal: frames stacked,
// markers in row 0, the arrows pointing left and right.
QImage Transposed(const QImage& image)
{
    QImage t(image.height(), image.width(), image.format());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) t.setPixel(y, x, image.pixel(x, y));
    return t;
}

// ---- panel and splitter: one frame cut by two markers each way.

QImage Panel(TskinStyle style)
{
    const int size = 48, m1 = 16, m2 = 31;
    QImage image = Canvas(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF card(2, 2, size - 4, size - 4);
    if (style == ssDefault) {
        // A hairline a little lighter than the panel outlines each card.
        p.setPen(QPen(Level(150), 1.0));
        p.setBrush(Level(128));
        p.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
        p.setRenderHint(QPainter::Antialiasing, false);
        // An accent strip in the button colour (blue-only pixels take Color2).
        p.fillRect(QRect(12, 3, size - 24, 2), QColor(0, 0, 128));
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(Level(100));
        p.drawRoundedRect(card, 6, 6);
        p.setBrush(Level(150));
        p.drawRoundedRect(card.adjusted(0, 0, -2, -2), 6, 6);
        p.setBrush(Level(128));
        p.drawRoundedRect(card.adjusted(2, 2, -2, -2), 5, 5);
    }
    p.end();
    Marker(image, m1, 0);
    Marker(image, m2, 0);
    Marker(image, 0, m1);
    Marker(image, 0, m2);
    return ToTemplate(image);
}

QImage Splitter(TskinStyle style)
{
    const int size = 24, m1 = 8, m2 = 15;
    QImage image = Canvas(size, size, 108);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(Level(164));
    if (style == ssDefault)
        p.drawEllipse(QPointF(12, 12), 1.6, 1.6);
    else
        p.drawRect(QRectF(10.5, 10.5, 3, 3));
    p.end();
    Marker(image, m1, 0);
    Marker(image, m2, 0);
    Marker(image, 0, m1);
    Marker(image, 0, m2);
    return ToTemplate(image);
}

// ---- multi-button: four sub-buttons in the quarters; the mask gives each its colour.

QImage MultiButton(TskinStyle style)
{
    const int size = 128;
    QImage image = Canvas(size * 4, size);
    QPainter p(&image);
    const QRectF quarters[] = {{4, 4, 58, 58}, {66, 4, 58, 58}, {4, 66, 58, 58}, {66, 66, 58, 58}};
    const qreal radius = style == ssDefault ? 12 : 18;
    const Tface looks[] = {kNormal, kPressed, kChecked};
    for (int frame = 0; frame < 3; ++frame) {
        p.save();
        p.translate(frame * size, 0);
        for (const QRectF& q : quarters) {
            if (frame == 0) Shadow(p, q, radius);
            Face(p, frame == 1 ? q.translated(0, 1) : q, radius, looks[frame], style);
            if (frame == 2) {
                p.setRenderHint(QPainter::Antialiasing, true);
                p.setPen(Qt::NoPen);
                p.setBrush(Level(244));
                p.drawEllipse(QPointF(q.center().x(), q.bottom() - 9), 3.5, 3.5);
            }
        }
        p.restore();
    }
    p.translate(3 * size, 0);
    p.fillRect(QRect(0, 0, size, size), Qt::black);
    for (int i = 0; i < 4; ++i) MaskShape(p, quarters[i].adjusted(0, 0, 0, 1), radius, ToQColor(kMultiButtonMask[size_t(i)]));
    p.end();
    return ToTemplate(image);
}

// ---- keyboard key: a stretch button, built at any size from a 3 x 3 grid of cells,
// so every edge cell is even along its edge and the centre cell is flat.

QImage KeyboardKey(TskinStyle style)
{
    const int size = 72;
    QImage image = Canvas(size * 3, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF face(3, 3, size - 6, size - 9);
    const qreal radius = style == ssDefault ? 10 : 14;
    // Normal: a flat face standing on a darker edge (the key's depth).
    p.setPen(Qt::NoPen);
    p.setBrush(Level(92));
    p.drawRoundedRect(face.translated(0, 3), radius, radius);
    p.setPen(QPen(Level(96), 1.0));
    p.setBrush(Level(style == ssDefault ? 150 : 140));
    p.drawRoundedRect(face.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    if (style == ssClassic) {
        p.setPen(Qt::NoPen);
        p.setBrush(Level(176));
        p.drawRoundedRect(QRectF(face.left() + 3, face.top() + 3, face.width() - 6, 14), radius - 3, radius - 3);
    }
    // Pressed: pushed down onto its edge, darker.
    p.translate(size, 0);
    p.setPen(QPen(Level(80), 1.0));
    p.setBrush(Level(112));
    p.drawRoundedRect(face.translated(0, 3).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.translate(size, 0);
    p.fillRect(QRect(0, 0, size, size), Qt::black);
    MaskShape(p, face.adjusted(0, 0, 0, 3), radius, Qt::white);
    p.end();
    return ToTemplate(image);
}

// ---- the backspace key's glyph: a left arrow in the keys' caption colour (white on both
// shipped skins' dark faces) on the transparent colour $FF00FF.

QImage BackspaceGlyph()
{
    QImage image(40, 28, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({{2, 14}, {15, 2}, {15, 9}, {37, 9}, {37, 19}, {15, 19}, {15, 26}}));
    p.end();
    return ToSkinBitmap(image);
}

}  // namespace

TskinDescription MakeSkin(TskinStyle style)
{
    TskinDescription skin;
    if (style == ssDefault) {
        skin.Folder = "Default";
        skin.Title = "Default";
        skin.Description = "Graphite faces on a dark stage, rounded and flat.";
        skin.ButtonColor = RGBColor(78, 88, 104);
        skin.PanelColor = RGBColor(30, 34, 40);
        skin.FontShadows = false;
    } else {
        skin.Folder = "Classic";
        skin.Title = "Classic";
        skin.Description = "Glossy steel-blue pills on a deep blue stage.";
        skin.ButtonColor = 0xA86D4A;
        skin.PanelColor = 0x754939;
        skin.FontShadows = true;
    }
    const QImage vertical = VerticalBar(style);
    skin.Templates = {
        {"Button", "Button_Image.bmp", 3, false, 0, false, kFaceMask, Button(style, false)},
        {"CheckButton", "CheckButton_Image.bmp", 5, false, 0, false, kFaceMask, Button(style, true)},
        {"ScrollBarVertical", "ScrollBarVertical_image.bmp", 3, false, 3, true, kFaceMask, vertical},
        {"ScrollBarHorizontal", "ScrollBarHorizontal_image.bmp", 3, true, 3, true, kFaceMask, Transposed(vertical)},
        {"Panel", "Panel_Image.bmp", 1, false, 2, true, {}, Panel(style)},
        {"Splitter", "Splitter_image.bmp", 1, false, 2, true, {}, Splitter(style)},
        {"MultiButton", "MultiButton_image.bmp", 4, false, 0, false, kMultiButtonMask, MultiButton(style)},
    };
    skin.KeyboardKey = KeyboardKey(style);
    skin.Backspace = BackspaceGlyph();
    return skin;
}

}  // namespace tunecrest
