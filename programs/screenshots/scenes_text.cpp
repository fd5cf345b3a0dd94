// Scenes of the text toolkit: markup labels in their three styles and disabled, markup
// lines with mixed fonts (including malformed ones), track lines made by the format
// language, and the markup list box with row images.
#include <QPainter>
#include <QWidget>

#include "core/tags/audio_tag.h"
#include "core/display/color_text.h"
#include "core/display/track_format.h"
#include "scenes.h"
#include "skin/html_label.h"
#include "skin/html_list_box.h"
#include "skin/html_text.h"
#include "skin/qt_color.h"

namespace tunecrest {

namespace {

// A plain widget in one colour to hold the controls of a scene (text stands on the button
// colour, which the colour schemes pair with the caption font colour).
class TscenePanel : public QWidget {
public:
    TscenePanel(TColor color, int w, int h) : Fcolor(color) { resize(w, h); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), ToQColor(Fcolor)); }

private:
    TColor Fcolor;
};

// The font store a skin would give the track lines.
TfontContainer SceneFonts(const TsceneContext& ctx) {
    TfontContainer fonts;
    auto add = [&](const char* mask, TFont font) {
        TfontItem& item = fonts.Items().Add();
        item.Mask = mask;
        item.NiceName = mask;
        item.SetFont(font);
    };
    add("FCH", TFont{"Tahoma", ctx.FontColor, 12, false, false, false});
    add("FTN", TFont{"Tahoma", clSilver, 11, false, false, false});
    add("FAR", TFont{"Arial", clYellow, 14, true, false, false});
    add("FTI", TFont{"Verdana", ctx.FontColor, 13, false, false, false});
    add("FDU", TFont{"Tahoma", clGray, 10, false, true, false});
    add("FXT", TFont{"Courier New", clAqua, 11, false, false, false});
    return fonts;
}

QImage Labels(const TsceneContext& ctx) {
    TscenePanel panel(ctx.ButtonColor, 640, 300);
    const TFont font{"Arial", ctx.FontColor, 20, true, false, false};
    const std::string back = "<font color=" + ColorToHTML(ctx.FontColor) + " size=20>";
    const std::string captions[] = {"Normal: <font color=#FFCC00>Now" + back + " playing",
                                    "Shadow: <i>Track 7</i> of <u>12</u>", "Border: <font size=26>Big" + back + " and small",
                                    "Disabled: <b>no</b> credits"};
    const TlabelStyle styles[] = {lsNormal, lsShadow, lsBorder, lsNormal};
    for (int i = 0; i < 4; ++i) {
        auto* label = new ThtmlLabel(&panel);
        label->SetLabelFont(font);
        label->SetLabelStyle(styles[i]);
        label->SetCaption(captions[i]);
        label->move(20, 16 + i * 56);
        label->setEnabled(i != 3);
    }
    auto* wrapped = new ThtmlLabel(&panel);
    wrapped->SetAutoSize(false);
    wrapped->resize(220, 260);
    wrapped->move(400, 16);
    wrapped->SetWordWrap(true);
    wrapped->SetAutoSize(true);
    wrapped->SetLabelFont(TFont{"Verdana", ctx.FontColor, 12, false, false, false});
    wrapped->SetCaption("A wrapped caption: <b>bold words</b> break at blanks, <i>italic ones</i> too, and a "
                        "<font color=#00FF00>green run keeps its colour across the line break.");
    return GrabWidget(panel);
}

QImage MarkupLines(const TsceneContext& ctx) {
    QImage image(760, 420, QImage::Format_RGB32);
    image.fill(ToQColor(ctx.ButtonColor));
    QPainter painter(&image);
    const TFont base{"Tahoma", ctx.FontColor, 13, false, false, false};
    const char* lines[] = {
        "a<B>b</B>c, <I>italic</I>, <U>underlined</U>, <B><I><U>all three</U></I></B>",
        "<font name=\"Arial\" color=#FF0000 size=14>red Arial 14 "
        "<font name=\"Times New Roman\" color=#00FFFF size=18>cyan serif 18 "
        "<font name=\"Courier New\" color=#FFFF00 size=10>yellow mono 10",
        "<font size=8>small <font size=16>medium <font size=28>large<font size=13> on one baseline",
        "Unknown tag: x<xyz>y, stray > bracket, entities &lt;AR&gt; &amp; more",
        "Malformed: <font size=0>size 0 <font color=nope>bad colour <font size=100000",
        "Unclosed: <B never closed"};
    int y = 10;
    for (const char* line : lines) {
        DrawHTMLText(painter, line, QRect(10, y, 740, 40), base, Qt::AlignVCenter);
        y += 44;
    }
    // Track lines through the format language.
    const TfontContainer fonts = SceneFonts(ctx);
    const TtrackFormat format("<FTN><TN,. ><FAR><AR><FCH> - <FTI><TI> <FDU>(<DU>)<FCH> <X:Mood>", &fonts.Items());
    struct {
        const char* Artist;
        const char* Title;
        int Track, Seconds;
    } tracks[] = {{"The Band", "Opening Song", 1, 245}, {"", "<AR> is not a tag here", 2, 61},
                  {"Bj\xC3\xB6rk", "J\xC3\xB3ga", 12, 305}};
    for (const auto& t : tracks) {
        TaudioTag tag;
        tag.SetArtist(t.Artist);
        tag.SetTitle(t.Title);
        tag.SetTrackNo(uint32_t(t.Track));
        tag.SetDuration(uint32_t(t.Seconds));
        if (t.Track == 12) tag.ExtraFields().Add("Mood=calm");
        DrawHTMLText(painter, format.Format(tag, 2, "Unknown Artist"), QRect(10, y, 740, 40), base, Qt::AlignVCenter);
        y += 44;
    }
    return image;
}

QImage ListBox(const TsceneContext& ctx) {
    ThtmlListBox list;
    list.resize(420, 260);
    list.SetColor(ctx.ButtonColor);
    list.SetLFont(TFont{"Tahoma", ctx.FontColor, 13, false, false, false});
    auto* images = new TimageList(16, 16, &list);
    for (const QColor c : {QColor(230, 80, 60), QColor(80, 200, 90)}) {
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        QPainter p(&icon);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(c);
        p.setPen(Qt::NoPen);
        p.drawEllipse(1, 1, 14, 14);
        p.end();
        images->Add(icon);
    }
    list.SetImages(images);
    list.OnGetImageIndex = [](TObject*, int index, int& image) { image = index % 3 == 0 ? 0 : -1; };
    list.OnGetSelectedImageIndex = [](TObject*, int, int& image) { image = 1; };
    const TfontContainer fonts = SceneFonts(ctx);
    std::vector<std::string> rows;
    for (int i = 0; i < 14; ++i)
        rows.push_back(FontTagForCode(&fonts.Items(), "FAR") + "Artist " + std::to_string(i) +
                       FontTagForCode(&fonts.Items(), "FCH") + " - Title " + std::to_string(i));
    list.SetItems(rows);
    list.SetItemIndex(2);
    return GrabWidget(list);
}

TsceneRegistrar labels({"text", "labels", "Markup labels: normal, shadow, border, disabled, wrapped", Labels});
TsceneRegistrar markup({"text", "markup", "Markup lines and track lines of the format language", MarkupLines});
TsceneRegistrar listbox({"text", "listbox", "Markup list box with row images and a selected row", ListBox});

}  // namespace

}  // namespace tunecrest
