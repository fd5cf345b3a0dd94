#include "mainwindow/browse_views.h"

#include <QKeyEvent>
#include <QPainter>

#include "core/library/genre_year_groupings.h"
#include "core/jukebox/jukebox.h"
#include "core/library/jukebox_list.h"
#include "core/display/tree_nodes.h"
#include "mainwindow/list_display.h"
#include "mainwindow/track_views.h"
#include "skin/html_text.h"
#include "skin/image_list.h"
#include "skin/qt_color.h"
#include "skin/touch_list_box.h"

namespace tunecrest {

namespace {
constexpr int kLevelIndent = 30;
constexpr int kBoxSize = 14;

// A dotted line, one pixel drawn and one skipped, starting on an even coordinate.
void DottedLine(QPainter& canvas, int x1, int y1, int x2, int y2) {
    if (x1 == x2) {
        for (int y = (y1 + 1) & ~1; y <= y2; y += 2) canvas.drawPoint(x1, y);
    } else {
        for (int x = (x1 + 1) & ~1; x <= x2; x += 2) canvas.drawPoint(x, y1);
    }
}

bool HasNextSibling(const TmyNode& node) {
    const TmyNodeList* list = node.List();
    return list && list->IndexOf(&node) < list->Count() - 1;
}
}  // namespace

int NodeIcon(const TmyNode& node, bool selected, const TObject* activePlaylist, TtreeViewDisplayMode mode) {
    if (node.DataAs<TaudioTagAlbum>()) return node.Expanded() || selected ? liAlbumOpen : liAlbum;
    if (!node.Data && !node.HasChildren()) return liEmpty;
    const TmyNode* parent = node.Parent();
    if (parent && parent->Tag == bcPlaylists && InDisplayMode(mode, dmPlaylists))
        return node.Data.get() == activePlaylist ? liActivePlaylist : liPlaylist;
    if (node.Tag == bcInternetRadio) return liStation;
    return node.Expanded() ? liFolderOpen : liFolder;
}

TbrowseTreeView::TbrowseTreeView(TtouchTreeView& tree, const TfontContainer& fonts)
    : Ftree(tree), Ffonts(fonts) {
    Ftree.OnPaintItem = [this](TObject*, int index, const QRect& rect, QPainter& canvas,
                               TtouchListItemState state) {
        PaintNode(index, rect, canvas, InItemState(state, lisSelected));
    };
    Ftree.OnItemIndexChange = [this](TObject*) {
        if (OnSelectNode) OnSelectNode(Ftree.GetSelectedNode());
    };
    Ftree.OnKeyPress = [this](TObject*, QKeyEvent* e) {
        const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
        if (mods != Qt::NoModifier && mods != Qt::ShiftModifier) return;
        const QString text = e->text();
        if (text.size() == 1 && text[0].unicode() < 128) SelectKey(char(text[0].unicode()));
    };
    Ftimer.setSingleShot(true);
    connect(&Ftimer, &QTimer::timeout, this, [this] { Step(std::chrono::steady_clock::now() + StepBudget); });
}

TbrowseTreeView::~TbrowseTreeView() {
    Ftree.OnPaintItem = nullptr;
    Ftree.OnItemIndexChange = nullptr;
    Ftree.OnKeyPress = nullptr;
}

void TbrowseTreeView::BuildTreeView() {
    if (!Active) return;
    if (Fviewer.Rebuilding() || FrestartAfterLoading) {
        // A build under way starts over with what is asked now, unless it has run so long
        // that starting over again and again could keep any new tree from the screen.
        if (std::chrono::steady_clock::now() - FbuildStart < RestartWindow) {
            FrestartAfterLoading = false;
            StartBuild();
        } else {
            FrefreshAfter = true;
        }
        if (!Ftimer.isActive()) Ftimer.start(0);
        return;
    }
    FbuildStart = std::chrono::steady_clock::now();
    StartBuild();
    TcustomJukeboxList* lib = Fviewer.JukeboxList();
    const bool small = !lib || lib->GlobalList().Count() <= StepThreshold;
    Step(small ? std::chrono::steady_clock::time_point::max() : FbuildStart + StepBudget);
}

void TbrowseTreeView::StartBuild() {
    if (TcustomJukeboxList* lib = Fviewer.JukeboxList()) {
        const TtreeViewDisplayMode mode = Fviewer.DisplayMode();
        lib->GenreList().UseArtists = InDisplayMode(mode, dmGenreArtists);
        lib->GenreList().UseAlbums = InDisplayMode(mode, dmGenreAlbums);
        lib->YearList().UseArtists = InDisplayMode(mode, dmYearArtists);
        lib->YearList().UseAlbums = InDisplayMode(mode, dmYearAlbums);
    }
    Fviewer.BeginRebuild(Ftree.Nodes());
}

bool TbrowseTreeView::LibraryLoading() const {
    const TcustomJukeboxList* lib = Fviewer.JukeboxList();
    if (!lib) return false;
    if (lib->Loading()) return true;
    const auto* local = dynamic_cast<const TcustomlocalJukeboxList*>(lib);
    return local && local->Jukebox() && local->Jukebox()->LibraryLoading();
}

void TbrowseTreeView::Step(std::chrono::steady_clock::time_point deadline) {
    if (LibraryLoading()) {
        // The groupings change under the load: what was built goes, and the build starts
        // over when the load is done.
        if (Fviewer.Rebuilding()) {
            Fviewer.CancelRebuild();
            FrestartAfterLoading = true;
        }
        if (Building()) Ftimer.start(50);
        return;
    }
    if (FrestartAfterLoading) {
        FrestartAfterLoading = false;
        FbuildStart = std::chrono::steady_clock::now();
        StartBuild();
    }
    // Replaced trees are freed in every step, a quarter of it while a build runs, so they
    // never pile up under builds that follow one another.
    if (Fviewer.Rebuilding() && Fviewer.HasDiscarded())
        Fviewer.FreeDiscarded(std::min(deadline, std::chrono::steady_clock::now() + StepBudget / 4));
    bool built = false;
    // A tree completed with the step's time used up goes on show in the next step.
    const bool complete = Fviewer.RebuildComplete();
    if (Fviewer.Rebuilding() && Fviewer.ContinueRebuild(deadline) &&
        (complete || std::chrono::steady_clock::now() < deadline)) {
        // The complete tree replaces the shown one as a build in one go did: collapsed,
        // nothing selected.
        Ftree.BeginUpdate();
        Ftree.SetItemIndex(-1);
        Fviewer.FinishRebuild();
        Ftree.RebuildVisible();
        Ftree.EndUpdate();
        built = true;
        if (FrefreshAfter) {
            FrefreshAfter = false;
            FbuildStart = std::chrono::steady_clock::now();
            StartBuild();
        }
    }
    if (!Fviewer.Rebuilding()) Fviewer.FreeDiscarded(deadline);
    if (Fviewer.Rebuilding() || Fviewer.HasDiscarded())
        Ftimer.start(0);
    else
        Ftimer.stop();
    if (built && OnBuildEnded) OnBuildEnded();
}

bool TbrowseTreeView::Building() const {
    return Fviewer.Rebuilding() || Fviewer.HasDiscarded() || FrefreshAfter || FrestartAfterLoading;
}

void TbrowseTreeView::ClearTree() {
    const bool dropped = Fviewer.Rebuilding() || FrefreshAfter || FrestartAfterLoading;
    Fviewer.CancelRebuild();
    FrefreshAfter = false;
    FrestartAfterLoading = false;
    Fviewer.DiscardNodes(Ftree.Nodes());
    Ftree.RebuildVisible();
    if (Fviewer.HasDiscarded()) Ftimer.start(0);
    if (dropped && OnBuildEnded) OnBuildEnded();
}

TmyNode* TbrowseTreeView::SelectedNode() {
    return Ftree.GetSelectedNode();
}

bool TbrowseTreeView::SelectKey(char key) {
    TmyNode* node = Fviewer.NodeForKey(key);
    if (!node) return false;
    node->ExpandParents();
    Ftree.RebuildVisible();
    Ftree.SelectNode(node, false);
    Ftree.SetTopIndex(Ftree.ItemIndex());
    return true;
}

void TbrowseTreeView::PaintNode(int index, const QRect& rect, QPainter& canvas, bool selected) {
    TmyNode* node = Ftree.GetVisibleNode(index);
    if (!node) return;
    const TColor back = selected ? ListColor(Ffonts, lcHighlightFontBackground) : Ftree.CurrentBackColor();
    canvas.fillRect(rect, ToQColor(back));
    const int level = node->Level();
    const int midY = (rect.top() + rect.bottom()) / 2;
    canvas.setPen(ToQColor(ListColor(Ffonts, lcTreeLine)));
    // The lines of the ancestors that have siblings still to come, then this node's own.
    const TmyNode* up = node->Parent();
    for (int l = level - 1; l >= 0 && up; --l, up = up->Parent())
        if (HasNextSibling(*up)) {
            const int x = rect.left() + 12 + l * kLevelIndent + kBoxSize / 2;
            DottedLine(canvas, x, rect.top(), x, rect.bottom());
        }
    const int boxX = rect.left() + 12 + level * kLevelIndent;
    const int lineX = boxX + kBoxSize / 2;
    if (level > 0 || HasNextSibling(*node) || (node->List() && node->List()->IndexOf(node) > 0)) {
        const bool first = level == 0 && node->List() && node->List()->IndexOf(node) == 0;
        DottedLine(canvas, lineX, first ? midY : rect.top(), lineX,
                   HasNextSibling(*node) ? rect.bottom() : midY);
    }
    DottedLine(canvas, lineX, midY, boxX + kLevelIndent - 2, midY);
    if (node->HasChildren()) {
        const QRect box(boxX, midY - kBoxSize / 2, kBoxSize, kBoxSize);
        canvas.fillRect(box, ToQColor(back));
        canvas.drawRect(box.adjusted(0, 0, -1, -1));
        canvas.setPen(ToQColor(ListColor(Ffonts, lcHighlightFontColor)));
        canvas.drawLine(box.left() + 3, midY, box.right() - 3, midY);
        if (!node->Expanded())
            canvas.drawLine(box.center().x(), box.top() + 3, box.center().x(), box.bottom() - 3);
    }
    const TimageList& icons = ListIcons();
    const int iconX = boxX + kLevelIndent;
    const int icon = NodeIcon(*node, selected, ActivePlaylist, Fviewer.DisplayMode());
    icons.Draw(canvas, iconX, midY - icons.Height() / 2, icon);
    const QRect text(iconX + icons.Width() + 10, rect.top(), rect.right() - iconX - icons.Width() - 14,
                     rect.height());
    // A name too long for one line takes two when the row has room for them.
    const std::string caption = NodeCaption(*node, Fviewer.JukeboxList(), &Ffonts, false);
    const TFont font = ListFont(Ffonts, lfnHeading);
    const int width = DrawHTMLText(canvas, caption, text, font, Qt::AlignVCenter | WrapFlagToFit(caption, font, text),
                                   selected, ListColor(Ffonts, lcHighlightFontColor));
    FadeOverflow(canvas, text, width, back);
}

}  // namespace tunecrest
