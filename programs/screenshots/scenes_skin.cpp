// Scenes of the skin toolkit: every template of the shipped skins recoloured and painted
// in each state, the nine-part panels, and the cover grid of paint regions.
#include <QPainter>
#include <QPainterPath>

#include "scenes.h"
#include "skin/paint_regions.h"
#include "skin/qt_color.h"
#include "skin/skin_parts.h"

namespace tunecrest {

namespace {

// ---- composing the looks of controls from the templates (the controls themselves
// paint the same way; these scenes show the art before every control exists).

QImage Recolour(const QImage& tpl, int frames, bool vertical, const std::vector<TColor>& mask, TColor face,
                TColor outer)
{
    TskinColors a, b;
    a.SetColor1(face);
    b.SetColor1(outer);
    b.SetColor2(face);
    QImage image = tpl;
    RecolourSkinBitmap(image, frames, a, b, vertical, mask);
    return PaintableSkin(image);
}

QFont CaptionFont(int pixelSize)
{
    QFont font("DejaVu Sans");
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::DemiBold);
    return font;
}

void Caption(QPainter& p, const TsceneContext& ctx, const QRect& r, const QString& text, TColor colour, int size = 17)
{
    p.setFont(CaptionFont(size));
    if (ctx.SkinValue("Settings", "FontShadows") == "1") {
        p.setPen(QColor(0, 0, 0, 110));
        p.drawText(r.translated(1, 1), Qt::AlignCenter | Qt::TextWordWrap, text);
    }
    p.setPen(ToQColor(colour));
    p.drawText(r, Qt::AlignCenter | Qt::TextWordWrap, text);
}

void Panel(QPainter& p, const TsceneContext& ctx, const QRect& r, const char* section = "Panel")
{
    TskinColors colors, none;
    colors.SetColor1(ctx.PanelColor);
    colors.SetColor2(ctx.ButtonColor);
    QImage dest;
    TskinRects rects;
    ComputeSkinRects(ctx.SkinImage(section), dest, rects, colors, 1, none);
    p.save();
    p.translate(r.topLeft());
    DrawSkinParts(r.width(), r.height(), 0, 0, p, PaintableSkin(dest), rects, false);
    p.restore();
}

// One frame of a side-by-side template, stretched over `r`.
void Frame(QPainter& p, const QImage& skin, int frames, int frame, const QRect& r)
{
    const int fw = skin.width() / frames;
    p.drawImage(r, skin, QRect(frame * fw, 0, fw, skin.height()));
}

void Button(QPainter& p, const TsceneContext& ctx, const QRect& r, const QString& text, int state, bool check)
{
    const int frames = check ? 5 : 3;
    const QImage skin = Recolour(ctx.SkinImage(check ? "CheckButton" : "Button"), frames, false, kFaceMask,
                                 ctx.ButtonColor, ctx.PanelColor);
    Frame(p, skin, frames, state, r);
    const bool checked = state >= 2;
    Caption(p, ctx, r.adjusted(8, 0, -8, state % 2 ? 2 : 0), text, checked ? ctx.CheckedFontColor : ctx.FontColor);
}

// The 3 x 3 cell build of a stretch button (keyboard keys): corners at their size, edge
// and centre cells repeated, each frame at the target size; then recoloured.
QImage StretchKey(const TsceneContext& ctx, QSize size)
{
    const QImage tpl = ctx.SkinImage("Keyboard", "KeyImage");
    const int fw = tpl.width() / 3, cw = fw / 3, ch = tpl.height() / 3;
    QImage out(size.width() * 3, size.height(), QImage::Format_BGR888);
    QPainter p(&out);
    const int W = size.width(), H = size.height();
    for (int f = 0; f < 3; ++f) {
        auto cell = [&](int cx, int cy) { return QRect(f * fw + cx * cw, cy * ch, cw, ch); };
        const int x0 = f * W;
        for (int y = ch; y < H - ch; y += ch)
            for (int x = cw; x < W - cw; x += cw) p.drawImage(QPoint(x0 + x, y), tpl, cell(1, 1));
        for (int x = cw; x < W - cw; x += cw) {
            p.drawImage(QPoint(x0 + x, 0), tpl, cell(1, 0));
            p.drawImage(QPoint(x0 + x, H - ch), tpl, cell(1, 2));
        }
        for (int y = ch; y < H - ch; y += ch) {
            p.drawImage(QPoint(x0, y), tpl, cell(0, 1));
            p.drawImage(QPoint(x0 + W - cw, y), tpl, cell(2, 1));
        }
        p.drawImage(QPoint(x0, 0), tpl, cell(0, 0));
        p.drawImage(QPoint(x0 + W - cw, 0), tpl, cell(2, 0));
        p.drawImage(QPoint(x0, H - ch), tpl, cell(0, 2));
        p.drawImage(QPoint(x0 + W - cw, H - ch), tpl, cell(2, 2));
    }
    p.end();
    return Recolour(out, 3, false, kFaceMask, ctx.ButtonColor, ctx.PanelColor);
}

void Key(QPainter& p, const TsceneContext& ctx, const QRect& r, const QString& text, bool pressed)
{
    const QImage skin = StretchKey(ctx, r.size());
    Frame(p, skin, 3, pressed ? 1 : 0, r);
    Caption(p, ctx, r.adjusted(0, pressed ? 3 : 0, 0, -3), text, ctx.FontColor, text.size() > 1 ? r.height() / 4 : r.height() / 3);
}

// A scroll bar: parts found by the three markers; `pressed` 0 none, 1 first button,
// 2 thumb, 3 second button. `position` 0..1.
void ScrollBar(QPainter& p, const TsceneContext& ctx, const QRect& r, bool horizontal, double position, int pressed)
{
    QImage tpl = ctx.SkinImage(horizontal ? "ScrollBarHorizontal" : "ScrollBarVertical");
    if (horizontal) tpl = tpl.transformed(QTransform(0, 1, 1, 0, 0, 0));  // draw it as a vertical bar
    std::vector<int> marks;
    for (int y = 0; y < tpl.height() && marks.size() < 3; ++y)
        if (IsMarkerPixel(SkinPixel(tpl, 0, y))) marks.push_back(y);
    if (marks.size() < 3) return;
    const QImage skin = Recolour(tpl, 3, false, kFaceMask, ctx.ButtonColor, ctx.PanelColor);
    const int fw = skin.width() / 3;
    const int length = horizontal ? r.width() : r.height();
    QImage bar(fw, length, QImage::Format_RGB32);
    QPainter b(&bar);
    auto part = [&](int index, int frame) {
        const int top = index == 0 ? 0 : marks[size_t(index - 1)] + 1;
        const int bottom = index == 3 ? skin.height() : marks[size_t(index)];
        return QRect(frame * fw, top, fw, bottom - top);
    };
    const QRect track = part(2, 0);
    for (int y = 0; y < length; y += track.height()) b.drawImage(QPoint(0, y), skin, track);
    const QRect up = part(0, pressed == 1), thumb = part(1, pressed == 2), down = part(3, pressed == 3);
    b.drawImage(QPoint(0, 0), skin, up);
    b.drawImage(QPoint(0, length - down.height()), skin, down);
    const int room = length - up.height() - down.height() - thumb.height();
    b.drawImage(QPoint(0, up.height() + int(room * position)), skin, thumb);
    b.end();
    if (horizontal)
        p.drawImage(r.topLeft(), bar.transformed(QTransform(0, 1, 1, 0, 0, 0)));
    else
        p.drawImage(r.topLeft(), bar);
}

// A multi-button: frame 0, the pressed sub-button from frame 1 and the selected ones
// from frame 2, each only over its own mask colour.
void MultiButton(QPainter& p, const TsceneContext& ctx, QPoint at, int pressed, unsigned selected)
{
    const QImage tpl = ctx.SkinImage("MultiButton");
    const QImage skin = Recolour(tpl, 4, false, kMultiButtonMask, ctx.ButtonColor, ctx.PanelColor);
    const int fw = skin.width() / 4;
    QImage out = skin.copy(0, 0, fw, skin.height());
    for (int y = 0; y < skin.height(); ++y)
        for (int x = 0; x < fw; ++x) {
            const TColor m = TripleToColor(SkinPixel(tpl, 3 * fw + x, y));
            for (int i = 0; i < 4; ++i)
                if (m == kMultiButtonMask[size_t(i)]) {
                    if (i == pressed)
                        out.setPixel(x, y, skin.pixel(fw + x, y));
                    else if (selected & (1u << i))
                        out.setPixel(x, y, skin.pixel(2 * fw + x, y));
                }
        }
    p.drawImage(at, out);
    const char* glyphs[] = {"A", "B", "C", "D"};
    for (int i = 0; i < 4; ++i)
        Caption(p, ctx, QRect(at.x() + (i % 2) * fw / 2, at.y() + (i / 2) * skin.height() / 2 + (i == pressed), fw / 2, skin.height() / 2),
                glyphs[i], (selected & (1u << i)) ? ctx.CheckedFontColor : ctx.FontColor, 22);
}

// Text written straight onto a panel (not onto a button face).
TColor LabelColor(const TsceneContext& ctx) { return LightenColor(ctx.PanelColor, 75); }

QImage Surface(const TsceneContext& ctx, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(ToQColor(ctx.PanelColor));
    return image;
}

// ---- scenes

QImage ButtonsScene(const TsceneContext& ctx)
{
    QImage image = Surface(ctx, {820, 300});
    QPainter p(&image);
    Panel(p, ctx, QRect(0, 0, 820, 300));
    Caption(p, ctx, QRect(20, 14, 780, 24), "Push buttons: normal, pressed", LabelColor(ctx), 14);
    Button(p, ctx, QRect(20, 44, 180, 64), "Play", 0, false);
    Button(p, ctx, QRect(220, 44, 180, 64), "Queue", 1, false);
    Button(p, ctx, QRect(420, 44, 120, 64), "Stop", 0, false);
    Button(p, ctx, QRect(560, 44, 240, 64), "Add to Playlist", 0, false);
    Caption(p, ctx, QRect(20, 144, 780, 24), "Check buttons: off, pressed, checked, checked and pressed", LabelColor(ctx), 14);
    Button(p, ctx, QRect(20, 176, 180, 64), "Shuffle", 0, true);
    Button(p, ctx, QRect(220, 176, 180, 64), "Repeat", 1, true);
    Button(p, ctx, QRect(420, 176, 180, 64), "Party", 2, true);
    Button(p, ctx, QRect(620, 176, 180, 64), "Loop Queue", 3, true);
    return image;
}

QImage ScrollBarsScene(const TsceneContext& ctx)
{
    QImage image = Surface(ctx, {560, 420});
    QPainter p(&image);
    Panel(p, ctx, QRect(0, 0, 560, 420));
    ScrollBar(p, ctx, QRect(24, 20, 64, 300), false, 0.0, 0);
    ScrollBar(p, ctx, QRect(112, 20, 64, 300), false, 0.4, 1);
    ScrollBar(p, ctx, QRect(200, 20, 64, 300), false, 0.7, 2);
    ScrollBar(p, ctx, QRect(288, 20, 64, 300), false, 1.0, 3);
    Caption(p, ctx, QRect(376, 20, 170, 300), "Vertical: normal, first button, thumb and second button pressed",
            LabelColor(ctx), 14);
    ScrollBar(p, ctx, QRect(24, 340, 512, 64), true, 0.3, 0);
    return image;
}

QImage KeyboardScene(const TsceneContext& ctx)
{
    const int key = 72;
    QImage image = Surface(ctx, {key * 10 + 32, key * 3 + 32});
    QPainter p(&image);
    Panel(p, ctx, image.rect());
    const QString rows[] = {"1234567890", "QWERTYUIOP", "ASDFGHJKL"};
    for (int row = 0; row < 3; ++row)
        for (int i = 0; i < rows[row].size(); ++i)
            Key(p, ctx, QRect(16 + i * key, 16 + row * key, key, key), rows[row].mid(i, 1), row == 1 && i == 4);
    Key(p, ctx, QRect(16 + 9 * key, 16 + 2 * key, key, key), "Space", false);
    return image;
}

QImage MultiButtonScene(const TsceneContext& ctx)
{
    QImage image = Surface(ctx, {480, 176});
    QPainter p(&image);
    Panel(p, ctx, image.rect());
    MultiButton(p, ctx, QPoint(24, 24), -1, 0);
    MultiButton(p, ctx, QPoint(176, 24), 1, 0);
    MultiButton(p, ctx, QPoint(328, 24), -1, 0b1001);
    return image;
}

QImage SplitterScene(const TsceneContext& ctx)
{
    QImage image = Surface(ctx, {480, 200});
    QPainter p(&image);
    Panel(p, ctx, QRect(0, 0, 228, 200));
    Panel(p, ctx, QRect(252, 0, 228, 200));
    Panel(p, ctx, QRect(228, 0, 24, 200), "Splitter");
    return image;
}

// Synthetic covers: a diagonal gradient and the album's initials, drawn by the owner of
// the grid in its paint handler.
struct Tcover {
    const char* Title;
    QColor A, B;
};
const Tcover kCovers[] = {
    {"Night Drive", QColor(40, 60, 160), QColor(200, 60, 120)},  {"Harbour Lights", QColor(20, 120, 130), QColor(230, 200, 90)},
    {"Velvet Hour", QColor(110, 30, 70), QColor(250, 150, 90)},  {"Open Road", QColor(60, 130, 60), QColor(220, 230, 120)},
    {"Blue Static", QColor(30, 40, 80), QColor(90, 180, 230)},   {"Last Orders", QColor(140, 80, 30), QColor(250, 220, 160)},
};

QImage CoverGridScene(const TsceneContext& ctx)
{
    TpaintRegionContainer grid;
    grid.resize(720, 480);
    grid.SetMatrix(3, 2);
    grid.SetColor(ctx.PanelColor);
    grid.SetFocusColor(DarkenColor(ctx.ButtonColor, 45));
    int data = 0;
    for (int i = 0; i < grid.RegionCount(); ++i) grid.GetRegion(i)->SetData(&data);
    grid.OnPaintRegion = [&](TObject*, TpaintRegion* r) {
        QPainter& p = *grid.Canvas();
        int i = 0;
        while (grid.GetRegion(i) != r) ++i;
        const Tcover& c = kCovers[i % 6];
        const QRect cell(r->Left(), r->Top(), r->Width(), r->Height());
        const QRect art = cell.adjusted(14, 12, -14, -52);
        const int side = std::min(art.width(), art.height());
        const QRect square(art.center().x() - side / 2, art.top(), side, side);
        QLinearGradient g(square.topLeft(), square.bottomRight());
        g.setColorAt(0, c.A);
        g.setColorAt(1, c.B);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(square, 10, 10);
        p.fillPath(path, g);
        p.setPen(QColor(255, 255, 255, 200));
        p.setFont(CaptionFont(side / 4));
        QString initials;
        for (const QString& w : QString(c.Title).split(' ')) initials += w.left(1);
        p.drawText(square, Qt::AlignCenter, initials);
        Caption(p, ctx, QRect(cell.left(), square.bottom() + 6, cell.width(), 36), c.Title, LabelColor(ctx), 16);
    };
    grid.SetFocusedRegion(4);
    // The focused cell shows its colour only while the grid has the input focus.
    grid.setAttribute(Qt::WA_DontShowOnScreen, true);
    grid.show();
    grid.activateWindow();
    grid.setFocus();
    return GrabWidget(grid);
}

// A touch screen at 1280 x 800 put together from the kit: header, cover grid with its
// scroll bar, a list panel, and the transport bar.
QImage StageScene(const TsceneContext& ctx)
{
    QImage image = Surface(ctx, {1280, 800});
    QPainter p(&image);
    Panel(p, ctx, QRect(0, 0, 1280, 72));
    Caption(p, ctx, QRect(24, 0, 600, 72), "Now playing: Harbour Lights", LabelColor(ctx), 24);
    Button(p, ctx, QRect(1056, 4, 100, 64), "Search", 0, false);
    Button(p, ctx, QRect(1164, 4, 100, 64), "Party", 2, true);

    Panel(p, ctx, QRect(0, 72, 780, 600));
    QImage grid = CoverGridScene(ctx).scaled(690, 460, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    p.drawImage(QPoint(16, 88), grid);
    ScrollBar(p, ctx, QRect(712, 88, 64, 568), false, 0.25, 0);
    Panel(p, ctx, QRect(780, 72, 24, 600), "Splitter");
    Panel(p, ctx, QRect(804, 72, 476, 600));
    const char* queue[] = {"1. Harbour Lights", "2. Velvet Hour", "3. Open Road", "4. Blue Static", "5. Last Orders"};
    p.setFont(CaptionFont(20));
    for (int i = 0; i < 5; ++i) {
        p.setPen(ToQColor(i == 0 ? LightenColor(ctx.ButtonColor, 50) : LabelColor(ctx)));
        p.drawText(QRect(828, 100 + i * 56, 360, 56), Qt::AlignVCenter | Qt::AlignLeft, queue[i]);
    }
    ScrollBar(p, ctx, QRect(1208, 88, 64, 568), false, 0.0, 0);

    Panel(p, ctx, QRect(0, 672, 1280, 128));
    const char* transport[] = {"Back", "Play", "Stop", "Skip", "Queue"};
    for (int i = 0; i < 5; ++i) Button(p, ctx, QRect(24 + i * 150, 704, 136, 64), transport[i], i == 1 ? 1 : 0, false);
    Button(p, ctx, QRect(800, 704, 150, 64), "Shuffle", 2, true);
    ScrollBar(p, ctx, QRect(980, 704, 276, 64), true, 0.6, 0);
    return image;
}

TsceneRegistrar buttons({"skin", "buttons", "Push and check buttons", ButtonsScene});
TsceneRegistrar scrollBars({"skin", "scrollbars", "Scroll bars", ScrollBarsScene});
TsceneRegistrar keyboard({"skin", "keyboard", "Keyboard keys (stretch buttons)", KeyboardScene});
TsceneRegistrar multiButton({"skin", "multibutton", "Multi-button: normal, B pressed, A and D selected", MultiButtonScene});
TsceneRegistrar splitter({"skin", "splitter", "Panels and splitter", SplitterScene});
TsceneRegistrar coverGrid({"skin", "covergrid", "Cover grid (paint regions), cell 5 focused", CoverGridScene});
TsceneRegistrar stage({"skin", "stage", "The kit on a 1280 x 800 touch screen", StageScene});

}  // namespace

}  // namespace tunecrest
