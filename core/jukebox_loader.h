#pragma once
// Loads every data file of a library and its jukebox at start-up, in one fixed order:
// the global list (with the CD lists and indexes) and the video list, the playlists,
// the jukebox's playlist, stacker and queue, the play counts, the internet-radio
// stations and the filter sets. Each step is callable by itself and does nothing
// without a library.
#include "core/event_lists.h"

namespace tunecrest {

class TcustomlocalJukeboxList;

class TcustomJukeboxLoader : public TObject {
  public:
    TcustomlocalJukeboxList* JukeboxList = nullptr;
    TNotifyEvent OnStartGlobalLoad;

    virtual void LoadAll();
    void LoadLibrary();
    void LoadPlaylists();
    void LoadPlaylist();
    void LoadStacker();
    void LoadQueue();
    void LoadPopularList();
    void LoadInternetRadio();
    void LoadRules();
};

class TlocalJukeboxLoader : public TcustomJukeboxLoader {};

}  // namespace tunecrest
