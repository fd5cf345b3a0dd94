// Scenes of the skinned controls themselves: every button, scroll bar, multi-button,
// display control and colour control in each of its states, built as a form builds
// them (properties, then SetupFinished) and pressed with real mouse events.
#include <QApplication>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "scenes.h"
#include "skin/color_panels.h"
#include "skin/component_owner.h"
#include "skin/display_controls.h"
#include "skin/qt_color.h"
#include "skin/screen_fonts.h"
#include "skin/skin_button.h"
#include "skin/skin_panel.h"
#include "skin/skin_scroll_bar.h"

namespace tunecrest {

namespace {

// A font as a skin stores it (a desktop name, points); the screen font is its metric twin.
TFont CaptionFont(int pixelSize, bool bold = true, TColor color = clWhite)
{
    TFont font;
    font.Name = "Arial";
    font.Size = pixelSize * 3 / 4;
    font.Bold = bold;
    font.Color = color;
    return font;
}

TColor LabelColor(const TsceneContext& ctx) { return LightenColor(ctx.PanelColor, 75); }

// The stage every scene is laid on: a skinned panel owning its controls, coloured by
// ApplySkinToControls as a form is.
struct Tstage {
    Tstage(const TsceneContext& ctx, QSize size) : Ctx(ctx)
    {
        Form.resize(size);
        Panel = CreateComponent<TmySkinPanel>(&Form, &Form);
        Panel->setGeometry(QRect(QPoint(0, 0), size));
        Panel->SetDefaultSkinBitmap(ctx.SkinImage("Panel"));
    }
    template <typename T>
    T* Add(QRect geometry)
    {
        T* control = CreateComponent<T>(&Form, Panel);
        control->setGeometry(geometry);
        return control;
    }
    void Label(QRect r, const QString& text, int size = 15)
    {
        auto* label = Add<TcustomColorPanel>(r);
        label->SetBevelOuter(bvNone);
        label->SetColor(Ctx.PanelColor);
        label->SetFont(CaptionFont(size, false, LabelColor(Ctx)));
        label->SetAlignment(taLeftJustify);
        label->SetCaption(text.toStdString());
        // Labels sit on the panel's plain middle, so its colour shows through them.
    }
    // Colours as the skin loader applies them, then every skinned control builds once.
    QImage Grab()
    {
        ApplySkinToControls(Form, Ctx.ButtonColor, Ctx.PanelColor, Ctx.CheckedFontColor, Ctx.FontColor);
        for (QObject* o : OwnedComponents(&Form))
            if (auto* c = dynamic_cast<TskinnedControl*>(o)) c->SetupFinished();
        for (auto& press : Presses) press();
        return GrabWidget(Form);
    }
    void Press(QWidget* w, QPoint at, QPoint moveTo = QPoint(-1, -1))
    {
        Presses.push_back([w, at, moveTo] {
            QMouseEvent down(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
            QApplication::sendEvent(w, &down);
            if (moveTo.x() >= 0) {
                QMouseEvent move(QEvent::MouseMove, moveTo, w->mapToGlobal(moveTo), Qt::NoButton, Qt::LeftButton, {});
                QApplication::sendEvent(w, &move);
            }
        });
    }
    const TsceneContext& Ctx;
    QWidget Form;
    TmySkinPanel* Panel;
    std::vector<std::function<void()>> Presses;
};

TmySkinButton* AddButton(Tstage& s, QRect r, const char* caption, bool check, const char* section = nullptr)
{
    auto* b = s.Add<TmySkinButton>(r);
    b->SetIsCheckButton(check);
    b->SetDefaultSkinBitmap(s.Ctx.SkinImage(section ? section : check ? "CheckButton" : "Button",
                                            section && std::string(section) == "Keyboard" ? "KeyImage" : "Image"));
    b->SetShowCaption(true);
    b->SetCaption(caption);
    b->SetFont(CaptionFont(r.height() > 70 ? 22 : 18));
    b->SetWantFocus(false);
    return b;
}

// A white play triangle on a see-through fuchsia ground.
QImage PlayGlyph(int size)
{
    QImage glyph(size, size, QImage::Format_RGB32);
    glyph.fill(qRgb(255, 0, 255));
    QPainter p(&glyph);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const QPointF tri[3] = {{size * 0.25, size * 0.15}, {size * 0.25, size * 0.85}, {size * 0.85, size * 0.5}};
    p.drawPolygon(tri, 3);
    return glyph;
}

QImage ButtonsScene(const TsceneContext& ctx)
{
    Tstage s(ctx, {900, 420});
    s.Label({24, 16, 850, 24}, "Push buttons: normal, pressed, shown down, glyph, word-wrapped caption");
    AddButton(s, {24, 48, 160, 72}, "Play", false);
    s.Press(AddButton(s, {200, 48, 160, 72}, "Queue", false), {80, 36});
    AddButton(s, {376, 48, 160, 72}, "Stop", false)->SetDown(true);
    auto* glyph = AddButton(s, {552, 48, 96, 72}, "", false);
    glyph->SetGlyphTransparentColor(clFuchsia);
    glyph->SetGlyph(PlayGlyph(40));
    AddButton(s, {664, 48, 212, 72}, "Add the whole album to the playlist", false)->SetFont(CaptionFont(16));

    s.Label({24, 140, 850, 24}, "Check buttons: off, pressed, checked, checked and pressed");
    AddButton(s, {24, 172, 200, 72}, "Shuffle", true);
    s.Press(AddButton(s, {240, 172, 200, 72}, "Repeat", true), {100, 36});
    AddButton(s, {456, 172, 200, 72}, "Party Mode", true)->SetChecked(true);
    auto* both = AddButton(s, {672, 172, 204, 72}, "Loop Queue", true);
    both->SetChecked(true);
    s.Press(both, {100, 36});

    s.Label({24, 264, 850, 24}, "Stretch buttons built at their size (keyboard keys): normal, pressed, wide");
    const char* keys[] = {"Q", "W", "E", "R", "T"};
    for (int i = 0; i < 5; ++i) {
        auto* key = AddButton(s, {24 + i * 88, 296, 80, 80}, keys[i], false, "Keyboard");
        key->SetIsStretchButton(true);
        if (i == 1) s.Press(key, {40, 40});
    }
    AddButton(s, {480, 296, 240, 80}, "Space", false, "Keyboard")->SetIsStretchButton(true);
    AddButton(s, {736, 296, 140, 80}, "Enter", false, "Keyboard")->SetIsStretchButton(true);
    return s.Grab();
}

TmySkinScrollBar* AddBar(Tstage& s, QRect r, bool horizontal, int position)
{
    auto* bar = s.Add<TmySkinScrollBar>(r);
    bar->SetKind(horizontal ? msbHorizontal : msbVertical);
    bar->SetDefaultSkinBitmap(s.Ctx.SkinImage(horizontal ? "ScrollBarHorizontal" : "ScrollBarVertical"));
    bar->SetPositionSilently(position);
    return bar;
}

QImage ScrollBarsScene(const TsceneContext& ctx)
{
    Tstage s(ctx, {760, 520});
    s.Label({24, 12, 700, 24}, "Vertical: normal, first button, thumb, track and second button pressed, no buttons at the top");
    const int x0 = 24, gap = 96;
    AddBar(s, {x0, 44, 64, 360}, false, 30);
    s.Press(AddBar(s, {x0 + gap, 44, 64, 360}, false, 30), {32, 20});
    s.Press(AddBar(s, {x0 + 2 * gap, 44, 64, 360}, false, 40), {32, 180}, {32, 200});
    s.Press(AddBar(s, {x0 + 3 * gap, 44, 64, 360}, false, 20), {32, 300});
    s.Press(AddBar(s, {x0 + 4 * gap, 44, 64, 360}, false, 60), {32, 340});
    AddBar(s, {x0 + 5 * gap, 44, 64, 360}, false, 0)->SetNoButton(true);
    s.Label({x0 + 6 * gap, 44, 150, 360}, "");
    AddBar(s, {24, 424, 340, 64}, true, 25);
    s.Press(AddBar(s, {392, 424, 340, 64}, true, 75), {320, 32});
    return s.Grab();
}

QImage MultiButtonScene(const TsceneContext& ctx)
{
    const QImage skin = ctx.SkinImage("MultiButton");
    const int w = skin.width() / 4, h = skin.height();
    Tstage s(ctx, {std::max(560, 4 * (w + 16) + 40), h + 80});
    s.Label({24, 12, 520, 24}, "Multi-button: normal, second pressed, first and fourth selected, third pressed");
    for (int i = 0; i < 4; ++i) {
        auto* m = s.Add<TmySkinMultiButton>({24 + i * (w + 16), 48, w, h});
        m->SetDefaultSkinBitmap(skin);
        m->SetWantFocus(false);
        if (i == 1) s.Press(m, {3 * w / 4, h / 4});
        if (i == 2) m->SetState(MultiButtonBit(mbButton1) | MultiButtonBit(mbButton4));
        if (i == 3) {
            m->SelectButton(2);
            s.Press(m, {w / 4, 3 * h / 4});
        }
    }
    return s.Grab();
}

QImage DisplayScene(const TsceneContext& ctx)
{
    Tstage s(ctx, {760, 330});
    s.Label({24, 12, 700, 24}, "Scrolling banner (moved and wrapping), play times, pictures fitted, stretched and tiled");
    auto* banner = s.Add<TScrollBanner3>({24, 44, 712, 48});
    banner->SetColor(DarkenColor(ctx.PanelColor, 40));
    banner->SetFont(CaptionFont(26, true, LightenColor(ctx.ButtonColor, 60)));
    banner->SetSpaces(8);
    banner->SetCaption("Now playing: Harbour Lights - Velvet Hour - next up: Open Road");
    banner->SetScrollInc(10);
    for (int i = 0; i < 40; ++i) banner->Tick();
    const int times[] = {0, 75, -75, 3599};
    for (int i = 0; i < 4; ++i) {
        auto* d = s.Add<TdigitalDisplay>({24 + i * 180, 108, 164, 56});
        d->SetBackColor(DarkenColor(ctx.PanelColor, 40));
        d->SetFont(CaptionFont(34, true, LightenColor(ctx.ButtonColor, 60)));
        d->SetSeconds(times[i]);
    }
    QImage cover(160, 100, QImage::Format_RGB32);
    {
        QPainter p(&cover);
        QLinearGradient g(0, 0, 160, 100);
        g.setColorAt(0, QColor(40, 60, 160));
        g.setColorAt(1, QColor(200, 60, 120));
        p.fillRect(cover.rect(), g);
        p.setPen(Qt::white);
        p.setFont(ScreenFont(CaptionFont(36)));
        p.drawText(cover.rect(), Qt::AlignCenter, "NH");
    }
    const TtouchBitmapStyle styles[] = {tbsMaintainAspect, tbsStretch, tbsTile};
    for (int i = 0; i < 3; ++i) {
        auto* t = s.Add<TtouchBitmap>({24 + i * 240, 180, 224, 130});
        t->SetColor(DarkenColor(ctx.PanelColor, 40));
        t->SetStyle(styles[i]);
        t->SetPicture(i == 2 ? cover.scaled(56, 35) : cover);
    }
    return s.Grab();
}

QImage ColorsScene(const TsceneContext& ctx)
{
    Tstage s(ctx, {760, 420});
    s.Label({24, 12, 700, 24}, "Colour panels: raised, lowered, both bevels; picture panel; plain panel; colour combo and its list");
    const TbevelCut outer[] = {bvRaised, bvLowered, bvRaised};
    const TbevelCut inner[] = {bvNone, bvNone, bvLowered};
    for (int i = 0; i < 3; ++i) {
        auto* p = s.Add<TcustomColorPanel>({24 + i * 150, 44, 136, 80});
        p->SetColor(i == 1 ? ctx.PanelColor : ctx.ButtonColor);
        p->SetBevelWidth(3);
        p->SetBorderWidth(2);
        p->SetBevelOuter(outer[i]);
        p->SetBevelInner(inner[i]);
        p->SetFont(CaptionFont(16, true, i == 1 ? LabelColor(ctx) : ctx.FontColor));
        p->SetCaption(i == 0 ? "Raised" : i == 1 ? "Lowered" : "Both");
    }
    auto* picture = s.Add<TimageColorPanel>({474, 44, 262, 120});
    picture->SetColor(DarkenColor(ctx.PanelColor, 30));
    picture->SetBevelOuter(bvLowered);
    picture->SetBevelWidth(2);
    picture->SetBorderWidth(6);
    picture->SetImageDrawStyle(idsScale);
    QImage art(3, 2, QImage::Format_RGB32);
    art.setPixel(0, 0, qRgb(230, 60, 60));
    art.setPixel(1, 0, qRgb(240, 200, 60));
    art.setPixel(2, 0, qRgb(60, 200, 90));
    art.setPixel(0, 1, qRgb(60, 120, 230));
    art.setPixel(1, 1, qRgb(160, 70, 220));
    art.setPixel(2, 1, qRgb(240, 240, 240));
    picture->SetImage(art);
    picture->SetFont(CaptionFont(16, true, clWhite));
    picture->SetCaption("Sample text");
    auto* plain = s.Add<TmyPanel>({24, 140, 430, 48});
    plain->SetFont(CaptionFont(16, false, LabelColor(ctx)));
    plain->SetCaption("A plain panel in the panel colour");
    auto* combo = s.Add<TmyJvColorComboBox>({24, 204, 300, 44});
    combo->setFont(ScreenFont(CaptionFont(18, false)));
    combo->SetOptions(coText | coCustomColors);
    combo->SetColorNameMap({"clBlack=Black", "clMaroon=Maroon", "clMoneyGreen=Money Green", "clSkyBlue=Sky Blue"});
    combo->SetColorDialogText("Choose a Color...");
    combo->SetColorValue(ctx.ButtonColor);
    // The open list, drawn by the combo's own row painter.
    auto* list = s.Add<QListView>({340, 180, 396, 224});
    list->setModel(combo->model());
    list->setItemDelegate(combo->itemDelegate());
    list->setFont(ScreenFont(CaptionFont(18, false)));
    list->setCurrentIndex(combo->model()->index(combo->currentIndex(), 0));
    list->scrollTo(list->currentIndex());
    auto* hex = s.Add<TmyJvColorComboBox>({24, 264, 300, 44});
    hex->setFont(ScreenFont(CaptionFont(18, false)));
    hex->SetOptions(coHTML);
    hex->SetColorValue(ctx.PanelColor);
    return s.Grab();
}

TsceneRegistrar buttons({"controls", "buttons", "Skinned buttons in every state", ButtonsScene});
TsceneRegistrar scrollBars({"controls", "scrollbars", "Skinned scroll bars in every state", ScrollBarsScene});
TsceneRegistrar multi({"controls", "multibutton", "Multi-buttons in every state", MultiButtonScene});
TsceneRegistrar display({"controls", "display", "Banner, play-time display and picture control", DisplayScene});
TsceneRegistrar colours({"controls", "colours", "Colour panels and colour combo", ColorsScene});

}  // namespace

}  // namespace tunecrest
