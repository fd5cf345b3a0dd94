#pragma once
// Loads every data file of a library and its jukebox at start-up, in one fixed order:
// the global list (with the CD lists and indexes) and the video list, the playlists,
// the jukebox's playlist, stacker and queue, the play counts, the internet-radio
// stations and the filter sets. Each step is callable by itself and does nothing
// without a library.
#include <cstdint>

#include "core/base/event_lists.h"

namespace tunecrest {

class TcustomlocalJukeboxList;

// The loader's link to its library: assigned like a pointer, and set back to null when
// the library is destroyed, so that a later step finds no library instead of a freed one.
class TjukeboxListLink {
  public:
    TjukeboxListLink() = default;
    ~TjukeboxListLink();
    TjukeboxListLink(const TjukeboxListLink&) = delete;
    TjukeboxListLink& operator=(const TjukeboxListLink&) = delete;
    TjukeboxListLink& operator=(TcustomlocalJukeboxList* library);
    operator TcustomlocalJukeboxList*() const { return Flibrary; }
    TcustomlocalJukeboxList* operator->() const { return Flibrary; }

  private:
    void Forget();
    TcustomlocalJukeboxList* Flibrary = nullptr;
    uint64_t Fkey = 0;
};

class TcustomJukeboxLoader : public TObject {
  public:
    TjukeboxListLink JukeboxList;
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
