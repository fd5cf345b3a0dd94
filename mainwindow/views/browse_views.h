#pragma once
// The browse tree of the main window: the touch tree filled by the library viewer in the
// window's display mode, painted with node captions (names and counts), dotted tree
// lines in the list store's "Tree Line" colour, an open/close box and a node icon. A
// typed letter or digit jumps to its node.
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <string>

#include "core/display/browse_tree.h"

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
    // The tree of a library of up to `StepThreshold` tracks is built at once, as ever. A
    // larger library's is made a step at a time, at most a few milliseconds each (the
    // first at once, the rest through a zero-time timer), while the last tree stays on
    // show; it takes that one's place in one change when complete (collapsed, the first
    // row current, as a build at once leaves it) and the replaced nodes are freed in
    // later steps.
    // Asked again during a build, the build starts over; once a build has run for
    // `RestartWindow`, it is finished first and the new one follows it. While the library
    // is loading no step runs; a build under way then starts over after the load.
    void BuildTreeView();
    // Empties the tree (a build under way is dropped).
    void ClearTree();
    // A build (or the freeing of a replaced tree) is under way.
    bool Building() const;
    bool Active = true;
    std::chrono::milliseconds RestartWindow{500};
    // Up to this many tracks the tree is built at once (a few milliseconds at most).
    int StepThreshold = 10000;
    // How long a step works (it may run over by a few artists with their albums): well
    // inside a frame, so the screen and the touch stay live during a build.
    std::chrono::microseconds StepBudget{4000};
    // A build ended: its tree is on show, or ClearTree dropped it.
    std::function<void()> OnBuildEnded;
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
    void StartBuild();
    void Step(std::chrono::steady_clock::time_point deadline);
    bool LibraryLoading() const;

    TtouchTreeView& Ftree;
    const TfontContainer& Ffonts;
    TcustomJukeboxListViewer2 Fviewer;
    QTimer Ftimer;
    std::chrono::steady_clock::time_point FbuildStart;
    // A refresh asked for while a build ran past its restart window.
    bool FrefreshAfter = false;
    // A build met a library loading: it starts over once the load is done.
    bool FrestartAfterLoading = false;
};

}  // namespace tunecrest
