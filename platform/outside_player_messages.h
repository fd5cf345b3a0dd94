#pragma once
// The messages of the outside player program, as the outside-player engine sends them
// and our stand-in (programs/outside_player) answers them. All go to the player's
// window; docs/window-messages.md describes them for other programs.
#include "platform/window_messages.h"

namespace tunecrest {

// The class of the player's window unless it is started with "/class=".
inline constexpr const char* kOutsidePlayerClass = "Winamp v1.x";
// The player's title ends with this; before it: the list position (from 1), ". " and the title.
inline constexpr const char* kOutsidePlayerTitleSuffix = " - Winamp";

// WM_COMMAND wParam values.
constexpr WPARAM kPlayerCommandClose = 40001;
constexpr WPARAM kPlayerCommandPlay = 40045;
constexpr WPARAM kPlayerCommandPause = 40046;  // toggles pause
constexpr WPARAM kPlayerCommandStop = 40047;
constexpr WPARAM kPlayerCommandNext = 40048;

// WM_USER lParam values (the argument goes in wParam).
constexpr LPARAM kPlayerClearList = 101;
constexpr LPARAM kPlayerGetState = 104;         // 1 playing, 3 paused, 0 stopped
constexpr LPARAM kPlayerGetTime = 105;          // wParam 0: position in ms; 1: length in seconds
constexpr LPARAM kPlayerSeek = 106;             // wParam: position in ms
constexpr LPARAM kPlayerSetListPosition = 121;  // does not start playing
constexpr LPARAM kPlayerVolume = 122;           // wParam 0..255 sets; kPlayerVolumeQuery answers it
constexpr LPARAM kPlayerGetListLength = 124;
constexpr LPARAM kPlayerGetListPosition = 125;
constexpr LPARAM kPlayerSetShuffle = 252;
constexpr LPARAM kPlayerSetRepeat = 253;
constexpr WPARAM kPlayerVolumeQuery = -666;

constexpr LRESULT kPlayerStateStopped = 0;
constexpr LRESULT kPlayerStatePlaying = 1;
constexpr LRESULT kPlayerStatePaused = 3;

// Copy-data value: the block is a file name or address (with its terminating zero) to append.
constexpr uint64_t kPlayerCopyDataAddFile = 100;

}  // namespace tunecrest
