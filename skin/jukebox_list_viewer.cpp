#include "skin/jukebox_list_viewer.h"

namespace tunecrest {

namespace {
constexpr int kDataRole = Qt::UserRole;
constexpr int kCategoryRole = Qt::UserRole + 1;
}  // namespace

TcustomJukeboxListViewer::~TcustomJukeboxListViewer() = default;

bool TcustomJukeboxListViewer::LettersUpFront() const {
    const TtreeViewDisplayMode mode = DisplayMode();
    return ShowEmptyAlphas && !InDisplayMode(mode, dmNoLetters) &&
           (mode & DisplayModes({dmArtists, dmTitles, dmAlbums})) != 0;
}

bool TcustomJukeboxListViewer::HasTracksArtistsNode() const {
    const TtreeViewDisplayMode mode = DisplayMode();
    return InDisplayMode(mode, dmNoLetters) ||
           (InDisplayMode(mode, dmArtistsInSubNode) &&
            (mode & DisplayModes({dmArtists, dmTitles, dmAlbums, dmInvalid, dmCompilations})) != 0);
}

void TcustomJukeboxListViewer::Rebuild(QTreeWidget* tree) {
    if (tree != Ftree) ClearTree();
    Ftree = tree;
    if (Ftree) Build();
}

TObject* TcustomJukeboxListViewer::ItemData(const QTreeWidgetItem* item) {
    return item ? reinterpret_cast<TObject*>(item->data(0, kDataRole).value<quintptr>()) : nullptr;
}

int TcustomJukeboxListViewer::ItemCategory(const QTreeWidgetItem* item) {
    if (!item) return -1;
    const QVariant v = item->data(0, kCategoryRole);
    return v.isValid() ? v.toInt() : -1;
}

QTreeWidgetItem* TcustomJukeboxListViewer::NodeOfKind(int category) const {
    if (!Ftree) return nullptr;
    for (int i = 0; i < Ftree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = Ftree->topLevelItem(i);
        if (ItemCategory(item) == category) return item;
        if (ItemCategory(item) == bcTracksArtists)
            for (int j = 0; j < item->childCount(); ++j)
                if (ItemCategory(item->child(j)) == category) return item->child(j);
    }
    return nullptr;
}

TcustomBrowseTreeBuilder::Handle TcustomJukeboxListViewer::AddTreeNode(Handle parent, int index,
                                                                       std::shared_ptr<TObject> data,
                                                                       const std::string& caption,
                                                                       int category) {
    auto* item = new QTreeWidgetItem(QStringList{QString::fromStdString(caption)});
    if (category >= 0) item->setData(0, kCategoryRole, category);
    auto* owner = static_cast<QTreeWidgetItem*>(parent);
    if (owner)
        owner->insertChild(index < 0 ? owner->childCount() : index, item);
    else
        Ftree->insertTopLevelItem(index < 0 ? Ftree->topLevelItemCount() : index, item);
    SetNodeData(item, std::move(data));
    return item;
}

void TcustomJukeboxListViewer::SetNodeData(Handle node, std::shared_ptr<TObject> data) {
    auto* item = static_cast<QTreeWidgetItem*>(node);
    if (!item || !data) return;
    item->setData(0, kDataRole, QVariant::fromValue(reinterpret_cast<quintptr>(data.get())));
    Fdata.push_back(std::move(data));
}

void TcustomJukeboxListViewer::ClearTree() {
    if (Ftree) Ftree->clear();
    Fdata.clear();
}

void TcustomJukeboxListViewer::BeginTreeUpdate() {
    if (Ftree) Ftree->setUpdatesEnabled(false);
}

void TcustomJukeboxListViewer::EndTreeUpdate() {
    if (Ftree) Ftree->setUpdatesEnabled(true);
}

}  // namespace tunecrest
