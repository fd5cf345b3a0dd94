#pragma once
// The browse tree of the main window: the touch tree filled by the library viewer in the
// window's display mode, painted with node captions (names and counts), dotted tree
// lines in the list store's "Tree Line" colour, an open/close box and a node icon. A
// typed letter or digit jumps to its node.
#include <QObject>
#include <functional>
#include <string>

#include "core/browse_tree.h"

class QPainter;
class QRect;

namespace tunecrest {

class TcustomJukeboxList;
class TfontContainer;
class TmyNode;
class TtouchTreeView;

// The icon of a tree node (see TlistIcon); `activePlaylist` is the jukebox's activated
// playlist, if any.
int NodeIcon(const TmyNode& node, bool selected, const TObject* activePlaylist, TtreeViewDisplayMode mode);

class TbrowseTreeView : public QObject {
  public:
    TbrowseTreeView(TtouchTreeView& tree, const TfontContainer& fonts);
    ~TbrowseTreeView() override;

    TtouchTreeView& Tree() { return Ftree; }
    TcustomJukeboxListViewer2& Viewer() { return Fviewer; }
    void SetJukeboxList(TcustomJukeboxList* list) { Fviewer.SetJukeboxList(list); }

    // Builds the tree again in the viewer's display mode (the year and genre groupings
    // take their artist and album switches from it first). Nothing while `Active` is off.
    void BuildTreeView();
    // Empties the tree.
    void ClearTree();
    bool Active = true;
    // The activated playlist, for its icon.
    const TObject* ActivePlaylist = nullptr;

    // The node a typed character selects (a letter in either case, a digit); true when
    // one was found and selected.
    bool SelectKey(char key);
    // The selected node, or nullptr.
    TmyNode* SelectedNode();

    // The selection moved (a touch, a key): the track list follows.
    std::function<void(TmyNode* node)> OnSelectNode;

    void PaintNode(int index, const QRect& rect, QPainter& canvas, bool selected);

  private:
    TtouchTreeView& Ftree;
    const TfontContainer& Ffonts;
    TcustomJukeboxListViewer2 Fviewer;
};

}  // namespace tunecrest
