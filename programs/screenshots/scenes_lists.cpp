// Scenes of the touch list and tree: a track list with a selection and the current row,
// the same list over a centred background picture, and the browse tree of a small
// library in the main window's default node set with a letter and an artist opened.
#include <unistd.h>

#include <QPainter>
#include <cstdlib>
#include <filesystem>

#include "core/display/browse_tree.h"
#include "core/library/jukebox_list.h"
#include "core/base/text_utils.h"
#include "scenes.h"
#include "skin/qt_color.h"
#include "skin/touch_list_box.h"

namespace tunecrest {

namespace {

const char* const kArtists[] = {"Abba", "abc", "Beatles", "The Band", "10cc", "Cure", "Yello", "Zed"};
const char* const kTitles[] = {"Dancing Queen",       "Poison Arrow", "Something", "The Weight",
                               "Wall Street Shuffle", "Lullaby",      "Oh Yeah",   "Zero"};

QFont RowFont(int pixelSize, bool bold = false) {
    QFont font("DejaVu Sans");
    font.setPixelSize(pixelSize);
    if (bold) font.setWeight(QFont::DemiBold);
    return font;
}

int Luma(TColor c) {
    return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000;
}

// The scheme's text colour, or black or white where it would not stand out from `back`.
TColor Readable(TColor text, TColor back) {
    if (std::abs(Luma(text) - Luma(back)) >= 110) return text;
    return Luma(back) > 128 ? clBlack : clWhite;
}

// Rows as a track list shows them: number, artist and title, duration on the right;
// selected rows in the button colour, the current row framed.
void PaintTrackRow(const TsceneContext& ctx, int index, const QRect& r, QPainter& p,
                   TtouchListItemState state) {
    if (InItemState(state, lisSelected)) p.fillRect(r.adjusted(2, 1, -2, -1), ToQColor(ctx.ButtonColor));
    if (InItemState(state, lisFocused)) {
        p.setPen(QPen(ToQColor(Readable(ctx.FontColor, ctx.PanelColor)), 2, Qt::DotLine));
        p.drawRect(r.adjusted(3, 2, -4, -3));
    }
    p.setPen(ToQColor(InItemState(state, lisSelected) ? Readable(ctx.CheckedFontColor, ctx.ButtonColor)
                                                      : Readable(ctx.FontColor, ctx.PanelColor)));
    p.setFont(RowFont(18));
    const int n = index % 8;
    p.drawText(r.adjusted(12, 0, -90, 0), Qt::AlignVCenter | Qt::AlignLeft,
               QString("%1.  %2 - %3").arg(index + 1, 2).arg(kArtists[n]).arg(kTitles[n]));
    p.drawText(r.adjusted(0, 0, -12, 0), Qt::AlignVCenter | Qt::AlignRight,
               QString("%1:%2").arg(3 + index % 3).arg((index * 17) % 60, 2, 10, QChar('0')));
}

TtouchListBox* MakeTrackList(const TsceneContext& ctx, TtouchListBox& list) {
    list.resize(520, 48 * 9 + 20);
    list.SetColor(ctx.PanelColor);
    list.MultiSelect = true;
    list.SetCount(40);
    list.SetTopIndex(1);
    list.SetItemIndex(6);
    list.SetSelected(2, true);
    list.SetSelected(3, true);
    list.OnPaintItem = [&ctx](TObject*, int index, const QRect& r, QPainter& p, TtouchListItemState state) {
        PaintTrackRow(ctx, index, r, p, state);
    };
    return &list;
}

TsceneRegistrar trackList({"lists", "track_list", "Touch list: selection, current row, partly shown last row",
                           [](const TsceneContext& ctx) {
                               TtouchListBox list;
                               MakeTrackList(ctx, list);
                               return GrabWidget(list);
                           }});

TsceneRegistrar backgroundList({"lists", "track_list_background",
                                "Touch list over a centred background picture", [](const TsceneContext& ctx) {
                                    TtouchListBox list;
                                    MakeTrackList(ctx, list);
                                    QImage picture(220, 220, QImage::Format_ARGB32_Premultiplied);
                                    picture.fill(Qt::transparent);
                                    QPainter p(&picture);
                                    p.setRenderHint(QPainter::Antialiasing);
                                    p.setPen(Qt::NoPen);
                                    p.setBrush(ToQColor(ctx.ButtonColor).lighter(130));
                                    p.drawEllipse(picture.rect().adjusted(10, 10, -10, -10));
                                    p.setBrush(ToQColor(ctx.PanelColor));
                                    p.drawEllipse(picture.rect().adjusted(90, 90, -90, -90));
                                    p.end();
                                    list.SetBackgroundImage(picture);
                                    list.SetImageHorzAlign(ihaCenter);
                                    list.SetImageVertAlign(vaMiddle);
                                    return GrabWidget(list);
                                }});

TsceneRegistrar browseTree(
    {"lists", "browse_tree", "Browse tree: default node set, a letter and an artist opened",
     [](const TsceneContext& ctx) {
         const auto folder =
             std::filesystem::temp_directory_path() / ("scenes_lists_" + std::to_string(getpid()));
         std::filesystem::create_directories(folder);
         QImage image;
         {
             TlocalJukeboxList lib;
             lib.SetDataFolder(folder.string());
             lib.GlobalList().BeginUpdate();
             for (int i = 0; i < 24; ++i) {
                 auto tag = std::make_shared<TaudioTag>();
                 const int n = i % 8;
                 tag->SetArtist(kArtists[n]);
                 tag->SetTitle(Format("%s %d", kTitles[n], i / 8 + 1));
                 tag->SetAlbum(Format("%s Album %d", kArtists[n], i / 16 + 1));
                 tag->SetGenreString(n % 2 ? "Rock" : "Pop");
                 tag->SetFilename(Format("/music/%s/%d/%02d.mp3", kArtists[n], i / 16, i));
                 tag->SetMediaType(mkAudio);
                 lib.GlobalList().Add(tag);
             }
             lib.GlobalList().EndUpdate();
             TtouchTreeView tree;
             tree.resize(420, 48 * 13);
             tree.SetColor(ctx.PanelColor);
             QPalette pal = tree.palette();
             pal.setColor(QPalette::Text, ToQColor(Readable(ctx.FontColor, ctx.PanelColor)));
             pal.setColor(QPalette::Highlight, ToQColor(ctx.ButtonColor));
             pal.setColor(QPalette::HighlightedText,
                          ToQColor(Readable(ctx.CheckedFontColor, ctx.ButtonColor)));
             tree.setPalette(pal);
             tree.setFont(RowFont(18));
             TcustomJukeboxListViewer2 viewer;
             viewer.SetJukeboxList(&lib);
             viewer.SetDisplayMode(0xCFF);
             viewer.Rebuild(tree.Model());
             TmyNode* letter = viewer.NodeOfKind(bcFirstLetter);
             tree.SelectNode(letter, true);
             tree.SelectNode(letter->Children().Items(0), true);
             image = GrabWidget(tree);
         }
         std::error_code ec;
         std::filesystem::remove_all(folder, ec);
         return image;
     }});

}  // namespace

}  // namespace tunecrest
