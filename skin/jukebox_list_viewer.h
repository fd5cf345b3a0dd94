#pragma once
// The browse tree in a standard tree widget, for the one playlist window that shows
// the library that way. Same categories and rules as the owner-drawn tree's viewer,
// with the differences of this form: letters come up front only for artists, titles or
// albums, "[Tracks/Artists]" also for compilations, and no internet-radio node.
#include <QPointer>
#include <QTreeWidget>
#include <memory>
#include <vector>

#include "core/display/browse_tree.h"

namespace tunecrest {

class TcustomJukeboxListViewer : public TcustomBrowseTreeBuilder {
  public:
    ~TcustomJukeboxListViewer() override;
    // Clears `tree` and builds it in the current display mode.
    void Rebuild(QTreeWidget* tree);
    // The object an item stands for (an artist, an album, a playlist, a genre or year,
    // the video list), or nullptr.
    static TObject* ItemData(const QTreeWidgetItem* item);
    // The category number of a fixed item, -1 for others.
    static int ItemCategory(const QTreeWidgetItem* item);
    QTreeWidgetItem* NodeOfKind(int category) const;

  protected:
    Handle AddTreeNode(Handle parent, int index, std::shared_ptr<TObject> data, const std::string& caption,
                       int category) override;
    void SetNodeData(Handle node, std::shared_ptr<TObject> data) override;
    void ClearTree() override;
    void BeginTreeUpdate() override;
    void EndTreeUpdate() override;
    bool LettersUpFront() const override;
    bool HasTracksArtistsNode() const override;
    bool HasRadioNode() const override { return false; }

  private:
    QPointer<QTreeWidget> Ftree;
    // The items point at these; they live as long as the items.
    std::vector<std::shared_ptr<TObject>> Fdata;
};

}  // namespace tunecrest
