// The album and artist groupings as tree nodes, for the browse trees.
#include "core/library/album_artist_groupings.h"
#include "core/display/tree_nodes.h"

namespace tunecrest {

void TaudioTagAlbumList::AddToTree(TmyNodeList& nodes, const TalbumNodeFilter& filter) const {
    nodes.BeginUpdate();
    for (int i = 0; i < Count(); ++i) {
        const TaudioTagAlbumPtr album = GetAlbum(i);
        if (!album || (filter && !filter(*album))) continue;
        nodes.AddNode(album, false, album->Title());
    }
    nodes.EndUpdate();
}

TmyNode* TaudioTagArtistList::AddArtistNode(TmyNodeList& nodes, const TaudioTagArtistPtr& artist,
                                            bool withAlbums, const TalbumNodeFilter& filter) {
    if (!artist) return nullptr;
    TmyNode* node = nodes.AddNode(artist, false, artist->Title());
    if (withAlbums) artist->Albums().AddToTree(node->Children(), filter);
    return node;
}

void TaudioTagArtistList::AddToTree(TmyNodeList& nodes, bool withAlbums,
                                    const TalbumNodeFilter& filter) const {
    nodes.BeginUpdate();
    for (int i = 0; i < Count(); ++i) AddArtistNode(nodes, GetArtist(i), withAlbums, filter);
    nodes.EndUpdate();
}

}  // namespace tunecrest
