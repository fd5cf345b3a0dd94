#include "windows/library/library_tree_rows.h"

#include <QPainter>

#include "core/library/album_artist_groupings.h"
#include "core/display/browse_tree.h"
#include "core/display/color_text.h"
#include "core/display/font_store.h"
#include "core/library/genre_year_groupings.h"
#include "core/jukebox/jukebox.h"
#include "core/display/markup_text.h"
#include "core/base/text_utils.h"
#include "core/display/track_format.h"
#include "skin/html_text.h"
#include "skin/image_list.h"
#include "skin/qt_color.h"
#include "skin/screen_fonts.h"

namespace tunecrest {

namespace {

const TfontCollection* Fonts(const TlibraryTreeLook& look) {
    return look.Skin ? &look.Skin->Items() : nullptr;
}

TColor SkinColor(const TlibraryTreeLook& look, int index, TColor fallback) {
    if (!look.Skin) return fallback;
    const TcolorItem* item = look.Skin->Colors().Items(index);
    return item ? item->color : fallback;
}

std::string CategoryText(const TmyNode& node, const TlibraryTreeLook& look) {
    std::string text = look.Viewer ? look.Viewer->CategoryName(&node) : std::string();
    return text.empty() ? node.Caption : text;
}

std::string CountSuffix(const char* word, int count) {
    return Format(" (%d %s%s)", count, word, PluralS(count).c_str());
}

bool UnderPlaylists(const TmyNode& node) {
    const TmyNode* parent = node.Parent();
    return parent && parent->Tag == bcPlaylists;
}

}  // namespace

std::string LibraryTreeCaption(const TmyNode& node, const TlibraryTreeLook& look, bool selected) {
    const TfontCollection* fonts = Fonts(look);
    const int children = node.Children().Count();
    if (auto* artist = node.DataAs<TaudioTagArtist>()) {
        const int albums = artist->Albums().Count();
        const int tracks = artist->Count();
        if (node.Tag == bcNoArtist) {
            const std::string text =
                look.MissingArtist.empty() ? node.Caption : "[" + look.MissingArtist + "]";
            return ArtistAlbumsTracksCaption(fonts, text, albums, tracks, selected, "");
        }
        if (artist->IsAlpha) {
            std::string text = CategoryText(node, look);
            if (text.empty()) text = "[" + artist->Title() + "]";
            const std::string suffix =
                children > 0 ? Format(", %d Artist%s", children, PluralS(children).c_str()) : "";
            return ArtistAlbumsTracksCaption(fonts, text, albums, tracks, selected, suffix);
        }
        if (node.Caption == kCompilationsArtist)
            return ArtistAlbumsCaption(fonts, node.Caption, albums, selected, "");
        std::string text = node.Caption;
        if (text == kNotTaggedArtist && !look.MissingArtist.empty()) text = "[" + look.MissingArtist + "]";
        return ArtistOwnFontCaption(fonts, text, albums, tracks, true, "");
    }
    if (auto* album = node.DataAs<TaudioTagAlbum>()) {
        std::string caption;
        if (!node.Parent() && children > 0)
            caption = EscapeMarkup(Format("(%d Album%s) ", children, PluralS(children).c_str()));
        const std::string artist = album->AlbumArtist.empty() ? "" : " - " + EscapeMarkup(album->AlbumArtist);
        return caption +
               AlbumCaption(fonts, album->Title(), album->Count(), int64_t(album->TotalDuration()), artist);
    }
    if (auto* list = node.DataAs<TaudioTagList>())
        return AlbumCaption(fonts, list->Title(), list->Count(), int64_t(list->TotalDuration()), "");
    // A category node or a node without object.
    std::string text = CategoryText(node, look);
    switch (node.Tag) {
        case bcPlaylists:
            text += CountSuffix("Playlist", children);
            break;
        case bcGenres:
            text += CountSuffix("Genre", children);
            break;
        case bcVideos: {
            const int videos = node.Children().Count();
            text += CountSuffix("Video", videos);
            break;
        }
        case bcInternetRadio:
        case bcTracksArtists:
            break;
        default:
            if (SameText(text, CategoryCaption(bcCompilations)) || SameText(text, "[Albums]"))
                text += CountSuffix("Album", children);
            else
                text += Format("(%d Artist%s)", children, PluralS(children).c_str());
            break;
    }
    return GroupCaption(fonts, text, "", selected);
}

int LibraryTreeImage(const TmyNode& node, const TlibraryTreeLook& look, bool selectedNode) {
    if (node.DataAs<TaudioTagAlbum>()) return 6;
    if (!node.Data && !node.HasChildren()) return 2;
    if (auto* list = node.DataAs<TaudioTagList>(); list && UnderPlaylists(node))
        return look.Jukebox && look.Jukebox->ActivatedPlaylist() == list ? 8 : 7;
    if (node.Expanded()) return 4;
    return selectedNode ? 3 : 0;
}

void PaintLibraryTreeRow(TtouchTreeView& tree, const TlibraryTreeLook& look, int index, const QRect& rect,
                         QPainter& canvas, TtouchListItemState state) {
    TmyNode* node = tree.GetVisibleNode(index);
    if (!node) return;
    canvas.save();
    const TfontCollection* fonts = Fonts(look);
    TFont font;
    if (fonts && fonts->Count() > 0) font = fonts->Items(2)->font();
    const bool highlighted = InItemState(state, lisSelected) || InItemState(state, lisFocused);
    const TColor textColor = highlighted ? SkinColor(look, 3, clWhite) : TColor(0x00FFFF);
    font.Color = textColor;
    canvas.fillRect(rect, ToQColor(tree.Color()));

    const int level = node->Level();
    const int left = rect.left() + level * kTreeLevelIndent;
    const int middle = rect.top() + rect.height() / 2;
    const int connector = left + kTreeLevelIndent / 2;
    // Dotted lines in the skin's colour 2: every second pixel.
    canvas.setPen(ToQColor(SkinColor(look, 2, clGray)));
    auto dotted = [&](int x1, int y1, int x2, int y2) {
        if (x1 == x2)
            for (int y = std::min(y1, y2); y <= std::max(y1, y2); y += 2) canvas.drawPoint(x1, y);
        else
            for (int x = std::min(x1, x2); x <= std::max(x1, x2); x += 2) canvas.drawPoint(x, y1);
    };
    const TmyNodeList* siblings = node->List();
    const bool hasNext = siblings && siblings->IndexOf(node) < siblings->Count() - 1;
    dotted(connector, rect.top(), connector, middle);
    dotted(connector, middle, left + kTreeLevelIndent + 2, middle);
    if (hasNext) dotted(connector, middle, connector, rect.bottom());
    int x = connector - kTreeLevelIndent;
    for (const TmyNode* up = node->Parent(); up; up = up->Parent(), x -= kTreeLevelIndent) {
        const TmyNodeList* list = up->List();
        if (list && list->IndexOf(up) < list->Count() - 1) dotted(x, rect.top(), x, rect.bottom());
    }
    if (node->HasChildren()) {
        const TColor boxColor = fonts && fonts->Count() > 0 ? fonts->Items(0)->font().Color : clWhite;
        const QRect box(connector - 4, middle - 4, 8, 8);
        canvas.fillRect(box, ToQColor(tree.Color()));
        canvas.setPen(ToQColor(ColorToRGB(boxColor)));
        canvas.drawRect(box);
        canvas.drawLine(connector - 2, middle, connector + 2, middle);
        if (!node->Expanded()) canvas.drawLine(connector, middle - 2, connector, middle + 2);
    }

    int textLeft = left + kTreeLevelIndent + 4;
    if (look.Images) {
        const int imageLeft = left + 22;
        look.Images->Draw(canvas, imageLeft, rect.top() + (rect.height() - look.Images->Height()) / 2,
                          LibraryTreeImage(*node, look, tree.GetSelectedNode() == node));
        textLeft = imageLeft + look.Images->Width() + 3;
    }
    if (highlighted)
        canvas.fillRect(QRect(textLeft, rect.top(), rect.right() - textLeft + 1, rect.height()),
                        ToQColor(SkinColor(look, 4, clNavy)));
    const std::string caption = LibraryTreeCaption(*node, look, highlighted);
    DrawHTMLText(canvas, caption, QRect(textLeft + 2, rect.top(), rect.right() - textLeft - 2, rect.height()),
                 font, Qt::AlignVCenter, highlighted, textColor);
    canvas.restore();
}

}  // namespace tunecrest
